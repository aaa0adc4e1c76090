// SPDX-License-Identifier: MIT
#include "text/wordwalk.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace zabrel {
namespace {

struct Token {
    std::u16string word;
    int32_t wordStart;
    int32_t displayStart;
};

std::vector<Token> tokensOf(const std::u16string& text) {
    WordWalk walk;
    walk.start(text);
    std::vector<Token> tokens;
    while (!walk.atEnd()) {
        std::u16string word = walk.nextWord();
        tokens.push_back({word, walk.getWordStart(), walk.getDisplayStart()});
    }
    return tokens;
}

// Reports the words in `wrong` as misspelt with fixed suggestions, and records every
// word it was asked about.
struct FakeChecker {
    std::vector<std::u16string> wrong;
    std::vector<std::u16string> asked;

    WordWalk::Checker function() {
        return [this](std::u16string word, std::vector<std::u16string>& suggestions) {
            asked.push_back(word);
            suggestions.clear();
            for (const auto& w : wrong) {
                if (w == word) {
                    suggestions = {word + u"\u0627", word + u"\u0628"};
                    return true;
                }
            }
            return false;
        };
    }
};

TEST(wordwalk_test, line_break_counts_two_in_snapshot_and_one_on_screen) {
    // W1 (3 units), space, W2 (4 units), CR LF, W3 (2 units): 12 units.
    const std::u16string text = u"\u06A9\u062A\u0628 \u062F\u0648\u0633\u062A\r\n\u06C1\u06D2";
    ASSERT_EQ(text.size(), 12u);
    std::vector<Token> tokens = tokensOf(text);
    ASSERT_EQ(tokens.size(), 3u);
    EXPECT_EQ(tokens[0].wordStart, 0);
    EXPECT_EQ(tokens[0].displayStart, 0);
    EXPECT_EQ(tokens[1].wordStart, 4);
    EXPECT_EQ(tokens[1].displayStart, 4);
    EXPECT_EQ(tokens[2].word, u"\u06C1\u06D2");
    EXPECT_EQ(tokens[2].wordStart, 10);
    EXPECT_EQ(tokens[2].displayStart, 9);

    // Two breaks in a row: an empty token between them, and each break is one
    // character on screen.
    tokens = tokensOf(u"\u0627\r\n\r\n\u0628");
    ASSERT_EQ(tokens.size(), 3u);
    EXPECT_EQ(tokens[1].word, u"");
    EXPECT_EQ(tokens[2].word, u"\u0628");
    EXPECT_EQ(tokens[2].wordStart, 5);
    EXPECT_EQ(tokens[2].displayStart, 3);
}

TEST(wordwalk_test, splits_at_the_eleven_delimiters_only) {
    const std::u16string delimiters = u" \t\u060C\u06D4:;\u061B'\u061F\n\r";
    for (char16_t d : delimiters) {
        EXPECT_TRUE(isWordDelimiter(d)) << std::hex << static_cast<int>(d);
        if (d == u'\r')
            continue;  // a CR always comes with its LF in a snapshot
        std::vector<Token> tokens = tokensOf(std::u16string(u"\u0627\u0628") + d + u"\u062A");
        ASSERT_EQ(tokens.size(), 2u) << std::hex << static_cast<int>(d);
        EXPECT_EQ(tokens[1].word, u"\u062A");
    }
    // These stay inside the token: the engine's alphabet filter deals with them.
    const std::u16string kept = u",.?!-\"()[]0123456789\u200C\u00A0\u06F1\u2018";
    for (char16_t k : kept) {
        EXPECT_FALSE(isWordDelimiter(k)) << std::hex << static_cast<int>(k);
        std::u16string word = std::u16string(u"\u0627") + k + u"\u0628";
        std::vector<Token> tokens = tokensOf(word);
        ASSERT_EQ(tokens.size(), 1u);
        EXPECT_EQ(tokens[0].word, word);
    }
}

TEST(wordwalk_test, pass_pauses_on_each_misspelt_word_and_skips_empty_tokens) {
    FakeChecker checker;
    checker.wrong = {u"\u0628\u0628"};
    WordWalk walk;
    // An Arabic comma followed by a space makes an empty token, which must not reach
    // the checker; the misspelt word comes twice and is reported twice.
    walk.start(u"\u0627\u060C \u0628\u0628 \u062A \u0628\u0628");
    int32_t tokens = 0;
    ASSERT_TRUE(walk.findMisspelt(checker.function(), [&] { ++tokens; }));
    EXPECT_TRUE(walk.isPaused());
    EXPECT_EQ(walk.getCurrentWord(), u"\u0628\u0628");
    EXPECT_EQ(walk.getDisplayStart(), 3);
    EXPECT_EQ(walk.getWordLength(), 2);
    EXPECT_EQ(walk.getSuggestions().size(), 2u);
    EXPECT_EQ(tokens, 3);

    // Still paused: nothing more is taken until the word is dealt with.
    EXPECT_TRUE(walk.findMisspelt(checker.function()));
    EXPECT_EQ(checker.asked.size(), 2u);

    walk.leave();
    ASSERT_TRUE(walk.findMisspelt(checker.function()));
    EXPECT_EQ(walk.getDisplayStart(), 8);

    walk.leave();
    EXPECT_FALSE(walk.findMisspelt(checker.function()));
    EXPECT_TRUE(walk.atEnd());
    EXPECT_FALSE(walk.isPaused());
    const std::vector<std::u16string> asked{u"\u0627", u"\u0628\u0628", u"\u062A", u"\u0628\u0628"};
    EXPECT_EQ(checker.asked, asked);
}

TEST(wordwalk_test, replacement_shifts_later_display_positions_only) {
    FakeChecker checker;
    checker.wrong = {u"\u0627\u0627\u0627\u0627", u"\u0628\u0628"};
    WordWalk walk;
    walk.start(u"\u0627\u0627\u0627\u0627 \u062A\r\n\u0628\u0628");
    ASSERT_TRUE(walk.findMisspelt(checker.function()));
    EXPECT_EQ(walk.getDisplayStart(), 0);
    walk.replaced(6);  // a 4-unit word became a 6-unit one
    walk.leave();
    ASSERT_TRUE(walk.findMisspelt(checker.function()));
    // Unchanged text: 4 + space + 1 + one break = 7; two more after the replacement.
    EXPECT_EQ(walk.getDisplayStart(), 9);
    EXPECT_EQ(walk.getWordStart(), 8);  // the snapshot is not touched
}

TEST(wordwalk_test, empty_or_delimiter_only_text_ends_without_asking) {
    FakeChecker checker;
    WordWalk walk;
    for (const std::u16string text : {u"", u" \u060C\u06D4\r\n\t"}) {
        walk.start(text);
        EXPECT_FALSE(walk.findMisspelt(checker.function()));
        EXPECT_TRUE(walk.atEnd());
    }
    EXPECT_TRUE(checker.asked.empty());
}

TEST(wordwalk_test, checker_failure_leaves_the_walk_ready_for_a_new_pass) {
    WordWalk walk;
    walk.start(u"\u0627 \u0628");
    auto failing = [](std::u16string, std::vector<std::u16string>&) -> bool {
        throw std::runtime_error("disk gone");
    };
    EXPECT_THROW(walk.findMisspelt(failing), std::runtime_error);
    EXPECT_FALSE(walk.isPaused());

    FakeChecker checker;
    checker.wrong = {u"\u0627"};
    walk.start(u"\u0627 \u0628");
    EXPECT_TRUE(walk.findMisspelt(checker.function()));
    EXPECT_EQ(walk.getDisplayStart(), 0);
}

}  // namespace
}  // namespace zabrel
