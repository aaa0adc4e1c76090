// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

#include "app/messageboxes.h"

class QWidget;

// A .docx or .odt is a word processor's document, not a text the dialog opens. Its
// corrections belong in the document, with its fonts, headings and tables, which the
// dialog's plain text would drop on the first save; LibreOffice Writer opens both
// kinds, and Zabrel checks them there, in place. So the dialog sends the writer there,
// or names what is wrong with a document that cannot be read.
namespace officedocumentnotice {

// "This is a word processor's document. Here it could open only as plain text, and
// saving it would lose the document's formatting (fonts, headings, tables, pictures).
// Check its spelling in LibreOffice Writer: Zabrel works there too, and the
// corrections are saved in the document itself."
inline const QString IN_WRITER = QStringLiteral(
    u"یہ ورڈ پروسیسر کی دستاویز ہے۔ یہاں یہ صرف سادہ متن بن کر کھل سکتی ہے، اور محفوظ کرنے پر "
    u"دستاویز کی ترتیب (فونٹ، سرخیاں، جدولیں، تصویریں) ضائع ہو جاتی۔ اس کے ہجے LibreOffice Writer "
    u"میں جانچیں: زبرل وہاں بھی کام کرتا ہے، اور درستیاں دستاویز ہی میں محفوظ ہوتی ہیں");
// "This document could not be read."
inline const QString UNREADABLE = QStringLiteral(u"یہ دستاویز پڑھی نہیں جا سکی");

// True, after telling the user, when `path` names a .docx or .odt document.
bool refuse(QWidget* parent, const QString& path, const MessageHandler& messages);

}  // namespace officedocumentnotice
