// SPDX-License-Identifier: MIT
#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "engine/codetables.h"
#include "engine/costtable.h"
#include "engine/slotkeys.h"
#include "lexicon/hashtable.h"

namespace zabrel {

// The accurate ranking's measure: the cheapest edit of one misspelt word into others,
// priced by a CostTable. One object measures for one thread; it keeps its buffers
// between words.
class WeightedDistance {
public:
    WeightedDistance() = default;
    explicit WeightedDistance(const CostTable& costs) : table(&costs) {}
    void use(const CostTable& costs) { table = &costs; }

    // The misspelt word the next measurements are against.
    void setWord(const std::u16string& misspelt);
    // Substitutions, additions, removals and swaps of neighbours, priced by the table
    // (the word's last letters by its end prices).
    float distance(const std::u16string& word);

private:
    const CostTable* table = nullptr;
    std::vector<uint8_t> misspeltLetters;
    std::vector<uint8_t> wordLetters;
    std::vector<char16_t> misspeltUnits;
    std::vector<float> rows;
};

// The accurate ranking: its measure is a weighted edit distance whose prices come from
// a CostTable, less a frequency bonus; lower scores are better suggestions. Ranking is
// const and may run on many threads at once: each thread works in buffers of its own.
class AccurateRanking {
public:
    // The list is cut here: past it lie words no reader looks for.
    static constexpr std::size_t MAX_SUGGESTIONS = 30;

    explicit AccurateRanking(CostTable costs) : table(std::move(costs)) {}

    const CostTable& costs() const { return table; }

    // The suggestions for `misspelt` from the near words the checker has bucketed by
    // distance: every word it could reach within two edits, past two only for a long
    // word with nothing nearer, and the cuts of the misspelt word into two common
    // lexicon words offered as "left right". Best first, each word once. `longestWord`:
    // no lexicon word is longer, so no cut leaves a longer part.
    void rank(const std::u16string& misspelt, const DistanceBuckets& buckets, const HashTable& lexicon,
              const CodeTables& codes, std::size_t longestWord,
              std::vector<std::u16string>& suggestions) const;

    // Code units of the parts looked up in the lexicon so far: the work of the cuts,
    // which must grow with the word's length and not with its square.
    std::size_t lookedUpUnits() const { return lookedUp.load(std::memory_order_relaxed); }

    // The score of `word` against the word `measure` was set to.
    float score(WeightedDistance& measure, const std::u16string& word, int32_t frequency) const;
    // The score of offering the misspelt word as `left` and `right` with a space
    // between; both must be lexicon words of at least the table's attested frequency.
    float splitScore(const std::u16string& left, int32_t leftFrequency, int32_t rightFrequency) const;
    float frequencyBonus(int32_t frequency) const;

private:
    struct Scored {
        float score;
        int32_t frequency;
        const std::u16string* word;
    };
    // One thread's working state of a ranking. `splits` holds the "left right" words
    // `scored` points at until the list is made.
    struct Work {
        WeightedDistance measure;
        std::vector<Scored> scored;
        std::deque<std::u16string> splits;
        std::vector<HashNode> searchResults;
    };
    static Work& work();

    // `agreeingCodes`: how many of the sound and shape codes `word` shares with the
    // misspelt word. `word` must stay in place until finish().
    void addWord(Work& w, const std::u16string& word, int32_t frequency, int agreeingCodes) const;
    void addSplits(Work& w, const std::u16string& misspelt, const HashTable& lexicon,
                   std::size_t longestWord) const;
    static void finish(Work& w, std::vector<std::u16string>& suggestions);
    // The sound and shape codes of a lexicon slot, worked out once (they only change
    // with the lexicon, which outlives this object's use). Threads that meet an unknown
    // slot together work out the same codes.
    std::pair<int32_t, int32_t> slotCodesOf(int32_t slot, const HashNode& node,
                                            const CodeTables& codes) const;

    struct SlotCodes {
        std::atomic<int32_t> soundex{0};
        std::atomic<int32_t> shapex{0};
        std::atomic<bool> known{false};
    };

    CostTable table;
    mutable std::once_flag codesSized;
    mutable std::unique_ptr<SlotCodes[]> slotCodes;
    mutable std::atomic<std::size_t> lookedUp{0};
};

}  // namespace zabrel
