// SPDX-License-Identifier: MIT
#include "core/dictionaryfiles.h"

#include "core/errors.h"
#include "core/filereader.h"

namespace zabrel {

DictionaryFiles DictionaryFiles::inMemory(const std::map<std::string, std::string>& files) {
    DictionaryFiles made;
    made.memory = true;
    for (const auto& [name, bytes] : files)
        made.held[key(name)] = bytes;
    return made;
}

std::string DictionaryFiles::key(const std::string& path) {
    return std::filesystem::path(path).lexically_normal().generic_string();
}

std::string DictionaryFiles::locate(const std::string& path) const {
    if (dir.empty() || path.empty() || std::filesystem::path(path).is_absolute())
        return path;
    return (dir / path).string();
}

const std::string* DictionaryFiles::bytesOf(const std::string& located) const {
    if (!memory || located.empty())
        return nullptr;
    const auto found = held.find(key(located));
    return found == held.end() ? nullptr : &found->second;
}

bool DictionaryFiles::open(FileReader& reader, const std::string& located, bool asciiMode) const {
    if (!memory)
        return reader.open(located, asciiMode);
    if (located.empty())
        throw IOException(ZABREL_HERE, ERR_FILE_OPEN, "Invalid file name specified.");
    const std::string* bytes = bytesOf(located);
    if (bytes == nullptr)
        throw IOException(ZABREL_HERE, ERR_FILE_OPEN, "Could not open file: " + located + ".");
    return reader.openBytes(*bytes, located, asciiMode);
}

void DictionaryFiles::put(const std::string& located, std::string bytes) {
    if (memory)
        held[key(located)] = std::move(bytes);
}

bool DictionaryFiles::exists(const std::string& located) const {
    if (memory)
        return bytesOf(located) != nullptr;
    std::error_code ec;
    return std::filesystem::exists(located, ec);
}

}  // namespace zabrel
