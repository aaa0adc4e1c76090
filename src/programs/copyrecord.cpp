// SPDX-License-Identifier: MIT
#include "programs/copyrecord.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <system_error>

#include "core/atomicfile.h"
#include "core/configmanager.h"

namespace fs = std::filesystem;

namespace zabrel {

namespace {

bool hasConfig(const fs::path& dir) {
    std::error_code ec;
    return fs::is_regular_file(dir / ConfigManager::FILE_NAME, ec);
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
    std::ifstream in(copy / CopyRecord::RECORD_FILE, std::ios::binary);
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
    const fs::path path = copy / CopyRecord::RECORD_FILE;
    if (replaceFile(path.string(), text, error))
        return true;
    error = "cannot write " + path.string() + ": " + error;
    return false;
}

}  // namespace

std::vector<fs::path> CopyRecord::dictionaryFiles(const fs::path& folder) {
    std::vector<fs::path> files;
    std::error_code ec;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, ec))
        if (entry.is_regular_file(ec) && !entry.path().filename().string().starts_with("."))
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

// The copy remembers the places it has found its dictionary's files in, so that a start
// compares these and reads no shipped file; a place it does not know (an upgrade, the
// same dictionary installed elsewhere) is read once to tell which it is.
std::string CopyRecord::placeOf(const fs::path& shipped) {
    Checksum sum;
    for (const fs::path& file : CopyRecord::dictionaryFiles(shipped)) {
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

std::string CopyRecord::stampOf(const fs::path& shipped) {
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

// Reads the record and stats the files: no file of the dictionary is read while the
// shipped files lie where the copy has seen them before.
CopyRecord::Examined CopyRecord::examine(const fs::path& copy, const fs::path& shipped) {
    Record record;
    if (!readRecord(copy, record))
        return {hasConfig(copy) ? State::Outdated : State::Missing, {}, {}};
    Examined found;
    if (!shipped.empty()) {
        found.place = CopyRecord::placeOf(shipped);
        if (std::find(record.places.begin(), record.places.end(), found.place) == record.places.end()) {
            if (CopyRecord::stampOf(shipped) != record.stamp)
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

bool CopyRecord::rememberPlace(const fs::path& copy, const std::string& place) {
    Record record;
    if (!readRecord(copy, record))
        return false;
    record.places.insert(record.places.begin(), place);
    if (record.places.size() > REMEMBERED_PLACES)
        record.places.resize(REMEMBERED_PLACES);
    std::string error;
    return writeRecord(copy, record, error);
}

bool CopyRecord::writeFor(const fs::path& made, const std::string& stamp, const std::string& place,
                          std::string& error) {
    Record record;
    record.stamp = stamp;
    record.places.push_back(place);
    for (const fs::path& file : dictionaryFiles(made)) {
        FileState state;
        if (stateOf(file, state))
            record.files.push_back(state);
    }
    return writeRecord(made, record, error);
}

}  // namespace zabrel
