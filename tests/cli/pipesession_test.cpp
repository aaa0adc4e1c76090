// SPDX-License-Identifier: MIT
#include "cli/pipesession.h"

#include <gtest/gtest.h>

#include "cli/fakechecker.h"

namespace zabrel::cli {
namespace {

using zabrel::test::FakeChecker;

// Feeds lines to one session and returns everything it answered.
std::string converse(FakeChecker& fake, std::initializer_list<std::string> lines) {
    PipeSession session(fake.checker());
    std::string out;
    for (const std::string& line : lines)
        EXPECT_TRUE(session.respond(line, out)) << line;
    return out;
}

TEST(pipesession_test, answers_each_word_then_an_empty_line) {
    FakeChecker fake;
    EXPECT_EQ(converse(fake, {"سخت بزار", "صخت، ہوا", "", "  ۔ "}),
              "*\n"
              "& بزار 3 4: بازار, بزر, ہزار\n"
              "\n"
              "& صخت 7 0: سخت, صحت, تخت, صفت, لخت, بخت, صوت\n"
              "# ہوا 5\n"
              "\n"
              "\n"
              "\n");
    EXPECT_EQ(fake.asked, (std::vector<std::u16string>{u"سخت", u"بزار", u"صخت", u"ہوا"}));
}

TEST(pipesession_test, offsets_count_characters_and_the_caret) {
    FakeChecker fake;
    // The emoji is one character (two UTF-16 units, four bytes), the caret one more.
    EXPECT_EQ(converse(fake, {"\xF0\x9F\x98\x80 بزار", "^بزار", "^^بزار", "^"}),
              "*\n& بزار 3 2: بازار, بزر, ہزار\n\n"
              "& بزار 3 1: بازار, بزر, ہزار\n\n"
              "& ^بزار 3 1: بازار, بزر, ہزار\n\n"
              "\n");
}

TEST(pipesession_test, accepted_words_hold_for_the_rest_of_the_session) {
    FakeChecker fake;
    EXPECT_EQ(converse(fake, {"*بزار", "@ہوا", "بزار ہوا صخت", "*سخت صخت", "صخت"}),
              "*\n*\n& صخت 7 9: سخت, صحت, تخت, صفت, لخت, بخت, صوت\n\n"
              // The whole rest of the line is the word, as with hunspell.
              "& صخت 7 0: سخت, صحت, تخت, صفت, لخت, بخت, صوت\n\n");
    // Accepted words never reach the engine.
    EXPECT_EQ(fake.asked, (std::vector<std::u16string>{u"صخت", u"صخت"}));
}

TEST(pipesession_test, terse_mode_drops_only_the_star_lines) {
    FakeChecker fake;
    PipeSession session(fake.checker());
    std::string out;
    session.respond("!", out);
    EXPECT_TRUE(session.isTerse());
    session.respond("سخت صخت شہر", out);
    session.respond("سخت", out);
    session.respond("%", out);
    EXPECT_FALSE(session.isTerse());
    session.respond("سخت", out);
    EXPECT_EQ(out, "& صخت 7 4: سخت, صحت, تخت, صفت, لخت, بخت, صوت\n\n\n*\n\n");
}

TEST(pipesession_test, other_commands_print_nothing) {
    FakeChecker fake;
    EXPECT_EQ(converse(fake, {"#", "~tex", "+", "-", "+بزار", "-بزار", "*", "@"}), "");
    EXPECT_TRUE(fake.asked.empty());
}

TEST(pipesession_test, refuses_invalid_utf8_and_keeps_its_state) {
    FakeChecker fake;
    PipeSession session(fake.checker());
    std::string out;
    session.respond("!", out);
    EXPECT_FALSE(session.respond("\xD8\xB3\xC0\xAF", out));
    EXPECT_FALSE(session.respond("%\xFF", out));
    EXPECT_EQ(out, "");
    EXPECT_TRUE(session.isTerse());
}

}  // namespace
}  // namespace zabrel::cli
