// SPDX-License-Identifier: MIT
#include "text/wordwalk.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

namespace zabrel {
namespace {

// Arabic letters only: brackets, ASCII punctuation and quotes are not.
bool arabicLetter(char16_t unit) {
    return unit >= 0x0621 && unit <= 0x06D3;
}

struct Stop {
    std::u16string word;
    int32_t highlight;
    bool operator==(const Stop&) const = default;
};

// Where a pass that finds every word misspelt stops, and what it highlights there.
std::vector<Stop> stopsIn(const std::u16string& text, const WordLetters* letters = nullptr) {
    WordWalk walk;
    walk.setLetters(letters);
    walk.start(text);
    std::vector<Stop> stops;
    const auto everything = [](std::u16string, std::vector<std::u16string>&) { return true; };
    while (walk.findMisspelt(everything)) {
        stops.push_back({walk.getCurrentWord(), walk.getHighlightStart()});
        walk.leave();
    }
    return stops;
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
    EXPECT_EQ(stopsIn(text),
              (std::vector<Stop>{
                  {u"\u06A9\u062A\u0628", 0}, {u"\u062F\u0648\u0633\u062A", 4}, {u"\u06C1\u06D2", 9}}));
    // Two breaks in a row: an empty token between them, and each break is one
    // character on screen.
    EXPECT_EQ(stopsIn(u"\u0627\r\n\r\n\u0628"), (std::vector<Stop>{{u"\u0627", 0}, {u"\u0628", 3}}));
}

TEST(wordwalk_test, tokens_end_at_the_eleven_delimiters_and_words_inside_them_are_cut_apart) {
    const WordLetters letters(arabicLetter);
    const std::u16string delimiters = u" \t\u060C\u06D4:;\u061B'\u061F\n\r";
    for (char16_t d : delimiters) {
        EXPECT_TRUE(isWordDelimiter(d)) << std::hex << static_cast<int>(d);
        if (d == u'\r')
            continue;  // a CR always comes with its LF in a snapshot
        EXPECT_EQ(stopsIn(std::u16string(u"\u0627\u0628") + d + u"\u062A").size(), 2u)
            << std::hex << static_cast<int>(d);
    }
    // These stay inside the token; the cutter takes the words out of it and leaves
    // them be, so a change never takes a hyphen or ZWNJ with it.
    const std::u16string kept = u",.?!-\"()[]0123456789\u200C\u00A0\u06F1\u2018/";
    for (char16_t k : kept) {
        EXPECT_FALSE(isWordDelimiter(k)) << std::hex << static_cast<int>(k);
        const std::u16string token = std::u16string(u"\u0627") + k + u"\u0628";
        EXPECT_EQ(stopsIn(token), (std::vector<Stop>{{token, 0}}));
        EXPECT_EQ(stopsIn(token, &letters), (std::vector<Stop>{{u"\u0627", 0}, {u"\u0628", 2}}))
            << std::hex << static_cast<int>(k);
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
    EXPECT_EQ(walk.getHighlightStart(), 3);
    EXPECT_EQ(walk.getWordLength(), 2);
    EXPECT_EQ(walk.getSuggestions().size(), 2u);
    EXPECT_EQ(tokens, 3);

    // Still paused: nothing more is taken until the word is dealt with.
    EXPECT_TRUE(walk.findMisspelt(checker.function()));
    EXPECT_EQ(checker.asked.size(), 2u);

    walk.leave();
    ASSERT_TRUE(walk.findMisspelt(checker.function()));
    EXPECT_EQ(walk.getHighlightStart(), 8);

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
    EXPECT_EQ(walk.getHighlightStart(), 0);
    walk.replaced(6);  // a 4-unit word became a 6-unit one
    walk.leave();
    ASSERT_TRUE(walk.findMisspelt(checker.function()));
    // Unchanged text: 4 + space + 1 + one break = 7; two more after the replacement.
    EXPECT_EQ(walk.getHighlightStart(), 9);
}

TEST(wordwalk_test, a_widened_pause_covers_both_pieces_and_the_walk_goes_on_after_them) {
    const WordLetters letters(arabicLetter);
    FakeChecker checker;
    checker.wrong = {u"\u0628", u"\u062C"};
    WordWalk walk;
    walk.setLetters(&letters);
    // ا ب‌پ ت د ج ث, a break, ب: ب pauses and takes ‌پ ت after it (its token's rest,
    // then past the blank); ج pauses and takes the د before it.
    walk.start(u"\u0627 \u0628\u200C\u067E \u062A \u062F \u062C \u062B\r\n\u0628");
    ASSERT_TRUE(walk.findMisspelt(checker.function()));
    walk.widen(0, 4);
    EXPECT_TRUE(walk.isWidened());
    EXPECT_EQ(walk.getHighlightStart(), 2);
    EXPECT_EQ(walk.getWordLength(), 5);
    walk.replaced(2);
    walk.leave();
    EXPECT_FALSE(walk.isWidened());
    // پ and ت were passed over, and later positions moved back by three.
    ASSERT_TRUE(walk.findMisspelt(checker.function()));
    EXPECT_EQ(walk.getCurrentWord(), u"\u062C");
    EXPECT_EQ(walk.getHighlightStart(), 7);
    EXPECT_EQ(checker.asked, (std::vector<std::u16string>{u"\u0627", u"\u0628", u"\u062F", u"\u062C"}));
    walk.widen(2, 0);
    EXPECT_EQ(walk.getHighlightStart(), 5);
    EXPECT_EQ(walk.getWordLength(), 3);
    walk.replaced(1);
    walk.ignoreAll();
    // Ignore All keys on the word the pass stopped at, not on the span.
    EXPECT_TRUE(walk.session().isIgnored(u"\u062C"));
    ASSERT_TRUE(walk.findMisspelt(checker.function()));
    EXPECT_EQ(walk.getHighlightStart(), 9);  // 15 units, less one for the break, less 3 and 2
    EXPECT_EQ(walk.getWordsChecked(), 8);
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
    EXPECT_EQ(walk.getHighlightStart(), 0);
}

TEST(wordwalk_test, only_the_words_are_checked_highlighted_and_replaced_and_the_rest_stays) {
    FakeChecker checker;
    const std::u16string ab = u"\u0627\u0628", tth = u"\u062A\u062B", bb = u"\u0628\u0628";
    checker.wrong = {ab, tth, bb};
    const WordLetters letters(arabicLetter);
    WordWalk walk;
    walk.setLetters(&letters);
    // Brackets, quotes and stops around words; two words joined by a hyphen.
    walk.start(u"\u0627 (" + ab + u") \"" + tth + u". " + bb + u"-" + ab + u", ?!");
    ASSERT_TRUE(walk.findMisspelt(checker.function()));
    EXPECT_EQ(walk.getCurrentWord(), ab);
    EXPECT_EQ(walk.getHighlightStart(), 3);
    EXPECT_EQ(walk.getWordLength(), 2);

    // Replacing the two letters by three shifts what follows by one.
    walk.replaced(3);
    walk.leave();
    ASSERT_TRUE(walk.findMisspelt(checker.function()));
    EXPECT_EQ(walk.getCurrentWord(), tth);
    EXPECT_EQ(walk.getHighlightStart(), 9);
    walk.leave();
    ASSERT_TRUE(walk.findMisspelt(checker.function()));
    EXPECT_EQ(walk.getCurrentWord(), bb);
    EXPECT_EQ(walk.getHighlightStart(), 13);
    // A longer word in place of the first of two: the second, after the hyphen, moves.
    walk.replaced(4);
    walk.leave();
    ASSERT_TRUE(walk.findMisspelt(checker.function()));
    EXPECT_EQ(walk.getCurrentWord(), ab);
    EXPECT_EQ(walk.getHighlightStart(), 18);
    walk.leave();
    // "?!" holds no word: nothing is asked.
    EXPECT_FALSE(walk.findMisspelt(checker.function()));
    EXPECT_EQ(checker.asked, (std::vector<std::u16string>{u"\u0627", ab, tth, bb, ab}));
    EXPECT_EQ(walk.getWordsChecked(), 5);
    EXPECT_EQ(walk.getStopCount(), 4);
}

TEST(wordwalk_test, session_lists_ignore_and_change_later_words_across_passes) {
    FakeChecker checker;
    const std::u16string ab = u"\u0627\u0628", tth = u"\u062A\u062B", jj = u"\u062C\u062C";
    checker.wrong = {ab, tth, u"(" + tth + u")", jj};
    const WordLetters letters(arabicLetter);
    WordWalk walk;
    walk.setLetters(&letters);
    struct Replacement {
        int32_t start, length;
        std::u16string text;
    };
    std::vector<Replacement> replacements;
    auto replace = [&](int32_t start, int32_t length, const std::u16string& text) {
        replacements.push_back({start, length, text});
    };

    const std::u16string text = ab + u" " + tth + u" " + ab + u" (" + tth + u") " + jj + u"\r\n" + ab;
    walk.start(text);
    ASSERT_TRUE(walk.findMisspelt(checker.function(), {}, replace));
    EXPECT_EQ(walk.getCurrentWord(), ab);
    walk.ignoreAll();
    ASSERT_TRUE(walk.findMisspelt(checker.function(), {}, replace));
    EXPECT_EQ(walk.getCurrentWord(), tth);
    EXPECT_EQ(walk.getHighlightStart(), 3);
    // Change All to a word one unit longer: this occurrence by the caller, the later
    // bracketed one by the walk, inside the brackets and shifted by the first change.
    const std::u16string longer = u"\u062A\u062B\u062B";
    walk.changeAll(longer);
    walk.replaced(3);
    walk.leave();
    ASSERT_TRUE(walk.findMisspelt(checker.function(), {}, replace));
    EXPECT_EQ(walk.getCurrentWord(), jj);
    ASSERT_EQ(replacements.size(), 1u);
    EXPECT_EQ(replacements[0].start, 11);
    EXPECT_EQ(replacements[0].length, 2);
    EXPECT_EQ(replacements[0].text, longer);
    EXPECT_EQ(walk.getHighlightStart(), 16);
    // The walk never asked the engine about the ignored or changed words again.
    EXPECT_EQ(std::count(checker.asked.begin(), checker.asked.end(), ab), 1);
    EXPECT_EQ(walk.getStopCount(), 3);
    EXPECT_EQ(walk.getMisspeltCount(), 5);
    EXPECT_EQ(walk.getWordsChecked(), 5);

    // Stop ends the pass at once; the last word is not taken.
    walk.stop();
    EXPECT_FALSE(walk.isPaused());
    EXPECT_TRUE(walk.atEnd());
    EXPECT_FALSE(walk.findMisspelt(checker.function(), {}, replace));
    EXPECT_EQ(walk.getWordsChecked(), 5);

    // The lists outlive the pass; the counters do not.
    walk.start(tth + u" " + ab);
    EXPECT_FALSE(walk.findMisspelt(checker.function(), {}, replace));
    ASSERT_EQ(replacements.size(), 2u);
    EXPECT_EQ(replacements[1].start, 0);
    EXPECT_EQ(walk.getStopCount(), 0);
    EXPECT_EQ(walk.getMisspeltCount(), 2);
}

TEST(wordwalk_test, session_words_keep_one_decision_per_word) {
    SessionWords words;
    EXPECT_TRUE(words.empty());
    words.ignoreAll(u"\u0627\u0628");
    EXPECT_TRUE(words.isIgnored(u"\u0627\u0628"));
    EXPECT_FALSE(words.isIgnored(u"\u0627"));
    // A later decision about the same word replaces the earlier one.
    words.changeAll(u"\u0627\u0628", u"\u0627\u0628\u062A");
    EXPECT_FALSE(words.isIgnored(u"\u0627\u0628"));
    ASSERT_NE(words.replacementFor(u"\u0627\u0628"), nullptr);
    EXPECT_EQ(*words.replacementFor(u"\u0627\u0628"), u"\u0627\u0628\u062A");
    words.ignoreAll(u"\u0627\u0628");
    EXPECT_EQ(words.replacementFor(u"\u0627\u0628"), nullptr);
    // Changing a word into itself would loop on nothing: it is ignored instead.
    words.changeAll(u"\u062A", u"\u062A");
    EXPECT_TRUE(words.isIgnored(u"\u062A"));
    EXPECT_EQ(words.replacementFor(u"\u062A"), nullptr);
    words.ignoreAll(u"");
    words.clear();
    EXPECT_TRUE(words.empty());
}

}  // namespace
}  // namespace zabrel
