// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "session/spellersession.h"

namespace zabrel::cli {

// The report modes: one line per misspelt word, either
//   FILE:LINE:COLUMN: WORD -> s1, s2, s3      (columns in characters, from 1)
// or, in list mode, the word alone, as `hunspell -l` prints it. A column points at the
// word itself, not at punctuation before it. Each line is one pass of the session,
// which finds the spans and counts their columns; this only writes them out.
class TextReport {
public:
    static constexpr std::size_t DEFAULT_SUGGESTIONS = 5;

    struct Options {
        bool listOnly = false;
        bool allSuggestions = false;
    };

    TextReport(const SpellerSession& speller, Options options) : speller(speller), options(options) {}

    // Checks one line (without its line end) of `fileName`, appending report lines to
    // `out`. Returns false, appending nothing, when the line is not valid UTF-8.
    bool checkLine(std::string_view fileName, std::size_t lineNumber, std::string_view line,
                   std::string& out) {
        return checkPiece(fileName, lineNumber, line, true, out);
    }

    // The same for a line that comes in pieces cut between words; `lineEnds` marks the
    // last one, and columns go on counting from piece to piece.
    bool checkPiece(std::string_view fileName, std::size_t lineNumber, std::string_view piece, bool lineEnds,
                    std::string& out);

    std::size_t wordCount() const { return words; }
    std::size_t misspeltCount() const { return misspelt; }

private:
    void report(std::string_view fileName, std::size_t lineNumber, const Span& span, std::string& out) const;

    const SpellerSession& speller;
    Options options;
    // Characters of the line before the piece at hand.
    std::size_t column = 0;
    std::size_t words = 0;
    std::size_t misspelt = 0;
    std::u16string text;
};

}  // namespace zabrel::cli
