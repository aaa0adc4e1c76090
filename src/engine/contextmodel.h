// SPDX-License-Identifier: MIT
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "core/userfile.h"

namespace zabrel {

// The word pairs of running text, commonest first, as tools/make-dictionary writes
// them (context.bin). A pair is known by its place: the file holds ranks, and counts
// are taken to fall as 1 / rank. Little-endian layout:
//   "ZBLM", u32 word count W, u32 pair count P,
//   W words in code-unit order, each a u8 length and that many UTF-16 units,
//   P pairs, each the u16 numbers of its first and second word.
class ContextModel {
public:
    using Pair = std::pair<std::u16string, std::u16string>;

    // Raises IOException when the file cannot be read or is not such a model. The
    // file is mapped, not copied: pairs are looked up in its bytes. A load that fails
    // leaves the model as it was, and fails the same way the next time.
    void load(const std::string& path);
    // The same from pairs in memory, commonest first (a pair twice keeps its first place).
    void assign(const std::vector<Pair>& pairs);

    bool empty() const { return tables.pairCount == 0; }
    std::size_t pairCount() const { return tables.pairCount; }
    bool knows(std::u16string_view word) const;
    // The place of `first second` (1 for the commonest), 0 when the model lacks it.
    uint32_t rank(std::u16string_view first, std::u16string_view second) const;
    // The model's words that one letter added, dropped or changed, or two swapped,
    // makes of `word` (those that one letter dropped from each make the same), each
    // once and never the word itself. The index for it is made on the first call.
    void nearWords(std::u16string_view word, std::vector<std::u16string>& near) const;
    // No word of the model is longer: a longer one is none of its words.
    std::size_t longestWord() const { return tables.longest; }

    // The same by the words' numbers, for callers that ask about one word many times.
    static constexpr uint32_t NONE = UINT32_MAX;
    uint32_t numberOf(std::u16string_view word) const;
    uint32_t rank(uint32_t first, uint32_t second) const;

    // Code units of the words looked up so far: how the work grows with a word.
    std::size_t lookedUpUnits() const { return lookedUp.load(std::memory_order_relaxed); }

private:
    // Everything a load makes, made aside and taken only when the whole file is sound.
    struct Tables {
        UserFile::Mapping file;
        std::string owned;  // the bytes of a model assigned in memory
        std::size_t pairsAt = 0;
        uint32_t pairCount = 0;
        std::size_t longest = 0;
        std::vector<std::u16string> words;
        // The pairs' places (from 0) by first word, then second word, then place;
        // firstStart[w] is where word w's run begins.
        std::vector<uint32_t> firstStart;
        std::vector<uint32_t> byFirst;

        const unsigned char* pairs() const {
            return (file.size() != 0 ? file.data() : reinterpret_cast<const unsigned char*>(owned.data())) +
                   pairsAt;
        }
        uint32_t wordAt(uint32_t place, int half) const {
            const unsigned char* p = pairs() + 4 * static_cast<std::size_t>(place) + 2 * half;
            return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8;
        }
    };
    static Tables read(const unsigned char* bytes, std::size_t size, const std::string& path);
    void take(Tables&& made);
    void indexDeletions() const;

    Tables tables;
    mutable std::unordered_multimap<std::u16string, uint32_t> deletions;
    mutable std::atomic<std::size_t> lookedUp{0};
};

// Orders a misspelt word's suggestions by its neighbours as well as by its letters:
// each suggestion's accurate score, less WEIGHT times how much likelier the model
// makes it between the words beside it than alone. Between neighbours the model
// knows nothing of, the accurate order stays as it was.
class ContextRanking {
public:
    // Fitted by scripts/context-folds on the development tweets (held-out folds).
    static constexpr float WEIGHT = 1.0f;
    static constexpr float ASSOCIATION = 30.0f;

    struct Scored {
        std::u16string word;
        float score;  // the accurate score: lower is better
    };
    explicit ContextRanking(const ContextModel& model) : model(model) {}

    void setWeights(float weight, float association) {
        this->weight = weight;
        logAssociation = association;
    }

    // ln(1 + e^ASSOCIATION · (1/rank) / (f(first) · f(second))): the log of how much
    // likelier the pair is than its words apart, with an interpolation that keeps a
    // pair the model lacks at 0. `frequency` gives a word's frequency in the lexicon.
    template <typename Frequency>
    float association(std::u16string_view first, std::u16string_view second,
                      const Frequency& frequency) const;
    // The same for a pair whose place the caller has looked up.
    template <typename Frequency>
    float association(uint32_t place, std::u16string_view first, std::u16string_view second,
                      const Frequency& frequency) const;

    // The gain of `candidate` (one word, or two written "A B") between `left` and
    // `right` (either may be empty: no neighbour there).
    template <typename Frequency>
    float fit(std::u16string_view left, const std::u16string& candidate, std::u16string_view right,
              const Frequency& frequency) const;

    // Reorders `words` (best first on entry) by score(word) − weight · fit; the order
    // of equals is kept, and `score` is asked only when the neighbours know one of
    // the words. True when the context moved anything.
    template <typename Score, typename Frequency>
    bool rerank(std::u16string_view left, std::u16string_view right, std::vector<std::u16string>& words,
                const Score& score, const Frequency& frequency) const;

    float contextWeight() const { return weight; }

private:
    const ContextModel& model;
    float weight = WEIGHT;
    float logAssociation = ASSOCIATION;
};

}  // namespace zabrel

#include "engine/contextranking.inl"
