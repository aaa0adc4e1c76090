// SPDX-License-Identifier: MIT
#include "programs/dictionaryfolder.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <fstream>
#include <iterator>
#include <new>
#include <sstream>
#include <system_error>
#include <vector>

#include "core/atomicfile.h"
#include "core/configmanager.h"
#include "core/errors.h"
#include "core/folderlock.h"
#include "core/userfile.h"
#include "engine/spellchecker.h"

namespace fs = std::filesystem;

namespace zabrel {

namespace {

bool hasConfig(const fs::path& dir) {
    std::error_code ec;
    return fs::is_regular_file(dir / "config.ini", ec);
}

// Another program's config.ini in the current directory must not pass for a
// dictionary: one names at least the first-run switch and the word list.
bool hasDictionaryConfig(const fs::path& dir) {
    if (!hasConfig(dir))
        return false;
    // Read as the engine reads it, which also bounds its size.
    ConfigManager config;
    try {
        config.read((dir / ConfigManager::FILE_NAME).string());
    } catch (const QuelmException&) {
        return false;
    }
    return !config.initialize.empty() && !config.wordListFilePath.empty();
}

fs::path fromEnvironment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? fs::path(value) : fs::path();
}

// FNV-1a, 64 bits: cheap, and plenty to tell one dictionary from another.
struct Checksum {
    uint64_t hash = 14695981039346656037ull;
    void mix(const void* data, std::size_t size) {
        const auto* bytes = static_cast<const unsigned char*>(data);
        for (std::size_t k = 0; k < size; ++k) {
            hash ^= bytes[k];
            hash *= 1099511628211ull;
        }
    }
    void mix(int64_t number) {
        for (int shift = 0; shift < 64; shift += 8) {
            const auto byte = static_cast<unsigned char>((static_cast<uint64_t>(number) >> shift) & 0xFF);
            mix(&byte, 1);
        }
    }
    std::string text() const {
        char out[17];
        std::snprintf(out, sizeof out, "%016llx", static_cast<unsigned long long>(hash));
        return out;
    }
};

// The files that make a dictionary folder, in name order: dot files (locks, the
// record) are none of it.
std::vector<fs::path> dictionaryFiles(const fs::path& folder) {
    std::vector<fs::path> files;
    std::error_code ec;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, ec))
        if (entry.is_regular_file(ec) && !entry.path().filename().string().starts_with("."))
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

int64_t nanoseconds(const timespec& time) {
    return static_cast<int64_t>(time.tv_sec) * 1000000000 + time.tv_nsec;
}

// What the file system says of one file of the copy. Writing to a file changes its
// change time, which no program can set back, so a file cut short or edited in place
// shows here without a byte of it being read.
struct FileState {
    std::string name;
    int64_t size = -1;
    int64_t modified = 0;
    int64_t changed = 0;
    uint64_t inode = 0;
    bool operator==(const FileState&) const = default;
};

