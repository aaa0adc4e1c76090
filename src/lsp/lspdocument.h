// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace zabrel::lsp {

// How a client counts the characters of a line: UTF-16 code units (the protocol's
// default) or UTF-8 bytes, as negotiated at start.
enum class Encoding { Utf16, Utf8 };

// A line and a character in it, as the protocol has them.
struct Position {
    std::size_t line = 0;
    std::size_t character = 0;
};

// One open document: its text in UTF-16, where positions are offsets, and the lines
// as editors count them, ended by LF, CR LF or a lone CR.
class Document {
public:
    Document(std::u16string text, long version, std::string languageId);

    const std::u16string& text() const { return content; }
    long version() const { return current; }
    const std::string& languageId() const { return language; }

    // The offset a position names. A character past its line's end stands for the
    // end of the line, a line past the last for the end of the text, and a position
    // inside a character for its start, as the protocol asks of servers.
    std::size_t offsetOf(Position position, Encoding encoding) const;
    // The position of an offset (the start of the character it falls in).
    Position positionOf(std::size_t offset, Encoding encoding) const;

    // Replaces [start, end) of the text, and sets the version.
    void replace(std::size_t start, std::size_t end, std::u16string_view with);
    void setText(std::u16string text);
    void setVersion(long version) { current = version; }

private:
    void indexLines();
    // The end of line `line`'s text, before its line break.
    std::size_t lineEnd(std::size_t line) const;

    std::u16string content;
    long current;
    std::string language;
    std::vector<std::size_t> lineStarts;
};

}  // namespace zabrel::lsp
