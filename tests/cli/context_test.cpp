// SPDX-License-Identifier: MIT
// zabrel-check with the context: the report, -a, --correct and real-word slips over a
// small dictionary and a model made of a few word pairs.
#include <gtest/gtest.h>

#include "cli/subprocess.h"
#include "cli/testdictionary.h"
#include "session/spellersession.h"
#include "support/dictionary.h"
#include "support/testsupport.h"

namespace zabrel::test {
namespace {

namespace fs = std::filesystem;

class Context : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(dir.path() / "dict");
        std::vector<ListedWord> words = sampleWords();
        words.insert(words.end(), {{u"بڑی", 90}, {u"بڑے", 90}, {u"بڑےشہر", 2}, {u"کو", 900}, {u"کوئی", 5}});
        makeDictionary(dir.path() / "dict", words);
        // سخت ہزار and بڑے شہر are what running text writes.
        writeContextModel((dir.path() / "dict").string(), {{u"سخت", u"ہزار"}, {u"بڑے", u"شہر"}});
    }

    Outcome check(std::vector<std::string> args, const std::string& input) const {
        writeFile(dir.file("in.txt"), input);
        args.insert(args.begin(), {ZABREL_CHECK_PROGRAM, "-d", "dict"});
        return runProgram(args, dir.path(), dir.file("in.txt"));
    }

    TempDir dir;
};

TEST_F(Context, the_neighbours_reorder_suggestions_in_every_mode) {
    // بزار: بازار first by its letters and frequency; after سخت the model wants ہزار.
    const std::string text = "سخت بزار\nکتاب بزار\n";
    Outcome got = check({"--ranking=accurate"}, text);
    EXPECT_EQ(got.out.substr(0, got.out.find('\n')), "<stdin>:1:5: بزار -> بازار, ہزار");
    got = check({"--context"}, text);
    EXPECT_EQ(got.status, 1) << got.err;
    EXPECT_EQ(got.out, "<stdin>:1:5: بزار -> ہزار, بازار\n<stdin>:2:6: بزار -> بازار, ہزار\n");

    // A bare ئ at a word's end stops short of its ی: that word goes first, neighbours or not.
    got = check({"--ranking=accurate"}, "کوئ\n");
    EXPECT_TRUE(got.out.starts_with("<stdin>:1:1: کوئ -> کو,")) << got.out;
    got = check({"--context"}, "کوئ\n");
    EXPECT_TRUE(got.out.starts_with("<stdin>:1:1: کوئ -> کوئی,")) << got.out;

    // -a: the line is the context; a sentence end cuts it, and so does a word of
    // another script, which is answered as correct in its place.
    got = check({"--context", "-a"}, "^سخت بزار\nسخت۔ بزار\n^سخت abc بزار\n");
    EXPECT_EQ(got.status, 0) << got.err;
    EXPECT_EQ(
        got.out.substr(got.out.find('\n') + 1),
        "*\n& بزار 2 5: ہزار, بازار\n\n*\n& بزار 2 5: بازار, ہزار\n\n*\n*\n& بزار 2 9: بازار, ہزار\n\n");

    // --correct: only the misspelt words change; the mark, CR LF, a line that is not
    // UTF-8 and the missing last line end stay as they came.
    got = check({"--context", "--correct"}, "\xEF\xBB\xBFسخت بزار!\r\nbad \xFF بزار\nکتاب، بزار");
    EXPECT_EQ(got.status, 2);
    EXPECT_EQ(got.out, "\xEF\xBB\xBFسخت ہزار!\r\nbad \xFF بزار\nکتاب، بازار");
    EXPECT_NE(got.err.find("<stdin>:2: invalid UTF-8 at byte 5, line skipped"), std::string::npos) << got.err;
    // Without the context it corrects with the ranking it is given.
    got = check({"--ranking=accurate", "--correct"}, "سخت بزار\n");
    EXPECT_EQ(got.status, 0) << got.err;
    EXPECT_EQ(got.out, "سخت بازار\n");
}

