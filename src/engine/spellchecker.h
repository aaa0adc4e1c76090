// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/configmanager.h"
#include "core/filereader.h"
#include "lexicon/hashtable.h"
#include "lexicon/unichar2indexmap.h"
#include "postings/postlistresources.h"

namespace zabrel {

class AccurateRanking;

// Which ranking orders the suggestions: the exact one of checkWord, or the accurate
// one of suggestAccurate.
enum class Ranking { Exact, Accurate };

// Levenshtein distance over UTF-16 code units with unit costs.
int32_t editDistance(const std::u16string& x, const std::u16string& y);

// The engine. initialize() reads config.ini from the current directory and either
// builds the lexicon and its posting lists from the word list (first run, writing the
// derived files) or loads them (later runs). checkWord() then answers one word at a
// time. Set-up failures leave initialize() as QuelmException-family errors.
class SpellChecker {
public:
    static constexpr int32_t CODE_TABLE_SIZE = 300;
    static constexpr char16_t CODE_TABLE_FIRST = 0x0600;
    static constexpr int32_t DISTANCE_BUCKETS = 40;

    SpellChecker();
    ~SpellChecker();
    SpellChecker(const SpellChecker&) = delete;
    SpellChecker& operator=(const SpellChecker&) = delete;

    bool initialize();
    // True when `word` is misspelt; `suggestions` then holds the ranked suggestions
    // (possibly none). False when the word is accepted; `suggestions` is then empty.
    bool checkWord(std::u16string word, std::vector<std::u16string>& suggestions);
    // The same answer as checkWord, with the suggestions ranked by the accurate ranking
    // (weighted edits priced by a cost table, word frequency, and two words run
    // together offered as "A B"). Raises IOException when the cost table is bad.
    bool suggestAccurate(std::u16string word, std::vector<std::u16string>& suggestions);
    // checkWord or suggestAccurate, by `ranking`.
    bool check(std::u16string word, std::vector<std::u16string>& suggestions, Ranking ranking);
    // The accurate ranking's prices: `path` here, else on first use costs.txt in the
    // dictionary folder (the current directory) when it has one, else the shipped
    // table built into the engine. Both raise IOException for a bad table.
    void loadCostTable(const std::string& path);
    void prepareAccurateRanking();

    bool loadSoundexTable(const std::string& path);
    bool loadShapexTable(const std::string& path);
    int32_t soundexCode(std::u16string word) const { return wordCode(word, soundexTable); }
    int32_t shapexCode(std::u16string word) const { return wordCode(word, shapexTable); }

    const ConfigManager& configuration() const { return config; }
    const HashTable& lexicon() const { return hashTable; }

private:
    using CodeTable = std::array<uint8_t, CODE_TABLE_SIZE>;

    static bool loadCodeTable(const std::string& path, CodeTable& table);
    static int32_t wordCode(const std::u16string& word, const CodeTable& table);

    void buildDerivedFiles();
    void checkAlphabet() const;
    void checkPostingRecords();
    void gatherCandidates(const std::u16string& errWord);
    void gatherTranspositions(const std::u16string& errWord);
    void gatherFromLists(const std::u16string& errWord, bool bigrams);
    void bucketCandidates(const std::u16string& errWord);
    void rankBuckets(const std::u16string& errWord, std::vector<std::u16string>& suggestions);
    bool readPostingList(FileReader& reader, const PostingEntry& entry);
    void markSeen(int32_t slot, std::vector<int32_t>& into);
    void indexLexicon();
    void rankAccurately(const std::u16string& errWord, std::vector<std::u16string>& suggestions);
    void addSplits(const std::u16string& errWord);

    HashTable hashTable;
    ConfigManager config;
    UniChar2IndexMap alphabetMap;
    PostListResources postLists;
    FileReader unigramPLReader;
    FileReader bigramPLReader;
    CodeTable soundexTable{};
    CodeTable shapexTable{};

    // Working state of one check, kept between checks so that the hot path allocates
    // nothing once the buffers have grown.
    std::vector<uint8_t> seen;
    std::vector<int32_t> seenSlots;
    std::array<std::vector<int32_t>, DISTANCE_BUCKETS> buckets;
    std::vector<int32_t> candidates;
    std::vector<int32_t> postingList;
    std::vector<unsigned char> rawList;
    std::vector<HashNode> searchResults;
    std::vector<uint64_t> peq;
    std::vector<uint32_t> letterStart;
    std::vector<uint16_t> lexiconLetters;
    std::size_t longestWord = 0;
    std::array<std::vector<int32_t>, 3> rankResult;
    std::vector<int32_t> res;

    std::unique_ptr<AccurateRanking> accurate;
    bool accurateRequested = false;
};

}  // namespace zabrel
