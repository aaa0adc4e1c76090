// SPDX-License-Identifier: MIT
#include "engine/dictionaryfolder.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string_view>
#include <system_error>

#include "core/folderlock.h"

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
    std::ifstream in(dir / "config.ini", std::ios::binary);
    std::string text(4096, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(in.gcount()));
    const auto names = [&](std::string_view key) {
        for (std::size_t at = text.find(key); at != std::string::npos; at = text.find(key, at + 1)) {
            const bool lineStart = at == 0 || text[at - 1] == '\n' || text[at - 1] == '\r' ||
                                   text[at - 1] == ' ' || text[at - 1] == '\t';
            std::size_t after = at + key.size();
            while (after < text.size() && (text[after] == ' ' || text[after] == '\t'))
                ++after;
            if (lineStart && after < text.size() && text[after] == '=')
                return true;
        }
        return false;
    };
    return names("initialize") && names("wordListFilePath");
}

// Copies the shipped dictionary into a uniquely named sibling of `user` and renames
// it into place, under a lock beside it: programs starting together make one copy,
// and an interrupted copy is never mistaken for a dictionary.
bool makeUserCopy(const fs::path& shipped, const fs::path& user, std::string& error) {
    std::error_code ec;
    const fs::path parent = user.parent_path();
    fs::create_directories(parent, ec);
    if (ec) {
        error = "cannot create " + parent.string() + ": " + ec.message();
        return false;
    }
    FolderLock lock;
    lock.acquire((parent / ("." + user.filename().string() + ".lock")).string(), FolderLock::Mode::Exclusive,
                 true);
    if (hasConfig(user))
        return true;  // made by a program that held the lock before this one
    // Whatever partial copies are left were left by programs that died: the lock
    // holder is the only one copying.
    const std::string stem = user.filename().string() + ".partial";
    for (const fs::directory_entry& entry : fs::directory_iterator(parent, ec))
        if (entry.path().filename().string().starts_with(stem))
            fs::remove_all(entry.path(), ec);
    std::string pattern = (parent / (stem + "-XXXXXX")).string();
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
    fs::rename(partial, user, ec);
    if (ec) {
        error = "cannot create " + user.string() + ": " + ec.message();
        fs::remove_all(partial, ec);
        return false;
    }
    return true;
}

fs::path fromEnvironment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? fs::path(value) : fs::path();
}

}  // namespace

fs::path DictionaryFolder::userFolder() {
    fs::path base = fromEnvironment("XDG_DATA_HOME");
    if (base.empty()) {
        fs::path home = fromEnvironment("HOME");
        if (home.empty())
            return {};
        base = home / ".local" / "share";
    }
    return base / "zabrel" / "urdu";
}

fs::path DictionaryFolder::shippedFolder() {
    const fs::path candidates[] = {
        fromEnvironment("ZABREL_SHIPPED_DICTIONARY"),
#ifdef ZABREL_INSTALLED_DICTIONARY
        fs::path(ZABREL_INSTALLED_DICTIONARY),
#endif
#ifdef ZABREL_SOURCE_DICTIONARY
        fs::path(ZABREL_SOURCE_DICTIONARY),
#endif
    };
    for (const fs::path& dir : candidates)
        if (!dir.empty() && hasConfig(dir))
            return dir;
    return {};
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
    fs::path user = userFolder();
    if (user.empty()) {
        error = "neither XDG_DATA_HOME nor HOME is set, so there is no dictionary folder";
        return {};
    }
    if (hasConfig(user))
        return user;
    fs::path shipped = shippedFolder();
    if (shipped.empty()) {
        error = "the shipped Urdu dictionary was not found (looked for share/zabrel/urdu and data/urdu)";
        return {};
    }
    if (!makeUserCopy(shipped, user, error))
        return {};
    return user;
}

}  // namespace zabrel
