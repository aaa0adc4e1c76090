// SPDX-License-Identifier: MIT
#include "engine/slotkeys.h"

#include <algorithm>
#include <cstdlib>

#include "lexicon/hashtable.h"
#include "lexicon/unichar2indexmap.h"

// The measuring loop counts bits. A generic x86-64 build would call a library routine
// for that; a second copy of the loop built for the processor's popcnt instruction is
// chosen at load time where the processor has it. Not under ThreadSanitizer: the
// chooser runs before the sanitizer is set up, and its instrumented code would crash.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__) && defined(__has_attribute) && \
    !defined(__SANITIZE_THREAD__)
#if __has_attribute(target_clones)
#define ZABREL_POPCOUNT_CLONES __attribute__((target_clones("popcnt", "default")))
#endif
#endif
#ifndef ZABREL_POPCOUNT_CLONES
#define ZABREL_POPCOUNT_CLONES
#endif
// The measuring helpers must be compiled into each copy of the loop, whatever the
// optimisation level, or the popcnt copy would call the generic routine after all.
#define ZABREL_INTO_LOOP [[gnu::always_inline]] inline

namespace zabrel {

namespace {

// Must match the code tables of the checker.
constexpr char16_t CODE_FIRST = 0x0600;
constexpr char16_t CODE_END = 0x0600 + 300;
// Keys this many candidates ahead are fetched while the current one is measured.
constexpr std::size_t FETCH_AHEAD = 24;

uint64_t classBit(uint8_t letter) {
    return uint64_t{1} << (letter & 63);
}

// The letter-class masks of a word. A stored unit outside the alphabet sets no bit:
// it matches no letter of a checked word, so leaving it out only weakens the bound.
void addToMasks(uint8_t letter, uint64_t& once, uint64_t& twice) {
    if (letter == NO_LETTER)
        return;
    twice |= once & classBit(letter);
    once |= classBit(letter);
}

// A lower bound of the edit distance from letter classes and lengths. In any alignment
// every occurrence of a class in one word beyond its count in the other (counts taken
// up to two) stays unmatched and costs an edit of its own; and the longer word needs
// as many insertions as the length difference on top of the edits of the shorter
// word's unmatched letters. A candidate whose bound exceeds the limit lies beyond it,
// so skipping its distance changes no bucket.
ZABREL_INTO_LOOP int32_t letterBound(const SlotKey& key, const WordProbe& probe) {
    const int32_t keyOnly =
        __builtin_popcountll(key.once & ~probe.once) + __builtin_popcountll(key.twice & ~probe.twice);
    const int32_t probeOnly =
        __builtin_popcountll(probe.once & ~key.once) + __builtin_popcountll(probe.twice & ~key.twice);
    const int32_t longer = key.length - probe.length;
    return std::max(keyOnly + std::max(-longer, 0), probeOnly + std::max(longer, 0));
}

// Levenshtein distance by the bit-parallel method (Myers, Hyyrö) for a pattern of at
// most 64 units. Returns `limit` + 1 as soon as the distance cannot come back to
// `limit`: each remaining text unit lowers the last row's score by one at most, so
// every distance up to the limit is exact and every larger one stays larger.
ZABREL_INTO_LOOP int32_t boundedDistance(const WordProbe& probe, const uint8_t* text, int32_t textLength,
                                         int32_t limit) {
    uint64_t pv = ~uint64_t{0};
    uint64_t mv = 0;
    const uint64_t high = uint64_t{1} << (probe.length - 1);
    int32_t score = probe.length;
    for (int32_t k = 0; k < textLength; ++k) {
        const uint64_t eq = probe.peq[text[k]];
        const uint64_t xv = eq | mv;
        const uint64_t xh = (((eq & pv) + pv) ^ pv) | eq;
        uint64_t ph = mv | ~(xh | pv);
        uint64_t mh = pv & xh;
        score += static_cast<int32_t>((ph & high) != 0) - static_cast<int32_t>((mh & high) != 0);
        ph = (ph << 1) | 1;
        mh <<= 1;
        pv = mh | ~(xv | ph);
        mv = ph & xv;
        if (score - (textLength - k - 1) > limit)
            return limit + 1;
    }
    return score;
}

// The distance of one candidate if it can be listed, else `limit` + 1. Lengths that
// differ by more than the limit, and letter classes that differ by more, rule a word
// out without measuring: both are lower bounds of the distance. The length window of
// the candidate rules is never narrower than the limit, so it needs no test here.
static_assert(listedDistanceLimit(40, 64) <= 3 && listedDistanceLimit(40, 2) <= 3);
ZABREL_INTO_LOOP int32_t listedDistance(const SlotKeys& keys, const SlotKey& key, const WordProbe& probe,
                                        int32_t limit) {
    const int32_t length = key.length;
    if (std::abs(length - probe.length) > limit)
        return limit + 1;
    if (letterBound(key, probe) > limit)
        return limit + 1;
    return boundedDistance(probe, keys.lettersOf(key), length, limit);
}

}  // namespace

bool SlotKeys::build(const HashTable& table, const UniChar2IndexMap& alphabet) {
    const std::size_t slotCount = static_cast<std::size_t>(std::max(table.getTableSize(), 0));
    keys.assign(slotCount, SlotKey{});
    slotLengths.assign(slotCount, 0);
    longLetters.clear();
    longest = 0;
    codeUnits.fill(0);
    ready = alphabet.getAlphabetSize() < NO_LETTER;
    // The map gives each index to one unit only, so a stored unit outside this range
    // has an index no unit inside it has: its code digit is 0, as the tables say.
    for (char16_t unit = CODE_FIRST; ready && unit < CODE_END; ++unit) {
        const uint16_t index = alphabet.getIndex(unit);
        if (index < NO_LETTER)
            codeUnits[index] = unit;
    }
    for (std::size_t s = 0; s < slotCount; ++s) {
        const std::u16string& word = table.nodeAt(static_cast<int32_t>(s)).word;
        longest = std::max(longest, word.size());
        slotLengths[s] = static_cast<uint8_t>(std::min<std::size_t>(word.size(), 0xFF));
        ready = ready && word.size() <= 0xFF;
        if (ready)
            keys[s] = keyOf(word, alphabet);
    }
    if (!ready)
        std::vector<SlotKey>().swap(keys);
    return ready;
}

SlotKey SlotKeys::keyOf(const std::u16string& word, const UniChar2IndexMap& alphabet) {
    SlotKey key;
    key.length = static_cast<uint8_t>(word.size());
    std::array<uint8_t, 256> letters;
    for (std::size_t k = 0; k < word.size(); ++k) {
        const uint16_t index = alphabet.getIndex(word[k]);
        letters[k] = index < NO_LETTER ? static_cast<uint8_t>(index) : NO_LETTER;
        addToMasks(letters[k], key.once, key.twice);
    }
    if (word.size() <= SlotKey::INLINE_LETTERS) {
        std::copy_n(letters.begin(), word.size(), key.letters.begin());
        return key;
    }
    const uint32_t offset = static_cast<uint32_t>(longLetters.size());
    for (std::size_t b = 0; b < 4; ++b)
        key.letters[b] = static_cast<uint8_t>(offset >> (8 * b));
    longLetters.insert(longLetters.end(), letters.begin(), letters.begin() + static_cast<long>(word.size()));
    return key;
}

bool WordProbe::prepare(const std::u16string& word, const UniChar2IndexMap& alphabet) {
    peq.fill(0);
    once = 0;
    twice = 0;
    length = static_cast<int32_t>(word.size());
    if (word.empty() || word.size() > 64 || alphabet.getAlphabetSize() >= NO_LETTER)
        return false;
    for (std::size_t j = 0; j < word.size(); ++j) {
        // The checked word holds alphabet letters only.
        const uint8_t letter = static_cast<uint8_t>(alphabet.getIndex(word[j]));
        peq[letter] |= uint64_t{1} << j;
        addToMasks(letter, once, twice);
    }
    return true;
}

ZABREL_POPCOUNT_CLONES
void measureCandidates(const SlotKeys& keys, const WordProbe& probe, const int32_t* candidates,
                       std::size_t count, int32_t& nearest, DistanceBuckets& buckets) {
    const SlotKey* all = keys.data();
    int32_t limit = listedDistanceLimit(nearest, probe.length);
    for (std::size_t i = 0; i < count; ++i) {
        // Fetching ahead changes no value, only when the memory arrives.
        if (i + FETCH_AHEAD < count)
            __builtin_prefetch(all + candidates[i + FETCH_AHEAD]);
        const int32_t slot = candidates[i];
        const int32_t d = listedDistance(keys, all[slot], probe, limit);
        // Words past the limit (and so the far bucket) are never listed; leaving them
        // out cannot move the nearest level either, which they lie beyond.
        if (d > limit)
            continue;
        buckets[static_cast<std::size_t>(d)].push_back(slot);
        if (d < nearest) {
            nearest = d;
            limit = listedDistanceLimit(nearest, probe.length);
        }
    }
}

}  // namespace zabrel
