// SPDX-License-Identifier: MIT
#include "engine/personalwordlist.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <system_error>
#include <utility>

#include "core/atomicfile.h"
#include "core/errors.h"
#include "engine/spellchecker.h"
#include "text/utf8.h"

namespace fs = std::filesystem;

namespace zabrel {

namespace {

fs::path fromEnvironment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? fs::path(value) : fs::path();
}

// Bytes the word takes in the file, its line end included.
std::uintmax_t lineBytes(std::u16string_view word) {
    std::uintmax_t bytes = 1;
    for (char16_t unit : word)
        bytes += unit < 0x80 ? 1 : unit < 0x800 || (unit >= 0xD800 && unit <= 0xDFFF) ? 2 : 3;
    return bytes;
}

bool storable(std::u16string_view word) {
    if (word.empty())
        return false;
    for (std::size_t i = 0; i < word.size(); ++i) {
        const char16_t unit = word[i];
        if (unit == u'\n' || unit == u'\r' || unit == 0)
            return false;
        const bool high = unit >= 0xD800 && unit <= 0xDBFF;
        const bool low = unit >= 0xDC00 && unit <= 0xDFFF;
        if (high && (i + 1 == word.size() || word[i + 1] < 0xDC00 || word[i + 1] > 0xDFFF))
            return false;
        if (low && (i == 0 || word[i - 1] < 0xD800 || word[i - 1] > 0xDBFF))
            return false;
    }
    return true;
}

std::string_view trimmed(std::string_view line) {
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t' || line.back() == '\r'))
        line.remove_suffix(1);
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t'))
        line.remove_prefix(1);
    return line;
}

[[noreturn]] void fail(int32_t code, const fs::path& file, const std::string& what) {
    throw IOException(ZABREL_HERE, code, "The personal word list " + file.string() + " " + what + ".");
}

// Reads at most `limit` + 1 bytes, so that a device or a runaway file cannot take all
// memory; the caller tells "too large" from the size.
bool readBounded(const fs::path& file, std::uintmax_t limit, std::string& bytes, int& error) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = errno;
        return false;
    }
    bytes.clear();
    char buffer[65536];
    error = 0;
    while (bytes.size() <= limit) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            error = errno;
        if (got <= 0)
            break;
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(fd);
    return error == 0;
}

// Writes `bytes` to `target` so that readers see the old file or the new one, never a
// part, creating the folder when needed. Returns the system's reason on failure.
std::string writeAtomically(const fs::path& target, const std::string& bytes) {
    std::error_code ec;
    if (target.has_parent_path())
        fs::create_directories(target.parent_path(), ec);
    if (ec)
        return ec.message();
    AtomicFile out(target.string());
    if (!out.open())
        return out.error();
    // A list the user made private stays private.
    struct stat old {};
    if (::stat(target.c_str(), &old) == 0)
        ::fchmod(::fileno(out.stream()), old.st_mode & 07777);
    if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), out.stream()) != bytes.size())
        return std::strerror(errno);
    if (!out.commit())
        return out.error();
    return {};
}

}  // namespace

fs::path PersonalWordList::defaultPath() {
    fs::path base = fromEnvironment("XDG_DATA_HOME");
    if (base.empty()) {
        const fs::path home = fromEnvironment("HOME");
        if (home.empty())
            return {};
        base = home / ".local" / "share";
    }
    return base / "zabrel" / "personal.txt";
}

