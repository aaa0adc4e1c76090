// SPDX-License-Identifier: MIT
#include "engine/spellchecker.h"

#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "core/errors.h"
#include "core/folderlock.h"
#include "engine/accurateranking.h"
#include "engine/editdistance.h"

namespace zabrel {

namespace {

constexpr int32_t LENGTH_WINDOW = 3;
static_assert(std::tuple_size_v<DistanceBuckets> == SpellChecker::DISTANCE_BUCKETS);

// Alphabets past this are refused before anything is allocated: the letter-pair
// index grows with the square of the alphabet (1,024 letters: about a million pairs,
// 8 MB loaded and 32 MB while building), and Urdu needs about 50.
constexpr int32_t MAX_ALPHABET_SIZE = 1024;

// Taken exclusively around a first-run build, shared while later runs load.
constexpr const char* LOCK_FILE_NAME = ".zabrel.lock";

[[noreturn]] void notWritten(const std::string& path, const std::string& reason) {
    std::string message = "Could not write file: " + path + ".";
    if (!reason.empty())
        message += " " + reason + ".";
    throw IOException(ZABREL_HERE, ERR_FILE_OPEN, message);
}

[[noreturn]] void refused(const std::string& message) {
    throw IOException(ZABREL_HERE, ERR_FILE_READ, message);
}

// A config.ini handed around in a shared folder must not make a first run overwrite
// files elsewhere: every derived file lies in the dictionary folder or below it, with
// symlinked folders resolved.
void requireInsideFolder(const std::string& path, const std::filesystem::path& dictionaryFolder) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path folder =
        fs::weakly_canonical(dictionaryFolder.empty() ? fs::current_path(ec) : dictionaryFolder, ec);
    const fs::path target(path);
    const fs::path name = target.filename();
    bool inside = !ec && !path.empty() && name != "." && name != ".." && !name.empty();
    if (inside) {
        const fs::path parent = fs::weakly_canonical(fs::absolute(target, ec).parent_path(), ec);
        const fs::path relative = parent.lexically_relative(folder);
        inside = !ec && !relative.empty() && *relative.begin() != "..";
    }
    if (!inside)
        refused("Derived file lies outside the dictionary folder: " + path + ".");
}

}  // namespace

SpellChecker::SpellChecker() = default;

SpellChecker::~SpellChecker() {
    unigramPLReader.close();
    bigramPLReader.close();
}

// ---- set-up ----------------------------------------------------------------------

bool SpellChecker::initialize() {
    return initialize(std::filesystem::path());
}

bool SpellChecker::initialize(const std::filesystem::path& dictionaryFolder) {
    // A second set-up (after one that failed part-way, say) keeps nothing of the first.
    unigramPLReader.close();
    bigramPLReader.close();
    hashTable.clear();
    alphabetMap.clear();
    postLists.release();
    accurate.reset();
    sureFixes = {};
    indexedSlots = -1;
    folder = dictionaryFolder;
    const std::string configFile = inFolder(ConfigManager::FILE_NAME);
    atFile = {"configuration file", configFile};
    if (!config.read(configFile))
        return false;
    // Programs starting together on a fresh folder: the first builds, the others wait
    // on the lock and then find "NO" and load what it wrote.
    FolderLock lock;
    if (config.initialize == "YES") {
        lock.acquire(inFolder(LOCK_FILE_NAME), FolderLock::Mode::Exclusive, true);
        config = ConfigManager{};
        if (!config.read(configFile))
            return false;
    } else {
        lock.acquire(inFolder(LOCK_FILE_NAME), FolderLock::Mode::Shared, false);
    }
    files = config;
    for (std::string* path : {&files.wordListFilePath, &files.hashTableFilePath, &files.bigramMatrixFilePath,
                              &files.bigramPLFilePath, &files.unigramListsFilePath, &files.unigramPLFilePath,
                              &files.urduAlphabetFilePath, &files.soundexFilePath, &files.shapexFilePath})
        *path = inFolder(*path);
    if (!files.contextModelFilePath.empty())
        files.contextModelFilePath = inFolder(files.contextModelFilePath);
    atFile = {"alphabet file", files.urduAlphabetFilePath};
    if (!alphabetMap.load(files.urduAlphabetFilePath))
        return false;
    checkAlphabet();
    postLists.setAlphabetSize(alphabetMap.getAlphabetSize());
    if (config.initialize == "YES") {
        buildDerivedFiles();
    } else if (config.initialize == "NO") {
        atFile = {"hash table", files.hashTableFilePath};
        if (!hashTable.load(files.hashTableFilePath))
            refused("Hash table file is damaged: " + files.hashTableFilePath + ".");
        atFile = {"letter-pair index", files.bigramMatrixFilePath};
        postLists.loadBigramMatrix(files.bigramMatrixFilePath);
        atFile = {"letter index", files.unigramListsFilePath};
        postLists.loadUnigramIndex(files.unigramListsFilePath);
    }
    atFile = {"soundex table", files.soundexFilePath};
    codes.soundex.load(files.soundexFilePath);
    atFile = {"shapex table", files.shapexFilePath};
    codes.shapex.load(files.shapexFilePath);
    try {
        atFile = {"letter-pair lists", files.bigramPLFilePath};
        bigramPLReader.open(files.bigramPLFilePath, false);
        atFile = {"letter lists", files.unigramPLFilePath};
        unigramPLReader.open(files.unigramPLFilePath, false);
    } catch (IOException& ex) {
        annotate(ex, ZABREL_HERE, " Config file reading problem occurred.");
        throw;
    }
    atFile = {"posting-list index", files.bigramMatrixFilePath};
    checkPostingRecords();
    // Its messages name the file and the line themselves.
    atFile = {"sure-fix table", {}};
    sureFixes = SureFixes::load(inFolder(SureFixes::FILE_NAME), [this](std::u16string slip) {
        return alphabetMap.filterWord(std::move(slip));
    });
    atFile = {};
    indexLexicon();
    return true;
}

