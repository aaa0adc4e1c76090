// SPDX-License-Identifier: MIT
#include "lsp/lspdocument.h"

#include <algorithm>

namespace zabrel::lsp {

namespace {

bool isHigh(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
bool isLow(char16_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

// The UTF-16 units of the character at `at` (a pair, or one unit), within `end`.
std::size_t unitsAt(const std::u16string& text, std::size_t at, std::size_t end) {
    return isHigh(text[at]) && at + 1 < end && isLow(text[at + 1]) ? 2 : 1;
}

// The UTF-8 bytes of that character; a lone surrogate is written as U+FFFD, three.
std::size_t bytesOf(const std::u16string& text, std::size_t at, std::size_t units) {
    if (units == 2)
        return 4;
    const char16_t unit = text[at];
    return unit < 0x80 ? 1 : unit < 0x800 ? 2 : 3;
}

}  // namespace

Document::Document(std::u16string text, long version, std::string languageId)
    : content(std::move(text)), current(version), language(std::move(languageId)) {
    indexLines();
}

void Document::indexLines() {
    lineStarts.assign(1, 0);
    const std::size_t size = content.size();
    for (std::size_t i = 0; i < size; ++i) {
        if (content[i] == u'\r') {
            if (i + 1 < size && content[i + 1] == u'\n')
                ++i;
            lineStarts.push_back(i + 1);
        } else if (content[i] == u'\n') {
            lineStarts.push_back(i + 1);
        }
    }
}

std::size_t Document::lineEnd(std::size_t line) const {
    if (line + 1 >= lineStarts.size())
        return content.size();
    std::size_t end = lineStarts[line + 1] - 1;
    if (content[end] == u'\n' && end > lineStarts[line] && content[end - 1] == u'\r')
        --end;
    return end;
}

std::size_t Document::offsetOf(Position position, Encoding encoding) const {
    if (position.line >= lineStarts.size())
        return content.size();
    const std::size_t start = lineStarts[position.line];
    const std::size_t end = lineEnd(position.line);
    std::size_t at = start;
    std::size_t counted = 0;
    while (at < end) {
        const std::size_t units = unitsAt(content, at, end);
        const std::size_t width = encoding == Encoding::Utf16 ? units : bytesOf(content, at, units);
        if (counted + width > position.character)
            break;
        counted += width;
        at += units;
    }
    return at;
}

Position Document::positionOf(std::size_t offset, Encoding encoding) const {
    offset = std::min(offset, content.size());
    const auto after = std::upper_bound(lineStarts.begin(), lineStarts.end(), offset);
    const std::size_t line = static_cast<std::size_t>(after - lineStarts.begin()) - 1;
    const std::size_t start = lineStarts[line];
    const std::size_t end = std::min(lineEnd(line), offset);
    std::size_t counted = 0;
    for (std::size_t at = start; at < end;) {
        const std::size_t units = unitsAt(content, at, end);
        counted += encoding == Encoding::Utf16 ? units : bytesOf(content, at, units);
        at += units;
    }
    return {line, counted};
}

void Document::replace(std::size_t start, std::size_t end, std::u16string_view with) {
    start = std::min(start, content.size());
    end = std::clamp(end, start, content.size());
    content.replace(start, end - start, with);
    indexLines();
}

void Document::setText(std::u16string text) {
    content = std::move(text);
    indexLines();
}

}  // namespace zabrel::lsp