void PersonalWordList::readWords(const fs::path& file, WordSet& into) {
    std::string bytes;
    int error = 0;
    if (!readBounded(file, LARGEST_FILE, bytes, error)) {
        // Not there yet (nor, perhaps, its folder): an empty list, made on first save.
        if (error == ENOENT || error == ENOTDIR)
            return;
        fail(error == EISDIR ? ERR_FILE_OPEN : ERR_FILE_READ, file,
             std::string("could not be read: ") + std::strerror(error));
    }
    if (bytes.size() > LARGEST_FILE)
        fail(ERR_FILE_READ, file, "is larger than " + std::to_string(LARGEST_FILE / (1024 * 1024)) + " MiB");

    std::string_view text(bytes);
    if (text.starts_with("\xFF\xFE") || text.starts_with("\xFE\xFF"))
        fail(ERR_FILE_READ, file, "is UTF-16, not UTF-8 (iconv -f UTF-16 -t UTF-8 converts it)");
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    std::u16string word;
    std::size_t lineNumber = 0;
    while (!text.empty()) {
        ++lineNumber;
        const std::size_t end = std::min(text.find('\n'), text.size());
        const std::string_view line = trimmed(text.substr(0, end));
        text.remove_prefix(std::min(end + 1, text.size()));
        std::size_t badOffset = 0;
        if (line.find('\0') != std::string_view::npos)
            fail(ERR_FILE_READ, file, "holds a NUL byte on line " + std::to_string(lineNumber));
        if (!utf8ToUtf16(line, word, badOffset))
            fail(ERR_FILE_READ, file, "is not UTF-8 on line " + std::to_string(lineNumber));
        if (!word.empty())
            into.insert(word);
    }
}

void PersonalWordList::load() {
    list.clear();
    added.clear();
    removed.clear();
    fileBytes = 0;
    unreadable = false;
    if (file.empty())
        return;
    try {
        readWords(file, list);
    } catch (const IOException&) {
        unreadable = true;
        list.clear();
        throw;
    }
    for (const std::u16string& word : list)
        fileBytes += lineBytes(word);
}

bool PersonalWordList::contains(std::u16string_view word) const {
    return list.find(word) != list.end();
}

bool PersonalWordList::add(std::u16string word) {
    if (!storable(word) || contains(word))
        return false;
    const std::uintmax_t bytes = lineBytes(word);
    if (fileBytes + bytes > LARGEST_FILE)
        return false;
    removed.erase(word);
    added.insert(word);
    list.insert(std::move(word));
    fileBytes += bytes;
    return true;
}

bool PersonalWordList::remove(std::u16string_view word) {
    auto found = list.find(word);
    if (found == list.end())
        return false;
    fileBytes -= lineBytes(*found);
    added.erase(*found);
    removed.insert(*found);
    list.erase(found);
    return true;
}

void PersonalWordList::save() const {
    if (file.empty())
        return;
    if (unreadable)
        fail(ERR_GENERAL, file, "was not saved, as it could not be read");
    // Other programs may have saved the list since it was read: keep their words and
    // apply only this list's own changes. A file damaged since is refused as at load.
    WordSet merged;
    readWords(file, merged);
    merged.insert(added.begin(), added.end());
    for (const std::u16string& word : removed)
        merged.erase(word);
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(fileBytes));
    for (const std::u16string& word : merged) {
        appendUtf8(bytes, word);
        bytes += '\n';
    }
    // Saving through a link keeps the link and writes the file it names.
    std::error_code ec;
    fs::path target = file;
    if (fs::is_symlink(file, ec)) {
        fs::path resolved = fs::canonical(file, ec);
        if (!ec)
            target = std::move(resolved);
    }
    if (const std::string error = writeAtomically(target, bytes); !error.empty())
        fail(ERR_GENERAL, file, "could not be written: " + error);
}

std::vector<std::u16string> PersonalWordList::words() const {
    return {list.begin(), list.end()};
}

void PersonalWordList::appendNear(std::u16string_view word, std::vector<std::u16string>& suggestions) const {
    for (std::u16string& close : near(word))
        if (std::find(suggestions.begin(), suggestions.end(), close) == suggestions.end())
            suggestions.push_back(std::move(close));
}

std::vector<std::u16string> PersonalWordList::near(std::u16string_view word, int32_t maxDistance) const {
    const std::u16string misspelt(word);
    std::vector<std::pair<int32_t, const std::u16string*>> found;
    for (const std::u16string& candidate : list) {
        const auto lengthGap = static_cast<int64_t>(candidate.size()) - static_cast<int64_t>(misspelt.size());
        if (lengthGap > maxDistance || -lengthGap > maxDistance)
            continue;
        const int32_t distance = editDistance(misspelt, candidate);
        if (distance <= maxDistance)
            found.emplace_back(distance, &candidate);
    }
    std::stable_sort(found.begin(), found.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<std::u16string> result;
    result.reserve(found.size());
    for (const auto& entry : found)
        result.push_back(*entry.second);
    return result;
}

}  // namespace zabrel