void SpellChecker::checkAlphabet() const {
    const int32_t letters = alphabetMap.getAlphabetSize();
    if (letters > MAX_ALPHABET_SIZE)
        refused("Alphabet file lists " + std::to_string(letters) + " letters, more than the " +
                std::to_string(MAX_ALPHABET_SIZE) + " the engine allows: " + files.urduAlphabetFilePath +
                ".");
    // A NUL letter would survive the filter while building but end a stored word when
    // the table is read back, so the same word would be answered differently.
    if (alphabetMap.getIndex(u'\0') != NO_INDEX)
        refused("Alphabet file lists the NUL character: " + files.urduAlphabetFilePath + ".");
}

void SpellChecker::checkPostingRecords() {
    // A record that points outside its list file would make every check that reads it
    // fail part-way, or read the wrong words: refuse such a pair of files up front.
    const auto check = [](const PostingEntry& entry, int64_t listBytes) {
        if (entry.count == 0)
            return true;
        return entry.offset >= 0 && entry.offset % 4 == 0 &&
               int64_t{entry.offset} + 4 * int64_t{entry.count} <= listBytes;
    };
    if (!postLists.hasIndex())
        return;  // neither built nor loaded: every list reads as empty
    const int64_t markBytes = 2;
    const int64_t bigramBytes = bigramPLReader.getFileSize() - markBytes;
    const int64_t unigramBytes = unigramPLReader.getFileSize() - markBytes;
    const int32_t n = postLists.getAlphabetSize();
    for (int32_t i = 0; i < n; ++i) {
        for (int32_t j = 0; j < n; ++j)
            if (!check(postLists.bigramRecord(i, j), bigramBytes))
                refused("Posting-list index does not match its list file: " + files.bigramMatrixFilePath +
                        ", " + files.bigramPLFilePath + ".");
        if (!check(postLists.unigramRecord(i), unigramBytes))
            refused("Posting-list index does not match its list file: " + files.unigramListsFilePath + ", " +
                    files.unigramPLFilePath + ".");
    }
}

