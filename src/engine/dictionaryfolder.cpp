// SPDX-License-Identifier: MIT
#include "engine/dictionaryfolder.h"

#include <cstdlib>
#include <system_error>

namespace fs = std::filesystem;

namespace zabrel {

namespace {

bool hasConfig(const fs::path& dir) {
    std::error_code ec;
    return fs::is_regular_file(dir / "config.ini", ec);
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
    if (!ec && hasConfig(here))
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
    // Copy into a sibling first and rename, so an interrupted copy is never mistaken
    // for a dictionary on the next start.
    fs::path partial = user;
    partial += ".partial";
    fs::remove_all(partial, ec);
    if (!copyShipped(shipped, partial, error))
        return {};
    fs::rename(partial, user, ec);
    if (ec) {
        error = "cannot create " + user.string() + ": " + ec.message();
        return {};
    }
    return user;
}

}  // namespace zabrel
