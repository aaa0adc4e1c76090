// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/dictionaryfiles.h"

namespace zabrel {

class FileReader;
class UniChar2IndexMap;

constexpr int32_t EMPTY_SLOT = -1;
constexpr int32_t CHAIN_END = -2;
constexpr uint32_t HASH_MULTIPLIER = 31415;
constexpr uint32_t HASH_STEP = 27183;
// Units of a word kept by the hash-table file.
constexpr int32_t STORED_WORD_UNITS = 20;
// Bytes of one slot in the hash-table file: word, frequency, next.
constexpr int32_t SLOT_RECORD_SIZE = 2 * STORED_WORD_UNITS + 4 + 4;

struct HashNode {
    std::u16string word;
    int32_t frequency = 0;
    int32_t next = EMPTY_SLOT;
};

// Decimal value of a wide text read the way atoi reads a narrow one, each unit
// narrowed to its low byte. Saturates instead of overflowing.
int32_t toInt(const std::u16string& text);

// The lexicon: a fixed array of slots with coalesced chaining. A word's slot index is
// its id everywhere in the engine, so build, save and load keep every word in place.
class HashTable {
public:
    bool init(int32_t tableSize, int32_t addressSize);
    void clear();

    uint32_t hash(const std::u16string& word) const;
    int32_t insertAtHome(const std::u16string& word, int32_t frequency);
    int32_t insertCollision(const std::u16string& word, int32_t frequency, uint32_t home);

    bool contains(const std::u16string& word) const;
    bool find(const std::u16string& word, std::vector<HashNode>& results) const;
    bool getNode(int32_t slot, HashNode& node) const;
    bool setNode(int32_t slot, const HashNode& node);
    int32_t getTableSize() const { return tableSize; }
    int32_t getWordCount() const { return wordCount; }

    // Direct read access for the hot path of the checker; slot must be in range.
    const HashNode& nodeAt(int32_t slot) const { return nodes[static_cast<std::size_t>(slot)]; }

    bool build(const std::string& wordListFileName, const UniChar2IndexMap& alphabetMap,
               const DictionaryFiles& from = DictionaryFiles());
    bool build(const char* wordListFileName, const UniChar2IndexMap& alphabetMap) {
        return build(std::string(wordListFileName != nullptr ? wordListFileName : ""), alphabetMap);
    }
    // False when the file could not be written completely; saveFailureReason() then
    // says why. The file is replaced whole or not at all.
    bool save(const char* fileName) const;
    bool save(const std::string& fileName) const { return save(fileName.c_str()); }
    bool load(const std::string& fileName, const DictionaryFiles& from = DictionaryFiles());
    bool load(const char* fileName) { return load(std::string(fileName != nullptr ? fileName : "")); }
    // The same from a file's bytes; `label` stands for the file in messages.
    bool loadBytes(std::string_view bytes, const std::string& label);
    const std::string& saveFailureReason() const { return saveFailure; }

private:
    bool readFrom(FileReader& reader);
    enum class WalkEnd { Matched, ChainEnd, Broken };
    // Follows the chain through the word's home slot, calling onMatch(slot, node) for
    // each stored copy of the word until it returns true.
    template <typename OnMatch>
    WalkEnd walkChain(const std::u16string& word, OnMatch onMatch) const;
    static bool isListed(const HashNode& node, const std::u16string& word);
    bool chainsAreSound() const;
    // The last slot of the chain through `home`, or -1 for a broken chain.
    int32_t chainTailFrom(uint32_t home) const;
    void forgetChains();

    std::vector<HashNode> nodes;
    int32_t tableSize = 0;
    int32_t addressSize = 0;
    int32_t wordCount = 0;
    int32_t freeCursor = -1;
    mutable std::string saveFailure;
    // While a word list is being built: per occupied slot the head of its chain, per
    // head the chain's last slot.
    std::vector<int32_t> chainHead;
    std::vector<int32_t> chainTail;
};

}  // namespace zabrel
