// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace zabrel {

// What the user's copy of the dictionary records of what it was made from, in
// RECORD_FILE inside the copy: the shipped files' stamp, the places the shipped files
// have been seen in, and the size, times and inode of each file of the copy. A start
// compares these with what the file system says and reads no file of the dictionary.
class CopyRecord {
public:
    static constexpr const char* RECORD_FILE = ".made-from";

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

    // How the copy in `copy` stands against the shipped dictionary in `shipped` (empty
    // when there is none to compare with).
    static Examined examine(const std::filesystem::path& copy, const std::filesystem::path& shipped);
    // Adds `place` to the record's places, the newest first.
    static bool rememberPlace(const std::filesystem::path& copy, const std::string& place);
    // Records the folder `made` as it is now: made from the shipped files with `stamp`
    // (taken of them as copied, before anything was built beside them), found at `place`.
    static bool writeFor(const std::filesystem::path& made, const std::string& stamp,
                         const std::string& place, std::string& error);

    // Where the shipped files lie now: a checksum of their names, sizes, times and inodes.
    static std::string placeOf(const std::filesystem::path& shipped);
    // A checksum over the names and contents of a folder's files, so that the same
    // files in another place or with other times are the same dictionary.
    static std::string stampOf(const std::filesystem::path& folder);
    // The files that make a dictionary folder, in name order: dot files (locks, the
    // record) are none of it.
    static std::vector<std::filesystem::path> dictionaryFiles(const std::filesystem::path& folder);
};

}  // namespace zabrel
