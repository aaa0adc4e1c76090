// SPDX-License-Identifier: MIT
#include "cli/pipesession.h"

#include <gtest/gtest.h>

#include "cli/fakechecker.h"
#include "support/testsupport.h"
#include "text/utf8.h"

namespace zabrel::cli {
namespace {

using zabrel::test::FakeChecker;

// A pipe session over the fake engine, with the speller session beneath it as
// zabrel-check wires it.
struct Session {
    explicit Session(std::filesystem::path personalFile = {}) { speller.usePersonalList(personalFile); }

    FakeChecker fake;
    SpellerSession speller{fake.checker(), FakeChecker::letters()};
    const PersonalWordList& personal = speller.personal();
    std::vector<std::string> warnings;
    PipeSession session{speller, [this](const std::string& message) { warnings.push_back(message); }};

    std::string converse(std::initializer_list<std::string> lines) {
        std::string out;
        for (const std::string& line : lines)
            EXPECT_TRUE(session.respond(line, out)) << line;
        return out;
    }
};

TEST(pipesession_test, answers_each_word_then_an_empty_line) {
    Session s;
    EXPECT_EQ(s.converse({"سخت بزار", "صخت، ہوا", "", "  ۔ "}),
              "*\n"
              "& بزار 3 4: بازار, بزر, ہزار\n"
              "\n"
              "& صخت 7 0: سخت, صحت, تخت, صفت, لخت, بخت, صوت\n"
              "# ہوا 5\n"
              "\n"
              "\n"
              "\n");
    EXPECT_EQ(s.fake.asked, (std::vector<std::u16string>{u"سخت", u"بزار", u"صخت", u"ہوا"}));
}

TEST(pipesession_test, words_come_without_their_punctuation_and_offsets_count_characters) {
    Session s;
    // The emoji is one character (two UTF-16 units, four bytes), the caret one more;
    // numbers are no words.
    EXPECT_EQ(s.converse({"\xF0\x9F\x98\x80 بزار", "^بزار", "^^بزار", "^", "(بزار)، \"صخت\" 12سخت-شہر abc 42",
                          "abc بزار xyz سخت صخت"}),
              "& بزار 3 2: بازار, بزر, ہزار\n\n"
              "& بزار 3 1: بازار, بزر, ہزار\n\n"
              "& بزار 3 2: بازار, بزر, ہزار\n\n"
              "\n"
              "& بزار 3 1: بازار, بزر, ہزار\n"
              "& صخت 7 9: سخت, صحت, تخت, صفت, لخت, بخت, صوت\n"
              "*\n*\n"
              // ispell.el takes a word without an answer for an error: foreign words are
              // answered as correct.
              "*\n\n"
              // Each answer in the place of its word, those of foreign words too.
              "*\n"
              "& بزار 3 4: بازار, بزر, ہزار\n"
              "*\n*\n"
              "& صخت 7 17: سخت, صحت, تخت, صفت, لخت, بخت, صوت\n\n");
}

TEST(pipesession_test, accepted_and_personal_words_hold_for_the_rest_of_the_session) {
    Session s;
    EXPECT_EQ(s.converse({"*بزار", "@ہوا", "بزار ہوا صخت", "&صخت", "صخت (صخت)", "*", "@", "&"}),
              "*\n*\n& صخت 7 9: سخت, صحت, تخت, صفت, لخت, بخت, صوت\n\n"
              "*\n*\n\n");
    // Accepted words never reach the engine; the session word is not a personal one.
    EXPECT_EQ(s.fake.asked, (std::vector<std::u16string>{u"صخت"}));
    EXPECT_EQ(s.personal.words(), (std::vector<std::u16string>{u"بزار", u"صخت"}));
}

TEST(pipesession_test, personal_words_are_saved_at_once_and_offered_when_near) {
    test::TempDir dir;
    const std::string file = dir.file("zabrel/personal.txt");
    {
        Session s(file);
        s.converse({"*بزارو"});
        EXPECT_EQ(test::readFile(file),
                  test::Bytes({0xD8, 0xA8, 0xD8, 0xB2, 0xD8, 0xA7, 0xD8, 0xB1, 0xD9, 0x88, '\n'}));
        // A near personal word comes after the engine's own suggestions, which keep
        // their order, and is the only one where the engine has none.
        EXPECT_EQ(s.converse({"بزار ہوا بزاروں"}),
                  "& بزار 4 0: بازار, بزر, ہزار, بزارو\n"
                  "# ہوا 5\n"
                  "& بزاروں 1 9: بزارو\n\n");
        s.converse({"&شہرو", "@ہوا"});
        s.session.finish();
    }
    PersonalWordList saved(file);
    saved.load();
    EXPECT_EQ(saved.words(), (std::vector<std::u16string>{u"بزارو", u"شہرو"}));
    {
        // A new session accepts them from the start.
        Session s(file);
        EXPECT_EQ(s.converse({"بزارو شہرو ہوا"}), "*\n*\n# ہوا 11\n\n");
    }
}

TEST(pipesession_test, a_list_that_cannot_be_saved_is_reported_and_the_session_goes_on) {
    test::TempDir dir;
    test::writeFile(dir.file("blocker"), "");
    Session s(dir.path() / "blocker" / "personal.txt");
    EXPECT_EQ(s.converse({"*بزار", "بزار"}), "*\n\n");
    ASSERT_EQ(s.warnings.size(), 1u);
    EXPECT_EQ(s.warnings[0], "The personal word list " + (dir.path() / "blocker" / "personal.txt").string() +
                                 " could not be written: Not a directory.");
    // Still unsaved, so # and the end of the session try again, and the same failure
    // is not told twice.
    s.converse({"#"});
    s.session.finish();
    EXPECT_EQ(s.warnings.size(), 1u);
    EXPECT_TRUE(s.personal.unsaved());
}

TEST(pipesession_test, terse_mode_drops_only_the_star_lines) {
    Session s;
    std::string out;
    s.session.respond("!", out);
    EXPECT_TRUE(s.session.isTerse());
    s.session.respond("سخت صخت شہر", out);
    s.session.respond("سخت", out);
    s.session.respond("%", out);
    EXPECT_FALSE(s.session.isTerse());
    s.session.respond("سخت", out);
    EXPECT_EQ(out, "& صخت 7 4: سخت, صحت, تخت, صفت, لخت, بخت, صوت\n\n\n*\n\n");
}

TEST(pipesession_test, formatter_commands_print_nothing) {
    Session s;
    EXPECT_EQ(s.converse({"#", "~tex", "~nroff", "+", "-", "+بزار", "-بزار"}), "");
    EXPECT_TRUE(s.fake.asked.empty());
}

TEST(pipesession_test, long_lines_come_in_pieces_and_session_words_are_bounded) {
    Session s;
    std::string out;
    // Offsets go on from piece to piece.
    EXPECT_TRUE(s.session.feed("^سخت ", false, out));
    EXPECT_TRUE(s.session.feed("(بزار)", false, out));
    EXPECT_TRUE(s.session.feed(" صخت", true, out));
    EXPECT_EQ(out, "*\n& بزار 3 6: بازار, بزر, ہزار\n& صخت 7 12: سخت, صحت, تخت, صفت, لخت, بخت, صوت\n\n");

    // A word longer than any word is not taken, whether it comes whole or in pieces.
    std::string huge(PipeSession::LONGEST_ACCEPTED, 'x');
    out.clear();
    EXPECT_TRUE(s.session.feed("@" + huge, true, out));
    EXPECT_TRUE(s.session.feed("*" + huge.substr(10), false, out));
    EXPECT_TRUE(s.session.feed(huge.substr(0, 20), true, out));
    EXPECT_EQ(out, "");
    EXPECT_EQ(s.personal.size(), 0u);

    // Session words stop being taken at the bound; those taken stay.
    const auto longWord = [](std::size_t i) {
        std::u16string word(1000, u'ب');
        for (std::size_t k = 0; k < 6; ++k)
            word[k] = u"سشصض"[(i >> (2 * k)) & 3];
        return utf16ToUtf8(word);
    };
    const std::size_t fit = SpellerSession::SESSION_UNITS / 1000;
    for (std::size_t i = 0; i <= fit; ++i)
        s.session.respond("@" + longWord(i), out);
    out.clear();
    s.session.respond(longWord(0) + " " + longWord(fit), out);
    EXPECT_EQ(out, "*\n# " + longWord(fit) + " 1001\n\n");
}

TEST(pipesession_test, refuses_invalid_utf8_and_keeps_its_state) {
    Session s;
    std::string out;
    s.session.respond("!", out);
    EXPECT_FALSE(s.session.respond("\xD8\xB3\xC0\xAF", out));
    EXPECT_FALSE(s.session.respond("%\xFF", out));
    // The text line still ends its answer; the skipped command does nothing.
    EXPECT_EQ(out, "\n");
    EXPECT_TRUE(s.session.isTerse());
    out.clear();
    // A piece that goes bad leaves the rest of its line alone; its answer still ends.
    EXPECT_TRUE(s.session.feed("صخت ", false, out));
    EXPECT_FALSE(s.session.feed("\xFF", false, out));
    EXPECT_TRUE(s.session.feed("صخت", true, out));
    EXPECT_EQ(out, "& صخت 7 0: سخت, صحت, تخت, صفت, لخت, بخت, صوت\n\n");
}

TEST(pipesession_test, a_skipped_line_is_answered_as_its_kind_so_answers_stay_in_step) {
    Session s;
    // Every kind of line, bad in its first piece, then a check that must get its own answer.
    const std::string check = "^صخت";
    const std::string answer = "& صخت 7 1: سخت, صحت, تخت, صفت, لخت, بخت, صوت\n\n";
    std::string out;
    for (const char* bad :
         {"*\xFF", "&\xD8", "@\xC0\xAF", "#\xFF", "!\xFF", "%\xFF", "+\xFF", "~\xFF", "-\xFF"}) {
        out.clear();
        EXPECT_FALSE(s.session.respond(bad, out)) << bad;
        EXPECT_TRUE(s.session.respond(check, out));
        EXPECT_EQ(out, answer) << bad;
    }
    // Text, with or without the caret, gets the empty line that ends an answer.
    for (const char* bad : {"^\xFF", "\xFF", "صخت \xED\xA0\x80"}) {
        out.clear();
        EXPECT_FALSE(s.session.respond(bad, out)) << bad;
        EXPECT_TRUE(s.session.respond(check, out));
        EXPECT_EQ(out, "\n" + answer) << bad;
    }
    // A command whose later piece goes bad does nothing and answers nothing.
    out.clear();
    EXPECT_TRUE(s.session.feed("*بز", false, out));
    EXPECT_FALSE(s.session.feed("\xFF", false, out));
    EXPECT_TRUE(s.session.feed("ار", true, out));
    EXPECT_TRUE(s.session.respond("بزار", out));
    EXPECT_EQ(out, "& بزار 3 0: بازار, بزر, ہزار\n\n");
    EXPECT_EQ(s.personal.size(), 0u);
    EXPECT_FALSE(s.session.isTerse());
}

}  // namespace
}  // namespace zabrel::cli
