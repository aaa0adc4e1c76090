// SPDX-License-Identifier: MIT
// Debian's Neovim, headless, with its built-in LSP client and zabrel-lsp: a writer opens
// an Urdu Markdown file, sees the diagnostics where the words are, takes a suggestion,
// adds a word to the personal list, types a slip, changes the severity and ignores a
// word, and the file saved holds the corrected text. nvim_test.lua does the writer's
// part and writes down what Neovim shows; this test judges it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>

#include "cli/subprocess.h"
#include "cli/testdictionary.h"
#include "support/testsupport.h"

namespace zabrel::test {
namespace {

namespace fs = std::filesystem;

struct Case {
    const char* encoding;  // what the client counts in, and offers the server
    const char* lineEnd;   // the file's, kept by Neovim when it saves
};

// Line 0 a heading, line 2 prose with a character outside the BMP (two UTF-16 units,
// four bytes) between its slips, line 4 a code span, a link and its address, then a
// fenced block: the misspelt words of code and addresses are not the writer's prose.
std::string document(const std::string& lineEnd, const std::string& line2) {
    return "# بزار کی کتاب" + lineEnd + lineEnd + line2 + lineEnd + lineEnd +
           "پھر `بزار` اور [شہر](https://example.org/بزار) سخت" + lineEnd + lineEnd + "```" + lineEnd +
           "بزار صخت" + lineEnd + "```" + lineEnd;
}

const std::string LINE2 = "یہ بزار ہے 😀 صخت اور بزار";
const std::string LINE2_FIXED = "یہ بازار ہے 😀 صخت اور بزار";
const std::string TYPED = "بزار ";

// The byte columns Neovim shows for the `nth` (from 0) `word` of `line`, whatever the
// encoding the server counted in.
std::string place(int lineNumber, const std::string& line, const std::string& word, int nth = 0) {
    std::size_t at = line.find(word);
    for (int i = 0; i < nth; ++i)
        at = line.find(word, at + 1);
    EXPECT_NE(at, std::string::npos) << word << " in " << line;
    return "  " + std::to_string(lineNumber) + ":" + std::to_string(at) + "-" + std::to_string(lineNumber) +
           ":" + std::to_string(at + word.size());
}

std::string spelling(const std::string& where, const std::string& severity = "WARN") {
    return where + " " + severity + " zabrel ZABREL_UR_SPELLING\n";
}

const std::string ACTIONS =
    "actions: the first a preferred quickfix, the other fixes not preferred; commands zabrel.addWord "
    "zabrel.ignoreInDocument\n";

class Neovim : public ::testing::TestWithParam<Case> {
protected:
    void SetUp() override {
        fs::create_directories(dir.path() / "dict");
        makeDictionary(dir.path() / "dict", {{u"سخت", 500},
                                             {u"بازار", 400},
                                             {u"کتاب", 300},
                                             {u"شہر", 200},
                                             {u"یہ", 90},
                                             {u"ہے", 80},
                                             {u"اور", 70},
                                             {u"کی", 60},
                                             {u"پھر", 50}});
    }

    // Runs the writer's session over `text` in notes.md; returns Neovim's transcript
    // with the server's own wording (messages, action titles) set aside in `wording`.
    std::string run(const std::string& text, std::vector<std::string>& wording, Environment more = {}) {
        writeFile(dir.file("notes.md"), text);
        const std::string home = (dir.path() / "home").string();
        Environment environment{{"XDG_CONFIG_HOME", home + "/config"},
                                {"XDG_CACHE_HOME", home + "/cache"},
                                {"XDG_STATE_HOME", home + "/state"},
                                {"ZABREL_LSP", ZABREL_LSP_PROGRAM},
                                {"ZABREL_DICTIONARY", (dir.path() / "dict").string()},
                                {"ZABREL_FILE", dir.file("notes.md")},
                                {"ZABREL_OUT", dir.file("transcript.txt")},
                                {"ZABREL_ENCODING", GetParam().encoding},
                                {"ZABREL_TYPED", TYPED}};
        environment.insert(environment.end(), more.begin(), more.end());
        const Outcome got = runProgram({NVIM_PROGRAM, "--headless", "--clean", "-n", "-i", "NONE", "-c",
                                        "luafile " ZABREL_TEST_SOURCE_DIR "/tests/lsp/nvim_test.lua"},
                                       dir.path(), "", environment);
        const Bytes bytes = readFile(dir.file("transcript.txt"));
        std::istringstream lines(std::string(bytes.begin(), bytes.end()));
        std::string transcript;
        for (std::string line; std::getline(lines, line);) {
            const std::size_t colon = line.find(": ");
            if (line.starts_with("    message: ") || line.starts_with("    title: "))
                wording.push_back(line.substr(colon + 2));
            else
                transcript += line + "\n";
        }
        EXPECT_EQ(got.status, 0) << transcript << got.err;
        return transcript;
    }

