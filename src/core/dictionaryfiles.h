// SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <string_view>

namespace zabrel {

class FileReader;

// Where a dictionary's files are read from: a folder (the current directory when
// none is given), or a set of files held in memory, each by the name the folder would
// give it. Set-up reads every file through one of these, so a dictionary in memory is
// read exactly as the same files in a folder, messages included.
class DictionaryFiles {
public:
    // The current directory.
    DictionaryFiles() = default;
    explicit DictionaryFiles(std::filesystem::path folder) : dir(std::move(folder)) {}
    // Each name the folder would hold ("config.ini", and the names config.ini gives) to
    // that file's bytes. Names are taken as relative paths: "./a.dat" is "a.dat".
    static DictionaryFiles inMemory(const std::map<std::string, std::string>& files);

    bool isInMemory() const { return memory; }
    // Empty for the current directory and for files in memory.
    const std::filesystem::path& folder() const { return dir; }
    // A path as config.ini gives it, as it is opened and named in messages: relative
    // paths are taken from the folder.
    std::string locate(const std::string& path) const;
    // Opens a located file in `reader`, raising what FileReader::open raises for a file
    // that is not there.
    bool open(FileReader& reader, const std::string& located, bool asciiMode) const;
    // The bytes of a located file in memory; null when it has none, and always for a
    // folder.
    const std::string* bytesOf(const std::string& located) const;
    bool exists(const std::string& located) const;
    // Files in memory only: puts a file in, replacing one of the same name. A first
    // run in memory keeps its derived files here.
    void put(const std::string& located, std::string bytes);

private:
    static std::string key(const std::string& path);

    std::filesystem::path dir;
    bool memory = false;
    std::map<std::string, std::string, std::less<>> held;
};

}  // namespace zabrel
