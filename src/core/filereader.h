// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace zabrel {

// The largest settings file (config.ini, a code table) the engine reads: real ones
// are a few hundred bytes, and a device such as /dev/zero never ends.
constexpr int64_t MAX_SETTINGS_FILE_BYTES = int64_t{1} << 20;

// Reads the engine's two file encodings: ASCII files (one byte a character) and
// Unicode files (FF FE, then UTF-16LE units). Failures raise IOException; "nothing
// read" and "not open" are false results.
class FileReader {
public:
    FileReader() = default;
    ~FileReader();
    FileReader(const FileReader&) = delete;
    FileReader& operator=(const FileReader&) = delete;

    bool open(const char* fileName, bool asciiMode);
    bool open(const std::string& fileName, bool asciiMode) { return open(fileName.c_str(), asciiMode); }
    // The same over a copy of `bytes` (a file's whole content, its mark included), named
    // `label` where a message would name the file. It has no descriptor().
    bool openBytes(std::string_view bytes, const std::string& label, bool asciiMode);
    void close();
    bool eof() const;
    bool isOpened() const { return isOpen; }

    bool readASCII(std::string& sString, int32_t maxLength, char delimiter);
    bool readUnicode(std::u16string& wsString, int32_t maxLength, char16_t delimiter);
    bool readUnicodeChars(std::u16string& wsString, int32_t count);
    bool readBytes(void* buffer, int32_t size);
    bool readBytesAt(void* buffer, int32_t position, int32_t size);
    bool seek(int32_t position);
    bool readUnicodeUnits(char16_t* buffer, int32_t count);
    bool unreadASCII(int32_t count);
    bool unreadUnicode(int32_t count);
    int64_t getFileSize();

    // Bytes taken from the file so far by the character reads; lets a caller refuse a
    // file that never ends (a device) or is far larger than it can be.
    int64_t consumedBytes() const { return consumed; }
    // Raises IOException "File is too large: NAME." once more than `limit` bytes were taken.
    void requireAtMost(int64_t limit) const;
    const std::string& fileName() const { return name; }

    // Bytes delivered by the last readBytes, readBytesAt or readUnicodeUnits (units
    // count two bytes each), so that callers can tell a short read from a full one.
    std::size_t lastReadSize() const { return lastRead; }
    // The open file's descriptor (-1 when closed), for positioned reads that leave the
    // stream alone.
    int descriptor() const { return stream != nullptr ? fileno(stream) : -1; }
    // What an openBytes stream reads (its mark included), for reads that leave the
    // stream alone; empty for a file.
    std::string_view heldBytes() const { return held; }

private:
    bool readUnit(char16_t& unit);
    bool readyFor(bool wantAscii, const char* wrongMode) const;
    bool rawReady(const void* buffer, int32_t size);
    // A read that came back short: end of file, or an error raised as IOException.
    void checkReadError() const;
    // What open and openBytes share once the stream is there.
    bool begin(const std::string& fileName, bool ascii);

    std::FILE* stream = nullptr;
    bool isOpen = false;
    bool asciiMode = true;
    std::size_t lastRead = 0;
    int64_t consumed = 0;
    std::string name;
    std::string held;  // the bytes an openBytes stream reads
};

}  // namespace zabrel
