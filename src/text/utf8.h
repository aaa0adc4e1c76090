// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zabrel {

// Strict UTF-8 to UTF-16: overlong forms, encoded surrogates, code points above
// U+10FFFF, stray continuation bytes and truncated sequences are all refused, since
// a lenient decoder would hand the engine words that never were in the text.
// On failure returns false, leaves `out` unspecified and sets `badOffset` to the
// byte offset of the first offending sequence.
bool utf8ToUtf16(std::string_view in, std::u16string& out, std::size_t& badOffset);

// UTF-16 to UTF-8. Our own conversions never make lone surrogates, but the engine's
// suggestions come from a file, so any that slip through become U+FFFD.
std::string utf16ToUtf8(std::u16string_view in);
void appendUtf8(std::string& out, std::u16string_view in);

// The characters of `text` as editors and people count them: a surrogate pair is one,
// and so is a lone surrogate (which utf16ToUtf8 writes as U+FFFD).
std::size_t codePoints(std::u16string_view text);
// The bytes `text` takes in UTF-8, as utf16ToUtf8 writes it.
std::size_t utf8Length(std::u16string_view text);

}  // namespace zabrel
