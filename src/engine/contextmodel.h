// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "core/userfile.h"

namespace zabrel {

// A smoothed trigram model of running text, as tools/make-dictionary writes it
// (context.bin; tools/contextmodel.py says how it is estimated). Little-endian:
//   "ZBLC", u32 version 2, u32 word count W, u32 pair count B, u32 triple count T,
//   u8 cost of a word outside the model, 3 zero bytes;
//   W words in code-unit order: u8 length, that many UTF-16 units, u8 cost of the
//     word alone, u8 cost of backing off after it;
//   B pairs sorted by their words: u16 first, u16 second, u8 cost of the second
//     after the first, u8 cost of backing off after the pair;
//   T triples sorted by their words: three u16, u8 cost of the third after the two.
// A cost is −ln p in steps of 1/8. Queries are const and may run on many threads at
// once; loading and assigning must not run beside them.
class ContextModel {
public:
    using Pair = std::pair<std::u16string, std::u16string>;
    using Triple = std::array<std::u16string, 3>;
    // Counts to make a model of in memory: words alone, pairs and triples.
    struct Counts {
        std::map<std::u16string, double> words;
        std::map<Pair, double> pairs;
        std::map<Triple, double> triples;
        double tokens = 0;  // the running text's length; at least the words' counts
    };

    // Raises IOException when the file cannot be read or is not such a model. The
    // file is mapped, not copied: n-grams are looked up in its bytes. A load that
    // fails leaves the model as it was, and fails the same way the next time.
    void load(const std::string& path);
    // The same from a model file's bytes (copied); `label` stands for the file in messages.
    void loadBytes(std::string_view bytes, const std::string& label);
    // A model of these counts, estimated as the builder does.
    void assign(const Counts& counts);
    // The same from pairs alone, commonest first (a pair twice keeps its first place):
    // the pair at place r is taken to be seen 1000 / r times in a text of a million words.
    void assign(const std::vector<Pair>& pairs);
    // The bytes of a model file of these counts or pairs.
    static std::string encode(const Counts& counts);
    static Counts countsOf(const std::vector<Pair>& pairs);

    bool empty() const { return tables.pairCount == 0; }
    std::size_t pairCount() const { return tables.pairCount; }
    std::size_t tripleCount() const { return tables.tripleCount; }
    bool knows(std::u16string_view word) const;
    // The model's words that one letter added, dropped or changed, or two swapped,
    // makes of `word` (those that one letter dropped from each make the same), each
    // once and never the word itself. The index for it is made on the first call.
    void nearWords(std::u16string_view word, std::vector<std::u16string>& near) const;
    // No word of the model is longer: a longer one is none of its words.
    std::size_t longestWord() const { return tables.longest; }

    static constexpr uint32_t NONE = UINT32_MAX;
    uint32_t numberOf(std::u16string_view word) const;
    // ln P(word | the words before it), nearest last; NONE for a word outside the
    // model (or no word there). Any word has a probability: an unseen n-gram backs off.
    float logProbability(uint32_t word) const;
    float logProbability(uint32_t word, uint32_t before) const;
    float logProbability(uint32_t word, uint32_t before2, uint32_t before1) const;
    float logProbability(std::u16string_view word, std::u16string_view before2 = {},
                         std::u16string_view before1 = {}) const;
    // True when the model saw `first second` together.
    bool hasPair(uint32_t first, uint32_t second) const { return findPair(first, second) != nullptr; }

    // Code units of the words looked up so far: how the work grows with a word.
    std::size_t lookedUpUnits() const { return lookedUp.load(std::memory_order_relaxed); }

private:
    // Everything a load makes, made aside and taken only when the whole file is sound.
    struct Tables {
        UserFile::Mapping file;
        std::string owned;  // the bytes of a model assigned in memory
        const unsigned char* pairs = nullptr;
        const unsigned char* triples = nullptr;
        uint32_t pairCount = 0;
        uint32_t tripleCount = 0;
        float unknown = 0;
        std::size_t longest = 0;
        std::vector<std::u16string> words;
        std::vector<uint8_t> alone;    // cost of each word alone
        std::vector<uint8_t> backOff;  // cost of backing off after each word
    };
    static Tables read(const unsigned char* bytes, std::size_t size, const std::string& path);
    void take(Tables&& made);
    void indexDeletions() const;
    const unsigned char* findPair(uint32_t first, uint32_t second) const;
    const unsigned char* findTriple(uint32_t first, uint32_t second, uint32_t third) const;

    Tables tables;
    // Made on the first nearWords, once whichever thread asks first.
    mutable std::unordered_multimap<std::u16string, uint32_t> deletions;
    mutable std::unique_ptr<std::once_flag> deletionsMade = std::make_unique<std::once_flag>();
    mutable std::atomic<std::size_t> lookedUp{0};
};

// The words around a word of running text, nearest first on each side; empty where
// there is none (a sentence's edge).
struct Neighbours {
    std::u16string_view before1, before2, after1, after2;
};

// Orders a misspelt word's suggestions by its neighbours as well as by its letters:
// each suggestion's accurate score (which holds the word's own frequency) less
// WEIGHT times how much likelier the model makes the text with it than the word
// alone: ln P(c | the two before) − ln P(c), plus AFTER times what it does for the
// words after it, ln P(after1 | before1 c) − ln P(after1 | before1) and
// ln P(after2 | c after1) − ln P(after2 | after1). Without neighbours, no change.
class ContextRanking {
public:
    // Fitted by scripts/context-folds on the development tweets (held-out folds).
    static constexpr float WEIGHT = 0.1f;
    static constexpr float AFTER = 1.0f;

    struct Scored {
        std::u16string word;
        float score;  // the accurate score: lower is better
    };
    explicit ContextRanking(const ContextModel& model) : model(model) {}

    void setWeights(float weight, float after) {
        this->weight = weight;
        this->after = after;
    }

    // The gain of `candidate` (one word, or two written "A B") among its neighbours.
    float fit(const Neighbours& around, const std::u16string& candidate) const;

    // Reorders `words` (best first on entry) by score(word) − weight · fit; the order
    // of equals is kept, and `score` is asked only when the neighbours say something.
    // True when the context moved anything.
    template <typename Score>
    bool rerank(const Neighbours& around, std::vector<std::u16string>& words, const Score& score) const;

    float contextWeight() const { return weight; }

private:
    const ContextModel& model;
    float weight = WEIGHT;
    float after = AFTER;
};

}  // namespace zabrel

#include "engine/contextranking.inl"