void SpellChecker::buildDerivedFiles() {
    for (const std::string* path :
         {&files.hashTableFilePath, &files.bigramMatrixFilePath, &files.bigramPLFilePath,
          &files.unigramListsFilePath, &files.unigramPLFilePath})
        requireInsideFolder(*path, folder);
    // A header that is no count would give an empty lexicon that calls every word
    // misspelt, and the run would still rewrite config.ini as done.
    atFile = {"word list", files.wordListFilePath};
    if (!hashTable.build(files.wordListFilePath, alphabetMap))
        refused("Word list header is not a word count: " + files.wordListFilePath + ".");
    postLists.build(hashTable, alphabetMap);
    atFile = {"hash table", files.hashTableFilePath};
    if (!hashTable.save(files.hashTableFilePath))
        notWritten(files.hashTableFilePath, hashTable.saveFailureReason());
    atFile = {"posting lists", files.bigramPLFilePath};
    if (!postLists.save(files)) {
        atFile.path = postLists.failedPath();
        notWritten(postLists.failedPath(), postLists.failureReason());
    }
    // Last: a build that failed part-way leaves "initialize = YES", so the next start
    // builds again.
    atFile = {"configuration file", inFolder(ConfigManager::FILE_NAME)};
    if (!config.write(inFolder(ConfigManager::FILE_NAME)))
        notWritten(inFolder(ConfigManager::FILE_NAME), config.writeFailureReason());
}

std::string SpellChecker::inFolder(const std::string& path) const {
    if (folder.empty() || path.empty() || std::filesystem::path(path).is_absolute())
        return path;
    return (folder / path).string();
}

// ---- the accurate ranking's prices -------------------------------------------------

void SpellChecker::loadCostTable(const std::string& path) {
    accurate = std::make_unique<AccurateRanking>(CostTable::load(path));
}

void SpellChecker::prepareAccurateRanking() {
    if (accurate)
        return;
    // The dictionary folder may bring its own prices; the shipped ones otherwise.
    std::error_code ec;
    const std::string file = inFolder(CostTable::FILE_NAME);
    if (std::filesystem::exists(file, ec))
        loadCostTable(file);
    else
        accurate = std::make_unique<AccurateRanking>(CostTable::builtIn());
}

int32_t SpellChecker::frequencyOf(const std::u16string& word) {
    int32_t best = -1;
    hashTable.find(word, searchResults);
    for (const HashNode& hit : searchResults)
        best = std::max(best, hit.frequency);
    return best;
}

std::size_t SpellChecker::lookedUpUnits() const {
    return lookedUp + (accurate ? accurate->lookedUpUnits() : 0);
}

float SpellChecker::accurateScore(const std::u16string& misspelt, const std::u16string& suggestion) {
    prepareAccurateRanking();
    if (const std::size_t space = suggestion.find(u' '); space != std::u16string::npos) {
        const std::u16string left = suggestion.substr(0, space);
        return accurate->splitScore(left, frequencyOf(left), frequencyOf(suggestion.substr(space + 1)));
    }
    const std::u16string errWord = alphabetMap.filterWord(misspelt);
    accurate->setWord(errWord);
    // As the ranking prices it: a word the lexicon lacks (a personal word) has the
    // least frequency.
    float score = accurate->score(suggestion, std::max(frequencyOf(suggestion), 1));
    if (const float codesWeight = accurate->costs().codesWeight(); codesWeight != 0.0f)
        score -=
            codesWeight * static_cast<float>((codes.soundex.code(suggestion) == codes.soundex.code(errWord)) +
                                             (codes.shapex.code(suggestion) == codes.shapex.code(errWord)));
    return score;
}

// ---- checking --------------------------------------------------------------------

namespace {

bool acceptsFiltered(const std::u16string& errWord, const HashTable& lexicon) {
    return errWord.empty() || lexicon.contains(errWord) || errWord.size() == 1;
}

}  // namespace

bool SpellChecker::accepts(std::u16string_view word) const {
    return acceptsFiltered(alphabetMap.filterWord(std::u16string(word)), hashTable);
}

const std::u16string* SpellChecker::sureFix(std::u16string_view word) const {
    if (sureFixes.size() == 0)
        return nullptr;
    return sureFixes.find(alphabetMap.filterWord(std::u16string(word)));
}

