// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

class QTextDocument;

// The text box and the checker see line breaks differently. A QTextDocument keeps a
// break as one character (a paragraph or line separator), which is what cursor
// positions count; the word walk expects CR LF. These two turn one form into the other.
namespace textboxtext {

// The document's text with every paragraph and line separator as CR LF; everything
// else (no-break spaces included) exactly as stored.
QString snapshot(const QTextDocument& document);

// The inverse, for writing a snapshot back into the text box.
QString forTextBox(const QString& snapshot);

}  // namespace textboxtext
