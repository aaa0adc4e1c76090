// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

// Every text the checking dialog shows, in one place: the Urdu captions, buttons,
// questions and status lines, and the names it stores its settings under.
namespace dialogtexts {

inline const QString APP_NAME = QStringLiteral("Zabrel");
// The dialog's Urdu face (Debian's fonts-noto-ui-core).
inline const QString NASKH_FACE = QStringLiteral("Noto Naskh Arabic UI");

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
// %1 the pause, %2 the misspelt words found so far, %3 the words checked, each
// as MISSPELT_COUNT or WORDS_COUNT says it.
inline const QString STATUS_PAUSED = QStringLiteral(u"غلطی %1، اب تک %2 — %3");
inline const QString STATUS_DONE = QStringLiteral(u"پڑتال مکمل: %3، %2");
inline const QString STATUS_STOPPED = QStringLiteral(u"پڑتال روک دی گئی: %3، %2");
// One, and any other number, of misspelt words found and of words checked.
inline const QString ONE_MISSPELT = QStringLiteral(u"1 غلطی ملی");
inline const QString MISSPELT_COUNT = QStringLiteral(u"%1 غلطیاں ملیں");
inline const QString ONE_WORD = QStringLiteral(u"1 لفظ جانچا گیا");
inline const QString WORDS_COUNT = QStringLiteral(u"%1 الفاظ جانچے گئے");
// "New text: the Ignore All and Change All choices of the last one were cleared."
inline const QString CHOICES_CLEARED =
    QStringLiteral(u"نیا متن: پچھلے متن کے «سب نظرانداز» اور «سب تبدیل» ختم کر دیے گئے");
inline const QString NO_SUGGESTIONS = QStringLiteral(u"کوئی تجویز نہیں");
inline const QString ADD_TEXT = QStringLiteral(u"لغت میں شامل کریں");
inline const QString STOP_TEXT = QStringLiteral(u"روکیں");
inline const QString OPEN_TEXT = QStringLiteral(u"کھولیں");
inline const QString SAVE_TEXT = QStringLiteral(u"محفوظ کریں");
inline const QString UNSAVED_QUESTION =
    QStringLiteral(u"متن میں ایسی تبدیلیاں ہیں جو محفوظ نہیں ہوئیں۔ بند کرنے سے پہلے انہیں محفوظ کریں؟");
inline const QString UNSAVED_BEFORE_OPENING = QStringLiteral(
    u"متن میں ایسی تبدیلیاں ہیں جو محفوظ نہیں ہوئیں۔ دوسری فائل کھولنے سے پہلے انہیں محفوظ کریں؟");
inline const QString UNSAVED_BEFORE_NEW = QStringLiteral(
    u"متن میں ایسی تبدیلیاں ہیں جو محفوظ نہیں ہوئیں۔ نیا متن شروع کرنے سے پہلے انہیں محفوظ کریں؟");
// "Don't save": right whether the dialog is closing or opening another text.
inline const QString DISCARD_TEXT = QStringLiteral(u"محفوظ نہ کریں");
inline const QString CANCEL_TEXT = QStringLiteral(u"واپس جائیں");
inline const QString OK_TEXT = QStringLiteral(u"ٹھیک ہے");
inline const QString ABOUT_ENTRY = QStringLiteral("&About Zabrel...");
// "Suggestions in the accurate order"
inline const QString RANKING_ENTRY = QStringLiteral("تجاویز درست ترتیب میں");
// The same, under the suggestions: "Accurate order".
inline const QString RANKING_BOX = QStringLiteral(u"درست ترتیب");
// "Suggestions by the neighbouring words too".
inline const QString CONTEXT_ENTRY = QStringLiteral(u"تجاویز ساتھ کے الفاظ کے مطابق بھی");
inline const QString RANKING_KEY = QStringLiteral("ranking");
inline const QString GEOMETRY_KEY = QStringLiteral("geometry");
// "New text".
inline const QString NEW_TEXT_ENTRY = QStringLiteral(u"نیا متن");

// Messages: an Urdu sentence, then the detail as the system gave it (withDetail).
// "The dictionary was not found", "The personal word list could not be used", "The
// word could not be saved to the personal list", "The spell check stopped", "The
// accurate order is not available", "Note".
inline const QString DICTIONARY_NOT_FOUND = QStringLiteral(u"لغت نہیں ملی");
inline const QString PERSONAL_LIST_FAILED = QStringLiteral(u"ذاتی فہرست استعمال نہیں ہو سکی");
inline const QString ADD_FAILED = QStringLiteral(u"لفظ ذاتی فہرست میں محفوظ نہیں ہو سکا");
inline const QString PASS_FAILED = QStringLiteral(u"ہجے پڑتال رک گئی");
inline const QString RANKING_FAILED = QStringLiteral(u"درست ترتیب دستیاب نہیں");
// "Ranking by the neighbouring words is not available".
inline const QString CONTEXT_FAILED = QStringLiteral(u"ساتھ کے الفاظ سے ترتیب دستیاب نہیں");
inline const QString NOTICE = QStringLiteral(u"توجہ فرمائیں");

// The about box: "About Zabrel", "Version %1", "A spell checker for Urdu text".
inline const QString ABOUT_TITLE = QStringLiteral(u"زبرل کا تعارف");
inline const QString ABOUT_VERSION = QStringLiteral(u"زبرل، ورژن %1");
inline const QString ABOUT_LINE = QStringLiteral(u"اردو متن کے لیے ہجے پڑتال کار");

// "Edit": the submenu of Qt's edit entries under a word's suggestions.
inline const QString EDIT_MENU = QStringLiteral(u"ترمیم");
// Qt's edit entries: undo, redo, cut, copy, copy link, paste, delete, select all,
// insert a control character.
inline const QString EDIT_UNDO = QStringLiteral(u"واپس لیں");
inline const QString EDIT_REDO = QStringLiteral(u"دوبارہ کریں");
inline const QString EDIT_CUT = QStringLiteral(u"کاٹیں");
inline const QString EDIT_COPY = QStringLiteral(u"نقل کریں");
inline const QString EDIT_COPY_LINK = QStringLiteral(u"ربط نقل کریں");
inline const QString EDIT_PASTE = QStringLiteral(u"چسپاں کریں");
inline const QString EDIT_DELETE = QStringLiteral(u"حذف کریں");
inline const QString EDIT_SELECT_ALL = QStringLiteral(u"سب منتخب کریں");
inline const QString EDIT_CONTROL_CHARACTER = QStringLiteral(u"یونیکوڈ کنٹرول حرف داخل کریں");

// The file chooser: "Open a file", "Save the text", "Text", "All files", "Look in",
// "File name", "File type", and "Cancel".
inline const QString OPEN_FILE_TITLE = QStringLiteral(u"فائل کھولیں");
inline const QString SAVE_FILE_TITLE = QStringLiteral(u"متن محفوظ کریں");
inline const QString TEXT_FILES_FILTER = QStringLiteral(u"متن (*.txt)");
inline const QString ALL_FILES_FILTER = QStringLiteral(u"تمام فائلیں (*)");
inline const QString FILE_LOOK_IN = QStringLiteral(u"مقام:");
inline const QString FILE_NAME_LABEL = QStringLiteral(u"فائل کا نام:");
inline const QString FILE_TYPE_LABEL = QStringLiteral(u"فائل کی قسم:");
inline const QString FILE_CANCEL = QStringLiteral(u"منسوخ کریں");
// Its tool buttons: back, forward, the folder above, a new folder, list and detail view;
// and the list's columns: name, size, type, date changed.
inline const QString FILE_BACK = QStringLiteral(u"پیچھے");
inline const QString FILE_FORWARD = QStringLiteral(u"آگے");
inline const QString FILE_PARENT = QStringLiteral(u"اوپر کا فولڈر");
inline const QString FILE_NEW_FOLDER = QStringLiteral(u"نیا فولڈر");
inline const QString FILE_LIST_VIEW = QStringLiteral(u"فہرست");
inline const QString FILE_DETAIL_VIEW = QStringLiteral(u"تفصیل");
inline const QString FILE_COLUMN_NAME = QStringLiteral(u"نام");
inline const QString FILE_COLUMN_SIZE = QStringLiteral(u"سائز");
inline const QString FILE_COLUMN_TYPE = QStringLiteral(u"قسم");
inline const QString FILE_COLUMN_DATE = QStringLiteral(u"تبدیلی کی تاریخ");

}  // namespace dialogtexts
