// SPDX-License-Identifier: MIT
#include "app/textboxtext.h"

#include <QTextDocument>

namespace textboxtext {

QString snapshot(const QTextDocument& document) {
    // toRawText, unlike toPlainText, leaves no-break spaces alone: they are not
    // delimiters, so they must stay inside their token.
    QString text = document.toRawText();
    text.replace(QChar::ParagraphSeparator, QStringLiteral("\r\n"));
    text.replace(QChar::LineSeparator, QStringLiteral("\r\n"));
    return text;
}

QString forTextBox(const QString& snapshot) {
    QString text = snapshot;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text;
}

std::u16string lines(const QTextDocument& document) {
    QString text = document.toRawText();
    text.replace(QChar::ParagraphSeparator, QChar(u'\n'));
    return text.toStdU16String();
}

}  // namespace textboxtext
