// SPDX-License-Identifier: MIT
// Editors are written against hunspell -a; our answers must read the same to them.
#include <gtest/gtest.h>

#include "cli/subprocess.h"
#include "cli/testdictionary.h"
#include "support/testsupport.h"
#include "text/utf8.h"

namespace zabrel::test {
namespace {

namespace fs = std::filesystem;

// Suggestions are each checker's own; the rest must match byte for byte. Both
// "& WORD COUNT OFFSET: ..." and "# WORD OFFSET" become "? WORD OFFSET", and the banner
// keeps only the part clients parse.
std::string withoutSuggestions(const std::string& answer) {
    std::string result;
    std::size_t start = 0;
    for (std::size_t end; (end = answer.find('\n', start)) != std::string::npos; start = end + 1) {
        std::string line = answer.substr(start, end - start);
        if (line.starts_with("@(#) ")) {
            line = line.substr(0, line.find("(but really "));
        } else if (line.starts_with("& ")) {
            const std::size_t wordEnd = line.find(' ', 2);
            const std::size_t countEnd = line.find(' ', wordEnd + 1);
            const std::size_t colon = line.find(':', countEnd);
            line = "? " + line.substr(2, wordEnd - 2) + line.substr(countEnd, colon - countEnd);
        } else if (line.starts_with("# ")) {
            line[0] = '?';
        }
        result += line + "\n";
    }
    return result + answer.substr(start);
}

TEST(hunspell_test, pipe_mode_reads_like_hunspell) {
    const std::string hunspell = HUNSPELL_PROGRAM;
    if (hunspell.empty())
        GTEST_SKIP() << "hunspell is not installed";

    TempDir dir;
    std::vector<ListedWord> words = sampleWords();
    words.insert(words.end(), {{u"یہ", 90}, {u"ہے", 80}, {u"اور", 70}, {u"میں", 60}});
    fs::create_directories(dir.path() / "dict");
    makeDictionary(dir.path() / "dict", words);
    std::string dic = std::to_string(words.size()) + "\n";
    for (const ListedWord& word : words)
        dic += utf16ToUtf8(word.first) + "\n";
    writeFile(dir.file("urdu.dic"), dic);
    // Our engine drops tatweel and diacritics before it looks a word up; hunspell's
    // IGNORE does the same.
    writeFile(dir.file("urdu.aff"),
              "SET UTF-8\nIGNORE \u0640\u064B\u064C\u064D\u064E\u064F\u0650\u0651\u0652\n");

    // Urdu words between spaces and punctuation of every kind, and the commands both
    // understand. Not here, as the two differ on purpose: Latin words (hunspell checks
    // them, we answer them as correct), &WORD (ispell's command to add a word, which
    // hunspell checks as text) and ~ lines (ispell's formatter commands, which
    // hunspell checks as text and ispell.el sends only to ispell, waiting for no
    // answer).
    writeFile(dir.file("in.txt"),
              "سخت بازار\n"
              "بزار سخت صخت\n"
              "\n"
              "   \n"
              "کتاب، کتب  شہر\n"
              "یہ (بزار) ہے، \"صخت\" 12سخت-بزار! «شہر» ۳۴بزار/صخت.\n"
              "کتاب: [کتب] اور 'شہر' میں؟ ہزار۔ بزار؛ (۱۹۹۹) ۲۰۲۶ 42\n"
              "بزار,صخت;سخت:بزار.صخت?بزار!\n"
              "^یہ (بزار) ہے\n"
              "کتاب\u200Cخانہ بَزار سخـت \u200Dشہر\n"
              "*بزار\n"
              "بزار صخت\n"
              "@صخت\n"
              "#\n"
              "صخت بزار کتب\n"
              "^سخت کتب\n"
              "^\n"
              "!\n"
              "سخت کتب شہر\n"
              "\n"
              "%\n"
              "شہر کتب ہزار\n"
              "*سخت کتب\n"
              "کتب\n");

    Outcome ours = runProgram({ZABREL_CHECK_PROGRAM, "-a", "-d", "dict", "-p", "ours.txt"}, dir.path(),
                              dir.file("in.txt"));
    Outcome theirs = runProgram({hunspell, "-a", "-d", dir.file("urdu"), "-p", dir.file("theirs")},
                                dir.path(), dir.file("in.txt"), {{"LC_ALL", "C.UTF-8"}});
    ASSERT_EQ(theirs.status, 0) << theirs.err;
    ASSERT_EQ(ours.status, 0) << ours.err;
    EXPECT_EQ(withoutSuggestions(ours.out), withoutSuggestions(theirs.out));
    // Guard against a comparison of two empty answers.
    EXPECT_NE(withoutSuggestions(theirs.out).find("? صخت 9"), std::string::npos) << theirs.out;
    EXPECT_NE(withoutSuggestions(theirs.out).find("? بزار 40"), std::string::npos) << theirs.out;
    // Words added with * stay in our list for the next session; two words with a
    // blank between are no word (hunspell stores them, and they never match).
    const Bytes saved = readFile(dir.file("ours.txt"));
    EXPECT_EQ(std::string(saved.begin(), saved.end()), "بزار\n");
}

}  // namespace
}  // namespace zabrel::test