bool stateOf(const fs::path& file, FileState& state) {
    struct stat info {};
    if (::lstat(file.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return false;
    state.name = file.filename().string();
    state.size = info.st_size;
    state.modified = nanoseconds(info.st_mtim);
    state.changed = nanoseconds(info.st_ctim);
    state.inode = info.st_ino;
    return true;
}

// Where the shipped files lie now: their names, sizes, times and inodes. The copy
// remembers the places it has found its dictionary's files in, so that a start
// compares these and reads no shipped file; a place it does not know (an upgrade, the
// same dictionary installed elsewhere) is read once to tell which it is.
std::string placeOf(const fs::path& shipped) {
    Checksum sum;
    for (const fs::path& file : dictionaryFiles(shipped)) {
        const std::string name = file.filename().string();
        sum.mix(name.c_str(), name.size() + 1);
        struct stat info {};
        if (::stat(file.c_str(), &info) != 0)
            continue;
        for (int64_t value :
             {static_cast<int64_t>(info.st_size), nanoseconds(info.st_mtim), nanoseconds(info.st_ctim),
              static_cast<int64_t>(info.st_ino), static_cast<int64_t>(info.st_dev)})
            sum.mix(value);
    }
    return sum.text();
}

// The copy's record of what it was made from, in RECORD_FILE:
//   zabrel user copy 1
//   shipped <stamp of the shipped files>
//   seen <place>                 (up to REMEMBERED_PLACES)
//   file <size> <modified> <changed> <inode> <name>   (every file of the copy)
constexpr const char* RECORD_HEADER = "zabrel user copy 1";
constexpr std::size_t REMEMBERED_PLACES = 4;
constexpr std::size_t LONGEST_RECORD = 1 << 16;

struct Record {
    std::string stamp;
    std::vector<std::string> places;
    std::vector<FileState> files;
};

bool readRecord(const fs::path& copy, Record& record) {
    std::ifstream in(copy / DictionaryFolder::RECORD_FILE, std::ios::binary);
    std::string content(LONGEST_RECORD + 1, '\0');
    in.read(content.data(), static_cast<std::streamsize>(content.size()));
    content.resize(static_cast<std::size_t>(in.gcount()));
    if (content.size() > LONGEST_RECORD)
        return false;
    std::istringstream lines(content);
    std::string line;
    if (!std::getline(lines, line) || line != RECORD_HEADER)
        return false;
    bool config = false;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string kind;
        fields >> kind;
        if (kind == "shipped") {
            fields >> record.stamp;
        } else if (kind == "seen") {
            record.places.emplace_back();
            fields >> record.places.back();
        } else if (kind == "file") {
            FileState file;
            fields >> file.size >> file.modified >> file.changed >> file.inode;
            fields.get();
            std::getline(fields, file.name);
            if (!fields && !fields.eof())
                return false;
            if (file.name.empty() || file.name.find('/') != std::string::npos || file.name.starts_with("."))
                return false;
            config = config || file.name == ConfigManager::FILE_NAME;
            record.files.push_back(std::move(file));
        } else {
            return false;
        }
    }
    return config && record.stamp.size() == 16;
}

bool writeRecord(const fs::path& copy, const Record& record, std::string& error) {
    std::string text = std::string(RECORD_HEADER) + "\nshipped " + record.stamp + "\n";
    for (const std::string& place : record.places)
        text += "seen " + place + "\n";
    for (const FileState& file : record.files)
        text += "file " + std::to_string(file.size) + " " + std::to_string(file.modified) + " " +
                std::to_string(file.changed) + " " + std::to_string(file.inode) + " " + file.name + "\n";
    const fs::path path = copy / DictionaryFolder::RECORD_FILE;
    if (replaceFile(path.string(), text, error))
        return true;
    error = "cannot write " + path.string() + ": " + error;
    return false;
}

enum class State {
    Current,   // whole, and of the shipped dictionary
    NewPlace,  // the same, with the shipped files found in a place the record does not know
    Missing,
    Outdated,  // made from other shipped files, or by a version that kept no record
    Damaged,   // a file of it is not as it was made
};

struct Examined {
    State state = State::Current;
    std::string reason;  // for Damaged
    std::string place;   // for NewPlace
};

// Reads the record and stats the files: no file of the dictionary is read while the
// shipped files lie where the copy has seen them before.
Examined examine(const fs::path& copy, const fs::path& shipped) {
    Record record;
    if (!readRecord(copy, record))
        return {hasConfig(copy) ? State::Outdated : State::Missing, {}, {}};
    Examined found;
    if (!shipped.empty()) {
        found.place = placeOf(shipped);
        if (std::find(record.places.begin(), record.places.end(), found.place) == record.places.end()) {
            if (DictionaryFolder::stampOf(shipped) != record.stamp)
                return {State::Outdated, {}, {}};
            found.state = State::NewPlace;
        }
    }
    for (const FileState& made : record.files) {
        FileState now;
        if (!stateOf(copy / made.name, now))
            return {State::Damaged, made.name + " is missing", {}};
        if (now != made)
            return {State::Damaged, made.name + " has changed since the copy was made", {}};
    }
    return found;
}

bool rememberPlace(const fs::path& copy, const std::string& place) {
    Record record;
    if (!readRecord(copy, record))
        return false;
    record.places.insert(record.places.begin(), place);
    if (record.places.size() > REMEMBERED_PLACES)
        record.places.resize(REMEMBERED_PLACES);
    std::string error;
    return writeRecord(copy, record, error);
}

// The identity of a folder, to tell a copy made again from the one found damaged.
ino_t folderInode(const fs::path& folder) {
    struct stat info {};
    return ::stat(folder.c_str(), &info) == 0 ? info.st_ino : 0;
}

std::string lockFileOf(const fs::path& copy) {
    return (copy.parent_path() / ("." + copy.filename().string() + ".lock")).string();
}

// Puts the made folder `made` in the place of `copy`, in one step where the file
// system can exchange two names: a program that opens a file of the copy by path
// later (the cost table, the context model) finds the old copy or the new one, never
// neither. Returns where the old copy now is (empty when there was none).
bool swapInto(const fs::path& made, const fs::path& copy, fs::path& old, std::string& error) {
    if (::renameat2(AT_FDCWD, made.c_str(), AT_FDCWD, copy.c_str(), RENAME_EXCHANGE) == 0) {
        old = made;
        return true;
    }
    std::error_code ec;
    if (errno == ENOENT || !fs::exists(copy, ec)) {
        old.clear();
    } else {
        // No exchange here: the old copy goes aside first. Programs that check and
        // load hold the copy's lock, so they do not meet the moment between.
        old = made.string() + "-old";
        if (::rename(copy.c_str(), old.c_str()) != 0) {
            error = "cannot replace " + copy.string() + ": " + std::strerror(errno);
            return false;
        }
    }
    if (::rename(made.c_str(), copy.c_str()) != 0) {
        error = "cannot create " + copy.string() + ": " + std::strerror(errno);
        if (!old.empty())
            ::rename(old.c_str(), copy.c_str());
        return false;
    }
    return true;
}

// Makes the copy anew, whole, beside the old one: the shipped files, then the derived
// files built from them and the record of it all, then swapped into place. The
// caller holds the copy's lock exclusively.
bool makeUserCopy(const fs::path& shipped, const fs::path& user, std::string& error) {
    std::error_code ec;
    const fs::path parent = user.parent_path();
    // Whatever partial or retired copies are left were left by programs that died:
    // the lock holder is the only one copying.
    const std::string partialStem = user.filename().string() + ".partial";
    const std::string retiredStem = user.filename().string() + ".old";
    for (const fs::directory_entry& entry : fs::directory_iterator(parent, ec)) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with(partialStem) || name.starts_with(retiredStem))
            fs::remove_all(entry.path(), ec);
    }
    // Where the shipped files lie is taken before they are copied: should they change
    // meanwhile, the next start finds a place this copy has not seen and compares.
    const std::string place = placeOf(shipped);
    std::string pattern = (parent / (partialStem + "-XXXXXX")).string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        error = "cannot create a folder in " + parent.string() + ": " + std::strerror(errno);
        return false;
    }
    const fs::path partial(pattern);
    const auto fail = [&] {
        fs::remove_all(partial, ec);
        return false;
    };
    ::chmod(partial.c_str(), 0755);
    if (!DictionaryFolder::copyShipped(shipped, partial, error))
        return fail();
    Record record;
    record.stamp = DictionaryFolder::stampOf(partial);
    record.places.push_back(place);
    // Built here rather than by the first program to load the copy, so that the copy
    // is whole when it appears and every file of it is in the record.
    try {
        SpellChecker builder;
        if (!builder.initialize(partial)) {
            error = "the dictionary in " + shipped.string() + " could not be built";
            return fail();
        }
    } catch (const QuelmException& ex) {
        error = "the dictionary in " + shipped.string() + " could not be built: " + ex.getMessage();
        return fail();
    } catch (const std::bad_alloc&) {
        error = "the dictionary in " + shipped.string() + " could not be built: out of memory";
        return fail();
    }
    for (const fs::path& file : dictionaryFiles(partial)) {
        FileState state;
        if (stateOf(file, state))
            record.files.push_back(state);
    }
    if (!writeRecord(partial, record, error))
        return fail();
    if (DictionaryFolder::whileReplacing != nullptr)
        DictionaryFolder::whileReplacing();
    fs::path old;
    if (!swapInto(partial, user, old, error))
        return fail();
    if (!old.empty())
        fs::remove_all(old, ec);
    return true;
}

