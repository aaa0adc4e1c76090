// SPDX-License-Identifier: MIT
// The checking pass end to end, over a small dictionary and a context model of a few
// word pairs written into a temporary folder: the spans it stops at, where they stand
// in each kind of position, and what Leave, Change, Change All, Ignore All, Add and
// Stop do to the rest of the pass, to later passes and to the personal list.
#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "cli/testdictionary.h"
#include "session/spellersession.h"
#include "support/dictionary.h"
#include "support/testsupport.h"
#include "text/utf8.h"

namespace zabrel::test {
namespace {

namespace fs = std::filesystem;

const std::u16string BAZAR = u"بازار";
const std::u16string BZAR = u"بزار";     // misspelt: بازار by its letters, ہزار after سخت
const std::u16string KITABB = u"کتابب";  // misspelt: کتاب
const std::u16string EMOJI = u"\U0001F600";

struct Seen {
    Span::Kind kind;
    std::size_t start;
    std::size_t length;
    std::u16string word;
    std::u16string first;  // the first suggestion
    bool operator==(const Seen&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Seen& seen) {
    return out << "{kind " << static_cast<int>(seen.kind) << ", " << seen.start << "+" << seen.length << ", "
               << utf16ToUtf8(seen.word) << " -> " << utf16ToUtf8(seen.first) << "}";
}

Seen seen(const Span& span) {
    return {span.kind, span.start, span.length, span.word,
            span.suggestions.empty() ? std::u16string() : span.suggestions.front()};
}

// Every span of a pass that leaves them all.
std::vector<Seen> spansOf(const SpellerSession& speller, std::u16string_view text, PassOptions options = {}) {
    std::vector<Seen> found;
    for (CheckPass pass = speller.pass(text, options); pass.next();)
        found.push_back(seen(pass.span()));
    return found;
}

class Pass : public ::testing::Test {
protected:
    void SetUp() override {
        folder = dir.path() / "dict";
        fs::create_directories(folder);
        std::vector<ListedWord> words = sampleWords();
        words.insert(words.end(), {{u"بڑی", 90}, {u"بڑے", 90}, {u"بڑےشہر", 2}, {u"کتابیں", 3}});
        makeDictionary(folder, words);
        // Running text writes سخت ہزار and بڑے شہر.
        writeContextModel(folder.string(), {{u"سخت", u"ہزار"}, {u"بڑے", u"شہر"}});
        ASSERT_TRUE(speller.open(folder));
        speller.usePersonalList(dir.path() / "personal.txt");
        speller.setRanking(Ranking::Accurate);
    }

