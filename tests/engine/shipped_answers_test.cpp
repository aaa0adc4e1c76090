// SPDX-License-Identifier: MIT
// The checker's answers on the shipped Urdu dictionary against the plain rules, on a
// sample of the bench misspellings and of random edits of lexicon words. bench/
// same_answers runs the whole set.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "engine/spellchecker.h"
#include "support/dictionary.h"
#include "support/plainrules.h"
#include "support/testsupport.h"

using namespace zabrel;
using namespace zabrel::test;
namespace fs = std::filesystem;

namespace {

fs::path source() {
    const char* root = std::getenv("ZABREL_SOURCE_DIR");
    return root ? fs::path(root) : fs::path(ZABREL_TEST_SOURCE_DIR);
}

}  // namespace

TEST(shipped_answers, checker_lists_what_the_plain_rules_list) {
    TempDir dir;
    for (const auto& entry : fs::directory_iterator(source() / "data" / "urdu"))
        if (entry.is_regular_file() && !entry.path().filename().string().starts_with("."))
            fs::copy_file(entry.path(), dir.path() / entry.path().filename());
    CurrentDir here(dir.path());
    SpellChecker firstRun;
    ASSERT_TRUE(firstRun.initialize());
    SpellChecker laterRun;
    ASSERT_TRUE(laterRun.initialize());
    PlainRules plain(".", laterRun);

    std::vector<std::u16string> words =
        misspeltColumn((source() / "bench" / "data" / "misspellings.tsv").string(), 10);
    ASSERT_EQ(words.size(), 200u);
    const auto edits = lexiconEdits(plain.lexicon(), 200, 17, urduLetters());
    words.insert(words.end(), edits.begin(), edits.end());

    int withSuggestions = 0;
    std::vector<std::u16string> list;
    for (const auto& word : words)
        withSuggestions += plain.check(word, list) && !list.empty();
    // Both kinds of run, and enough lists to compare.
    EXPECT_GT(withSuggestions, 300);
    EXPECT_EQ(disagreements(firstRun, plain, words), std::vector<std::u16string>{});
    EXPECT_EQ(disagreements(laterRun, plain, words), std::vector<std::u16string>{});
}
