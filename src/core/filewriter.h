// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "core/atomicfile.h"

namespace zabrel {

// The reader's twin for output. In Unicode mode every file it creates or empties
// starts with FF FE. It raises nothing: every failure is a false result, and once a
// write has failed good() stays false until the file is closed.
class FileWriter {
public:
    FileWriter() = default;
    ~FileWriter();  // an unfinished replacement leaves the target untouched
    FileWriter(const FileWriter&) = delete;
    FileWriter& operator=(const FileWriter&) = delete;

    bool open(const char* fileName, bool asciiMode, bool append);
    bool open(const std::string& fileName, bool asciiMode, bool append) {
        return open(fileName.c_str(), asciiMode, append);
    }
    // Writes a new file that replaces `target` only when close() succeeds: never
    // through a symlink, never leaving a half-written target (see AtomicFile).
    bool openReplacing(const std::string& target, bool asciiMode);
    // Returns false when the file was not open or when pending bytes could not be
    // written out: a full disk shows up here at the latest.
    bool close();

    bool writeASCII(const std::string& text);
    bool writeUnicode(const std::u16string& text);
    bool writeBytes(const void* buffer, int32_t size);
    bool writeUnicodeUnits(const char16_t* buffer, int32_t count);
    void seek(int64_t position, int origin);
    void flush();
    int64_t tell();
    bool fileExists(const char* fileName);

    bool good() const { return isOpen && !failed; }
    // The system's reason for the last failed open, write or close, if it gave one.
    const std::string& failureReason() const { return reason; }

private:
    bool put(const void* bytes, std::size_t size);

    std::FILE* stream = nullptr;
    bool isOpen = false;
    bool asciiMode = true;
    bool append = false;
    bool failed = false;
    std::unique_ptr<AtomicFile> replacing;
    std::string reason;
};

}  // namespace zabrel
