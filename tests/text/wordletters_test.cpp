// SPDX-License-Identifier: MIT
#include "text/wordletters.h"

#include <gtest/gtest.h>

#include "cli/fakechecker.h"

namespace zabrel {
namespace {

struct Cut {
    std::u16string word;
    std::size_t column;
    bool foreign = false;
    bool operator==(const Cut&) const = default;
};

std::vector<Cut> cut(std::u16string_view line) {
    static const WordLetters letters = zabrel::test::FakeChecker::letters();
    std::vector<LineWord> words;
    cutLine(line, letters, words);
    std::vector<Cut> result;
    for (const LineWord& w : words)
        result.push_back({std::u16string(line.substr(w.start, w.length)), w.column, w.foreign});
    return result;
}

TEST(wordletters_test, words_are_letters_and_inner_marks_and_everything_else_separates) {
    EXPECT_EQ(cut(u"سخت بازار"), (std::vector<Cut>{{u"سخت", 0}, {u"بازار", 4}}));
    // Brackets, quotes, ASCII and Urdu punctuation, digits of both kinds, hyphens,
    // slashes and NBSP: the word is what is between them, its column its own.
    EXPECT_EQ(cut(u"(بزار) \"صخت\"، «ہوا» 12سخت-بزار/شہر!؟ ۳۴ب\u00A0پ.ت,ث"), (std::vector<Cut>{{u"بزار", 1},
                                                                                               {u"صخت", 8},
                                                                                               {u"ہوا", 15},
                                                                                               {u"سخت", 22},
                                                                                               {u"بزار", 26},
                                                                                               {u"شہر", 31},
                                                                                               {u"ب", 39},
                                                                                               {u"پ", 41},
                                                                                               {u"ت", 43},
                                                                                               {u"ث", 45}}));
    // Diacritics, superscript alef, tatweel and ZWJ stay inside; ZWNJ separates the
    // parts of a compound; a ZWJ at the edge and a lone mark make no word.
    EXPECT_EQ(cut(u"کتاب\u200Cخانہ بَزار سخـت ا\u0670 \u200Dشہر\u200D \u064E \u0640"),
              (std::vector<Cut>{
                  {u"کتاب", 0}, {u"خانہ", 5}, {u"بَزار", 10}, {u"سخـت", 16}, {u"ا\u0670", 21}, {u"شہر", 25}}));
    // Numbers are no words; Latin text and letters the alphabet lacks (presentation
    // forms) are runs of foreign letters, kept apart from Urdu words. The Arabic forms
    // of Urdu letters (here kaf) stay in the word they were typed in.
    EXPECT_TRUE(cut(u"123 ١٢٣ ۴۵،۶").empty());
    EXPECT_EQ(cut(u"abc x-y Éé سختك ﻻ"), (std::vector<Cut>{{u"abc", 0, true},
                                                           {u"x", 4, true},
                                                           {u"y", 6, true},
                                                           {u"Éé", 8, true},
                                                           {u"سختك", 11},
                                                           {u"ﻻ", 16, true}}));
}

TEST(wordletters_test, counts_columns_in_characters) {
    EXPECT_TRUE(cut(u"").empty());
    EXPECT_TRUE(cut(u" ،  ۔\r").empty());
    EXPECT_EQ(cut(u"،  سخت  "), (std::vector<Cut>{{u"سخت", 3}}));
    // An astral character is two units but one column, and never part of a word.
    EXPECT_EQ(cut(u"\U0001F600\U0001F600 سخت \U0001F600ب"), (std::vector<Cut>{{u"سخت", 3}, {u"ب", 8}}));
    // A lone surrogate is a character of its own.
    EXPECT_EQ(cut(std::u16string{0xDC00, 0xDC00, u' ', u'ب'}), (std::vector<Cut>{{u"ب", 3}}));
}

}  // namespace
}  // namespace zabrel
