// SPDX-License-Identifier: MIT
#include "programs/dictionaryfolder.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <iterator>
#include <new>
#include <system_error>
#include <vector>

#include "core/configmanager.h"
#include "core/errors.h"
#include "core/folderlock.h"
#include "core/userfile.h"
#include "engine/spellchecker.h"
#include "programs/copyrecord.h"

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
    const std::string place = CopyRecord::placeOf(shipped);
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
    const std::string stamp = CopyRecord::stampOf(partial);
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
    if (!CopyRecord::writeFor(partial, stamp, place, error))
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
    const auto usable = [mend](CopyRecord::State state) {
        return state == CopyRecord::State::Current || state == CopyRecord::State::NewPlace ||
               (state == CopyRecord::State::Damaged && !mend);
    };
    for (int attempt = 0;; ++attempt) {
        lock.acquire(lockFile, FolderLock::Mode::Shared, true);
        CopyRecord::Examined found = CopyRecord::examine(user, shipped);
        // A place that could not be remembered (a read-only copy, say) stops no start.
        if (found.state == CopyRecord::State::Current ||
            (found.state == CopyRecord::State::Damaged && !mend) ||
            (found.state == CopyRecord::State::NewPlace && attempt > 0))
            return true;
        if (shipped.empty() || attempt == 2) {
            // Without the shipped dictionary the copy there is the best there is.
            if (found.state != CopyRecord::State::Missing)
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
        found = CopyRecord::examine(user, shipped);
        if (found.state == CopyRecord::State::NewPlace) {
            CopyRecord::rememberPlace(user, found.place);
        } else if (!usable(found.state)) {
            if (!makeUserCopy(shipped, user, error)) {
                lock.release();
                if (found.state == CopyRecord::State::Damaged || found.state == CopyRecord::State::Missing)
                    return false;
                // An outdated copy still serves while no new one can be made.
                lock.acquire(lockFile, FolderLock::Mode::Shared, true);
                return true;
            }
            if (found.state == CopyRecord::State::Damaged)
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
    for (const fs::path& file : CopyRecord::dictionaryFiles(shipped)) {
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
