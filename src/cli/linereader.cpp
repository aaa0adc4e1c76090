// SPDX-License-Identifier: MIT
#include "cli/linereader.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace zabrel::cli {

namespace {

constexpr std::size_t READ_SIZE = 64 * 1024;

bool isContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// The code point of the UTF-8 sequence at `data[start, end)`, or U+FFFD for anything
// malformed (which the strict decoder refuses later anyway).
char32_t decode(std::string_view data, std::size_t start, std::size_t end) {
    const auto lead = static_cast<unsigned char>(data[start]);
    const std::size_t length = end - start;
    if (lead < 0x80)
        return length == 1 ? lead : 0xFFFD;
    std::size_t expected = (lead & 0xE0) == 0xC0   ? 2
                           : (lead & 0xF0) == 0xE0 ? 3
                           : (lead & 0xF8) == 0xF0 ? 4
                                                   : 0;
    if (expected != length)
        return 0xFFFD;
    char32_t cp = lead & (0x7F >> length);
    for (std::size_t i = start + 1; i < end; ++i)
        cp = (cp << 6) | (static_cast<unsigned char>(data[i]) & 0x3F);
    return cp;
}

}  // namespace

bool LineReader::fill() {
    if (atEnd)
        return false;
    if (pos > 0) {
        buffer.erase(0, pos);
        pos = 0;
    }
    const std::size_t old = buffer.size();
    buffer.resize(old + READ_SIZE);
    ssize_t got;
    do {
        got = ::read(fd, buffer.data() + old, READ_SIZE);
    } while (got < 0 && errno == EINTR);
    if (got <= 0) {
        buffer.resize(old);
        atEnd = true;
        if (got < 0)
            readError = errno;
        return false;
    }
    buffer.resize(old + static_cast<std::size_t>(got));
    total += static_cast<std::uintmax_t>(got);
    return true;
}

std::string_view LineReader::peek() {
    if (pos == buffer.size())
        fill();
    return std::string_view(buffer).substr(pos);
}

std::size_t LineReader::cutBetweenWords(std::size_t from, std::size_t limit) const {
    const std::string_view data(buffer);
    // A character starts at `i`, or the text ends there.
    const auto isBoundary = [&](std::size_t i) {
        return i >= data.size() || !isContinuation(static_cast<unsigned char>(data[i]));
    };
    const std::size_t stop = limit - std::min(limit - from, CUT_SEARCH);
    std::size_t lastBoundary = 0;
    for (std::size_t end = limit; end > stop; --end) {
        if (!isBoundary(end))
            continue;
        std::size_t start = end - 1;
        while (start > from && end - start < 4 && !isBoundary(start))
            --start;
        if (lastBoundary == 0)
            lastBoundary = end;
        // Cut after the first character, from the back, that no word holds.
        if (!letters.inWord(decode(data, start, end)))
            return end;
        end = start + 1;
    }
    // A run of letters longer than any word: cut it where a character ends.
    return lastBoundary > from ? lastBoundary : limit;
}

bool LineReader::next(Piece& piece) {
    for (;;) {
        if (skipLF) {
            if (pos == buffer.size())
                fill();
            if (pos < buffer.size()) {
                skipLF = false;
                if (buffer[pos] == '\n')
                    ++pos;
            } else {
                skipLF = false;
            }
        }
        const std::size_t available = buffer.size() - pos;
        const std::size_t window = std::min(available, PIECE);
        const std::string_view look = std::string_view(buffer).substr(pos, window);
        const std::size_t lf = look.find('\n');
        const std::size_t cr = crEndsLines ? look.find('\r') : std::string_view::npos;
        const std::size_t lineEnd = std::min(lf, cr);
        if (lineEnd != std::string_view::npos) {
            piece.bytes = look.substr(0, lineEnd);
            piece.lineEnds = true;
            piece.newline = true;
            piece.lineOffset = lineOffset;
            pos += lineEnd + 1;
            skipLF = lineEnd == cr;
            midLine = false;
            lineOffset = 0;
            return true;
        }
        if (available > PIECE) {
            const std::size_t cut = cutBetweenWords(pos, pos + PIECE);
            piece.bytes = std::string_view(buffer).substr(pos, cut - pos);
            piece.lineEnds = false;
            piece.newline = false;
            piece.lineOffset = lineOffset;
            lineOffset += cut - pos;
            pos = cut;
            midLine = true;
            return true;
        }
        if (fill())
            continue;
        // The end of the input: what is left is the last line, without its line end.
        if (available == 0 && !midLine)
            return false;
        piece.bytes = std::string_view(buffer).substr(pos);
        piece.lineEnds = true;
        piece.newline = false;
        piece.lineOffset = lineOffset;
        pos = buffer.size();
        midLine = false;
        lineOffset = 0;
        return true;
    }
}

std::string_view utf16Kind(std::string_view start) {
    // FF and FE never occur in UTF-8, so a mark cannot be mistaken.
    if (start.starts_with("\xFF\xFE") || start.starts_with("\xFE\xFF"))
        return "UTF-16";
    const std::size_t pairs = std::min<std::size_t>(start.size(), 4096) / 2;
    if (pairs < 2)
        return {};
    std::size_t evenZeros = 0;
    std::size_t oddZeros = 0;
    for (std::size_t i = 0; i < pairs; ++i) {
        evenZeros += start[2 * i] == '\0';
        oddZeros += start[2 * i + 1] == '\0';
    }
    if (evenZeros == 0 && oddZeros * 8 >= pairs)
        return "UTF-16LE";
    if (oddZeros == 0 && evenZeros * 8 >= pairs)
        return "UTF-16BE";
    return {};
}

}  // namespace zabrel::cli
