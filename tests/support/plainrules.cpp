// SPDX-License-Identifier: MIT
#include "support/plainrules.h"

#include <algorithm>
#include <fstream>
#include <random>

namespace zabrel::test {

namespace {

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

}  // namespace

PlainRules::PlainRules(const std::string& dir, SpellChecker& codes) : codes(codes) {
    alphabet.load(dir + "/alphabet.txt");
    table.load(dir + "/hashtable.dat");
    lists.build(table, alphabet);
}

bool PlainRules::check(const std::u16string& raw, std::vector<std::u16string>& out) {
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
            entries.emplace_back(
                stored(lists.bigramList(alphabet.getIndex(errWord[i]), alphabet.getIndex(errWord[i + 1]))));
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
        int32_t d = (length > n + 3 || length < n - 3) ? 39 : std::min(plainDistance(errWord, hn.word), 39);
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

std::pair<uint16_t, const std::vector<int32_t>*> PlainRules::stored(const std::vector<int32_t>& list) {
    return {static_cast<uint16_t>(std::min<std::size_t>(list.size(), 65535)), &list};
}

void PlainRules::visit(Entries entries, std::vector<char>& seen, std::vector<int32_t>& candidates) {
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

std::u16string editAtRandom(std::mt19937& rng, std::u16string word, const std::u16string& letters) {
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

std::vector<std::u16string> lexiconEdits(const HashTable& lexicon, std::size_t count, uint32_t seed,
                                         const std::u16string& letters) {
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int32_t> slot(0, lexicon.getTableSize() - 1);
    std::vector<std::u16string> edits;
    while (edits.size() < count) {
        const std::u16string& word = lexicon.nodeAt(slot(rng)).word;
        if (!word.empty())
            edits.push_back(editAtRandom(rng, word, letters));
    }
    return edits;
}

std::vector<std::u16string> misspeltColumn(const std::string& tsvPath, std::size_t step) {
    std::ifstream in(tsvPath, std::ios::binary);
    std::string row;
    std::getline(in, row);
    std::vector<std::u16string> words;
    for (std::size_t k = 0; std::getline(in, row); ++k) {
        if (k % step != 0)
            continue;
        // Urdu text: one- to three-byte sequences.
        std::u16string word;
        for (std::size_t i = 0; i < row.size() && row[i] != '\t';) {
            const unsigned char c = static_cast<unsigned char>(row[i]);
            const std::size_t units = c < 0x80 ? 1 : (c & 0xE0) == 0xC0 ? 2 : 3;
            char32_t point = units == 1 ? c : units == 2 ? (c & 0x1F) : (c & 0x0F);
            for (std::size_t j = 1; j < units && i + j < row.size(); ++j)
                point = (point << 6) | (static_cast<unsigned char>(row[i + j]) & 0x3F);
            word += static_cast<char16_t>(point);
            i += units;
        }
        words.push_back(word);
    }
    return words;
}

std::vector<std::u16string> disagreements(SpellChecker& checker, PlainRules& plain,
                                          const std::vector<std::u16string>& words) {
    std::vector<std::u16string> differing;
    std::vector<std::u16string> expected;
    std::vector<std::u16string> actual;
    for (const auto& word : words) {
        const bool expectedResult = plain.check(word, expected);
        const bool actualResult = checker.checkWord(word, actual);
        if (expectedResult != actualResult || expected != actual)
            differing.push_back(word);
    }
    return differing;
}

}  // namespace zabrel::test
