// SPDX-License-Identifier: MIT
#include "programs/dictionaryfolder.h"

#include <dlfcn.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <fstream>
#include <iterator>
#include <system_error>
#include <vector>

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

std::string readStamp(const fs::path& user) {
    std::ifstream in(user / DictionaryFolder::STAMP_FILE, std::ios::binary);
    std::string stamp;
    std::getline(in, stamp);
    return stamp;
}

bool isCurrent(const fs::path& user, const std::string& stamp) {
    return hasConfig(user) && readStamp(user) == stamp;
}

// Copies the shipped dictionary into a uniquely named sibling of `user` and renames
// it into place, under a lock beside it: programs starting together make one copy,
// and an interrupted copy is never mistaken for a dictionary. An outdated copy is
// swapped for the new one while its own build lock is held, so that no program is
// writing derived files into it at that moment.
// The identity of a folder, to tell a copy made again from the one found damaged.
ino_t folderInode(const fs::path& folder) {
    struct stat info {};
    return ::stat(folder.c_str(), &info) == 0 ? info.st_ino : 0;
}

bool makeUserCopy(const fs::path& shipped, const fs::path& user, std::string& error, ino_t damaged = 0) {
    std::error_code ec;
    const fs::path parent = user.parent_path();
    fs::create_directories(parent, ec);
    if (ec) {
        error = "cannot create " + parent.string() + ": " + ec.message();
        return false;
    }
    const std::string stamp = DictionaryFolder::stampOf(shipped);
    FolderLock lock;
    lock.acquire((parent / ("." + user.filename().string() + ".lock")).string(), FolderLock::Mode::Exclusive,
                 true);
    if (isCurrent(user, stamp) && (damaged == 0 || folderInode(user) != damaged))
        return true;  // made by a program that held the lock before this one
    // Whatever partial or retired copies are left were left by programs that died:
    // the lock holder is the only one copying.
    const std::string partialStem = user.filename().string() + ".partial";
    const std::string retiredStem = user.filename().string() + ".old";
    for (const fs::directory_entry& entry : fs::directory_iterator(parent, ec)) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with(partialStem) || name.starts_with(retiredStem))
            fs::remove_all(entry.path(), ec);
    }
    std::string pattern = (parent / (partialStem + "-XXXXXX")).string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        error = "cannot create a folder in " + parent.string() + ": " + std::strerror(errno);
        return false;
    }
    const fs::path partial(pattern);
    ::chmod(partial.c_str(), 0755);
    if (!DictionaryFolder::copyShipped(shipped, partial, error)) {
        fs::remove_all(partial, ec);
        return false;
    }
    std::ofstream(partial / DictionaryFolder::STAMP_FILE, std::ios::binary) << stamp << '\n';
    FolderLock building;
    fs::path retired;
    if (fs::exists(user, ec)) {
        building.acquire((user / ".zabrel.lock").string(), FolderLock::Mode::Exclusive, true);
        std::string old = (parent / (retiredStem + "-XXXXXX")).string();
        if (::mkdtemp(old.data()) != nullptr) {
            retired = fs::path(old) / "urdu";
            fs::rename(user, retired, ec);
        }
    }
    fs::rename(partial, user, ec);
    if (ec) {
        error = "cannot create " + user.string() + ": " + ec.message();
        fs::remove_all(partial, ec);
        return false;
    }
    if (!retired.empty())
        fs::remove_all(retired.parent_path(), ec);
    return true;
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

fs::path DictionaryFolder::shippedFolder() {
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
    for (const fs::path& dir : candidates)
        if (!dir.empty() && hasConfig(dir))
            return dir;
    return {};
}

