// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <string>

class QTextDocument;

// The text box and the checker see line breaks differently. A QTextDocument keeps a
// break as one character (a paragraph or line separator), which is what cursor
// positions count; the dialog's own copy of the text has CR LF. These two turn one
// form into the other, and lines() gives the checking pass the document's positions.
namespace textboxtext {

// The document's text with every paragraph and line separator as CR LF; everything
// else (no-break spaces included) exactly as stored.
QString snapshot(const QTextDocument& document);

// The inverse, for writing a snapshot back into the text box.
QString forTextBox(const QString& snapshot);

// The document's text with every paragraph break as one LF, so that a position in it
// is a cursor position; a line separator (Shift+Enter) stays inside its paragraph.
std::u16string lines(const QTextDocument& document);

}  // namespace textboxtext