TEST_F(Context, sure_fixes_come_first_the_context_is_the_default_and_the_exact_order_a_flag_away) {
    // سحط is sure to be کتاب شہر, far from anything its letters reach; بزار has no sure fix.
    writeFile((dir.path() / "dict" / "surefixes.txt").string(),
              std::string("# Slips whose word is certain.\nسحط\tکتاب شہر\nکتابب\tکتاب\n"));
    const std::string text = "سخت بزار\nسحط، کتابب\n";
    Outcome got = check({}, text);
    EXPECT_EQ(got.status, 1) << got.err;
    EXPECT_EQ(got.err, "");
    const std::string contextFirst = "<stdin>:1:5: بزار -> ہزار, بازار\n";
    EXPECT_TRUE(got.out.starts_with(contextFirst + "<stdin>:2:1: سحط -> کتاب شہر")) << got.out;
    EXPECT_NE(got.out.find("\n<stdin>:2:6: کتابب -> کتاب"), std::string::npos) << got.out;
    EXPECT_EQ(got.out, check({"--context"}, text).out);
    // The same in the pipe protocol, the pair a suggestion like any split.
    got = check({"-a"}, "^" + text.substr(0, text.find('\n')) + "\n^سحط\n");
    EXPECT_NE(got.out.find("\n& بزار 2 5: ہزار, بازار\n"), std::string::npos) << got.out;
    EXPECT_NE(got.out.find("\n& سحط 2 1: کتاب شہر, سخت\n"), std::string::npos) << got.out;
    // The exact order knows nothing of either, but --correct applies a sure fix in
    // every ranking: it is certain.
    got = check({"--ranking=exact"}, text);
    EXPECT_TRUE(got.out.starts_with("<stdin>:1:5: بزار -> بازار, ہزار\n")) << got.out;
    EXPECT_EQ(got.out.find("کتاب شہر"), std::string::npos) << got.out;
    EXPECT_EQ(check({"--ranking=exact", "--correct"}, text).out, "سخت بازار\nکتاب شہر، کتاب\n");
    EXPECT_EQ(check({"--correct"}, text).out, "سخت ہزار\nکتاب شہر، کتاب\n");

    // A damaged table is named with its line, and nothing is checked.
    writeFile((dir.path() / "dict" / "surefixes.txt").string(), std::string("# fixes\nسحط کتاب\n"));
    got = check({"--ranking=exact"}, text);
    EXPECT_EQ(got.status, 2);
    EXPECT_EQ(got.out, "");
    EXPECT_EQ(got.err, "zabrel-check: the dictionary could not be set up from its sure-fix table: " +
                           (dir.path() / "dict" / "surefixes.txt").string() +
                           ":2: a line is: slip, a tab, its fix.\n");
}

TEST_F(Context, a_broken_word_is_offered_joined_where_both_pieces_can_be_replaced) {
    // با is no word; with زار after it, it makes بازار.
    const std::string text = "سخت با زار، کتاب\n";
    Outcome got = check({"--context"}, text);
    EXPECT_EQ(got.out, "<stdin>:1:5: با زار -> بازار\n");
    EXPECT_EQ(check({"--context", "--correct"}, text).out, "سخت بازار، کتاب\n");
    // An editor replaces one word at a time: -a answers the pieces.
    got = check({"--context", "-a"}, text);
    const std::string answer = got.out.substr(got.out.find('\n') + 1);
    EXPECT_TRUE(answer.starts_with("*\n& با ")) << answer;
    EXPECT_NE(answer.find("\n& زار "), std::string::npos) << answer;
    // Two words that are both correct stay apart; so does a piece with no partner.
    EXPECT_EQ(check({"--context"}, "سخت بازار\n").out, "");
    EXPECT_EQ(check({"--context", "--correct"}, "کتاب با\n").out.find("بازار"), std::string::npos);
}

