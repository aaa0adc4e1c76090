// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "engine/codetables.h"
#include "engine/costtable.h"
#include "engine/slotkeys.h"
#include "lexicon/hashtable.h"

namespace zabrel {

// The accurate ranking: its measure is a weighted edit distance whose prices come from
// a CostTable, less a frequency bonus; lower scores are better suggestions. One object
// ranks one misspelt word at a time and keeps its buffers between words; it is not
// shared between threads.
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
              const CodeTables& codes, std::size_t longestWord, std::vector<std::u16string>& suggestions);

    // Code units of the parts looked up in the lexicon so far: the work of the cuts,
    // which must grow with the word's length and not with its square.
    std::size_t lookedUpUnits() const { return lookedUp; }

    // The misspelt word the next measurements are against; forgets the words added.
    void setWord(const std::u16string& misspelt);
    // The cheapest edit of the misspelt word into `word`: substitutions, additions,
    // removals and swaps of neighbours, priced by the table (the word's last letters
    // by its end prices).
    float distance(const std::u16string& word);
    float score(const std::u16string& word, int32_t frequency);
    // The score of offering the misspelt word as `left` and `right` with a space
    // between; both must be lexicon words of at least the table's attested frequency.
    float splitScore(const std::u16string& left, int32_t leftFrequency, int32_t rightFrequency) const;
    float frequencyBonus(int32_t frequency) const;

private:
    // One check's suggestions are collected, then finish() lists the best first, each
    // word once. `word` must stay in place until finish(). `agreeingCodes`: how many of
    // the sound and shape codes `word` shares with the misspelt word.
    void addWord(const std::u16string& word, int32_t frequency, int agreeingCodes);
    void addSplit(const std::u16string& left, int32_t leftFrequency, const std::u16string& right,
                  int32_t rightFrequency);
    void addSplits(const std::u16string& misspelt, const HashTable& lexicon, std::size_t longestWord);
    void finish(std::vector<std::u16string>& suggestions);

    // The sound and shape codes of lexicon slots, worked out once each (they only
    // change with the lexicon, which outlives this object's use).
    struct SlotCodes {
        int32_t soundex = 0;
        int32_t shapex = 0;
        bool known = false;
    };

    struct Scored {
        float score;
        int32_t frequency;
        const std::u16string* word;
    };

    CostTable table;
    std::vector<Scored> scored;
    std::deque<std::u16string> splits;
    std::vector<SlotCodes> slotCodes;
    std::vector<HashNode> searchResults;
    std::vector<uint8_t> misspeltLetters;
    std::vector<uint8_t> wordLetters;
    std::vector<char16_t> misspeltUnits;
    std::vector<float> rows;
    std::size_t lookedUp = 0;
};

}  // namespace zabrel