    TempDir dir;
    fs::path folder;
    SpellerSession speller;
};

TEST_F(Pass, spans_stand_where_the_caller_counts_in_units_bytes_and_code_points) {
    // A character outside the BMP before the first word, CR LF line ends, a line of
    // its own that ends the text without a line end. The context ranks the second
    // بزار by its neighbour: a line end cuts the first one off from سخت.
    speller.setContext(true);
    const std::u16string text =
        EMOJI + u" سخت\r\n" + BZAR + u" کتاب\r\n\r\nسخت " + BZAR + u"، " + EMOJI + KITABB;
    const std::vector<Seen> units = spansOf(speller, text);
    ASSERT_EQ(units, (std::vector<Seen>{{Span::Kind::Misspelt, 8, 4, BZAR, BAZAR},
                                        {Span::Kind::Misspelt, 25, 4, BZAR, u"ہزار"},
                                        {Span::Kind::Misspelt, 33, 5, KITABB, u"کتاب"}}));
    // The same spans in the other units: the emoji is one code point and four bytes,
    // each Urdu letter two bytes, CR LF two of everything.
    EXPECT_EQ(spansOf(speller, text, {Positions::CodePoints}),
              (std::vector<Seen>{{Span::Kind::Misspelt, 7, 4, BZAR, BAZAR},
                                 {Span::Kind::Misspelt, 24, 4, BZAR, u"ہزار"},
                                 {Span::Kind::Misspelt, 31, 5, KITABB, u"کتاب"}}));
    const std::string bytes = utf16ToUtf8(text);
    const std::vector<Seen> inBytes = spansOf(speller, text, {Positions::Utf8Bytes});
    ASSERT_EQ(inBytes.size(), 3u);
    for (const Seen& span : inBytes)
        EXPECT_EQ(bytes.substr(span.start, span.length), utf16ToUtf8(span.word)) << span;
    EXPECT_EQ(inBytes[0].start, 13u);
    // Read in place, as the report and the library read, the spans are the same; a
    // change is refused, since the pass would no longer read what the caller has.
    for (const Positions positions : {Positions::Utf16Units, Positions::Utf8Bytes, Positions::CodePoints})
        EXPECT_EQ(spansOf(speller, text, {.positions = positions, .inPlace = true}),
                  spansOf(speller, text, {.positions = positions}));
    CheckPass inPlace = speller.pass(text, {.inPlace = true});
    ASSERT_TRUE(inPlace.next());
    EXPECT_THROW(inPlace.change(BAZAR), std::logic_error);
    EXPECT_THROW(inPlace.changeAll(BAZAR), std::logic_error);
    EXPECT_TRUE(inPlace.paused());
    // A lone surrogate counts as the U+FFFD it becomes: one code point, three bytes.
    const std::u16string lone = std::u16string(1, u'\xD83D') + u" " + BZAR;
    EXPECT_EQ(spansOf(speller, lone, {Positions::Utf8Bytes}).at(0).start, 4u);
    EXPECT_EQ(spansOf(speller, lone, {Positions::CodePoints}).at(0).start, 2u);
    // The forms of old are the pass's: every span, in units.
    std::vector<TextSpan> old;
    speller.checkText(text, old);
    ASSERT_EQ(old.size(), units.size());
    EXPECT_EQ(seen(old[1]), units[1]);
}

TEST_F(Pass, changes_move_later_spans_and_decided_words_come_back_without_a_stop) {
    std::u16string text = BZAR + u" " + KITABB + u" سخت-" + BZAR + u"\n" + KITABB + u" (" + BZAR + u")";
    CheckPass pass = speller.pass(text);
    const auto replace = [&](const std::u16string& with) {
        const Span& span = pass.span();
        text.replace(span.start, span.length, with);
    };
    // Change All: this one by the caller, the later ones come back decided.
    ASSERT_TRUE(pass.next());
    EXPECT_EQ(pass.span().word, BZAR);
    replace(BAZAR);
    pass.changeAll(BAZAR);
    // Ignore All: the word is passed from now on, and counted as misspelt.
    ASSERT_TRUE(pass.next());
    EXPECT_EQ(seen(pass.span()), (Seen{Span::Kind::Misspelt, 6, 5, KITABB, u"کتاب"}));
    pass.ignoreAll();
    // After the hyphen, one unit later than it was written for the longer word.
    ASSERT_TRUE(pass.next());
    EXPECT_EQ(pass.span().start, 16u);
    ASSERT_EQ(pass.span().decided, BAZAR);
    replace(*pass.span().decided);
    pass.change(*pass.span().decided);
    // Inside the brackets on the next line, behind the ignored word.
    ASSERT_TRUE(pass.next());
    EXPECT_EQ(pass.span().start, 29u);
    ASSERT_EQ(pass.span().decided, BAZAR);
    replace(BAZAR);
    pass.change(BAZAR);
    EXPECT_FALSE(pass.next());
    EXPECT_TRUE(pass.atEnd());
    EXPECT_EQ(text, BAZAR + u" " + KITABB + u" سخت-" + BAZAR + u"\n" + KITABB + u" (" + BAZAR + u")");
    // Six words taken, all of them misspelt, and two stops: the decided and the
    // ignored ones went by without one.
    EXPECT_EQ(pass.wordsChecked(), 6u);
    EXPECT_EQ(pass.misspeltCount(), 5u);
    EXPECT_EQ(pass.stopCount(), 2u);

    // The choices outlive the pass, and a new text forgets them.
    CheckPass again = speller.pass(BZAR + u" " + KITABB);
    ASSERT_TRUE(again.next());
    EXPECT_EQ(again.span().decided, BAZAR);
    again.leave();
    EXPECT_FALSE(again.next());
    EXPECT_EQ(again.misspeltCount(), 2u);
    EXPECT_EQ(again.stopCount(), 0u);
    speller.clearChoices();
    EXPECT_EQ(spansOf(speller, BZAR + u" " + KITABB).size(), 2u);
}

TEST_F(Pass, a_replacement_is_not_checked_again_even_across_a_line_end) {
    std::u16string text = BZAR + u" " + KITABB + u"\n" + BZAR;
    CheckPass pass = speller.pass(text, {Positions::CodePoints});
    ASSERT_TRUE(pass.next());
    // The caller puts a misspelt word and a line end in: neither is stopped at.
    const std::u16string with = KITABB + u" " + BZAR + u"\n" + KITABB;
    pass.change(with);
    ASSERT_TRUE(pass.next());
    EXPECT_EQ(seen(pass.span()), (Seen{Span::Kind::Misspelt, 17, 5, KITABB, u"کتاب"}));
    pass.change(u"کتاب");
    ASSERT_TRUE(pass.next());
    EXPECT_EQ(pass.span().start, 22u);
    EXPECT_EQ(pass.span().word, BZAR);
    pass.leave();
    EXPECT_FALSE(pass.next());
    EXPECT_EQ(pass.wordsChecked(), 3u);
}

TEST_F(Pass, ignore_all_holds_within_the_sessions_bound_and_add_writes_the_personal_list) {
    speller.setContext(true);
    // The context reads the next word's verdict ahead: a word added or ignored still
    // must not stop the pass again two words on.
    const std::u16string text = KITABB + u" " + KITABB + u" سخت " + BZAR + u" " + BZAR;
    CheckPass pass = speller.pass(text);
    ASSERT_TRUE(pass.next());
    EXPECT_TRUE(pass.add());
    ASSERT_TRUE(pass.next());
    EXPECT_EQ(pass.span().word, BZAR);
    EXPECT_EQ(pass.span().start, 16u);
    pass.ignoreAll();
    EXPECT_FALSE(pass.next());
    EXPECT_EQ(pass.stopCount(), 2u);
    const Bytes list = readFile((dir.path() / "personal.txt").string());
    EXPECT_NE(std::string(list.begin(), list.end()).find(utf16ToUtf8(KITABB) + "\n"), std::string::npos);
    // A pass made from a session it may only read cannot decide.
    const SpellerSession& reading = speller;
    CheckPass readOnly = reading.pass(u"کتابی");
    ASSERT_TRUE(readOnly.next());
    EXPECT_THROW(readOnly.ignoreAll(), SessionError);
    EXPECT_THROW(readOnly.add(), SessionError);
    EXPECT_TRUE(readOnly.paused());

    // The session's words are bounded, the pass's Ignore All too: past the bound the
    // word is simply flagged again.
    speller.clearChoices();
    std::size_t held = 0;
    const std::u16string letters = u"ابپتٹثجچحخدڈذرڑزسشصضطظعغفقکگلمنوہیے";
    for (std::size_t n = 0; held + 8 <= SpellerSession::SESSION_UNITS; ++n) {
        std::u16string word;
        for (std::size_t k = n, i = 0; i < 8; ++i, k /= letters.size())
            word += letters[k % letters.size()];
        speller.accept(word);
        held += 8;
    }
    CheckPass bounded = speller.pass(u"کتابی کتابی");
    ASSERT_TRUE(bounded.next());
    bounded.ignoreAll();
    EXPECT_TRUE(bounded.next());
    EXPECT_EQ(bounded.span().start, 6u);
}

TEST_F(Pass, a_failed_add_leaves_the_pass_where_it_was) {
    // The list's place is a folder: the save fails, the word stays accepted here.
    fs::create_directories(dir.path() / "folder.txt");
    try {
        speller.usePersonalList(dir.path() / "folder.txt");
    } catch (const SessionError&) {
        // Said when the list is read, and again when it would be written.
    }
    CheckPass pass = speller.pass(KITABB + u" " + BZAR);
    ASSERT_TRUE(pass.next());
    EXPECT_THROW(pass.add(), SessionError);
    EXPECT_TRUE(pass.paused());
    EXPECT_EQ(pass.span().word, KITABB);
    pass.leave();
    ASSERT_TRUE(pass.next());
    EXPECT_EQ(pass.span().word, BZAR);
}

TEST_F(Pass, broken_words_are_one_span_or_two_as_the_caller_replaces_them) {
    speller.setContext(true);
    // با is no word; with زار after it, it makes بازار.
    const std::u16string text = u"سخت با زار، کتاب\nبا زار";
    EXPECT_EQ(spansOf(speller, text), (std::vector<Seen>{{Span::Kind::Broken, 4, 6, u"با زار", BAZAR},
                                                         {Span::Kind::Broken, 17, 6, u"با زار", BAZAR}}));
    const std::vector<Seen> pieces = spansOf(speller, text, {Positions::Utf16Units, Joins::WordByWord});
    ASSERT_EQ(pieces.size(), 4u);
    EXPECT_EQ(pieces[0].word, u"با");
    EXPECT_EQ(pieces[1].word, u"زار");
    // Widened: the join first, then the piece's own suggestions beside the other one;
    // the words a decision keys on are the piece's.
    CheckPass pass = speller.pass(text, {Positions::Utf16Units, Joins::Widen});
    ASSERT_TRUE(pass.next());
    EXPECT_EQ(seen(pass.span()), (Seen{Span::Kind::Broken, 4, 6, u"با زار", BAZAR}));
    EXPECT_EQ(pass.span().piece, u"با");
    ASSERT_GE(pass.span().suggestions.size(), 2u);
    for (std::size_t i = 1; i < pass.span().suggestions.size(); ++i)
        EXPECT_TRUE(pass.span().suggestions[i].ends_with(u" زار")) << utf16ToUtf8(pass.span().suggestions[i]);
    pass.change(BAZAR);
    // Without the context the widened span stays so, its own suggestions around the
    // other piece still, but with no join to offer.
    ASSERT_TRUE(pass.next());
    EXPECT_EQ(pass.span().start, 16u);
    speller.setContext(false);
    pass.rerank();
    EXPECT_EQ(pass.span().kind, Span::Kind::Broken);
    EXPECT_EQ(pass.span().word, u"با زار");
    for (const std::u16string& suggestion : pass.span().suggestions)
        EXPECT_TRUE(suggestion.ends_with(u" زار")) << utf16ToUtf8(suggestion);
    EXPECT_EQ(pass.wordsChecked(), 6u);
    EXPECT_EQ(pass.stopCount(), 2u);

    // A correct word and a piece that is none: the pass stops at the piece, and its
    // decisions key on it, not on the word before.
    speller.setContext(true);
    CheckPass ending = speller.pass(u"کتاب یں", {Positions::Utf16Units, Joins::Widen});
    ASSERT_TRUE(ending.next());
    EXPECT_EQ(seen(ending.span()), (Seen{Span::Kind::Broken, 0, 7, u"کتاب یں", u"کتابیں"}));
    EXPECT_EQ(ending.span().piece, u"یں");
    CheckPass offered = speller.pass(u"کتاب یں");
    ASSERT_TRUE(offered.next());
    EXPECT_EQ(offered.span().piece, u"یں");
    EXPECT_EQ(offered.span().suggestions, std::vector<std::u16string>{u"کتابیں"});
    ending.ignoreAll();
    EXPECT_FALSE(ending.next());
    EXPECT_EQ(ending.wordsChecked(), 2u);
    EXPECT_EQ(ending.misspeltCount(), 1u);
    EXPECT_EQ(spansOf(speller, u"کتاب کتاب یں"), std::vector<Seen>{});
}

TEST_F(Pass, the_context_reranks_a_paused_word_and_flags_slips_and_run_together_words_when_asked) {
    const std::u16string text = u"سخت " + BZAR + u" بڑی شہر بڑےشہر";
    CheckPass pass = speller.pass(text);
    ASSERT_TRUE(pass.next());
    EXPECT_EQ(pass.span().suggestions.front(), BAZAR);
    speller.setContext(true);
    pass.rerank();
    EXPECT_EQ(pass.span().suggestions, (std::vector<std::u16string>{u"ہزار", BAZAR}));
    EXPECT_FALSE(pass.next());

    // Correct words the neighbours want otherwise, only when asked for.
    speller.setRealWordSlips(true);
    speller.setContextWeights(1, 1, 2);
    speller.setRunTogether(5);
    EXPECT_EQ(spansOf(speller, text),
              (std::vector<Seen>{{Span::Kind::Misspelt, 4, 4, BZAR, u"ہزار"},
                                 {Span::Kind::RealWord, 9, 3, u"بڑی", u"بڑے"},
                                 {Span::Kind::RunTogether, 17, 6, u"بڑےشہر", u"بڑے شہر"}}));
    // A word the session accepts is no slip.
    speller.accept(u"بڑی");
    EXPECT_EQ(spansOf(speller, text).size(), 2u);
}

TEST_F(Pass, stop_ends_the_pass_and_a_failing_engine_ends_it_with_the_users_message) {
    CheckPass pass = speller.pass(BZAR + u" " + KITABB + u" " + BZAR);
    ASSERT_TRUE(pass.next());
    pass.stop();
    EXPECT_FALSE(pass.paused());
    EXPECT_FALSE(pass.next());
    EXPECT_TRUE(pass.atEnd());
    EXPECT_EQ(pass.wordsChecked(), 1u);
    EXPECT_EQ(pass.stopCount(), 1u);

    // An engine that fails: the message a front end shows, and the pass is over.
    SpellerSession failing(
        [](const std::u16string& word, std::vector<std::u16string>&) -> bool {
            if (word == u"ب")
                throw std::runtime_error("disk gone");
            return false;
        },
        WordLetters([](char16_t unit) { return unit >= u'\u0627' && unit <= u'\u06D2'; }));
    CheckPass broken = failing.pass(u"ا ب ت");
    try {
        broken.next();
        FAIL() << "no error";
    } catch (const SessionError& ex) {
        EXPECT_STREQ(ex.what(), "disk gone");
    }
    EXPECT_FALSE(broken.next());
    // A session with no dictionary says so.
    SpellerSession none;
    CheckPass nothing = none.pass(u"کتاب");
    EXPECT_THROW(nothing.next(), SessionError);
}

TEST(PassOverAnswers, only_words_reach_the_engine_and_a_failed_pass_leaves_the_session_ready) {
    // Arabic letters only: brackets, quotes, digits, hyphens and ZWNJ are not.
    std::vector<std::u16string> asked;
    bool failing = false;
    SpellerSession speller(
        [&](const std::u16string& word, std::vector<std::u16string>& suggestions) {
            asked.push_back(word);
            if (failing)
                throw std::runtime_error("disk gone");
            suggestions = {word + u"\u0627"};
            return word.size() == 2;
        },
        WordLetters([](char16_t unit) { return unit >= u'\u0621' && unit <= u'\u06D3'; }));
    // Nothing but separators: the pass ends at once, asking nothing.
    for (const std::u16string text : {u"", u" \u060C\u06D4\r\n\t?! (12) \"-\""}) {
        CheckPass pass = speller.pass(text);
        EXPECT_FALSE(pass.next());
        EXPECT_TRUE(pass.atEnd());
        EXPECT_EQ(pass.wordsChecked(), 0u);
    }
    EXPECT_TRUE(asked.empty());
    // The words in and between the rest; the hyphen and ZWNJ stay between the two
    // words of a token.
    const std::u16string text =
        u"\u0627 (\u0627\u0628) \"\u062A\u062B\". \u0628\u0628-\u0627\u200C\u062C\u062C, ?!";
    CheckPass pass = speller.pass(text);
    std::vector<Seen> stops;
    while (pass.next())
        stops.push_back(seen(pass.span()));
    EXPECT_EQ(stops,
              (std::vector<Seen>{{Span::Kind::Misspelt, 3, 2, u"\u0627\u0628", u"\u0627\u0628\u0627"},
                                 {Span::Kind::Misspelt, 8, 2, u"\u062A\u062B", u"\u062A\u062B\u0627"},
                                 {Span::Kind::Misspelt, 13, 2, u"\u0628\u0628", u"\u0628\u0628\u0627"},
                                 {Span::Kind::Misspelt, 18, 2, u"\u062C\u062C", u"\u062C\u062C\u0627"}}));
    // Each word once: the session remembers the engine's answers.
    EXPECT_EQ(asked, (std::vector<std::u16string>{u"\u0627", u"\u0627\u0628", u"\u062A\u062B",
                                                  u"\u0628\u0628", u"\u062C\u062C"}));
    EXPECT_EQ(pass.wordsChecked(), 6u);
    EXPECT_EQ(pass.misspeltCount(), 4u);
    // A failure ends that pass only.
    failing = true;
    CheckPass broken = speller.pass(u"\u062F\u062F");
    EXPECT_THROW(broken.next(), SessionError);
    EXPECT_FALSE(broken.next());
    failing = false;
    CheckPass again = speller.pass(u"\u062F\u062F");
    ASSERT_TRUE(again.next());
    EXPECT_EQ(again.span().start, 0u);
}

TEST_F(Pass, passes_on_one_session_run_from_many_threads_with_the_answers_of_one) {
    speller.setContext(true);
    const std::u16string text = u"سخت " + BZAR + u" با زار " + KITABB + u"\r\n" + BZAR + u" کتاب";
    const SpellerSession& shared = speller;
    const std::vector<Seen> alone = spansOf(shared, text, {Positions::Utf8Bytes});
    ASSERT_EQ(alone.size(), 4u);
    std::vector<std::vector<Seen>> found(4);
    std::vector<std::thread> threads;
    for (std::size_t t = 0; t < found.size(); ++t)
        threads.emplace_back([&, t] {
            for (int round = 0; round < 50; ++round)
                found[t] = spansOf(shared, text, {Positions::Utf8Bytes});
        });
    for (std::thread& thread : threads)
        thread.join();
    for (const std::vector<Seen>& spans : found)
        EXPECT_EQ(spans, alone);
}

}  // namespace
}  // namespace zabrel::test
