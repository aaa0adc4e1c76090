// SPDX-License-Identifier: MIT
#include "cli/textreport.h"

#include <gtest/gtest.h>

#include "cli/fakechecker.h"

namespace zabrel::cli {
namespace {

using zabrel::test::FakeChecker;

std::string reportOf(TextReport& report, std::initializer_list<std::string> lines) {
    std::string out;
    std::size_t number = 0;
    for (const std::string& line : lines)
        EXPECT_TRUE(report.checkLine("notes.txt", ++number, line, out)) << line;
    return out;
}

TEST(textreport_test, reports_file_line_and_character_column_with_five_suggestions) {
    FakeChecker fake;
    SpellerSession speller{fake.checker(), FakeChecker::letters()};
    TextReport report(speller, {});
    EXPECT_EQ(reportOf(report, {"سخت بزار", "", "\xF0\x9F\x98\x80 صخت،ہوا\r"}),
              "notes.txt:1:5: بزار -> بازار, بزر, ہزار\n"
              "notes.txt:3:3: صخت -> سخت, صحت, تخت, صفت, لخت\n"
              "notes.txt:3:7: ہوا ->\n");
    EXPECT_EQ(report.wordCount(), 4u);
    EXPECT_EQ(report.misspeltCount(), 3u);
}

TEST(textreport_test, list_mode_prints_each_occurrence_without_its_punctuation) {
    FakeChecker fake;
    SpellerSession speller{fake.checker(), FakeChecker::letters()};
    TextReport report(speller, {.listOnly = true, .allSuggestions = false});
    EXPECT_EQ(reportOf(report, {"بزار سخت بزار", "(ہوا), شہر 12"}), "بزار\nبزار\nہوا\n");
    EXPECT_EQ(report.misspeltCount(), 3u);
}

TEST(textreport_test, columns_go_on_across_the_pieces_of_a_long_line) {
    FakeChecker fake;
    SpellerSession speller{fake.checker(), FakeChecker::letters()};
    TextReport report(speller, {});
    std::string out;
    EXPECT_TRUE(report.checkPiece("long.txt", 4, "سخت \xF0\x9F\x98\x80 ", false, out));
    EXPECT_TRUE(report.checkPiece("long.txt", 4, "(بزار) ", false, out));
    EXPECT_TRUE(report.checkPiece("long.txt", 4, "صخت", true, out));
    EXPECT_TRUE(report.checkPiece("long.txt", 5, "ہوا", true, out));
    EXPECT_EQ(out,
              "long.txt:4:8: بزار -> بازار, بزر, ہزار\n"
              "long.txt:4:14: صخت -> سخت, صحت, تخت, صفت, لخت\n"
              "long.txt:5:1: ہوا ->\n");
}

TEST(textreport_test, refuses_invalid_utf8_without_counting_it) {
    FakeChecker fake;
    SpellerSession speller{fake.checker(), FakeChecker::letters()};
    TextReport report(speller, {});
    std::string out;
    EXPECT_FALSE(report.checkLine("x", 1, "بزار \xED\xA0\x80", out));
    EXPECT_EQ(out, "");
    EXPECT_EQ(report.wordCount(), 0u);
    EXPECT_TRUE(fake.asked.empty());
}

}  // namespace
}  // namespace zabrel::cli
