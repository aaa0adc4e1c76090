// SPDX-License-Identifier: MIT
#include "cli/textreport.h"

#include <algorithm>

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
    cutLine(text, letters, lineWords);
    if (checkText) {
        checkText(text, spans);
        auto span = spans.begin();
        for (const LineWord& word : lineWords) {
            if (word.foreign)
                continue;
            ++words;
            while (span != spans.end() && span->start < word.start)
                ++span;
            if (span == spans.end() || span->start != word.start)
                continue;
            ++misspelt;
            suggestions = std::move(span->suggestions);
            report(fileName, lineNumber, {word.start, span->length, word.column}, out);
        }
    } else {
        for (const LineWord& word : lineWords) {
            if (word.foreign)
                continue;
            ++words;
            suggestions.clear();
            if (check(text.substr(word.start, word.length), suggestions)) {
                ++misspelt;
                report(fileName, lineNumber, word, out);
            }
        }
    }
    if (lineEnds) {
        column = 0;
    } else {
        column += codePoints(text);
    }
    return true;
}

void TextReport::report(std::string_view fileName, std::size_t lineNumber, const LineWord& word,
                        std::string& out) {
    const std::u16string_view token = std::u16string_view(text).substr(word.start, word.length);
    if (options.listOnly) {
        appendUtf8(out, token);
        out += '\n';
        return;
    }
    out += fileName;
    out += ':' + std::to_string(lineNumber) + ':' + std::to_string(column + word.column + 1) + ": ";
    appendUtf8(out, token);
    // No suggestions leaves the arrow at the end of the line, so that every report line
    // splits the same way at " ->".
    out += " ->";
    std::size_t shown =
        options.allSuggestions ? suggestions.size() : std::min(suggestions.size(), DEFAULT_SUGGESTIONS);
    for (std::size_t i = 0; i < shown; ++i) {
        out += i == 0 ? " " : ", ";
        appendUtf8(out, suggestions[i]);
    }
    out += '\n';
}

}  // namespace zabrel::cli
