// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <istream>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "core/configmanager.h"
#include "core/dictionaryfiles.h"
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
//
// Threads: once set up, checking and suggesting (every const call) may run on many
// threads at once; each thread works in buffers of its own. Setting up again and
// loading a cost table must not run beside them.
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
    // The same from a folder, or from its files held in memory: every file is read from
    // `files`, and answers and messages are those of the same files in a folder. A
    // first run in memory builds as one in a folder does but writes nothing: the
    // files it would write are kept with the checker.
    bool initialize(DictionaryFiles files);
    // True when `word` is misspelt; `suggestions` then holds the suggestions (possibly
    // none) in the order of `ranking`. False when the word is accepted; `suggestions`
    // is then empty. The accurate ranking raises IOException when its cost table is
    // bad.
    bool checkWord(std::u16string word, std::vector<std::u16string>& suggestions,
                   Ranking ranking = Ranking::Exact) const;
    // The same, for callers that always say which ranking.
    bool check(std::u16string word, std::vector<std::u16string>& suggestions, Ranking ranking) const {
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
    // Made on first use, once, whichever thread asks first.
    void prepareAccurateRanking() const { accurateRanking(); }

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
    float accurateScore(const std::u16string& misspelt, const std::u16string& suggestion) const;
    // The highest frequency the lexicon gives `word`, -1 when it does not hold it.
    int32_t frequencyOf(const std::u16string& word) const;
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
    // No lexicon word farther in length than this from a misspelt word is listed.
    static constexpr int32_t LENGTH_WINDOW = 3;
    struct RankedSlot {
        int32_t frequency;
        int32_t slot;
    };
    // The working state of one check. Each thread has its own, kept between checks so
    // that the hot path allocates nothing once the buffers have grown; a check leaves
    // `seen`, `candidates` and `buckets` empty however it ends.
    struct Work {
        std::vector<uint64_t> seen;
        DistanceBuckets buckets;
        std::vector<int32_t> candidates;
        std::vector<int32_t> postingList;
        std::vector<unsigned char> rawList;
        std::vector<HashNode> searchResults;
        WordProbe probe;
        std::array<std::vector<RankedSlot>, 3> rankResult;
        std::vector<RankedSlot> res;
    };
    static Work& work();

    // Each letter's digit in a code table, by alphabet index.
    using LetterDigits = std::array<uint8_t, 256>;
    LetterDigits letterDigits(const CodeTable& table) const;
    int32_t slotCode(int32_t slot, const CodeTable& table, const LetterDigits& digits) const;

    void buildDerivedFiles();
    std::string inFolder(const std::string& path) const;
    void checkAlphabet() const;
    void checkPostingRecords();
    const AccurateRanking& accurateRanking() const;
    void gatherCandidates(Work& w, const std::u16string& errWord) const;
    void gatherTranspositions(Work& w, const std::u16string& errWord) const;
    void gatherFromLists(Work& w, const std::u16string& errWord, bool bigrams) const;
    static int32_t nearestBeforeMeasuring(const Work& w);
    void bucketCandidates(Work& w, const std::u16string& errWord) const;
    void bucketPlainly(Work& w, const std::u16string& errWord, int32_t& nearest) const;
    void rankBuckets(Work& w, const std::u16string& errWord, std::vector<std::u16string>& suggestions) const;
    enum class ListFile { Bigrams, Unigrams };
    // The list's slots into w.postingList.
    void readPostingList(Work& w, ListFile list, const PostingEntry& entry) const;
    void markSeen(Work& w, int32_t slot, std::vector<int32_t>& into) const;
    void gatherUnseen(Work& w, const std::vector<int32_t>& list, uint8_t shortest, uint8_t longest) const;
    void indexLexicon() const;

    HashTable hashTable;
    ConfigManager config;  // as read: written back with its own relative paths
    ConfigManager files;   // the same with every path taken from the folder
    DictionaryFiles source;
    SetUpFile atFile;
    UniChar2IndexMap alphabetMap;
    PostListResources postLists;
    FileReader unigramPLReader;
    FileReader bigramPLReader;
    CodeTables codes;
    SureFixes sureFixes;

    // Made from the lexicon after set-up, or on the first check after one that failed
    // part-way (under `indexing`).
    mutable SlotKeys slotKeys;
    mutable std::size_t longestWord = 0;
    mutable std::atomic<int32_t> indexedSlots{-1};
    mutable std::mutex indexing;
    mutable std::atomic<std::size_t> lookedUp{0};
    // Per list file: a read met its end (the file was cut after set-up).
    mutable std::array<std::atomic<bool>, 2> listEnded{};

    // Made on first use under `accurateMaking`; `accurateMade` is read without it.
    mutable std::unique_ptr<AccurateRanking> accurate;
    mutable std::atomic<const AccurateRanking*> accurateMade{nullptr};
    mutable std::mutex accurateMaking;
};

}  // namespace zabrel
