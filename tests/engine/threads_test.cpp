// SPDX-License-Identifier: MIT
// One loaded engine checked from many threads at once answers as it answers one.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "engine/contextmodel.h"
#include "engine/spellchecker.h"
#include "support/dictionary.h"
#include "support/testsupport.h"

using namespace zabrel;
using namespace zabrel::test;

namespace {

struct Answer {
    bool misspelt = false;
    std::vector<std::u16string> exact;
    std::vector<std::u16string> accurate;
    float score = 0;
    int32_t frequency = 0;
    std::vector<std::u16string> near;
    bool operator==(const Answer&) const = default;
};

}  // namespace

TEST(EngineThreads, many_threads_on_one_engine_and_model_answer_as_one_thread) {
    TempDir dir;
    const std::u16string letters = urduLetters();
    DictionaryContents dict;
    dict.alphabet = letters;
    // Three-letter words over a few letters, with frequencies that differ, so that the
    // rankings have many near words to order.
    std::vector<std::u16string> lexicon;
    for (std::size_t a = 0; a < 8; ++a)
        for (std::size_t b = 0; b < 6; ++b)
            for (std::size_t c = 0; c < 6; ++c)
                if ((a + b + c) % 3 != 0)
                    lexicon.push_back({letters[a], letters[b + 8], letters[c + 2]});
    for (std::size_t k = 0; k < lexicon.size(); ++k)
        dict.words.push_back({lexicon[k], static_cast<int>(1 + k * 7 % 50)});
    writeDictionary(dir.path().string(), dict);
    {
        SpellChecker builder;  // the first run builds the derived files
        ASSERT_TRUE(builder.initialize(dir.path()));
    }
    // Misspelt words of every kind (a letter changed, dropped, added, two swapped, two
    // words run together) and correct ones.
    std::vector<std::u16string> words;
    for (std::size_t k = 0; k < lexicon.size(); k += 3) {
        const std::u16string& word = lexicon[k];
        words.push_back(word);
        words.push_back(std::u16string{word[0], letters[20], word[2]});
        words.push_back(word.substr(0, 2));
        words.push_back(word + letters[30]);
        words.push_back(std::u16string{word[1], word[0], word[2]});
        words.push_back(word + lexicon[(k * 5) % lexicon.size()]);
    }
    std::vector<ContextModel::Pair> pairs;
    for (std::size_t k = 0; k + 1 < lexicon.size(); k += 2)
        pairs.push_back({lexicon[k], lexicon[k + 1]});

    const auto answer = [](const SpellChecker& checker, const ContextModel& model,
                           const std::u16string& word) {
        Answer got;
        got.misspelt = checker.check(word, got.exact, Ranking::Exact);
        checker.check(word, got.accurate, Ranking::Accurate);
        if (!got.accurate.empty())
            got.score = checker.accurateScore(word, got.accurate.back());
        got.frequency = checker.frequencyOf(word);
        model.nearWords(word, got.near);
        return got;
    };
    std::vector<Answer> expected;
    {
        SpellChecker alone;
        ASSERT_TRUE(alone.initialize(dir.path()));
        ContextModel model;
        model.assign(pairs);
        for (const std::u16string& word : words)
            expected.push_back(answer(alone, model, word));
    }
    std::size_t misspelt = 0, suggested = 0;
    for (const Answer& a : expected) {
        misspelt += a.misspelt;
        suggested += !a.accurate.empty() && a.exact != a.accurate;
    }
    ASSERT_GT(misspelt, words.size() / 2);
    ASSERT_GT(suggested, words.size() / 4);  // the two rankings differ, so both are tried

    // A fresh engine and model: the accurate ranking, its codes and the model's index
    // are made while the threads race for them. Each thread starts elsewhere in the list.
    SpellChecker shared;
    ASSERT_TRUE(shared.initialize(dir.path()));
    ContextModel model;
    model.assign(pairs);
    constexpr std::size_t THREADS = 4;
    std::vector<std::size_t> mismatches(THREADS, 0);
    std::vector<std::thread> threads;
    for (std::size_t t = 0; t < THREADS; ++t)
        threads.emplace_back([&, t] {
            for (int round = 0; round < 3; ++round)
                for (std::size_t i = 0; i < words.size(); ++i) {
                    const std::size_t k = (i + t * words.size() / THREADS) % words.size();
                    mismatches[t] += !(answer(shared, model, words[k]) == expected[k]);
                }
        });
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(mismatches, std::vector<std::size_t>(THREADS, 0));
}