// Leaves `lock` held shared on the user's copy, having made it first when it is
// missing, outdated or (with `mend`) damaged. What was found damaged and mended goes
// to `damage`. Programs check and load under the shared lock, and the copy is made
// only under the exclusive one, so no program reads a copy while it is replaced.
bool holdCopy(const fs::path& shipped, const fs::path& user, FolderLock& lock, bool mend, std::string& error,
              std::string& damage) {
    std::error_code ec;
    fs::create_directories(user.parent_path(), ec);
    if (ec) {
        error = "cannot create " + user.parent_path().string() + ": " + ec.message();
        return false;
    }
    const std::string lockFile = lockFileOf(user);
    const auto usable = [mend](State state) {
        return state == State::Current || state == State::NewPlace || (state == State::Damaged && !mend);
    };
    for (int attempt = 0;; ++attempt) {
        lock.acquire(lockFile, FolderLock::Mode::Shared, true);
        Examined found = examine(user, shipped);
        // A place that could not be remembered (a read-only copy, say) stops no start.
        if (found.state == State::Current || (found.state == State::Damaged && !mend) ||
            (found.state == State::NewPlace && attempt > 0))
            return true;
        if (shipped.empty() || attempt == 2) {
            // Without the shipped dictionary the copy there is the best there is.
            if (found.state != State::Missing)
                return true;
            lock.release();
            if (shipped.empty())
                error =
                    "the shipped Urdu dictionary was not found (looked for share/zabrel/urdu and data/urdu)";
            return false;
        }
        lock.release();
        lock.acquire(lockFile, FolderLock::Mode::Exclusive, true);
        // Another program may have done it while this one waited.
        found = examine(user, shipped);
        if (found.state == State::NewPlace) {
            rememberPlace(user, found.place);
        } else if (!usable(found.state)) {
            if (!makeUserCopy(shipped, user, error)) {
                lock.release();
                if (found.state == State::Damaged || found.state == State::Missing)
                    return false;
                // An outdated copy still serves while no new one can be made.
                lock.acquire(lockFile, FolderLock::Mode::Shared, true);
                return true;
            }
            if (found.state == State::Damaged)
                damage = found.reason;
        }
        lock.release();
    }
}

