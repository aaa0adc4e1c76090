// SPDX-License-Identifier: MIT
// The checker's fast paths (bit-parallel distances, reused buffers, in-place swaps)
// against a plain, literal rendering of the suggestion rules on a random lexicon.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "core/configmanager.h"
#include "engine/spellchecker.h"
#include "lexicon/hashtable.h"
#include "lexicon/unichar2indexmap.h"
#include "postings/postlistresources.h"
#include "support/dictionary.h"
#include "support/plainrules.h"
#include "support/testsupport.h"

using namespace zabrel;
using namespace zabrel::test;

namespace {

using Words = std::vector<std::u16string>;

std::u16string randomWord(std::mt19937& rng, const std::u16string& letters, int minLength, int maxLength) {
    std::uniform_int_distribution<int> length(minLength, maxLength);
    std::uniform_int_distribution<std::size_t> letter(0, letters.size() - 1);
    std::u16string word;
    for (int k = length(rng); k > 0; --k)
        word += letters[letter(rng)];
    return word;
}

}  // namespace

TEST(reference_test, fast_checker_matches_the_plain_rules_first_and_later_run) {
    TempDir dir;
    CurrentDir here(dir.path());
    std::mt19937 rng(20261208);
    // A small letter set makes many shared pairs, long lists and frequency ties.
    const std::u16string letters = urduLetters().substr(0, 14);
    DictionaryContents dict;
    dict.alphabet = urduLetters();
    for (std::size_t k = 0; k < letters.size(); ++k) {
        dict.soundex.emplace_back(letters[k], static_cast<int>(k % 5) + 1);
        dict.shapex.emplace_back(letters[k], static_cast<int>(k % 3) + 1);
    }
    Words lexicon;
    for (int k = 0; k < 4000; ++k) {
        std::u16string word = randomWord(rng, letters, 2, 9);
        // Some duplicates on purpose: they occupy two slots.
        if (k % 97 == 0 && !lexicon.empty())
            word = lexicon[lexicon.size() / 2];
        lexicon.push_back(word);
        dict.words.push_back({word, std::uniform_int_distribution<int>(1, 30)(rng)});
    }
    writeDictionary(".", dict);

    SpellChecker firstRun;
    ASSERT_TRUE(firstRun.initialize());
    SpellChecker laterRun;
    ASSERT_TRUE(laterRun.initialize());
    PlainRules reference(".", firstRun);

    Words probes;
    for (int k = 0; k < 2500; ++k)
        probes.push_back(editAtRandom(
            rng, lexicon[std::uniform_int_distribution<std::size_t>(0, lexicon.size() - 1)(rng)], letters));
    for (int k = 0; k < 300; ++k)
        probes.push_back(randomWord(rng, letters, 2, 12));
    for (int k = 0; k < 200; ++k)
        probes.push_back(lexicon[static_cast<std::size_t>(k) * 7]);
    probes.push_back(std::u16string(70, letters[0]));  // longer than the bit-parallel width

    int misspelt = 0;
    int withSuggestions = 0;
    for (const auto& probe : probes) {
        Words expected, first, later;
        const bool expectedResult = reference.check(probe, expected);
        ASSERT_EQ(firstRun.checkWord(probe, first), expectedResult);
        ASSERT_EQ(laterRun.checkWord(probe, later), expectedResult);
        ASSERT_EQ(first, expected);
        ASSERT_EQ(later, expected);
        misspelt += expectedResult;
        withSuggestions += !expected.empty();
    }
    // The probes must exercise the interesting paths, not just the trivial ones.
    EXPECT_GT(misspelt, 2000);
    EXPECT_GT(withSuggestions, 1500);
}
