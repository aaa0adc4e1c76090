// SPDX-License-Identifier: MIT
#include "engine/accurateranking.h"

#include <algorithm>
#include <cmath>

namespace zabrel {

void WeightedDistance::setWord(const std::u16string& misspelt) {
    misspeltUnits.assign(misspelt.begin(), misspelt.end());
    misspeltLetters.resize(misspelt.size());
    for (std::size_t i = 0; i < misspelt.size(); ++i)
        misspeltLetters[i] = table->letterIndex(misspelt[i]);
}

float WeightedDistance::distance(const std::u16string& word) {
    const CostTable& table = *this->table;
    // Optimal string alignment over three rows: D[i][j] prices the first i letters of
    // the misspelt word (a) made into the first j letters of `word` (b).
    const std::size_t n = misspeltLetters.size();
    const std::size_t m = word.size();
    wordLetters.resize(m);
    for (std::size_t j = 0; j < m; ++j)
        wordLetters[j] = table.letterIndex(word[j]);
    const std::size_t width = m + 1;
    rows.assign(3 * width, 0.0f);
    float* before = rows.data();
    float* previous = before + width;
    float* current = previous + width;
    const uint8_t* a = misspeltLetters.data();
    const uint8_t* b = wordLetters.data();
    // An edit of either word's first letter costs `start` more: writers seldom get
    // the first letter wrong.
    const float start = table.startCost();
    previous[0] = 0.0f;
    for (std::size_t j = 1; j <= m; ++j)
        previous[j] = previous[j - 1] + table.indel(b[j - 1], j == m) + (j == 1 ? start : 0.0f);
    for (std::size_t i = 1; i <= n; ++i) {
        const bool lastA = i == n;
        const float firstA = i == 1 ? start : 0.0f;
        current[0] = previous[0] + table.indel(a[i - 1], lastA) + firstA;
        for (std::size_t j = 1; j <= m; ++j) {
            const bool lastB = j == m;
            const float firstB = j == 1 ? start : 0.0f;
            const char16_t x = misspeltUnits[i - 1];
            const char16_t y = word[j - 1];
            const float change =
                x == y ? 0.0f
                       : table.substitution(a[i - 1], b[j - 1], lastA && lastB) + std::max(firstA, firstB);
            float best = previous[j - 1] + change;
            best = std::min(best, previous[j] + table.indel(a[i - 1], lastA) + firstA);
            best = std::min(best, current[j - 1] + table.indel(b[j - 1], lastB) + firstB);
            if (i > 1 && j > 1 && x != y && x == word[j - 2] && misspeltUnits[i - 2] == y)
                best =
                    std::min(best, before[j - 2] + table.transposition() + (i == 2 || j == 2 ? start : 0.0f));
            current[j] = best;
        }
        std::swap(before, previous);
        std::swap(previous, current);
    }
    return previous[m];
}

float AccurateRanking::frequencyBonus(int32_t frequency) const {
    return table.frequencyWeight() * std::log(static_cast<float>(std::max(frequency, 1)));
}

float AccurateRanking::score(WeightedDistance& measure, const std::u16string& word, int32_t frequency) const {
    return measure.distance(word) - frequencyBonus(frequency);
}

float AccurateRanking::splitScore(const std::u16string& left, int32_t leftFrequency,
                                  int32_t rightFrequency) const {
    const float cost = table.endsFreely(left.back()) ? table.splitCost() : table.joinedSplitCost();
    return cost - frequencyBonus(std::min(leftFrequency, rightFrequency));
}

AccurateRanking::Work& AccurateRanking::work() {
    thread_local Work own;
    return own;
}

void AccurateRanking::addWord(Work& w, const std::u16string& word, int32_t frequency,
                              int agreeingCodes) const {
    w.scored.push_back(
        {score(w.measure, word, frequency) - table.codesWeight() * static_cast<float>(agreeingCodes),
         frequency, &word});
}

void AccurateRanking::finish(Work& w, std::vector<std::u16string>& suggestions) {
    std::vector<Scored>& scored = w.scored;
    // Ties go to the more frequent word, then to the smaller code units, so that the
    // order never depends on the order of gathering.
    const auto better = [](const Scored& l, const Scored& r) {
        if (l.score != r.score)
            return l.score < r.score;
        if (l.frequency != r.frequency)
            return l.frequency > r.frequency;
        return *l.word < *r.word;
    };
    // A word stored twice comes twice; room for a few such beyond the cut.
    const std::size_t wanted = std::min(scored.size(), MAX_SUGGESTIONS + 8);
    std::partial_sort(scored.begin(), scored.begin() + static_cast<std::ptrdiff_t>(wanted), scored.end(),
                      better);
    for (std::size_t i = 0; i < wanted && suggestions.size() < MAX_SUGGESTIONS; ++i)
        if (std::find(suggestions.begin(), suggestions.end(), *scored[i].word) == suggestions.end())
            suggestions.push_back(*scored[i].word);
    scored.clear();
    w.splits.clear();
}

std::pair<int32_t, int32_t> AccurateRanking::slotCodesOf(int32_t slot, const HashNode& node,
                                                         const CodeTables& codes) const {
    SlotCodes& known = slotCodes[static_cast<std::size_t>(slot)];
    if (known.known.load(std::memory_order_acquire))
        return {known.soundex.load(std::memory_order_relaxed), known.shapex.load(std::memory_order_relaxed)};
    const int32_t soundex = codes.soundex.code(node.word);
    const int32_t shapex = codes.shapex.code(node.word);
    known.soundex.store(soundex, std::memory_order_relaxed);
    known.shapex.store(shapex, std::memory_order_relaxed);
    known.known.store(true, std::memory_order_release);
    return {soundex, shapex};
}

void AccurateRanking::rank(const std::u16string& misspelt, const DistanceBuckets& buckets,
                           const HashTable& lexicon, const CodeTables& codes, std::size_t longestWord,
                           std::vector<std::u16string>& suggestions) const {
    Work& w = work();
    w.scored.clear();
    w.splits.clear();
    w.measure.use(table);
    w.measure.setWord(misspelt);
    // Every word the exact ranking could reach within two edits, the ones its levels
    // leave out included; past two only for long words with nothing nearer, as there.
    const bool nothingNear = buckets[1].empty() && buckets[2].empty();
    const int32_t farthest = nothingNear && misspelt.size() > 5 ? 3 : 2;
    const bool useCodes = table.codesWeight() != 0.0f;
    const int32_t misspeltSoundex = useCodes ? codes.soundex.code(misspelt) : 0;
    const int32_t misspeltShapex = useCodes ? codes.shapex.code(misspelt) : 0;
    if (useCodes)
        std::call_once(codesSized, [&] {
            slotCodes =
                std::make_unique<SlotCodes[]>(static_cast<std::size_t>(std::max(lexicon.getTableSize(), 0)));
        });
    for (int32_t d = 1; d <= farthest; ++d)
        for (int32_t slot : buckets[static_cast<std::size_t>(d)]) {
            const HashNode& node = lexicon.nodeAt(slot);
            int agreeing = 0;
            if (useCodes) {
                const auto [soundex, shapex] = slotCodesOf(slot, node, codes);
                agreeing = (soundex == misspeltSoundex) + (shapex == misspeltShapex);
            }
            addWord(w, node.word, node.frequency, agreeing);
        }
    addSplits(w, misspelt, lexicon, longestWord);
    finish(w, suggestions);
}

void AccurateRanking::addSplits(Work& w, const std::u16string& misspelt, const HashTable& lexicon,
                                std::size_t longestWord) const {
    // Two words run together: every cut into two lexicon words that are both common
    // enough. A part longer than every lexicon word is none, so only the cuts that
    // leave both parts within that length are tried: a long word costs as many
    // lookups as a short one.
    const int32_t attested = table.splitAttested();
    std::size_t units = 0;
    const auto frequency = [&](const std::u16string& part) {
        int32_t best = -1;
        units += part.size();
        lexicon.find(part, w.searchResults);
        for (const HashNode& hit : w.searchResults)
            best = std::max(best, hit.frequency);
        return best;
    };
    const std::size_t n = misspelt.size();
    const std::size_t firstCut = std::max<std::size_t>(1, n > longestWord ? n - longestWord : 0);
    const std::size_t lastCut = std::min(longestWord, n == 0 ? 0 : n - 1);
    for (std::size_t cut = firstCut; cut <= lastCut; ++cut) {
        const std::u16string left = misspelt.substr(0, cut);
        const int32_t leftFrequency = frequency(left);
        if (leftFrequency < attested)
            continue;
        const std::u16string right = misspelt.substr(cut);
        const int32_t rightFrequency = frequency(right);
        if (rightFrequency >= attested) {
            w.splits.push_back(left + u' ' + right);
            w.scored.push_back({splitScore(left, leftFrequency, rightFrequency),
                                std::min(leftFrequency, rightFrequency), &w.splits.back()});
        }
    }
    lookedUp.fetch_add(units, std::memory_order_relaxed);
}

}  // namespace zabrel