// The folder of the program or shared library this code is linked into.
fs::path moduleFolder() {
    Dl_info info{};
    if (::dladdr(reinterpret_cast<void*>(&moduleFolder), &info) == 0 || info.dli_fname == nullptr)
        return {};
    std::error_code ec;
    fs::path module = fs::canonical(info.dli_fname, ec);
    if (ec) {
        module = fs::canonical("/proc/self/exe", ec);
        if (ec)
            return {};
    }
    return module.parent_path();
}

}  // namespace

fs::path DictionaryFolder::userFolder() {
    const fs::path base = userDataHome();
    return base.empty() ? fs::path() : base / "zabrel" / "urdu";
}

namespace {

std::vector<fs::path> shippedCandidates() {
    std::vector<fs::path> candidates{fromEnvironment("ZABREL_SHIPPED_DICTIONARY")};
    // bin/zabrel-check, lib/libzabrel.so and lib/<triplet>/enchant-2/enchant_zabrel.so
    // all find share/ a few folders up.
    fs::path up = moduleFolder();
    for (int level = 0; level < 3 && !up.empty(); ++level, up = up.parent_path())
        candidates.push_back(up.parent_path() / "share" / "zabrel" / "urdu");
#ifdef ZABREL_INSTALLED_DICTIONARY
    candidates.emplace_back(ZABREL_INSTALLED_DICTIONARY);
#endif
#ifdef ZABREL_SOURCE_DICTIONARY
    candidates.emplace_back(ZABREL_SOURCE_DICTIONARY);
#endif
    std::erase_if(candidates, [](const fs::path& dir) { return dir.empty() || !hasConfig(dir); });
    return candidates;
}

}  // namespace

fs::path DictionaryFolder::shippedFolder() {
    const std::vector<fs::path> candidates = shippedCandidates();
    return candidates.empty() ? fs::path() : candidates.front();
}

bool DictionaryFolder::isShipped(const fs::path& folder) {
    std::error_code ec;
    for (const fs::path& dir : shippedCandidates())
        if (fs::equivalent(folder, dir, ec))
            return true;
    return false;
}

std::string DictionaryFolder::stampOf(const fs::path& shipped) {
    // Each file's name and bytes, in name order: the same dictionary in the build tree
    // and installed, with other times, is one stamp, so a user who runs both keeps one
    // copy; an upgrade changes the bytes. Read only when the shipped files lie where
    // the copy has not seen them.
    Checksum sum;
    std::vector<char> buffer(1 << 16);
    for (const fs::path& file : dictionaryFiles(shipped)) {
        const std::string name = file.filename().string();
        sum.mix(name.c_str(), name.size() + 1);
        std::ifstream in(file, std::ios::binary);
        int64_t length = 0;
        while (in) {
            in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
            sum.mix(buffer.data(), static_cast<std::size_t>(in.gcount()));
            length += in.gcount();
        }
        // The length ends each file, so bytes cannot move from one file's end to the
        // next file's name unnoticed; an unreadable file stamps as one of -1 bytes.
        sum.mix(in.eof() ? length : -1);
    }
    return sum.text();
}

