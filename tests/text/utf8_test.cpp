// SPDX-License-Identifier: MIT
#include "text/utf8.h"

#include <gtest/gtest.h>

namespace zabrel {
namespace {

TEST(utf8_test, decodes_every_sequence_length_and_astral_characters_to_pairs) {
    std::u16string out;
    std::size_t bad = 99;
    ASSERT_TRUE(utf8ToUtf16("a\xC2\xA9\xD8\xB3\xE2\x82\xAC\xF0\x9F\x98\x80", out, bad));
    EXPECT_EQ(out, u"a\u00A9\u0633\u20AC\U0001F600");
    ASSERT_EQ(out.size(), 6u);
    EXPECT_EQ(out[4], 0xD83D);
    EXPECT_EQ(out[5], 0xDE00);

    // The extremes that are still allowed.
    ASSERT_TRUE(utf8ToUtf16(std::string("\x00\x7F\xC2\x80\xEF\xBF\xBF\xF4\x8F\xBF\xBF", 11), out, bad));
    EXPECT_EQ(out, (std::u16string{0x0000, 0x007F, 0x0080, 0xFFFF, 0xDBFF, 0xDFFF}));

    ASSERT_TRUE(utf8ToUtf16("", out, bad));
    EXPECT_TRUE(out.empty());
}

TEST(utf8_test, refuses_malformed_sequences_and_says_where) {
    struct Case {
        const char* what;
        std::string bytes;
        std::size_t offset;
    };
    const Case cases[] = {
        {"stray continuation byte", "ab\x80", 2},
        {"overlong two-byte slash", "\xC0\xAF", 0},
        {"overlong two-byte C1", "x\xC1\xBF", 1},
        {"overlong three-byte", "\xE0\x80\xAF", 0},
        {"overlong four-byte", "\xF0\x8F\xBF\xBF", 0},
        {"encoded high surrogate", "\xED\xA0\x80", 0},
        {"encoded low surrogate", "\xD8\xB3\xED\xBF\xBF", 2},
        {"above U+10FFFF", "\xF4\x90\x80\x80", 0},
        {"five-byte lead", "\xF8\x88\x80\x80\x80", 0},
        {"FE and FF", "\xFE\xFF", 0},
        {"truncated at the end", "\xD8\xB3\xD8", 2},
        {"truncated three-byte", "\xE2\x82", 0},
        {"continuation missing mid-line", "\xE2\x82 a", 0},
    };
    for (const Case& c : cases) {
        std::u16string out;
        std::size_t bad = 99;
        EXPECT_FALSE(utf8ToUtf16(c.bytes, out, bad)) << c.what;
        EXPECT_EQ(bad, c.offset) << c.what;
    }
}

TEST(utf8_test, encodes_back_and_replaces_lone_surrogates) {
    const std::string text = "\xD8\xB3\xD8\xAE\xD8\xAA \xF0\x9F\x98\x80 \xEF\xBF\xBF\x7F";
    std::u16string wide;
    std::size_t bad = 0;
    ASSERT_TRUE(utf8ToUtf16(text, wide, bad));
    EXPECT_EQ(utf16ToUtf8(wide), text);

    EXPECT_EQ(utf16ToUtf8(std::u16string{u'a', 0xD800, u'b'}),
              "a\xEF\xBF\xBD"
              "b");
    EXPECT_EQ(utf16ToUtf8(std::u16string{0xDC00, 0xD83D}), "\xEF\xBF\xBD\xEF\xBF\xBD");
}

TEST(utf8_test, counts_characters_and_bytes_as_the_conversions_make_them) {
    // ASCII, two- and three-byte letters, an astral pair, lone surrogates at either end.
    const std::u16string text{u'a', 0x0633, 0x200C, 0xD83D, 0xDE00, 0xDC00, u' ', 0xD800};
    EXPECT_EQ(codePoints(text), 7u);
    EXPECT_EQ(utf8Length(text), utf16ToUtf8(text).size());
    EXPECT_EQ(utf8Length(text), 1u + 2 + 3 + 4 + 3 + 1 + 3);
    // A pair cut in two is two lone surrogates, each a character of its own.
    const std::u16string_view halves(text);
    EXPECT_EQ(codePoints(halves.substr(0, 4)) + codePoints(halves.substr(4)), 8u);
    EXPECT_EQ(utf8Length(halves.substr(0, 4)), utf16ToUtf8(halves.substr(0, 4)).size());
    EXPECT_EQ(codePoints(u""), 0u);
    EXPECT_EQ(utf8Length(u""), 0u);
}

}  // namespace
}  // namespace zabrel
