// SPDX-License-Identifier: MIT
#pragma once

#include <string>

#include "core/dictionaryfiles.h"

namespace zabrel {

// True for blank, tab, line feed and carriage return only.
bool isWhitespace(char c);
// Strips whitespace from both ends of `text` in place and returns a copy of the result.
std::string trim(std::string& text);

// The engine's settings, read from a dictionary folder's `config.ini`. Values are kept
// as read (trimmed), nothing is validated here.
class ConfigManager {
public:
    std::string initialize;
    std::string wordListFilePath;
    std::string hashTableFilePath;
    std::string bigramMatrixFilePath;
    std::string bigramPLFilePath;
    std::string unigramListsFilePath;
    std::string unigramPLFilePath;
    std::string urduAlphabetFilePath;
    std::string soundexFilePath;
    std::string shapexFilePath;
    // Optional: the word pairs that rank suggestions by their neighbours.
    std::string contextModelFilePath;

    static constexpr const char* FILE_NAME = "config.ini";

    // Merges the entries of config.ini over the fields; raises IOException when the
    // file cannot be opened or read.
    bool read();
    // The same for a config.ini given by path (relative paths inside it are not
    // touched: they are relative to the folder that holds it).
    bool read(const std::string& path, const DictionaryFiles& from = DictionaryFiles());
    // Replaces config.ini with "initialize = NO" and the nine paths (and the context
    // model's when there is one). The lines go to a
    // uniquely named temporary file first and are renamed into place, so a failed
    // write never leaves a truncated configuration and a symlink is never written
    // through. False when the file could not be written; writeFailureReason() says why.
    bool write();
    bool write(const std::string& path);
    const std::string& writeFailureReason() const { return writeFailure; }

private:
    std::string writeFailure;
    std::string* fieldFor(const std::string& key);
};

}  // namespace zabrel