std::string DictionaryFolder::stampOf(const fs::path& shipped) {
    // FNV-1a over each file's name and bytes, in name order: the same dictionary in the
    // build tree and installed, with other times, is one stamp, so a user who runs
    // both keeps one copy; an upgrade changes the bytes. Reading the files costs a few
    // milliseconds, far less than the copy it spares.
    std::vector<fs::path> files;
    std::error_code ec;
    for (const fs::directory_entry& entry : fs::directory_iterator(shipped, ec))
        if (entry.is_regular_file(ec) && !entry.path().filename().string().starts_with("."))
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    uint64_t hash = 14695981039346656037ull;
    const auto mix = [&](const char* data, std::size_t size) {
        for (std::size_t k = 0; k < size; ++k) {
            hash ^= static_cast<unsigned char>(data[k]);
            hash *= 1099511628211ull;
        }
    };
    std::vector<char> buffer(1 << 16);
    for (const fs::path& file : files) {
        const std::string name = file.filename().string();
        mix(name.c_str(), name.size() + 1);
        std::ifstream in(file, std::ios::binary);
        int64_t length = 0;
        while (in) {
            in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
            mix(buffer.data(), static_cast<std::size_t>(in.gcount()));
            length += in.gcount();
        }
        // The length ends each file, so bytes cannot move from one file's end to the
        // next file's name unnoticed; an unreadable file stamps as one of -1 bytes.
        if (!in.eof())
            length = -1;
        for (int shift = 0; shift < 64; shift += 8) {
            const char byte = static_cast<char>((static_cast<uint64_t>(length) >> shift) & 0xFF);
            mix(&byte, 1);
        }
    }
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    return text;
}

bool DictionaryFolder::copyShipped(const fs::path& shipped, const fs::path& target, std::string& error) {
    std::error_code ec;
    fs::create_directories(target, ec);
    if (ec) {
        error = "cannot create " + target.string() + ": " + ec.message();
        return false;
    }
    for (const fs::directory_entry& entry : fs::directory_iterator(shipped, ec)) {
        const std::string name = entry.path().filename().string();
        if (!entry.is_regular_file() || name.starts_with("."))
            continue;
        fs::copy_file(entry.path(), target / name, fs::copy_options::overwrite_existing, ec);
        if (ec) {
            error = "cannot copy " + entry.path().string() + " to " + target.string() + ": " + ec.message();
            return false;
        }
    }
    if (ec) {
        error = "cannot read " + shipped.string() + ": " + ec.message();
        return false;
    }
    return true;
}

bool DictionaryFolder::setUp(SpellChecker& engine, const fs::path& folder, std::string& notice) {
    const fs::path user = userFolder();
    std::error_code ec;
    if (user.empty() || !fs::equivalent(folder, user, ec))
        return engine.initialize(folder);
    const ino_t before = folderInode(user);
    std::exception_ptr failure;
    std::string reason = "it did not load";
    try {
        if (engine.initialize(folder))
            return true;
    } catch (const QuelmException& ex) {
        failure = std::current_exception();
        reason = ex.getMessage();
    }
    const fs::path shipped = shippedFolder();
    std::string error;
    if (shipped.empty() || !makeUserCopy(shipped, user, error, before)) {
        if (failure)
            std::rethrow_exception(failure);
        return false;
    }
    notice = "Your copy of the dictionary in " + user.string() + " was damaged (" + reason +
             "); it was made again from " + shipped.string() + ".";
    return engine.initialize(folder);
}

fs::path DictionaryFolder::locate(const std::string& requested, std::string& error) {
    std::error_code ec;
    if (!requested.empty()) {
        if (!hasConfig(requested)) {
            error = "no config.ini in " + requested;
            return {};
        }
        return fs::absolute(requested, ec);
    }
    fs::path here = fs::current_path(ec);
    if (!ec && hasDictionaryConfig(here))
        return here;
    return userCopy(error);
}

fs::path DictionaryFolder::userCopy(std::string& error) {
    fs::path user = userFolder();
    if (user.empty()) {
        error = "neither XDG_DATA_HOME nor HOME is set, so there is no dictionary folder";
        return {};
    }
    fs::path shipped = shippedFolder();
    if (shipped.empty()) {
        // Without the shipped dictionary an existing copy is the best there is.
        if (hasConfig(user))
            return user;
        error = "the shipped Urdu dictionary was not found (looked for share/zabrel/urdu and data/urdu)";
        return {};
    }
    if (isCurrent(user, stampOf(shipped)))
        return user;
    if (!makeUserCopy(shipped, user, error))
        return {};
    return user;
}

}  // namespace zabrel
