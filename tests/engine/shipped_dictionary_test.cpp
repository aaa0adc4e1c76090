// SPDX-License-Identifier: MIT
// End to end on a copy of the shipped Urdu dictionary.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>

#include "engine/spellchecker.h"
#include "support/testsupport.h"
#include "text/utf8.h"

using namespace zabrel;
using namespace zabrel::test;
namespace fs = std::filesystem;

namespace {

std::u16string fromUtf8(const std::string& text) {
    std::u16string out;
    std::size_t badOffset = 0;
    EXPECT_TRUE(utf8ToUtf16(text, out, badOffset)) << "invalid UTF-8 at byte " << badOffset;
    return out;
}

class ShippedDictionary : public ::testing::Test {
protected:
    static fs::path source() {
        const char* root = std::getenv("ZABREL_SOURCE_DIR");
        return root ? fs::path(root) : fs::path(ZABREL_TEST_SOURCE_DIR);
    }
    TempDir dir;
    void SetUp() override {
        for (const auto& entry : fs::directory_iterator(source() / "data" / "urdu"))
            if (entry.is_regular_file() && !entry.path().filename().string().starts_with("."))
                fs::copy_file(entry.path(), dir.path() / entry.path().filename());
    }
};

}  // namespace

TEST_F(ShippedDictionary, lexicon_words_pass_and_sample_misspellings_are_corrected) {
    CurrentDir here(dir.path());
    auto started = std::chrono::steady_clock::now();
    {
        SpellChecker firstRun;
        ASSERT_TRUE(firstRun.initialize());
    }
    auto built = std::chrono::steady_clock::now();
    SpellChecker checker;
    ASSERT_TRUE(checker.initialize());
    auto loaded = std::chrono::steady_clock::now();
    std::cout << "first-run build " << std::chrono::duration<double, std::milli>(built - started).count()
              << " ms, later-run load " << std::chrono::duration<double, std::milli>(loaded - built).count()
              << " ms\n";

    // Every 100th record of the word list: about a thousand lexicon words.
    Bytes list = readFile("wordlist.txt");
    std::u16string text;
    for (std::size_t i = 2; i + 1 < list.size(); i += 2)
        text += static_cast<char16_t>(list[i] | (list[i + 1] << 8));
    std::size_t line = 0, checked = 0;
    std::vector<std::u16string> suggestions;
    for (std::size_t start = text.find(u'\n') + 1; start < text.size(); ++line) {
        std::size_t end = text.find(u'\n', start);
        std::u16string word = text.substr(start, text.find(u'\t', start) - start);
        if (line % 100 == 0) {
            EXPECT_FALSE(checker.checkWord(word, suggestions)) << line;
            ++checked;
        }
        start = end == std::u16string::npos ? text.size() : end + 1;
    }
    EXPECT_GE(checked, 1000u);

    std::ifstream tsv(source() / "data" / "samples" / "misspellings.tsv");
    std::string row;
    std::getline(tsv, row);
    int total = 0, first = 0, topFive = 0;
    while (std::getline(tsv, row)) {
        std::vector<std::string> fields;
        for (std::size_t at = 0; at <= row.size();) {
            std::size_t tab = std::min(row.find('\t', at), row.size());
            fields.push_back(row.substr(at, tab - at));
            at = tab + 1;
        }
        ASSERT_GE(fields.size(), 3u);
        ++total;
        EXPECT_TRUE(checker.checkWord(fromUtf8(fields[1]), suggestions)) << fields[1];
        auto hit = std::find(suggestions.begin(), suggestions.end(), fromUtf8(fields[2]));
        first += hit == suggestions.begin() && hit != suggestions.end();
        topFive += hit != suggestions.end() && hit - suggestions.begin() < 5;
        if (hit == suggestions.end() || hit - suggestions.begin() >= 5)
            std::cout << "not in the first five: " << fields[1] << " -> " << fields[2] << " (" << fields[3]
                      << ")\n";
    }
    std::cout << "sample misspellings: " << total << ", first " << first << ", first five " << topFive
              << "\n";
    EXPECT_GE(total, 10);
    EXPECT_GE(topFive * 10, total * 8);
}
