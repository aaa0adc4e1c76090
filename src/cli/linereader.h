// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "text/wordletters.h"

namespace zabrel::cli {

// Reads a file descriptor in bounded pieces, so that memory stays flat whatever the
// length of a line (one 100 MB line, or /dev/zero). A piece is a whole line or, for a
// longer line, a part of it cut between words: words are short, so a cut is found
// within a few kilobytes, and only a run of word letters longer than any word is cut
// where it stands.
class LineReader {
public:
    static constexpr std::size_t PIECE = 64 * 1024;
    // How far back from a piece's end a cut between words is looked for.
    static constexpr std::size_t CUT_SEARCH = 4096;

    struct Piece {
        std::string_view bytes;      // valid until the next call
        bool lineEnds = false;       // the last piece of its line
        std::size_t lineOffset = 0;  // bytes of the same line before this piece
        bool newline = false;        // ended by a line end in the input (not by its end)
    };

    // With `crEndsLines`, a lone CR ends a line as LF and CR LF do; otherwise only LF
    // does and a CR stays in the line.
    LineReader(int fd, const WordLetters& letters, bool crEndsLines)
        : fd(fd), letters(letters), crEndsLines(crEndsLines) {}

    // False at the end of the input or on a read error (see error()).
    bool next(Piece& piece);

    // The first bytes of the input without consuming them (one read at most), for a
    // look at the encoding.
    std::string_view peek();

    int error() const { return readError; }
    std::uintmax_t bytesRead() const { return total; }

private:
    bool fill();
    std::size_t cutBetweenWords(std::size_t from, std::size_t limit) const;

    int fd;
    const WordLetters& letters;
    bool crEndsLines;
    std::string buffer;
    std::size_t pos = 0;
    bool atEnd = false;
    bool skipLF = false;
    bool midLine = false;
    std::size_t lineOffset = 0;
    int readError = 0;
    std::uintmax_t total = 0;
};

// "UTF-16", "UTF-16LE" or "UTF-16BE" when the first bytes of an input look like UTF-16
// text (a byte-order mark, or a zero byte in one half of every few pairs and never in
// the other, as every space and line end gives), else empty.
std::string_view utf16Kind(std::string_view start);

}  // namespace zabrel::cli
