// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace zabrel::server {

// The text a request asks to check, in UTF-16 (LanguageTool counts positions in Java
// string indices, which are UTF-16 units, and so do the browsers), and for an annotated
// document (data=) the way back from a position in the checked text to one in the whole
// document, markup included, which is where clients place the matches.
class CheckedText {
public:
    // text=: UTF-8, strictly; false with `error` set when it is not.
    bool readPlain(std::string_view utf8, std::string& error);
    // data=: LanguageTool's annotated text, {"annotation":[{"text":...},
    // {"markup":..., "interpretAs":...}]}. The markup is skipped, or read as its
    // interpretAs; false with `error` set for anything else.
    bool readAnnotated(std::string_view json, std::string& error);

    const std::u16string& text() const { return checked; }

    // The document's position of the match [start, end) in the checked text: a match in
    // text maps unit by unit; an end or start inside an interpretAs widens to its markup.
    std::size_t originalStart(std::size_t start) const;
    std::size_t originalEnd(std::size_t end) const;

private:
    struct Piece {
        std::size_t checkedStart;
        std::size_t checkedLength;
        std::size_t originalStart;
        std::size_t originalLength;
        bool markup;
    };
    std::u16string checked;
    // Empty for a plain text, whose positions are the document's.
    std::vector<Piece> pieces;
};

}  // namespace zabrel::server
