// SPDX-License-Identifier: MIT
#include "engine/personalwordlist.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#include "core/errors.h"
#include "core/folderlock.h"
#include "core/userfile.h"
#include "engine/editdistance.h"
#include "text/utf8.h"

namespace fs = std::filesystem;

namespace zabrel {

namespace {

// Appends go on while the unsorted tail stays this small next to the sorted list.
constexpr std::uintmax_t SMALLEST_TAIL = 64 * 1024;
constexpr std::uintmax_t TAIL_FRACTION = 8;

bool isBlank(char16_t unit) {
    return (unit >= 0x09 && unit <= 0x0D) || unit == 0x20 || unit == 0x85 || unit == 0xA0 || unit == 0x1680 ||
           (unit >= 0x2000 && unit <= 0x200A) || unit == 0x2028 || unit == 0x2029 || unit == 0x202F ||
           unit == 0x205F || unit == 0x3000 || unit == 0xFEFF;
}

std::u16string_view trimmed(std::u16string_view word) {
    while (!word.empty() && isBlank(word.back()))
        word.remove_suffix(1);
    while (!word.empty() && isBlank(word.front()))
        word.remove_prefix(1);
    return word;
}

bool wellFormed(std::u16string_view word) {
    for (std::size_t i = 0; i < word.size(); ++i) {
        const char16_t unit = word[i];
        if (unit == 0 || isBlank(unit))
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

std::string lineOf(std::u16string_view word) {
    std::string line;
    appendUtf8(line, word);
    line += '\n';
    return line;
}

[[noreturn]] void fail(int32_t code, const fs::path& file, const std::string& what) {
    throw IOException(ZABREL_HERE, code, "The personal word list " + file.string() + " " + what + ".");
}

std::string mebibytes(std::uintmax_t bytes) {
    return std::to_string(bytes / (1024 * 1024)) + " MiB";
}

// A killed program leaves its temporary file behind; only the lock holder writes
// one, so while the lock is held every such file is stale.
void removeStaleTemporaries(const fs::path& target) {
    const std::string stem = target.filename().string() + ".tmp-";
    std::error_code ec;
    for (const fs::directory_entry& entry : fs::directory_iterator(target.parent_path(), ec)) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with(stem) && entry.is_regular_file(ec) &&
            name.find_first_not_of("0123456789-", stem.size()) == std::string::npos)
            fs::remove(entry.path(), ec);
    }
}

fs::path lockFileOf(const fs::path& target) {
    return target.string() + ".lock";
}

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t put = ::write(fd, bytes.data(), bytes.size());
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(put));
    }
    return true;
}

}  // namespace

fs::path PersonalWordList::defaultPath() {
    const fs::path base = userDataHome();
    return base.empty() ? fs::path() : base / "zabrel" / "personal.txt";
}

std::optional<std::u16string> PersonalWordList::storable(std::u16string_view word) {
    const std::u16string_view core = trimmed(word);
    if (core.empty() || !wellFormed(core))
        return std::nullopt;
    return std::u16string(core);
}

PersonalWordList::Contents PersonalWordList::readFile(const fs::path& target) {
    Contents contents;
    std::string bytes;
    std::string reason;
    switch (UserFile::read(target, LARGEST_FILE, bytes, reason)) {
        case UserFile::Read::Missing:
            return contents;  // made on first save, folder and all
        case UserFile::Read::TooLarge:
            fail(ERR_FILE_READ, file, "is larger than " + mebibytes(LARGEST_FILE));
        case UserFile::Read::Failed:
            fail(ERR_FILE_READ, file, "could not be read: " + reason);
        case UserFile::Read::Done:
            break;
    }
    std::string_view text(bytes);
    if (text.starts_with("\xFF\xFE") || text.starts_with("\xFE\xFF"))
        fail(ERR_FILE_READ, file, "is UTF-16, not UTF-8 (iconv -f UTF-16 -t UTF-8 converts it)");
    contents.bytes = bytes.size();
    if (text.starts_with("\xEF\xBB\xBF")) {
        text.remove_prefix(3);
        contents.compact = false;
    }
    std::u16string decoded;
    std::size_t lineNumber = 0;
    std::size_t firstBad = 0;
    const std::u16string* previous = nullptr;
    while (!text.empty()) {
        ++lineNumber;
        const std::size_t end = std::min(text.find('\n'), text.size());
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        std::size_t badOffset = 0;
        if (line.find('\0') != std::string_view::npos || !utf8ToUtf16(line, decoded, badOffset)) {
            contents.keptLines.emplace_back(line);
            firstBad = firstBad == 0 ? lineNumber : firstBad;
            continue;
        }
        const std::u16string_view word = trimmed(decoded);
        if (word.empty() || word.size() != decoded.size() || (previous != nullptr && word <= *previous))
            contents.compact = false;
        if (!word.empty())
            previous = &*contents.words.emplace(word).first;
    }
    if (!contents.keptLines.empty()) {
        contents.compact = false;
        notices.push_back("The personal word list " + file.string() + " has " +
                          std::to_string(contents.keptLines.size()) +
                          " line(s) that are not UTF-8 text, the first on line " + std::to_string(firstBad) +
                          "; they were skipped and stay in the file as they are.");
    }
    return contents;
}

