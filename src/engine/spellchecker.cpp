// SPDX-License-Identifier: MIT
// Setting the engine up: reading a dictionary folder, building or loading the lexicon
// and its posting lists.
#include <filesystem>

#include "core/errors.h"
#include "core/folderlock.h"
#include "engine/accurateranking.h"
#include "engine/spellchecker.h"

namespace zabrel {

namespace {

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
    return initialize(DictionaryFiles(dictionaryFolder));
}

bool SpellChecker::initialize(DictionaryFiles dictionaryFiles) {
    // A second set-up (after one that failed part-way, say) keeps nothing of the first.
    unigramPLReader.close();
    bigramPLReader.close();
    hashTable.clear();
    alphabetMap.clear();
    postLists.release();
    accurateMade = nullptr;
    for (std::atomic<bool>& ended : listEnded)
        ended = false;
    accurate.reset();
    sureFixes = {};
    indexedSlots = -1;
    source = std::move(dictionaryFiles);
    const std::string configFile = inFolder(ConfigManager::FILE_NAME);
    atFile = {"configuration file", configFile};
    if (!config.read(configFile, source))
        return false;
    // Programs starting together on a fresh folder: the first builds, the others wait
    // on the lock and then find "NO" and load what it wrote. Files in memory are no
    // one else's: they need no lock.
    FolderLock lock;
    if (!source.isInMemory()) {
        if (config.initialize == "YES") {
            lock.acquire(inFolder(LOCK_FILE_NAME), FolderLock::Mode::Exclusive, true);
            config = ConfigManager{};
            if (!config.read(configFile, source))
                return false;
        } else {
            lock.acquire(inFolder(LOCK_FILE_NAME), FolderLock::Mode::Shared, false);
        }
    }
    files = config;
    for (std::string* path : {&files.wordListFilePath, &files.hashTableFilePath, &files.bigramMatrixFilePath,
                              &files.bigramPLFilePath, &files.unigramListsFilePath, &files.unigramPLFilePath,
                              &files.urduAlphabetFilePath, &files.soundexFilePath, &files.shapexFilePath})
        *path = inFolder(*path);
    if (!files.contextModelFilePath.empty())
        files.contextModelFilePath = inFolder(files.contextModelFilePath);
    atFile = {"alphabet file", files.urduAlphabetFilePath};
    if (!alphabetMap.load(files.urduAlphabetFilePath, source))
        return false;
    checkAlphabet();
    postLists.setAlphabetSize(alphabetMap.getAlphabetSize());
    if (config.initialize == "YES") {
        buildDerivedFiles();
    } else if (config.initialize == "NO") {
        atFile = {"hash table", files.hashTableFilePath};
        if (!hashTable.load(files.hashTableFilePath, source))
            refused("Hash table file is damaged: " + files.hashTableFilePath + ".");
        atFile = {"letter-pair index", files.bigramMatrixFilePath};
        postLists.loadBigramMatrix(files.bigramMatrixFilePath, source);
        atFile = {"letter index", files.unigramListsFilePath};
        postLists.loadUnigramIndex(files.unigramListsFilePath, source);
    }
    atFile = {"soundex table", files.soundexFilePath};
    codes.soundex.load(files.soundexFilePath, source);
    atFile = {"shapex table", files.shapexFilePath};
    codes.shapex.load(files.shapexFilePath, source);
    try {
        atFile = {"letter-pair lists", files.bigramPLFilePath};
        source.open(bigramPLReader, files.bigramPLFilePath, false);
        atFile = {"letter lists", files.unigramPLFilePath};
        source.open(unigramPLReader, files.unigramPLFilePath, false);
    } catch (IOException& ex) {
        annotate(ex, ZABREL_HERE, " Config file reading problem occurred.");
        throw;
    }
    atFile = {"posting-list index", files.bigramMatrixFilePath};
    checkPostingRecords();
    // Its messages name the file and the line themselves.
    atFile = {"sure-fix table", {}};
    sureFixes = SureFixes::load(
        inFolder(SureFixes::FILE_NAME),
        [this](std::u16string slip) { return alphabetMap.filterWord(std::move(slip)); }, source);
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
    if (!source.isInMemory())
        for (const std::string* path :
             {&files.hashTableFilePath, &files.bigramMatrixFilePath, &files.bigramPLFilePath,
              &files.unigramListsFilePath, &files.unigramPLFilePath})
            requireInsideFolder(*path, source.folder());
    // A header that is no count would give an empty lexicon that calls every word
    // misspelt, and the run would still rewrite config.ini as done.
    atFile = {"word list", files.wordListFilePath};
    if (!hashTable.build(files.wordListFilePath, alphabetMap, source))
        refused("Word list header is not a word count: " + files.wordListFilePath + ".");
    postLists.build(hashTable, alphabetMap);
    if (source.isInMemory()) {
        // Nowhere to write: the lexicon and the indexes stay as built, and the list
        // files join the files in memory, where set-up reads them as it reads written ones.
        source.put(files.bigramPLFilePath, postLists.bigramListBytes());
        source.put(files.unigramPLFilePath, postLists.unigramListBytes());
        postLists.releaseBigramLists();
        postLists.releaseUnigramLists();
        return;
    }
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
    return source.locate(path);
}

// ---- the accurate ranking's prices -------------------------------------------------

void SpellChecker::loadCostTable(const std::string& path) {
    auto made = std::make_unique<AccurateRanking>(CostTable::load(path));
    const std::lock_guard hold(accurateMaking);
    accurate = std::move(made);
    accurateMade.store(accurate.get(), std::memory_order_release);
}

const AccurateRanking& SpellChecker::accurateRanking() const {
    if (const AccurateRanking* made = accurateMade.load(std::memory_order_acquire))
        return *made;
    const std::lock_guard hold(accurateMaking);
    if (!accurate) {
        // The dictionary folder may bring its own prices; the shipped ones otherwise.
        const std::string file = inFolder(CostTable::FILE_NAME);
        accurate = std::make_unique<AccurateRanking>(source.exists(file) ? CostTable::load(file, source)
                                                                         : CostTable::builtIn());
        accurateMade.store(accurate.get(), std::memory_order_release);
    }
    return *accurate;
}

void SpellChecker::indexLexicon() const {
    slotKeys.build(hashTable, alphabetMap);
    longestWord = slotKeys.longestWord();
    indexedSlots.store(hashTable.getTableSize(), std::memory_order_release);
}

}  // namespace zabrel