TEST_F(Context, real_word_slips_are_flagged_only_when_asked_and_wanted) {
    // بڑی شہر: a correct word, but running text writes بڑے شہر (ln P(شہر | بڑے) − ln P(شہر)
    // is about 7.6 here); with W = R = 1 that passes a margin of 2.
    const std::string text = "بڑی شہر\nبڑی کتاب\n";
    const std::string strong = "--context-weights=1,1,2";
    EXPECT_EQ(check({"--context", strong}, text).out, "");
    Outcome got = check({"--context", "--real-word-slips", strong}, text);
    EXPECT_EQ(got.status, 1) << got.err;
    EXPECT_EQ(got.out, "<stdin>:1:1: بڑی -> بڑے\n");
    EXPECT_EQ(check({"--real-word-slips", "--correct", strong}, text).out, "بڑے شہر\nبڑی کتاب\n");
    // The shipped weights ask for more than this small model's 0.1 · 1 · 7.6 (margin 4).
    EXPECT_EQ(check({"--real-word-slips"}, text).out, "");
    // A margin past the model's preference keeps the word.
    EXPECT_EQ(check({"--real-word-slips", "--context-weights=1,1,100"}, text).out, "");
    // A lexicon word that running text writes as two: ln P(بڑے) + ln P(شہر | بڑے) less
    // ln P(بڑےشہر), a word the model never saw, is about 6.2.
    EXPECT_EQ(check({"--real-word-slips", "--context-weights=1,1,2,5"}, "بڑےشہر\n").out,
              "<stdin>:1:1: بڑےشہر -> بڑے شہر\n");
    EXPECT_EQ(check({"--real-word-slips", "--context-weights=1,1,2,7"}, "بڑےشہر\n").out, "");
    EXPECT_EQ(check({"--real-word-slips", "--context-weights=1,1,2,-1"}, "بڑےشہر\n").out, "");
    // The shipped evidence asked for (6) is passed as well.
    EXPECT_EQ(check({"--real-word-slips"}, "بڑےشہر\n").out, "<stdin>:1:1: بڑےشہر -> بڑے شہر\n");
    got = check({"--context-weights=1,x"}, text);
    EXPECT_EQ(got.status, 2);
    EXPECT_EQ(got.err, "zabrel-check: --context-weights must be three or four numbers W,R,M[,J], not 1,x\n");
}

TEST_F(Context, a_long_word_costs_work_in_proportion_to_its_length_in_every_check) {
    SpellerSession speller;
    ASSERT_TRUE(speller.open(dir.path() / "dict"));
    speller.setContext(true);
    speller.setRealWordSlips(true);
    speller.setRunTogether(0.0f);
    // Lookups in the lexicon and in the model for a text with a long correct word
    // (بڑے under a run of diacritics) and a long misspelt one, between neighbours.
    const auto work = [&](std::size_t units) {
        const std::size_t before = speller.engine().lookedUpUnits() + speller.contextModel().lookedUpUnits();
        std::u16string text = u"سخت بڑے" + std::u16string(units, u'\u064E') + u" شہر ";
        text += u"سخت " + std::u16string(units, u'\u0628') + u"بڑے شہر";
        std::vector<TextSpan> spans;
        speller.checkText(text, spans);
        EXPECT_EQ(spans.size(), 1u);
        return speller.engine().lookedUpUnits() + speller.contextModel().lookedUpUnits() - before;
    };
    EXPECT_LE(work(8000), 2 * work(4000) + 64);
}

TEST_F(Context, a_dictionary_without_a_model_says_so) {
    makeDictionary(dir.path() / "dict", sampleWords());
    Outcome got = check({"--context"}, "سخت بزار\n");
    EXPECT_EQ(got.status, 2);
    EXPECT_EQ(got.err,
              "zabrel-check: this dictionary has no context model (contextModelFilePath in config.ini)\n");
}

}  // namespace
}  // namespace zabrel::test
