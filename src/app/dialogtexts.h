// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

// Every text the checking dialog shows, in one place: the Urdu captions, buttons,
// questions and status lines, and the names it stores its settings under.
namespace dialogtexts {

inline const QString PROMPT = QStringLiteral(u"ہجے پڑتال کرنے کے لیے متن داخل کریں");
inline const QString SUGGESTIONS_CAPTION = QStringLiteral(u"دستیاب تجاویز");
inline const QString CHECK_TEXT = QStringLiteral(u"ہجے پڑتال کریں");
inline const QString CHANGE_TEXT = QStringLiteral(u"تبدیل کریں");
inline const QString LEAVE_TEXT = QStringLiteral(u"نظرانداز کریں");
inline const QString TITLE = QStringLiteral(u"Tesmara-ہجے پڑتال کار");
inline const QString COMPLETED = QStringLiteral(u"ہجے پڑتال مکمل ہو گئی ہے۔");
// "The dictionary could not be loaded."
inline const QString NO_DICTIONARY = QStringLiteral(
    u"\u0644\u063A\u062A \u0644\u0648\u0688 \u0646\u06C1\u06CC\u06BA \u06C1\u0648 \u0633\u06A9\u06CC\u06D4");
inline const QString CHANGE_ALL_TEXT = QStringLiteral(u"سب تبدیل کریں");
inline const QString IGNORE_ALL_TEXT = QStringLiteral(u"سب نظرانداز کریں");
// %1 the pause, %2 the misspelt words found so far, %3 the words checked.
inline const QString STATUS_PAUSED = QStringLiteral(u"غلطی %1، اب تک %2 غلطیاں ملیں — %3 الفاظ جانچے گئے");
inline const QString STATUS_DONE = QStringLiteral(u"پڑتال مکمل: %3 الفاظ جانچے گئے، %2 غلطیاں ملیں");
inline const QString STATUS_STOPPED = QStringLiteral(u"پڑتال روک دی گئی: %3 الفاظ جانچے گئے، %2 غلطیاں ملیں");
inline const QString NO_SUGGESTIONS = QStringLiteral(u"کوئی تجویز نہیں");
inline const QString ADD_TEXT = QStringLiteral(u"لغت میں شامل کریں");
inline const QString STOP_TEXT = QStringLiteral(u"روکیں");
inline const QString OPEN_TEXT = QStringLiteral(u"کھولیں");
inline const QString SAVE_TEXT = QStringLiteral(u"محفوظ کریں");
inline const QString UNSAVED_QUESTION =
    QStringLiteral(u"متن میں ایسی تبدیلیاں ہیں جو محفوظ نہیں ہوئیں۔ بند کرنے سے پہلے انہیں محفوظ کریں؟");
inline const QString DISCARD_TEXT = QStringLiteral(u"محفوظ کیے بغیر بند کریں");
inline const QString CANCEL_TEXT = QStringLiteral(u"واپس جائیں");
inline const QString OK_TEXT = QStringLiteral(u"ٹھیک ہے");
inline const QString ABOUT_ENTRY = QStringLiteral("&About Zabrel...");
// "Suggestions in the accurate order"
inline const QString RANKING_ENTRY = QStringLiteral("تجاویز درست ترتیب میں");
inline const QString RANKING_KEY = QStringLiteral("ranking");

}  // namespace dialogtexts