    TempDir dir;
};

TEST_P(Neovim, a_writer_corrects_adds_types_and_ignores_through_the_lsp_client) {
    const std::string end = GetParam().lineEnd;
    const std::string encoding = GetParam().encoding;
    const std::string typed = TYPED + LINE2_FIXED;
    const std::string heading = "# بزار کی کتاب";
    std::vector<std::string> wording;
    const std::string transcript = run(document(end, LINE2), wording);

    // The link's address and the code are skipped; the link's text is prose.
    const std::string before = spelling(place(0, heading, "بزار")) + spelling(place(2, LINE2, "بزار")) +
                               spelling(place(2, LINE2, "صخت")) + spelling(place(2, LINE2, "بزار", 1));
    // The fix lengthens the word: what follows it on its line moves.
    const std::string fixed = spelling(place(0, heading, "بزار")) + spelling(place(2, LINE2_FIXED, "صخت")) +
                              spelling(place(2, LINE2_FIXED, "بزار"));
    const std::string added = spelling(place(0, heading, "بزار")) + spelling(place(2, LINE2_FIXED, "بزار"));
    const std::string afterTyping = spelling(place(0, heading, "بزار")) + spelling(place(2, typed, "بزار")) +
                                    spelling(place(2, typed, "بزار", 1));
    const std::string asErrors = spelling(place(0, heading, "بزار"), "ERROR") +
                                 spelling(place(2, typed, "بزار"), "ERROR") +
                                 spelling(place(2, typed, "بزار", 1), "ERROR");
    const std::string bufferLines = "  # بزار کی کتاب\n  \n  " + LINE2_FIXED +
                                    "\n  \n  پھر `بزار` اور [شہر](https://example.org/بزار) سخت\n  \n  ```\n"
                                    "  بزار صخت\n  ```\n";
    EXPECT_EQ(transcript, "filetype markdown " + std::string(end == "\r\n" ? "dos" : "unix") + "\n" +
                              "encoding " + encoding + ", the server answers " + encoding + "\n" +
                              "diagnostics\n" + before +                                            //
                              "== the preferred suggestion taken\n" + ACTIONS + "buffer\n" +        //
                              bufferLines + "diagnostics\n" + fixed +                               //
                              "== a word added to the personal list\n" + ACTIONS +                  //
                              "diagnostics\n" + added +                                             //
                              "== a misspelt word typed\ndiagnostics\n" + afterTyping +             //
                              "== the severity changed\ndiagnostics\n" + asErrors +                 //
                              "== a word ignored in this document\n" + ACTIONS + "diagnostics\n" +  //
                              "server exited 0 0\n");

    // Every message and title is Urdu text of the server's own.
    for (const std::string& text : wording)
        EXPECT_TRUE(!text.empty() && text.find_first_of("\xD8\xD9\xDA\xDB") != std::string::npos) << text;

    // Saved as the writer left it, line ends and all; the personal list holds the one
    // word, written once, where every Zabrel program looks.
    const Bytes saved = readFile(dir.file("notes.md"));
    EXPECT_EQ(std::string(saved.begin(), saved.end()), document(end, typed));
    const Bytes personal = readFile((dir.path() / "home" / "share" / "zabrel" / "personal.txt").string());
    EXPECT_EQ(std::string(personal.begin(), personal.end()), "صخت\n");
}

// The lines of the fenced Lua block after the README's "**Neovim**" paragraph.
std::string readmeSetup() {
    std::ifstream readme(ZABREL_TEST_SOURCE_DIR "/README.md");
    std::string setup;
    int stage = 0;  // 0 before the paragraph, 1 in it, 2 in the block
    for (std::string line; std::getline(readme, line) && stage < 3;) {
        if (stage == 0 && line.starts_with("**Neovim**"))
            stage = 1;
        else if (stage == 1 && line == "```lua")
            stage = 2;
        else if (stage == 2 && line == "```")
            stage = 3;
        else if (stage == 2)
            setup += line + "\n";
    }
    return setup;
}

TEST_P(Neovim, the_readme_set_up_marks_the_words_of_a_markdown_file) {
    // As a user has it: the program found on PATH, the shipped dictionary (here the
    // test's) in the user's copy, the set-up's own settings.
    const std::string setup = readmeSetup();
    ASSERT_NE(setup.find("'zabrel-lsp'"), std::string::npos) << setup;
    writeFile(dir.file("init.lua"), setup);
    const char* path = std::getenv("PATH");
    std::vector<std::string> wording;
    const std::string transcript = run(document(GetParam().lineEnd, LINE2), wording,
                                       {{"ZABREL_SETUP", dir.file("init.lua")},
                                        {"ZABREL_SHIPPED_DICTIONARY", (dir.path() / "dict").string()},
                                        {"PATH", fs::path(ZABREL_LSP_PROGRAM).parent_path().string() + ":" +
                                                     (path ? path : "/usr/bin:/bin")}});
    EXPECT_EQ(transcript, "diagnostics\n" + spelling(place(0, "# بزار کی کتاب", "بزار"), "INFO") +
                              spelling(place(2, LINE2, "بزار"), "INFO") +
                              spelling(place(2, LINE2, "صخت"), "INFO") +
                              spelling(place(2, LINE2, "بزار", 1), "INFO"));
    EXPECT_EQ(wording.size(), 4u);
}

INSTANTIATE_TEST_SUITE_P(Encodings, Neovim, ::testing::Values(Case{"utf-16", "\n"}, Case{"utf-8", "\r\n"}),
                         [](const ::testing::TestParamInfo<Case>& info) {
                             return std::string(info.param.encoding[4] == '1' ? "utf16_lf" : "utf8_crlf");
                         });

}  // namespace
}  // namespace zabrel::test

// Without Neovim the test is skipped (77), except in CI, where it must run.
int main(int argc, char** argv) {
    if (std::string(NVIM_PROGRAM).empty()) {
        const char* ci = std::getenv("CI");
        std::cerr << "Neovim is not installed; scripts/install-deps installs neovim\n";
        return ci != nullptr && std::string(ci) == "true" ? 1 : 77;
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
