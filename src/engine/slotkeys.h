// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace zabrel {

class HashTable;
class UniChar2IndexMap;

// Levels of the suggestion list. The nearest distance found decides which levels are
// listed: the level listed in full is the nearest one when that is 0 or 1, otherwise
// 2 for words of more than five letters and 1 for shorter ones; only the one level
// beyond it is listed at all (by sound code). Ranking and measuring both use this.
constexpr int32_t fullListedLevel(int32_t nearest, int32_t wordLength) {
    return nearest <= 1 ? nearest : (wordLength > 5 ? 2 : 1);
}

// The farthest distance that can still be listed once a word at distance `nearest`
// is known (`nearest` past every level when none is). A nearer word found later only
// lowers it, so a candidate beyond it is never listed and need not be measured.
constexpr int32_t listedDistanceLimit(int32_t nearest, int32_t wordLength) {
    return fullListedLevel(nearest, wordLength) + 1;
}

// What measuring needs of one lexicon slot, 32 bytes so that two share a cache line
// and the next ones can be fetched ahead. Letters are alphabet indices in one byte
// (NO_LETTER for a stored unit outside the alphabet); a word longer than
// INLINE_LETTERS keeps its letters in the long-word store, at the offset held in
// `letters`.
struct alignas(32) SlotKey {
    static constexpr std::size_t INLINE_LETTERS = 15;
    // Letter classes (index mod 64) that occur at least once and at least twice.
    uint64_t once = 0;
    uint64_t twice = 0;
    uint8_t length = 0;
    std::array<uint8_t, INLINE_LETTERS> letters{};
};
static_assert(sizeof(SlotKey) == 32);

constexpr uint8_t NO_LETTER = 0xFF;

// The per-slot keys of a loaded lexicon, built once after set-up. Unusable (and the
// checker measures from the words themselves) when the alphabet has too many letters
// for one byte or a stored word is longer than a key can say.
class SlotKeys {
public:
    bool build(const HashTable& table, const UniChar2IndexMap& alphabet);
    bool usable() const { return ready; }
    std::size_t longestWord() const { return longest; }

    const SlotKey* data() const { return keys.data(); }
    // Every slot's length (capped at 255) in one small array, which stays in cache
    // while the posting lists are walked.
    const uint8_t* lengths() const { return slotLengths.data(); }
    const uint8_t* lettersOf(const SlotKey& key) const {
        if (key.length <= SlotKey::INLINE_LETTERS)
            return key.letters.data();
        uint32_t offset = 0;
        for (std::size_t b = 0; b < 4; ++b)
            offset |= static_cast<uint32_t>(key.letters[b]) << (8 * b);
        return longLetters.data() + offset;
    }
    // The code unit of an alphabet index, when it lies in [first, first + size) of the
    // code tables; 0 otherwise.
    char16_t unitOf(uint8_t letter) const { return codeUnits[letter]; }

private:
    SlotKey keyOf(const std::u16string& word, const UniChar2IndexMap& alphabet);

    std::vector<SlotKey> keys;
    std::vector<uint8_t> slotLengths;
    std::vector<uint8_t> longLetters;
    std::array<char16_t, 256> codeUnits{};
    std::size_t longest = 0;
    bool ready = false;
};

// The misspelt word prepared for measuring: its letter positions per alphabet index
// (the bit-parallel match masks) and its own letter-class masks.
struct WordProbe {
    std::array<uint64_t, 256> peq{};
    uint64_t once = 0;
    uint64_t twice = 0;
    int32_t length = 0;

    // False when the word is too long for the bit-parallel distance.
    bool prepare(const std::u16string& word, const UniChar2IndexMap& alphabet);
};

// Lists of slots by distance, as the ranking reads them.
using DistanceBuckets = std::array<std::vector<int32_t>, 40>;

// Measures `count` candidates in order and appends each to the bucket of its distance,
// leaving out those that cannot be listed. `nearest` is the nearest distance known
// before (1 when a transposition was found) and is lowered as nearer words turn up.
void measureCandidates(const SlotKeys& keys, const WordProbe& probe, const int32_t* candidates,
                       std::size_t count, int32_t& nearest, DistanceBuckets& buckets);

}  // namespace zabrel
