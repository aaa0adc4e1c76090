// SPDX-License-Identifier: MIT
#include "text/utf8.h"

#include <cstdint>

namespace zabrel {

namespace {

// A high surrogate at `i` with its low one after it.
bool pairAt(std::u16string_view in, std::size_t i) {
    return in[i] >= 0xD800 && in[i] <= 0xDBFF && i + 1 < in.size() && in[i + 1] >= 0xDC00 &&
           in[i + 1] <= 0xDFFF;
}

bool isContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

void appendCodePoint(std::u16string& out, char32_t cp) {
    if (cp < 0x10000) {
        out.push_back(static_cast<char16_t>(cp));
    } else {
        cp -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    }
}

void appendUtf8CodePoint(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

}  // namespace

bool utf8ToUtf16(std::string_view in, std::u16string& out, std::size_t& badOffset) {
    out.clear();
    out.reserve(in.size());
    const std::size_t size = in.size();
    std::size_t i = 0;
    while (i < size) {
        const unsigned char lead = static_cast<unsigned char>(in[i]);
        if (lead < 0x80) {
            out.push_back(lead);
            ++i;
            continue;
        }
        std::size_t length;
        char32_t cp;
        char32_t smallest;
        if ((lead & 0xE0) == 0xC0) {
            length = 2, cp = lead & 0x1F, smallest = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3, cp = lead & 0x0F, smallest = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4, cp = lead & 0x07, smallest = 0x10000;
        } else {
            badOffset = i;
            return false;
        }
        if (size - i < length) {
            badOffset = i;
            return false;
        }
        for (std::size_t k = 1; k < length; ++k) {
            const unsigned char next = static_cast<unsigned char>(in[i + k]);
            if (!isContinuation(next)) {
                badOffset = i;
                return false;
            }
            cp = (cp << 6) | (next & 0x3F);
        }
        if (cp < smallest || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            badOffset = i;
            return false;
        }
        appendCodePoint(out, cp);
        i += length;
    }
    return true;
}

void appendUtf8(std::string& out, std::u16string_view in) {
    const std::size_t size = in.size();
    for (std::size_t i = 0; i < size; ++i) {
        const char16_t unit = in[i];
        if (pairAt(in, i)) {
            const char32_t cp =
                0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) + (in[i + 1] - 0xDC00);
            appendUtf8CodePoint(out, cp);
            ++i;
        } else if (unit >= 0xD800 && unit <= 0xDFFF) {
            appendUtf8CodePoint(out, 0xFFFD);
        } else {
            appendUtf8CodePoint(out, unit);
        }
    }
}

std::size_t codePoints(std::u16string_view text) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < text.size(); ++i, ++count)
        if (pairAt(text, i))
            ++i;
    return count;
}

std::size_t utf8Length(std::u16string_view text) {
    std::size_t bytes = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i];
        if (pairAt(text, i)) {
            bytes += 4;
            ++i;
        } else {
            bytes += unit < 0x80 ? 1 : unit < 0x800 ? 2 : 3;
        }
    }
    return bytes;
}

std::string utf16ToUtf8(std::u16string_view in) {
    std::string out;
    out.reserve(in.size() * 2);
    appendUtf8(out, in);
    return out;
}

}  // namespace zabrel