bool SpellChecker::checkWord(std::u16string word, std::vector<std::u16string>& suggestions, Ranking ranking) {
    // A bad cost table is reported for any word, not only for the first misspelt one.
    if (ranking == Ranking::Accurate)
        prepareAccurateRanking();
    suggestions.clear();
    const std::u16string errWord = alphabetMap.filterWord(std::move(word));
    if (acceptsFiltered(errWord, hashTable))
        return false;

    // The working state is reset however the check ends.
    struct Reset {
        SpellChecker& checker;
        ~Reset() {
            std::fill(checker.seen.begin(), checker.seen.end(), 0);
            checker.candidates.clear();
            for (auto& bucket : checker.buckets)
                bucket.clear();
        }
    } reset{*this};

    if (indexedSlots != hashTable.getTableSize())
        indexLexicon();
    // No lexicon word comes within the length window of a word this long, and no
    // transposition of it can be stored: the buckets stay empty, so skip the work
    // (which grows with the square of the word's length).
    if (errWord.size() <= longestWord + LENGTH_WINDOW) {
        gatherCandidates(errWord);
        bucketCandidates(errWord);
    }
    if (ranking == Ranking::Accurate) {
        accurate->rank(errWord, buckets, hashTable, codes, longestWord, suggestions);
        // A slip whose word is certain: that word first, whatever the prices say.
        if (const std::u16string* fix = sureFixes.find(errWord)) {
            std::erase(suggestions, *fix);
            suggestions.insert(suggestions.begin(), *fix);
            if (suggestions.size() > AccurateRanking::MAX_SUGGESTIONS)
                suggestions.pop_back();
        }
    } else {
        rankBuckets(errWord, suggestions);
    }
    return true;
}

int32_t SpellChecker::slotCode(int32_t slot, const CodeTable& table, const LetterDigits& digits) const {
    if (!slotKeys.usable())
        return table.code(hashTable.nodeAt(slot).word);
    // The key's letters stand for the word's units one for one and `digits` holds each
    // letter's table value, so the code comes out the same without touching the word;
    // a unit outside the alphabet has no letter, and then the word itself is read.
    const SlotKey& key = slotKeys.data()[slot];
    const uint8_t* letters = slotKeys.lettersOf(key);
    uint32_t code = 0;
    for (int32_t k = 0; k < key.length; ++k) {
        if (letters[k] == NO_LETTER)
            return table.code(hashTable.nodeAt(slot).word);
        CodeTable::append(code, digits[letters[k]]);
    }
    return CodeTable::finish(code);
}

void SpellChecker::markSeen(int32_t slot, std::vector<int32_t>& into) {
    // Ids from a damaged posting-list file may point anywhere.
    if (slot < 0 || slot >= hashTable.getTableSize())
        return;
    // One bit a slot, so that the whole set stays in the nearest cache while the lists
    // are walked.
    uint64_t& bits = seen[static_cast<std::size_t>(slot) >> 6];
    const uint64_t bit = uint64_t{1} << (slot & 63);
    if ((bits & bit) != 0)
        return;
    bits |= bit;
    into.push_back(slot);
}

void SpellChecker::gatherCandidates(const std::u16string& errWord) {
    const std::size_t slots = static_cast<std::size_t>(std::max(hashTable.getTableSize(), 0));
    if (seen.size() != (slots + 63) / 64)
        seen.assign((slots + 63) / 64, 0);
    const std::size_t n = errWord.size();
    if (n >= 3) {
        gatherTranspositions(errWord);
        gatherFromLists(errWord, true);
    }
    if (n <= 3)
        gatherFromLists(errWord, false);
}

void SpellChecker::gatherTranspositions(const std::u16string& errWord) {
    std::u16string transposeWord = errWord;
    for (std::size_t i = 0; i + 1 < errWord.size(); ++i) {
        // Swapping equal neighbours gives the word itself, which the lexicon lacks.
        if (errWord[i] == errWord[i + 1])
            continue;
        std::swap(transposeWord[i], transposeWord[i + 1]);
        lookedUp += transposeWord.size();
        hashTable.find(transposeWord, searchResults);
        for (const HashNode& hit : searchResults)
            markSeen(hit.next, buckets[1]);
        std::swap(transposeWord[i], transposeWord[i + 1]);
    }
}

