// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/configmanager.h"
#include "core/filereader.h"
#include "engine/codetables.h"
#include "engine/slotkeys.h"
#include "engine/surefixes.h"
#include "lexicon/hashtable.h"
#include "lexicon/unichar2indexmap.h"
#include "postings/postlistresources.h"

namespace zabrel {

class AccurateRanking;

// Which ranking orders the suggestions: the exact one (distance levels, then sound and
// shape codes, then frequency), or the accurate one (weighted edits priced by a cost
// table, word frequency, and two words run together offered as "A B").
enum class Ranking { Exact, Accurate };

// The engine. initialize() reads a dictionary folder's config.ini and either builds
// the lexicon and its posting lists from the word list (first run, writing the derived
// files) or loads them (later runs). checkWord() then answers one word at a time:
// filter the word, gather candidates from the posting lists, bucket them by distance,
// rank the buckets. Set-up failures leave initialize() as QuelmException-family errors.
class SpellChecker {
public:
    static constexpr int32_t DISTANCE_BUCKETS = 40;

    SpellChecker();
    ~SpellChecker();
    SpellChecker(const SpellChecker&) = delete;
    SpellChecker& operator=(const SpellChecker&) = delete;

    // The folder is the current directory.
    bool initialize();
    // The folder given by path: config.ini and every relative path in it are taken
    // from it, and the current directory plays no part. Answers are the same as
    // initialize() run inside the folder.
    bool initialize(const std::filesystem::path& dictionaryFolder);
    // True when `word` is misspelt; `suggestions` then holds the suggestions (possibly
    // none) in the order of `ranking`. False when the word is accepted; `suggestions`
    // is then empty. The accurate ranking raises IOException when its cost table is
    // bad.
    bool checkWord(std::u16string word, std::vector<std::u16string>& suggestions,
                   Ranking ranking = Ranking::Exact);
    // The same, for callers that always say which ranking.
    bool check(std::u16string word, std::vector<std::u16string>& suggestions, Ranking ranking) {
        return checkWord(std::move(word), suggestions, ranking);
    }
    // The fix surefixes.txt gives `word` (a misspelt word whose intended word is
    // certain), or null. The accurate ranking offers it first; the exact one leaves it
    // where its order puts it.
    const std::u16string* sureFix(std::u16string_view word) const;
    // checkWord's verdict alone, without the cost of suggestions: true when the word
    // filtered to the alphabet is empty, one letter, or in the lexicon.
    bool accepts(std::u16string_view word) const;
    // The accurate ranking's prices: `path` here, else on first use costs.txt in the
    // dictionary folder when it has one, else the shipped table built into the engine.
    // Both raise IOException for a bad table.
    void loadCostTable(const std::string& path);
    void prepareAccurateRanking();

    int32_t soundexCode(const std::u16string& word) const { return codes.soundex.code(word); }
    int32_t shapexCode(const std::u16string& word) const { return codes.shapex.code(word); }

    // The letters words are made of, as loaded by initialize(): programs cut text into
    // words by the same letters.
    const UniChar2IndexMap& alphabet() const { return alphabetMap; }
    const HashTable& lexicon() const { return hashTable; }
    // The context model the folder names, from the folder; empty when it names none.
    const std::string& contextModelPath() const { return files.contextModelFilePath; }
    // What the accurate ranking scores `suggestion` as a suggestion for `misspelt`
    // (lower is better): a lexicon word, or two run together written "left right".
    float accurateScore(const std::u16string& misspelt, const std::u16string& suggestion);
    // The highest frequency the lexicon gives `word`, -1 when it does not hold it.
    int32_t frequencyOf(const std::u16string& word);
    // Code units of the words checks have looked up in the lexicon since set-up (the
    // accurate ranking's included): how the work of a check grows with its word.
    std::size_t lookedUpUnits() const;

    // The file set-up was at when it last failed, and what the dictionary holds in it
    // ("hash table"): the loaders' context sentences name the kind of step, not the
    // file, so a message for the user takes the file from here. Empty after a set-up
    // that succeeded.
    struct SetUpFile {
        std::string role;
        std::string path;
    };
    const SetUpFile& failedFile() const { return atFile; }

private:
    // Each letter's digit in a code table, by alphabet index.
    using LetterDigits = std::array<uint8_t, 256>;
    LetterDigits letterDigits(const CodeTable& table) const;
    int32_t slotCode(int32_t slot, const CodeTable& table, const LetterDigits& digits) const;

    void buildDerivedFiles();
    std::string inFolder(const std::string& path) const;
    void checkAlphabet() const;
    void checkPostingRecords();
    void gatherCandidates(const std::u16string& errWord);
    void gatherTranspositions(const std::u16string& errWord);
    void gatherFromLists(const std::u16string& errWord, bool bigrams);
    int32_t nearestBeforeMeasuring() const;
    void bucketCandidates(const std::u16string& errWord);
    void bucketPlainly(const std::u16string& errWord, int32_t& nearest);
    void rankBuckets(const std::u16string& errWord, std::vector<std::u16string>& suggestions);
    bool readPostingList(FileReader& reader, const PostingEntry& entry);
    bool readWholeList(FileReader& reader, const PostingEntry& entry);
    void markSeen(int32_t slot, std::vector<int32_t>& into);
    void gatherUnseen(const std::vector<int32_t>& list, uint8_t shortest, uint8_t longest);
    void indexLexicon();

    HashTable hashTable;
    ConfigManager config;  // as read: written back with its own relative paths
    ConfigManager files;   // the same with every path taken from the folder
    std::filesystem::path folder;
    SetUpFile atFile;
    UniChar2IndexMap alphabetMap;
    PostListResources postLists;
    FileReader unigramPLReader;
    FileReader bigramPLReader;
    CodeTables codes;
    SureFixes sureFixes;

    // Working state of one check, kept between checks so that the hot path allocates
    // nothing once the buffers have grown.
    std::vector<uint64_t> seen;
    DistanceBuckets buckets;
    std::vector<int32_t> candidates;
    std::vector<int32_t> postingList;
    std::vector<unsigned char> rawList;
    std::vector<HashNode> searchResults;
    WordProbe probe;
    SlotKeys slotKeys;
    std::size_t longestWord = 0;
    std::size_t lookedUp = 0;
    int32_t indexedSlots = -1;
    struct RankedSlot {
        int32_t frequency;
        int32_t slot;
    };
    std::array<std::vector<RankedSlot>, 3> rankResult;
    std::vector<RankedSlot> res;

    std::unique_ptr<AccurateRanking> accurate;
};

}  // namespace zabrel
