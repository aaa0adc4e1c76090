// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

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

    // Raises IOException when the file cannot be read or is not such a model.
    void load(const std::string& path);
    // The same from pairs in memory, commonest first (a pair twice keeps its first place).
    void assign(const std::vector<Pair>& pairs);

    bool empty() const { return ranks.empty(); }
    std::size_t pairCount() const { return ranks.size(); }
    bool knows(std::u16string_view word) const;
    // The place of `first second` (1 for the commonest), 0 when the model lacks it.
    uint32_t rank(std::u16string_view first, std::u16string_view second) const;
    // The model's words that one letter added, dropped or changed, or two swapped,
    // makes of `word` (those that one letter dropped from each make the same), each
    // once and never the word itself. The index for it is made on the first call.
    void nearWords(std::u16string_view word, std::vector<std::u16string>& near) const;

    // The same by the words' numbers, for callers that ask about one word many times.
    static constexpr uint32_t NONE = UINT32_MAX;
    uint32_t numberOf(std::u16string_view word) const;
    uint32_t rank(uint32_t first, uint32_t second) const;

private:
    void indexDeletions() const;

    std::vector<std::u16string> words;
    mutable std::unordered_multimap<std::u16string, uint32_t> deletions;

    // Looked up by views, without a string made for each lookup.
    struct ViewHash {
        using is_transparent = void;
        std::size_t operator()(std::u16string_view word) const {
            return std::hash<std::u16string_view>{}(word);
        }
    };
    std::unordered_map<std::u16string, uint32_t, ViewHash, std::equal_to<>> numbers;
    std::unordered_map<uint64_t, uint32_t> ranks;
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