void SpellChecker::gatherFromLists(const std::u16string& errWord, bool bigrams) {
    if (!postLists.hasIndex())
        return;
    const int32_t size = postLists.getAlphabetSize();
    const std::size_t lists = bigrams ? errWord.size() - 1 : errWord.size();
    std::vector<PostingEntry> entries(lists);
    for (std::size_t i = 0; i < lists; ++i) {
        const uint16_t a = alphabetMap.getIndex(errWord[i]);
        if (a >= size)
            continue;
        if (!bigrams) {
            entries[i] = postLists.unigramRecord(a);
            continue;
        }
        const uint16_t b = alphabetMap.getIndex(errWord[i + 1]);
        if (b < size)
            entries[i] = postLists.bigramRecord(a, b);
    }
    // Ascending by count, visited from the end: longest list first and, among equal
    // counts, the later letter position first.
    std::stable_sort(entries.begin(), entries.end(),
                     [](const PostingEntry& l, const PostingEntry& r) { return l.count < r.count; });
    FileReader& reader = bigrams ? bigramPLReader : unigramPLReader;
    uint8_t shortest = 0;
    uint8_t longest = 0xFF;
    if (slotKeys.usable()) {
        // The limit only falls as nearer words turn up, so the one known now bounds
        // every length that can be listed; the length window is never narrower.
        const int32_t n = static_cast<int32_t>(errWord.size());
        const int32_t limit = listedDistanceLimit(nearestBeforeMeasuring(), n);
        shortest = static_cast<uint8_t>(std::clamp(n - limit, 0, 0xFF));
        longest = static_cast<uint8_t>(std::clamp(n + limit, 0, 0xFF));
    }
    for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
        if (it->count == 0)
            continue;
        readPostingList(reader, *it);
        gatherUnseen(postingList, shortest, longest);
    }
}

void SpellChecker::gatherUnseen(const std::vector<int32_t>& list, uint8_t shortest, uint8_t longest) {
    // The same as marking each slot in turn, written without a branch on the seen bit
    // (which is as good as random): every slot is stored, and the end moves on only
    // past one not seen before. A word whose length is outside [shortest, longest]
    // is marked but not kept: it could only go to a bucket that is never listed.
    std::size_t kept = candidates.size();
    candidates.resize(kept + list.size());
    const uint32_t slots = static_cast<uint32_t>(std::max(hashTable.getTableSize(), 0));
    const uint8_t* lengths = slotKeys.lengths();
    for (int32_t slot : list) {
        // Ids from a damaged posting-list file may point anywhere.
        if (static_cast<uint32_t>(slot) >= slots)
            continue;
        uint64_t& bits = seen[static_cast<std::size_t>(slot) >> 6];
        const uint64_t bit = uint64_t{1} << (slot & 63);
        const uint8_t length = lengths[slot];
        candidates[kept] = slot;
        kept += ((bits & bit) == 0 && length >= shortest && length <= longest) ? 1 : 0;
        bits |= bit;
    }
    candidates.resize(kept);
}

bool SpellChecker::readWholeList(FileReader& reader, const PostingEntry& entry) {
    // One positioned read in place of the reader's seek and read. Only a list read in
    // full is taken here, and such a read leaves the reader as it found it (its
    // position is set anew by every read); anything else, and any reader that has run
    // past its end before, is left to the reader, which keeps its end-of-file rule.
    const int fd = reader.descriptor();
    if (fd < 0 || entry.offset < 0 || reader.eof())
        return false;
    const ssize_t wanted = static_cast<ssize_t>(rawList.size());
    return ::pread(fd, rawList.data(), rawList.size(), static_cast<off_t>(entry.offset) + 2) == wanted;
}

bool SpellChecker::readPostingList(FileReader& reader, const PostingEntry& entry) {
    postingList.clear();
    std::vector<unsigned char>& raw = rawList;
    raw.resize(static_cast<std::size_t>(entry.count) * 4);
    std::size_t bytes = raw.size();
    if (!readWholeList(reader, entry)) {
        if (!reader.readBytesAt(raw.data(), entry.offset, static_cast<int32_t>(raw.size())))
            return false;
        // A short read yields only the entries that were read.
        bytes = reader.lastReadSize();
    }
    const std::size_t entries = bytes / 4;
    postingList.resize(entries);
    for (std::size_t e = 0; e < entries; ++e)
        postingList[e] = static_cast<int32_t>(
            static_cast<uint32_t>(raw[4 * e]) | (static_cast<uint32_t>(raw[4 * e + 1]) << 8) |
            (static_cast<uint32_t>(raw[4 * e + 2]) << 16) | (static_cast<uint32_t>(raw[4 * e + 3]) << 24));
    return true;
}