bool DictionaryFolder::copyShipped(const fs::path& shipped, const fs::path& target, std::string& error) {
    std::error_code ec;
    fs::create_directories(target, ec);
    if (ec) {
        error = "cannot create " + target.string() + ": " + ec.message();
        return false;
    }
    if (!fs::is_directory(shipped, ec)) {
        error = "cannot read " + shipped.string() + ": " + (ec ? ec.message() : "not a folder");
        return false;
    }
    for (const fs::path& file : dictionaryFiles(shipped)) {
        fs::copy_file(file, target / file.filename(), fs::copy_options::overwrite_existing, ec);
        if (ec) {
            error = "cannot copy " + file.string() + " to " + target.string() + ": " + ec.message();
            return false;
        }
    }
    return true;
}

bool DictionaryFolder::setUp(SpellChecker& engine, const fs::path& folder, std::string& notice) {
    std::string error;
    fs::path chosen = folder;
    if (isShipped(folder)) {
        chosen = userCopy(error);
        if (chosen.empty())
            throw IOException(ZABREL_HERE, ERR_FILE_OPEN, error);
    }
    const fs::path user = userFolder();
    std::error_code ec;
    // By name too: a copy someone has removed is still the copy, to be made again.
    if (user.empty() || !(fs::equivalent(chosen, user, ec) ||
                          fs::absolute(chosen, ec).lexically_normal() == user.lexically_normal()))
        return engine.initialize(chosen);
    const fs::path shipped = shippedFolder();
    FolderLock lock;
    std::string damage;
    if (!holdCopy(shipped, user, lock, true, error, damage))
        throw IOException(
            ZABREL_HERE, ERR_FILE_OPEN,
            "Your copy of the dictionary in " + chosen.string() + " could not be made: " + error);
    const auto told = [&](const std::string& reason) {
        return "Your copy of the dictionary in " + chosen.string() + " was damaged (" + reason +
               "); it was made again from " + shipped.string() + ".";
    };
    if (!damage.empty())
        notice = told(damage);
    const ino_t before = folderInode(user);
    std::exception_ptr failure;
    std::string reason = "it did not load";
    try {
        if (engine.initialize(chosen))
            return true;
    } catch (const QuelmException& ex) {
        failure = std::current_exception();
        reason = ex.getMessage();
    }
    lock.release();
    // A damage the record cannot show (bytes changed in place and every time put
    // back): made again, unless another program has done so meanwhile.
    bool made = false;
    if (!shipped.empty()) {
        FolderLock exclusive;
        exclusive.acquire(lockFileOf(user), FolderLock::Mode::Exclusive, true);
        made = folderInode(user) != before || makeUserCopy(shipped, user, error);
    }
    if (!made) {
        if (failure)
            std::rethrow_exception(failure);
        return false;
    }
    damage.clear();
    if (!holdCopy(shipped, user, lock, true, error, damage))
        throw IOException(
            ZABREL_HERE, ERR_FILE_OPEN,
            "Your copy of the dictionary in " + chosen.string() + " could not be made: " + error);
    notice = told(reason);
    return engine.initialize(chosen);
}

fs::path DictionaryFolder::locate(const std::string& requested, std::string& error) {
    std::error_code ec;
    if (!requested.empty()) {
        if (!hasConfig(requested)) {
            error = "no config.ini in " + requested;
            return {};
        }
        // The shipped folder stands for the user's copy: nothing is ever built in it.
        if (isShipped(requested))
            return userCopy(error);
        return fs::absolute(requested, ec);
    }
    fs::path here = fs::current_path(ec);
    if (!ec && hasDictionaryConfig(here) && !isShipped(here))
        return here;
    return userCopy(error);
}

fs::path DictionaryFolder::userCopy(std::string& error) {
    fs::path user = userFolder();
    if (user.empty()) {
        error = "neither XDG_DATA_HOME nor HOME is set, so there is no dictionary folder";
        return {};
    }
    // A damaged copy is left to setUp, which mends it and tells the user.
    FolderLock lock;
    std::string damage;
    if (!holdCopy(shippedFolder(), user, lock, false, error, damage))
        return {};
    return user;
}

}  // namespace zabrel
