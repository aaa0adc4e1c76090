// SPDX-License-Identifier: MIT
// Emacs's own ispell.el and flyspell.el, in batch mode, with zabrel-check as their
// speller: what an Urdu writer gets after the set-up the README gives, read from the
// README itself.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "cli/subprocess.h"
#include "cli/testdictionary.h"
#include "support/testsupport.h"

namespace zabrel::test {
namespace {

namespace fs = std::filesystem;

// Misspellings beside brackets, quotes, ASCII and Urdu punctuation, digits of both
// kinds, a hyphen, a slash and a Latin word.
const std::string LINE1 = "یہ (بزار) ہے، \"صخت\" 12سخت-بزار! «شہر» ۳۴بزار/صخت.";
const std::string LINE2 = "کتاب: [کتب] اور 'شہر' میں؟ ہزار۔ بزار؛ (۱۹۹۹) abc-بزار";
// Where the misspelt words of each line start, in characters.
const std::vector<std::pair<std::size_t, std::string>> MARKS1{
    {4, "بزار"}, {15, "صخت"}, {26, "بزار"}, {40, "بزار"}, {45, "صخت"}};
const std::vector<std::pair<std::size_t, std::string>> MARKS2{{7, "کتب"}, {33, "بزار"}, {50, "بزار"}};
constexpr std::size_t LINE1_CHARACTERS = 49;
constexpr std::size_t LINE2_CHARACTERS = 54;

// The indented lines after the README's "**Emacs.**" paragraph, unindented.
std::string readmeSetup() {
    std::ifstream readme(ZABREL_TEST_SOURCE_DIR "/README.md");
    std::string line;
    std::string setup;
    bool inParagraph = false;
    while (std::getline(readme, line)) {
        if (line.starts_with("**Emacs.**"))
            inParagraph = true;
        else if (inParagraph && line.starts_with("    "))
            setup += line.substr(4) + "\n";
        else if (inParagraph && !setup.empty())
            break;
    }
    return setup;
}

TEST(EmacsReadme, the_set_up_loads_ispell_before_using_its_variables) {
    const std::string setup = readmeSetup();
    ASSERT_NE(setup.find("ispell-local-dictionary-alist"), std::string::npos) << setup;
    EXPECT_LT(setup.find("(require 'ispell)"), setup.find("ispell-local-dictionary-alist")) << setup;
    EXPECT_NE(setup.find("(setq ispell-program-name \"zabrel-check\")"), std::string::npos) << setup;
}

class Emacs : public ::testing::Test {
protected:
    void SetUp() override {
        if (std::string(EMACS_PROGRAM).empty())
            GTEST_SKIP() << "Emacs is not installed; scripts/install-deps installs emacs-nox";
        fs::create_directories(dir.path() / "dict");
        // ispell.el runs its speller in the home folder.
        fs::create_directories(dir.path() / "home");
        makeDictionary(dir.path() / "dict", {{u"سخت", 500},
                                             {u"بازار", 400},
                                             {u"کتاب", 300},
                                             {u"شہر", 200},
                                             {u"ہزار", 100},
                                             {u"یہ", 90},
                                             {u"ہے", 80},
                                             {u"اور", 70},
                                             {u"میں", 60}});
    }

    // Runs one step of emacs_test.el over `text` and returns what it wrote.
    std::string run(const std::string& step, const std::string& text, const std::string& word = "") {
        writeFile(dir.file("in.txt"), text);
        writeFile(dir.file("setup.el"), readmeSetup());
        fs::remove(dir.file("out.txt"));
        // The README names the program, not its path, and lets Emacs pass -d urdu, the
        // shipped dictionary: here the test's own.
        const char* path = std::getenv("PATH");
        Outcome got = runProgram(
            {EMACS_PROGRAM, "--batch", "-Q", "-l", ZABREL_TEST_SOURCE_DIR "/tests/cli/emacs_test.el"},
            dir.path(), "",
            {{"PATH",
              fs::path(ZABREL_CHECK_PROGRAM).parent_path().string() + ":" + (path ? path : "/usr/bin:/bin")},
             {"ZABREL_SHIPPED_DICTIONARY", (dir.path() / "dict").string()},
             {"ZABREL_SETUP", dir.file("setup.el")},
             {"ZABREL_STEP", step},
             {"ZABREL_IN", dir.file("in.txt")},
             {"ZABREL_OUT", dir.file("out.txt")},
             {"ZABREL_WORD", word}});
        EXPECT_EQ(got.status, 0) << got.err;
        const Bytes out = readFile(dir.file("out.txt"));
        return std::string(out.begin(), out.end());
    }

    TempDir dir;
};

TEST_F(Emacs, ispell_buffer_taking_the_first_suggestions_keeps_every_other_character) {
    EXPECT_EQ(run("ispell-buffer", LINE1 + "\n" + LINE2 + "\n"),
              "یہ (بازار) ہے، \"سخت\" 12سخت-بازار! «شہر» ۳۴بازار/سخت.\n"
              "کتاب: [کتاب] اور 'شہر' میں؟ ہزار۔ بازار؛ (۱۹۹۹) abc-بازار\n");
}

TEST_F(Emacs, flyspell_buffer_marks_the_misspelt_words_of_a_large_region) {
    // Above 1000 characters flyspell checks with -l, and takes a nonzero status as
    // failure.
    std::string text;
    std::string expected;
    std::size_t lineStart = 1;  // Emacs counts positions from 1
    for (int i = 0; i < 12; ++i) {
        text += LINE1 + "\n" + LINE2 + "\n";
        for (const auto& [column, word] : MARKS1)
            expected += std::to_string(lineStart + column) + " " + word + "\n";
        lineStart += LINE1_CHARACTERS + 1;
        for (const auto& [column, word] : MARKS2)
            expected += std::to_string(lineStart + column) + " " + word + "\n";
        lineStart += LINE2_CHARACTERS + 1;
    }
    ASSERT_GT(lineStart, 1000u);
    EXPECT_EQ(run("flyspell-buffer", text), expected);
}

TEST_F(Emacs, i_puts_the_word_in_the_personal_list_and_a_new_session_accepts_it) {
    // The word is no longer marked in this session, and is saved to the default list.
    EXPECT_EQ(run("insert-word", "یہ صخت ہے\n", "صخت"), "");
    const fs::path list = dir.path() / "home" / "share" / "zabrel" / "personal.txt";
    const Bytes saved = readFile(list.string());
    EXPECT_EQ(std::string(saved.begin(), saved.end()), "صخت\n");

    EXPECT_EQ(run("flyspell-buffer", "یہ صخت ہے بزار\n"), "11 بزار\n");
}

}  // namespace
}  // namespace zabrel::test
