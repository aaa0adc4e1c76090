// SPDX-License-Identifier: MIT
#include "app/textboxtext.h"

#include <QTextDocument>

namespace textboxtext {

QString snapshot(const QTextDocument& document) {
    // toRawText, unlike toPlainText, leaves no-break spaces alone: they are not
    // delimiters, so they must stay inside their token.
    const QString raw = document.toRawText();
    QString text;
    text.reserve(raw.size() + raw.size() / 8);
    for (QChar c : raw) {
        if (c == QChar::ParagraphSeparator || c == QChar::LineSeparator)
            text += QStringLiteral("\r\n");
        else
            text += c;
    }
    return text;
}

QString forTextBox(const QString& snapshot) {
    QString text = snapshot;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text;
}

}  // namespace textboxtext
