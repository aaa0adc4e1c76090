// SPDX-License-Identifier: MIT
#include "cli/textreport.h"

#include <algorithm>

#include "session/checkpass.h"
#include "text/utf8.h"

namespace zabrel::cli {

bool TextReport::checkPiece(std::string_view fileName, std::size_t lineNumber, std::string_view piece,
                            bool lineEnds, std::string& out) {
    std::size_t badOffset = 0;
    if (!utf8ToUtf16(piece, text, badOffset)) {
        if (lineEnds)
            column = 0;
        return false;
    }
    CheckPass pass =
        speller.pass(text, {.positions = Positions::CodePoints, .joins = Joins::Offer, .inPlace = true});
    while (pass.next()) {
        ++misspelt;
        report(fileName, lineNumber, pass.span(), out);
    }
    words += pass.wordsChecked();
    column = lineEnds ? 0 : column + codePoints(text);
    return true;
}

void TextReport::report(std::string_view fileName, std::size_t lineNumber, const Span& span,
                        std::string& out) const {
    if (options.listOnly) {
        appendUtf8(out, span.word);
        out += '\n';
        return;
    }
    out += fileName;
    out += ':' + std::to_string(lineNumber) + ':' + std::to_string(column + span.start + 1) + ": ";
    appendUtf8(out, span.word);
    // No suggestions leaves the arrow at the end of the line, so that every report line
    // splits the same way at " ->".
    out += " ->";
    const std::vector<std::u16string>& suggestions = span.suggestions;
    const std::size_t shown =
        options.allSuggestions ? suggestions.size() : std::min(suggestions.size(), DEFAULT_SUGGESTIONS);
    for (std::size_t i = 0; i < shown; ++i) {
        out += i == 0 ? " " : ", ";
        appendUtf8(out, suggestions[i]);
    }
    out += '\n';
}

}  // namespace zabrel::cli