int32_t SpellChecker::nearestBeforeMeasuring() const {
    // A transposition found is a word at distance 1 as far as the levels go.
    return buckets[1].empty() ? DISTANCE_BUCKETS : 1;
}

void SpellChecker::bucketCandidates(const std::u16string& errWord) {
    int32_t nearest = nearestBeforeMeasuring();
    if (slotKeys.usable() && probe.prepare(errWord, alphabetMap))
        measureCandidates(slotKeys, probe, candidates.data(), candidates.size(), nearest, buckets);
    else
        bucketPlainly(errWord, nearest);
}

void SpellChecker::bucketPlainly(const std::u16string& errWord, int32_t& nearest) {
    const int32_t n = static_cast<int32_t>(errWord.size());
    for (int32_t s : candidates) {
        const std::u16string& word = hashTable.nodeAt(s).word;
        const int32_t length = static_cast<int32_t>(word.size());
        // Outside the length window is the far bucket, which is never listed; so is
        // everything past the limit, which lies beyond the nearest level.
        if (length > n + LENGTH_WINDOW || length < n - LENGTH_WINDOW)
            continue;
        const int32_t d = editDistance(errWord, word);
        if (d > listedDistanceLimit(nearest, n))
            continue;
        buckets[static_cast<std::size_t>(d)].push_back(s);
        nearest = std::min(nearest, d);
    }
}

void SpellChecker::indexLexicon() {
    slotKeys.build(hashTable, alphabetMap);
    longestWord = slotKeys.longestWord();
    indexedSlots = hashTable.getTableSize();
}

SpellChecker::LetterDigits SpellChecker::letterDigits(const CodeTable& table) const {
    LetterDigits digits{};
    const int32_t letters = std::min(alphabetMap.getAlphabetSize(), static_cast<int32_t>(NO_LETTER));
    for (int32_t letter = 0; letter < letters; ++letter)
        digits[static_cast<std::size_t>(letter)] = table.digit(slotKeys.unitOf(static_cast<uint8_t>(letter)));
    return digits;
}

void SpellChecker::rankBuckets(const std::u16string& errWord, std::vector<std::u16string>& suggestions) {
    const int32_t n = static_cast<int32_t>(errWord.size());
    int32_t firstLevel = DISTANCE_BUCKETS;
    for (int32_t d = 0; d < DISTANCE_BUCKETS; ++d)
        if (!buckets[static_cast<std::size_t>(d)].empty()) {
            firstLevel = d;
            break;
        }
    const int32_t maxLevel = fullListedLevel(firstLevel, n);
    const int32_t errSoundex = codes.soundex.code(errWord);
    const int32_t errShapex = codes.shapex.code(errWord);
    const LetterDigits soundexDigits = letterDigits(codes.soundex);
    const LetterDigits shapexDigits = letterDigits(codes.shapex);

    // Stable ascending by frequency, then listed from the end: most frequent first
    // and, among equal frequencies, the later-gathered word first.
    auto listByFrequency = [&](std::vector<RankedSlot>& slots) {
        std::stable_sort(slots.begin(), slots.end(),
                         [](const RankedSlot& l, const RankedSlot& r) { return l.frequency < r.frequency; });
        for (auto it = slots.rbegin(); it != slots.rend(); ++it)
            suggestions.push_back(hashTable.nodeAt(it->slot).word);
    };
    auto ranked = [&](int32_t slot) { return RankedSlot{hashTable.nodeAt(slot).frequency, slot}; };

    for (int32_t d = 1; d <= maxLevel; ++d) {
        for (auto& group : rankResult)
            group.clear();
        for (int32_t slot : buckets[static_cast<std::size_t>(d)]) {
            const int agreeing = (slotCode(slot, codes.soundex, soundexDigits) == errSoundex) +
                                 (slotCode(slot, codes.shapex, shapexDigits) == errShapex);
            rankResult[static_cast<std::size_t>(2 - agreeing)].push_back(ranked(slot));
        }
        for (auto& group : rankResult)
            listByFrequency(group);
    }
    res.clear();
    for (int32_t slot : buckets[static_cast<std::size_t>(maxLevel + 1)])
        if (slotCode(slot, codes.soundex, soundexDigits) == errSoundex)
            res.push_back(ranked(slot));
    listByFrequency(res);
}

}  // namespace zabrel
