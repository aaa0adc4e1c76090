// SPDX-License-Identifier: MIT
#include "lsp/lspdocument.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

using zabrel::lsp::Document;
using zabrel::lsp::Encoding;
using zabrel::lsp::Position;

namespace {

// "a😀ب" then CR LF, "ج" then a lone CR, "" then LF, and "د" without an end.
const std::u16string TEXT = u"a\U0001F600\u0628\r\n\u062C\r\n\u062F";

std::pair<std::size_t, std::size_t> at(const Document& document, std::size_t offset, Encoding encoding) {
    const Position position = document.positionOf(offset, encoding);
    return {position.line, position.character};
}

}  // namespace

TEST(LspDocument, PositionsAndOffsetsInBothEncodingsOverEveryLineEnd) {
    const Document document(u"a\U0001F600\u0628\r\n\u062C\r\r\n\u062F", 1, "plaintext");
    // Offsets: a 0, 😀 1-2, ب 3, CR 4, LF 5, ج 6, CR 7, CR 8, LF 9, د 10.
    const std::vector<std::tuple<std::size_t, Position, Position>> expected = {
        {0, {0, 0}, {0, 0}}, {1, {0, 1}, {0, 1}},  {3, {0, 3}, {0, 5}},
        {4, {0, 4}, {0, 7}}, {6, {1, 0}, {1, 0}},  {7, {1, 1}, {1, 2}},
        {8, {2, 0}, {2, 0}}, {10, {3, 0}, {3, 0}}, {11, {3, 1}, {3, 2}},
    };
    for (const auto& [offset, utf16, utf8] : expected) {
        EXPECT_EQ(at(document, offset, Encoding::Utf16), std::make_pair(utf16.line, utf16.character))
            << offset;
        EXPECT_EQ(at(document, offset, Encoding::Utf8), std::make_pair(utf8.line, utf8.character)) << offset;
        EXPECT_EQ(document.offsetOf(utf16, Encoding::Utf16), offset) << offset;
        EXPECT_EQ(document.offsetOf(utf8, Encoding::Utf8), offset) << offset;
    }
    // Past a line's end: its end, never the next line; past the last line: the end.
    EXPECT_EQ(document.offsetOf({0, 99}, Encoding::Utf16), 4u);
    EXPECT_EQ(document.offsetOf({2, 5}, Encoding::Utf8), 8u);
    EXPECT_EQ(document.offsetOf({9, 0}, Encoding::Utf16), 11u);
    // Inside a character: its start (half the emoji, two of its four bytes).
    EXPECT_EQ(document.offsetOf({0, 2}, Encoding::Utf16), 1u);
    EXPECT_EQ(document.offsetOf({0, 3}, Encoding::Utf8), 1u);
    EXPECT_EQ(document.offsetOf({0, 6}, Encoding::Utf8), 3u);
}

TEST(LspDocument, EditsJoinAndSplitLines) {
    Document document(TEXT, 1, "markdown");
    // Joining the CR LF away, then splitting with a lone CR.
    document.replace(4, 6, u" ");
    EXPECT_EQ(document.text(), u"a\U0001F600\u0628 \u062C\r\n\u062F");
    EXPECT_EQ(at(document, 6, Encoding::Utf8), std::make_pair(std::size_t{0}, std::size_t{10}));
    document.replace(5, 5, u"\r");
    EXPECT_EQ(at(document, 6, Encoding::Utf16), std::make_pair(std::size_t{1}, std::size_t{0}));
    EXPECT_EQ(at(document, 9, Encoding::Utf16), std::make_pair(std::size_t{2}, std::size_t{0}));
    // A CR then an LF typed apart make one line end, not two.
    Document typed(u"x\ry", 1, "plaintext");
    typed.replace(2, 2, u"\n");
    EXPECT_EQ(at(typed, 3, Encoding::Utf16), std::make_pair(std::size_t{1}, std::size_t{0}));
    EXPECT_EQ(typed.offsetOf({0, 5}, Encoding::Utf16), 1u);
    // Out of range: clamped, never past the text.
    typed.replace(99, 120, u"z");
    EXPECT_EQ(typed.text(), u"x\r\nyz");
    typed.setText(u"");
    EXPECT_EQ(typed.offsetOf({3, 3}, Encoding::Utf8), 0u);
    EXPECT_EQ(at(typed, 5, Encoding::Utf8), std::make_pair(std::size_t{0}, std::size_t{0}));
}
