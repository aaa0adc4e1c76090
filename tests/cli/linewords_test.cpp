// SPDX-License-Identifier: MIT
#include "cli/linewords.h"

#include <gtest/gtest.h>

namespace zabrel::cli {
namespace {

struct Cut {
    std::u16string word;
    std::size_t column;
    bool operator==(const Cut&) const = default;
};

std::vector<Cut> cut(std::u16string_view line) {
    std::vector<LineWord> words;
    cutLine(line, words);
    std::vector<Cut> result;
    for (const LineWord& w : words)
        result.push_back({std::u16string(line.substr(w.start, w.length)), w.column});
    return result;
}

TEST(linewords_test, cuts_at_the_eleven_delimiters_only) {
    EXPECT_EQ(cut(u"سخت بازار"), (std::vector<Cut>{{u"سخت", 0}, {u"بازار", 4}}));
    // Arabic comma, full stop, semicolon and question mark, colon, semicolon,
    // apostrophe, tab, CR, LF: all separate.
    EXPECT_EQ(cut(u"ا،ب۔پ؛ت؟ٹ:ث;ج'چ\tح\rخ\nد"), (std::vector<Cut>{{u"ا", 0},
                                                                  {u"ب", 2},
                                                                  {u"پ", 4},
                                                                  {u"ت", 6},
                                                                  {u"ٹ", 8},
                                                                  {u"ث", 10},
                                                                  {u"ج", 12},
                                                                  {u"چ", 14},
                                                                  {u"ح", 16},
                                                                  {u"خ", 18},
                                                                  {u"د", 20}}));
    // ASCII punctuation, digits, brackets, quotes and hyphens stay inside the word.
    EXPECT_EQ(cut(u"(سخت), 12-ب\"!?."), (std::vector<Cut>{{u"(سخت),", 0}, {u"12-ب\"!?.", 7}}));
}

TEST(linewords_test, drops_empty_tokens_and_counts_columns_in_characters) {
    EXPECT_TRUE(cut(u"").empty());
    EXPECT_TRUE(cut(u" ،  ۔\r").empty());
    EXPECT_EQ(cut(u"،  سخت  "), (std::vector<Cut>{{u"سخت", 3}}));
    // An astral character is two units but one column.
    EXPECT_EQ(cut(u"\U0001F600\U0001F600 سخت \U0001F600ب"),
              (std::vector<Cut>{{u"\U0001F600\U0001F600", 0}, {u"سخت", 3}, {u"\U0001F600ب", 7}}));
    // A lone low surrogate is a character of its own.
    EXPECT_EQ(cut(std::u16string{0xDC00, 0xDC00, u' ', u'a'}),
              (std::vector<Cut>{{std::u16string{0xDC00, 0xDC00}, 0}, {u"a", 3}}));
}

}  // namespace
}  // namespace zabrel::cli
