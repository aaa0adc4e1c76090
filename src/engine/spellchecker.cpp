// SPDX-License-Identifier: MIT
#include "engine/spellchecker.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "core/errors.h"
#include "core/folderlock.h"
#include "engine/accurateranking.h"

namespace zabrel {

namespace {

constexpr int32_t FAR_BUCKET = 39;
// Distances past this are never listed: the nearest level is at most 2 and its
// neighbour at most 3, and when no word is that near nothing is listed at all. So
// a distance above it may go to the far bucket unmeasured.
constexpr int32_t LISTED_DISTANCE = 3;
constexpr int32_t LENGTH_WINDOW = 3;

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
void requireInsideFolder(const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path folder = fs::weakly_canonical(fs::current_path(ec), ec);
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

// Levenshtein distance by the bit-parallel method (Myers, Hyyrö) for a pattern of
// at most 64 units; `peq` holds, per letter index, the positions of that letter.
// Stops early with `limit` + 1 once the distance cannot come back to `limit`.
int32_t bitParallelDistance(std::size_t patternLength, const uint64_t* peq, const uint16_t* textIndices,
                            std::size_t textLength, int32_t limit) {
    uint64_t pv = ~uint64_t{0};
    uint64_t mv = 0;
    const uint64_t high = uint64_t{1} << (patternLength - 1);
    int32_t score = static_cast<int32_t>(patternLength);
    for (std::size_t k = 0; k < textLength; ++k) {
        const uint64_t eq = peq[textIndices[k]];
        const uint64_t xv = eq | mv;
        const uint64_t xh = (((eq & pv) + pv) ^ pv) | eq;
        uint64_t ph = mv | ~(xh | pv);
        uint64_t mh = pv & xh;
        if (ph & high)
            ++score;
        else if (mh & high)
            --score;
        ph = (ph << 1) | 1;
        mh <<= 1;
        pv = mh | ~(xv | ph);
        mv = ph & xv;
        // Each remaining unit lowers the score by one at most.
        if (score - static_cast<int32_t>(textLength - k - 1) > limit)
            return limit + 1;
    }
    return score;
}

}  // namespace

int32_t editDistance(const std::u16string& x, const std::u16string& y) {
    if (x.empty())
        return static_cast<int32_t>(y.size());
    if (y.empty())
        return static_cast<int32_t>(x.size());
    std::vector<int32_t> row(x.size() + 1);
    for (std::size_t j = 0; j <= x.size(); ++j)
        row[j] = static_cast<int32_t>(j);
    for (std::size_t i = 1; i <= y.size(); ++i) {
        int32_t diagonal = row[0];
        row[0] = static_cast<int32_t>(i);
        for (std::size_t j = 1; j <= x.size(); ++j) {
            const int32_t above = row[j];
            row[j] = std::min({above + 1, row[j - 1] + 1, diagonal + (y[i - 1] == x[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[x.size()];
}

SpellChecker::SpellChecker() = default;

SpellChecker::~SpellChecker() {
    unigramPLReader.close();
    bigramPLReader.close();
}

// ---- set-up ----------------------------------------------------------------------

bool SpellChecker::initialize() {
    if (!config.read())
        return false;
    // Programs starting together on a fresh folder: the first builds, the others wait
    // on the lock and then find "NO" and load what it wrote.
    FolderLock lock;
    if (config.initialize == "YES") {
        lock.acquire(LOCK_FILE_NAME, FolderLock::Mode::Exclusive, true);
        config = ConfigManager{};
        if (!config.read())
            return false;
    } else {
        lock.acquire(LOCK_FILE_NAME, FolderLock::Mode::Shared, false);
    }
    if (!alphabetMap.load(config.urduAlphabetFilePath))
        return false;
    checkAlphabet();
    postLists.setAlphabetSize(alphabetMap.getAlphabetSize());
    if (config.initialize == "YES") {
        buildDerivedFiles();
    } else if (config.initialize == "NO") {
        if (!hashTable.load(config.hashTableFilePath))
            refused("Hash table file is damaged: " + config.hashTableFilePath + ".");
        postLists.load(config);
    }
    loadSoundexTable(config.soundexFilePath);
    loadShapexTable(config.shapexFilePath);
    try {
        bigramPLReader.open(config.bigramPLFilePath, false);
        unigramPLReader.open(config.unigramPLFilePath, false);
    } catch (IOException& ex) {
        annotate(ex, ZABREL_HERE, " Config file reading problem occurred.");
        throw;
    }
    checkPostingRecords();
    seen.assign(static_cast<std::size_t>(std::max(hashTable.getTableSize(), 0)), 0);
    indexLexicon();
    return true;
}

void SpellChecker::checkAlphabet() const {
    const int32_t letters = alphabetMap.getAlphabetSize();
    if (letters > MAX_ALPHABET_SIZE)
        refused("Alphabet file lists " + std::to_string(letters) + " letters, more than the " +
                std::to_string(MAX_ALPHABET_SIZE) + " the engine allows: " + config.urduAlphabetFilePath +
                ".");
    // A NUL letter would survive the filter while building but end a stored word when
    // the table is read back, so the same word would be answered differently.
    if (alphabetMap.getIndex(u'\0') != NO_INDEX)
        refused("Alphabet file lists the NUL character: " + config.urduAlphabetFilePath + ".");
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
                refused("Posting-list index does not match its list file: " + config.bigramMatrixFilePath +
                        ", " + config.bigramPLFilePath + ".");
        if (!check(postLists.unigramRecord(i), unigramBytes))
            refused("Posting-list index does not match its list file: " + config.unigramListsFilePath + ", " +
                    config.unigramPLFilePath + ".");
    }
}

void SpellChecker::buildDerivedFiles() {
    for (const std::string* path :
         {&config.hashTableFilePath, &config.bigramMatrixFilePath, &config.bigramPLFilePath,
          &config.unigramListsFilePath, &config.unigramPLFilePath})
        requireInsideFolder(*path);
    // A header that is no count would give an empty lexicon that calls every word
    // misspelt, and the run would still rewrite config.ini as done.
    if (!hashTable.build(config.wordListFilePath, alphabetMap))
        refused("Word list header is not a word count: " + config.wordListFilePath + ".");
    postLists.build(hashTable, alphabetMap);
    if (!hashTable.save(config.hashTableFilePath))
        notWritten(config.hashTableFilePath, hashTable.saveFailureReason());
    if (!postLists.save(config))
        notWritten(postLists.failedPath(), postLists.failureReason());
    // Last: a build that failed part-way leaves "initialize = YES", so the next start
    // builds again.
    if (!config.write())
        notWritten(ConfigManager::FILE_NAME, config.writeFailureReason());
}

// ---- code tables -----------------------------------------------------------------

bool SpellChecker::loadCodeTable(const std::string& path, CodeTable& table) {
    table.fill(0);
    FileReader reader;
    try {
        reader.open(path, true);
    } catch (IOException& ex) {
        annotate(ex, ZABREL_HERE, " Config file not opened sucessfully.");
        throw;
    }
    try {
        // Both fields outlive a line: an empty value field repeats the previous value.
        std::string unicode;
        std::string value;
        while (!reader.eof()) {
            reader.requireAtMost(MAX_SETTINGS_FILE_BYTES);
            if (!reader.readASCII(unicode, 10, '='))
                continue;
            reader.readASCII(value, 5, '\n');
            trim(unicode);
            trim(value);
            const long codePoint = std::strtol(unicode.c_str(), nullptr, 16);
            const long digit = std::strtol(value.c_str(), nullptr, 10);
            // Code points outside the table have no entry.
            if (codePoint >= CODE_TABLE_FIRST && codePoint < CODE_TABLE_FIRST + CODE_TABLE_SIZE)
                table[static_cast<std::size_t>(codePoint - CODE_TABLE_FIRST)] =
                    static_cast<uint8_t>(static_cast<unsigned long>(digit) & 0xFF);
        }
        reader.close();
    } catch (IOException& ex) {
        annotate(ex, ZABREL_HERE, " Config file not opened sucessfully.");
        throw;
    }
    return true;
}

bool SpellChecker::loadSoundexTable(const std::string& path) {
    return loadCodeTable(path, soundexTable);
}
bool SpellChecker::loadShapexTable(const std::string& path) {
    return loadCodeTable(path, shapexTable);
}

int32_t SpellChecker::wordCode(const std::u16string& word, const CodeTable& table) {
    // Wraps at 32 bits like the stored codes always have; unsigned to stay defined.
    uint32_t code = 0;
    for (char16_t unit : word) {
        if (unit < CODE_TABLE_FIRST || unit >= CODE_TABLE_FIRST + CODE_TABLE_SIZE)
            continue;
        const uint8_t digit = table[unit - CODE_TABLE_FIRST];
        if (digit != 0)
            code = code * 10u + digit;
    }
    int32_t result = static_cast<int32_t>(code);
    while (result > 0 && result < 1000)
        result *= 10;
    return result;
}

// ---- checking --------------------------------------------------------------------

bool SpellChecker::checkWord(std::u16string word, std::vector<std::u16string>& suggestions) {
    suggestions.clear();
    const std::u16string errWord = alphabetMap.filterWord(std::move(word));
    if (errWord.empty() || hashTable.contains(errWord) || errWord.size() == 1)
        return false;

    // The working state is reset however the check ends.
    struct Reset {
        SpellChecker& checker;
        ~Reset() {
            for (int32_t slot : checker.seenSlots)
                checker.seen[static_cast<std::size_t>(slot)] = 0;
            checker.seenSlots.clear();
            checker.candidates.clear();
            for (auto& bucket : checker.buckets)
                bucket.clear();
        }
    } reset{*this};

    if (letterStart.size() != static_cast<std::size_t>(std::max(hashTable.getTableSize(), 0)) + 1)
        indexLexicon();
    // No lexicon word comes within the length window of a word this long, and no
    // transposition of it can be stored: nothing would be listed, so skip the work
    // (which grows with the square of the word's length).
    if (errWord.size() > longestWord + LENGTH_WINDOW)
        return true;

    gatherCandidates(errWord);
    bucketCandidates(errWord);
    if (accurateRequested)
        rankAccurately(errWord, suggestions);
    else
        rankBuckets(errWord, suggestions);
    return true;
}

void SpellChecker::markSeen(int32_t slot, std::vector<int32_t>& into) {
    // Ids from a damaged posting-list file may point anywhere.
    if (slot < 0 || static_cast<std::size_t>(slot) >= seen.size())
        return;
    uint8_t& flag = seen[static_cast<std::size_t>(slot)];
    if (flag != 0)
        return;
    flag = 1;
    seenSlots.push_back(slot);
    into.push_back(slot);
}

void SpellChecker::gatherCandidates(const std::u16string& errWord) {
    const std::size_t slots = static_cast<std::size_t>(std::max(hashTable.getTableSize(), 0));
    if (seen.size() != slots)
        seen.assign(slots, 0);
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
    for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
        if (it->count == 0)
            continue;
        readPostingList(reader, *it);
        for (int32_t slot : postingList)
            markSeen(slot, candidates);
    }
}

bool SpellChecker::readPostingList(FileReader& reader, const PostingEntry& entry) {
    postingList.clear();
    std::vector<unsigned char>& raw = rawList;
    raw.resize(static_cast<std::size_t>(entry.count) * 4);
    if (!reader.readBytesAt(raw.data(), entry.offset, static_cast<int32_t>(raw.size())))
        return false;
    // A short read yields only the entries that were read.
    const std::size_t entries = reader.lastReadSize() / 4;
    postingList.resize(entries);
    for (std::size_t e = 0; e < entries; ++e)
        postingList[e] = static_cast<int32_t>(
            static_cast<uint32_t>(raw[4 * e]) | (static_cast<uint32_t>(raw[4 * e + 1]) << 8) |
            (static_cast<uint32_t>(raw[4 * e + 2]) << 16) | (static_cast<uint32_t>(raw[4 * e + 3]) << 24));
    return true;
}

void SpellChecker::bucketCandidates(const std::u16string& errWord) {
    const int32_t n = static_cast<int32_t>(errWord.size());
    const bool bitParallel = n <= 64;
    if (bitParallel) {
        // Stored words and the filtered word hold alphabet letters only, so letter
        // indices address the match masks.
        peq.assign(static_cast<std::size_t>(std::min(alphabetMap.getAlphabetSize(), 0xFFFE)) + 1, 0);
        for (int32_t j = 0; j < n; ++j)
            peq[alphabetMap.getIndex(errWord[static_cast<std::size_t>(j)])] |= uint64_t{1} << j;
    }
    for (int32_t s : candidates) {
        const uint32_t begin = letterStart[static_cast<std::size_t>(s)];
        const int32_t length = static_cast<int32_t>(letterStart[static_cast<std::size_t>(s) + 1] - begin);
        int32_t d = FAR_BUCKET;
        if (length <= n + LENGTH_WINDOW && length >= n - LENGTH_WINDOW) {
            if (bitParallel)
                d = bitParallelDistance(errWord.size(), peq.data(), lexiconLetters.data() + begin,
                                        static_cast<std::size_t>(length), LISTED_DISTANCE);
            else
                d = editDistance(errWord, hashTable.nodeAt(s).word);
            if (d > LISTED_DISTANCE)
                d = FAR_BUCKET;
        }
        buckets[static_cast<std::size_t>(d)].push_back(s);
    }
}

void SpellChecker::indexLexicon() {
    // Letter indices of every slot in one flat array, so that measuring a candidate
    // touches neither its node nor its text.
    const std::size_t slots = static_cast<std::size_t>(std::max(hashTable.getTableSize(), 0));
    const uint16_t letters = static_cast<uint16_t>(std::min(alphabetMap.getAlphabetSize(), 0xFFFE));
    letterStart.assign(slots + 1, 0);
    lexiconLetters.clear();
    longestWord = 0;
    for (std::size_t s = 0; s < slots; ++s) {
        for (char16_t unit : hashTable.nodeAt(static_cast<int32_t>(s)).word) {
            const uint16_t index = alphabetMap.getIndex(unit);
            // A stored unit that is no letter (a foreign table) matches nothing.
            lexiconLetters.push_back(index < letters ? index : letters);
        }
        letterStart[s + 1] = static_cast<uint32_t>(lexiconLetters.size());
        longestWord = std::max<std::size_t>(longestWord, letterStart[s + 1] - letterStart[s]);
    }
}

void SpellChecker::rankBuckets(const std::u16string& errWord, std::vector<std::u16string>& suggestions) {
    const int32_t n = static_cast<int32_t>(errWord.size());
    int32_t firstLevel = DISTANCE_BUCKETS;
    for (int32_t d = 0; d < DISTANCE_BUCKETS; ++d)
        if (!buckets[static_cast<std::size_t>(d)].empty()) {
            firstLevel = d;
            break;
        }
    const int32_t maxLevel = firstLevel <= 1 ? firstLevel : (n > 5 ? 2 : 1);
    const int32_t errSoundex = soundexCode(errWord);
    const int32_t errShapex = shapexCode(errWord);

    // Stable ascending by frequency, then listed from the end: most frequent first
    // and, among equal frequencies, the later-gathered word first.
    auto listByFrequency = [&](std::vector<int32_t>& slots) {
        std::stable_sort(slots.begin(), slots.end(), [&](int32_t l, int32_t r) {
            return hashTable.nodeAt(l).frequency < hashTable.nodeAt(r).frequency;
        });
        for (auto it = slots.rbegin(); it != slots.rend(); ++it)
            suggestions.push_back(hashTable.nodeAt(*it).word);
    };

    for (int32_t d = 1; d <= maxLevel; ++d) {
        for (auto& group : rankResult)
            group.clear();
        for (int32_t slot : buckets[static_cast<std::size_t>(d)]) {
            const std::u16string& word = hashTable.nodeAt(slot).word;
            const int agreeing =
                (wordCode(word, soundexTable) == errSoundex) + (wordCode(word, shapexTable) == errShapex);
            rankResult[static_cast<std::size_t>(2 - agreeing)].push_back(slot);
        }
        for (auto& group : rankResult)
            listByFrequency(group);
    }
    res.clear();
    for (int32_t slot : buckets[static_cast<std::size_t>(maxLevel + 1)])
        if (wordCode(hashTable.nodeAt(slot).word, soundexTable) == errSoundex)
            res.push_back(slot);
    listByFrequency(res);
}

}  // namespace zabrel