void PersonalWordList::load() {
    notices.clear();
    unreadable = false;
    list.clear();
    if (file.empty() || UserFile::isNullDevice(file)) {
        list.insert(added.begin(), added.end());
        return;
    }
    const fs::path target = UserFile::resolve(file);
    FolderLock lock;
    // A writer appending is waited for; a list in a folder we cannot write is read as it is.
    if (UserFile::inode(target) != 0)
        lock.acquire(lockFileOf(target).string(), FolderLock::Mode::Shared, true);
    Contents contents;
    try {
        contents = readFile(target);
    } catch (const IOException&) {
        unreadable = true;
        throw;
    }
    list = std::move(contents.words);
    compactInode = contents.compact ? UserFile::inode(target) : 0;
    compactBytes = contents.bytes;
    list.insert(added.begin(), added.end());
    for (const std::u16string& word : removed)
        list.erase(word);
}

bool PersonalWordList::contains(std::u16string_view word) const {
    return list.find(word) != list.end();
}

bool PersonalWordList::add(std::u16string_view word) {
    std::optional<std::u16string> stored = storable(word);
    if (!stored || contains(*stored))
        return false;
    removed.erase(*stored);
    added.insert(*stored);
    list.insert(std::move(*stored));
    return true;
}

bool PersonalWordList::remove(std::u16string_view word) {
    auto found = list.find(word);
    if (found == list.end())
        return false;
    added.erase(*found);
    removed.insert(*found);
    list.erase(found);
    return true;
}

bool PersonalWordList::appendable(const fs::path& target, std::uintmax_t addedBytes) const {
    struct stat info {};
    if (!removed.empty() || compactInode == 0 || ::stat(target.c_str(), &info) != 0 ||
        info.st_ino != compactInode)
        return false;
    const auto size = static_cast<std::uintmax_t>(info.st_size);
    const std::uintmax_t tail = size - std::min(size, compactBytes) + addedBytes;
    return size >= compactBytes && size + addedBytes <= LARGEST_FILE &&
           tail <= std::max(SMALLEST_TAIL, compactBytes / TAIL_FRACTION);
}

void PersonalWordList::appendTo(const fs::path& target, const std::string& lines) {
    const int fd = ::open(target.c_str(), O_WRONLY | O_APPEND | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        fail(ERR_GENERAL, file, std::string("could not be written: ") + std::strerror(errno));
    struct stat info {};
    std::string bytes;
    char last = '\n';
    if (::fstat(fd, &info) == 0 && info.st_size > 0 && ::pread(fd, &last, 1, info.st_size - 1) != 1)
        last = '\n';
    if (last != '\n')
        bytes += '\n';
    bytes += lines;
    if (!writeAll(fd, bytes) || ::fsync(fd) != 0) {
        const int error = errno;
        // Take back a part-written line, so that no half word is read as a word.
        if (::ftruncate(fd, info.st_size) != 0) {
            // The cut line is skipped by readers at worst.
        }
        ::close(fd);
        fail(ERR_GENERAL, file, std::string("could not be written: ") + std::strerror(error));
    }
    ::close(fd);
}

void PersonalWordList::rewrite(const fs::path& target) {
    Contents contents = readFile(target);
    contents.words.insert(added.begin(), added.end());
    for (const std::u16string& word : removed)
        contents.words.erase(word);
    std::string bytes;
    for (const std::u16string& word : contents.words)
        bytes += lineOf(word);
    for (const std::string& line : contents.keptLines)
        bytes.append(line).append(1, '\n');
    if (bytes.size() > LARGEST_FILE)
        fail(ERR_GENERAL, file,
             "would be larger than " + mebibytes(LARGEST_FILE) + ", so " + std::to_string(added.size()) +
                 " new word(s) were not saved");
    std::string reason;
    if (!UserFile::replace(target, bytes, reason))
        fail(ERR_GENERAL, file, "could not be written: " + reason);
    list = std::move(contents.words);
    compactInode = contents.keptLines.empty() ? UserFile::inode(target) : 0;
    compactBytes = bytes.size();
}

void PersonalWordList::save() {
    if (file.empty() || !unsaved())
        return;
    if (UserFile::isNullDevice(file)) {
        added.clear();
        removed.clear();
        return;
    }
    if (unreadable)
        fail(ERR_GENERAL, file, "was not saved, as it could not be read");
    std::string reason;
    const fs::path target = UserFile::saveTarget(file, reason);
    if (target.empty())
        fail(ERR_GENERAL, file, "could not be written: " + reason);
    std::error_code ec;
    if (target == file && !fs::exists(target.parent_path(), ec))
        fs::create_directories(target.parent_path(), ec);
    FolderLock lock;
    lock.acquire(lockFileOf(target).string(), FolderLock::Mode::Exclusive, true);
    removeStaleTemporaries(target);
    notices.clear();
    std::string lines;
    for (const std::u16string& word : added)
        lines += lineOf(word);
    if (appendable(target, lines.size()))
        appendTo(target, lines);
    else
        rewrite(target);
    added.clear();
    removed.clear();
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
        const int32_t distance = editDistanceWithin(misspelt, candidate, maxDistance);
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
