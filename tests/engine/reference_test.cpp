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
#include "support/testsupport.h"

using namespace zabrel;
using namespace zabrel::test;

namespace {

using Words = std::vector<std::u16string>;

int32_t plainDistance(const std::u16string& x, const std::u16string& y) {
    std::vector<std::vector<int32_t>> d(y.size() + 1, std::vector<int32_t>(x.size() + 1));
    for (std::size_t j = 0; j <= x.size(); ++j)
        d[0][j] = static_cast<int32_t>(j);
    for (std::size_t i = 1; i <= y.size(); ++i) {
        d[i][0] = static_cast<int32_t>(i);
        for (std::size_t j = 1; j <= x.size(); ++j)
            d[i][j] = std::min(std::min(d[i - 1][j], d[i][j - 1]) + 1,
                               d[i - 1][j - 1] + (y[i - 1] == x[j - 1] ? 0 : 1));
    }
    return d[y.size()][x.size()];
}

// The rules, written out step by step with copies everywhere.
class Reference {
public:
    Reference(const std::string& dir, SpellChecker& codes) : codes(codes) {
        alphabet.load(dir + "/alphabet.txt");
        table.load(dir + "/hashtable.dat");
        lists.build(table, alphabet);
    }

    bool check(const std::u16string& raw, Words& out) {
        out.clear();
        const std::u16string errWord = alphabet.filterWord(raw);
        if (errWord.empty() || table.contains(errWord) || errWord.size() == 1)
            return false;
        const int32_t n = static_cast<int32_t>(errWord.size());
        std::vector<char> seen(static_cast<std::size_t>(table.getTableSize()), 0);
        std::vector<std::vector<int32_t>> buckets(40);
        std::vector<int32_t> candidates;
        if (n >= 3) {
            for (int32_t i = 0; i + 1 < n; ++i) {
                std::u16string t = errWord;
                std::swap(t[i], t[i + 1]);
                std::vector<HashNode> results;
                table.find(t, results);
                for (const HashNode& hit : results)
                    if (!seen[hit.next]) {
                        seen[hit.next] = 1;
                        buckets[1].push_back(hit.next);
                    }
            }
            std::vector<std::pair<uint16_t, const std::vector<int32_t>*>> entries;
            for (int32_t i = 0; i + 1 < n; ++i)
                entries.emplace_back(stored(
                    lists.bigramList(alphabet.getIndex(errWord[i]), alphabet.getIndex(errWord[i + 1]))));
            visit(entries, seen, candidates);
        }
        if (n <= 3) {
            std::vector<std::pair<uint16_t, const std::vector<int32_t>*>> entries;
            for (int32_t i = 0; i < n; ++i)
                entries.emplace_back(stored(lists.unigramList(alphabet.getIndex(errWord[i]))));
            visit(entries, seen, candidates);
        }
        for (int32_t s : candidates) {
            HashNode hn;
            table.getNode(s, hn);
            const int32_t length = static_cast<int32_t>(hn.word.size());
            int32_t d =
                (length > n + 3 || length < n - 3) ? 39 : std::min(plainDistance(errWord, hn.word), 39);
            buckets[d].push_back(s);
        }
        int32_t firstLevel = 40;
        for (int32_t d = 0; d < 40 && firstLevel == 40; ++d)
            if (!buckets[d].empty())
                firstLevel = d;
        const int32_t maxLevel = (firstLevel == 0 || firstLevel == 1) ? firstLevel : (n > 5 ? 2 : 1);
        const int32_t sx = codes.soundexCode(errWord);
        const int32_t px = codes.shapexCode(errWord);
        auto emit = [&](std::vector<HashNode>& group) {
            std::stable_sort(group.begin(), group.end(),
                             [](const HashNode& a, const HashNode& b) { return a.frequency < b.frequency; });
            for (auto it = group.rbegin(); it != group.rend(); ++it)
                out.push_back(it->word);
        };
        for (int32_t d = 1; d <= maxLevel; ++d) {
            std::vector<HashNode> groups[3];
            for (int32_t s : buckets[d]) {
                HashNode hn;
                table.getNode(s, hn);
                const bool a = codes.soundexCode(hn.word) == sx;
                const bool b = codes.shapexCode(hn.word) == px;
                groups[a && b ? 0 : (a || b ? 1 : 2)].push_back(hn);
            }
            for (auto& g : groups)
                emit(g);
        }
        std::vector<HashNode> res;
        for (int32_t s : buckets[maxLevel + 1]) {
            HashNode hn;
            table.getNode(s, hn);
            if (codes.soundexCode(hn.word) == sx)
                res.push_back(hn);
        }
        emit(res);
        return true;
    }

private:
    static std::pair<uint16_t, const std::vector<int32_t>*> stored(const std::vector<int32_t>& list) {
        return {static_cast<uint16_t>(std::min<std::size_t>(list.size(), 65535)), &list};
    }

    static void visit(std::vector<std::pair<uint16_t, const std::vector<int32_t>*>> entries,
                      std::vector<char>& seen, std::vector<int32_t>& candidates) {
        std::stable_sort(entries.begin(), entries.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        for (auto it = entries.rbegin(); it != entries.rend(); ++it)
            for (uint16_t k = 0; k < it->first; ++k) {
                const int32_t slot = (*it->second)[k];
                if (!seen[slot]) {
                    seen[slot] = 1;
                    candidates.push_back(slot);
                }
            }
    }

    SpellChecker& codes;
    UniChar2IndexMap alphabet;
    HashTable table;
    PostListResources lists;
};

std::u16string randomWord(std::mt19937& rng, const std::u16string& letters, int minLength, int maxLength) {
    std::uniform_int_distribution<int> length(minLength, maxLength);
    std::uniform_int_distribution<std::size_t> letter(0, letters.size() - 1);
    std::u16string word;
    for (int k = length(rng); k > 0; --k)
        word += letters[letter(rng)];
    return word;
}

std::u16string misspell(std::mt19937& rng, std::u16string word, const std::u16string& letters) {
    std::uniform_int_distribution<std::size_t> letter(0, letters.size() - 1);
    const int edits = std::uniform_int_distribution<int>(1, 3)(rng);
    for (int e = 0; e < edits && !word.empty(); ++e) {
        std::size_t at = std::uniform_int_distribution<std::size_t>(0, word.size() - 1)(rng);
        switch (std::uniform_int_distribution<int>(0, 3)(rng)) {
            case 0:
                word[at] = letters[letter(rng)];
                break;
            case 1:
                word.erase(at, 1);
                break;
            case 2:
                word.insert(word.begin() + static_cast<long>(at), letters[letter(rng)]);
                break;
            default:
                if (at + 1 < word.size())
                    std::swap(word[at], word[at + 1]);
        }
    }
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
    Reference reference(".", firstRun);

    Words probes;
    for (int k = 0; k < 2500; ++k)
        probes.push_back(misspell(
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
