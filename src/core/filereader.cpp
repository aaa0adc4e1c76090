// SPDX-License-Identifier: MIT
#include "core/filereader.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "core/errors.h"

namespace zabrel {

namespace {
constexpr uint16_t BYTE_ORDER_MARK = 0xFEFF;
constexpr long MARK_SIZE = 2;
}  // namespace

FileReader::~FileReader() {
    close();
}

bool FileReader::open(const char* fileName, bool ascii) {
    if (fileName == nullptr || *fileName == '\0')
        throw IOException(ZABREL_HERE, ERR_FILE_OPEN, "Invalid file name specified.");
    close();
    stream = std::fopen(fileName, "rb");
    if (stream == nullptr) {
        isOpen = false;
        throw IOException(ZABREL_HERE, ERR_FILE_OPEN, "Could not open file: " + std::string(fileName) + ".");
    }
    // fopen succeeds on a directory, whose reads then fail for ever.
    struct stat info {};
    if (::fstat(::fileno(stream), &info) == 0 && S_ISDIR(info.st_mode)) {
        std::fclose(stream);
        stream = nullptr;
        isOpen = false;
        throw IOException(ZABREL_HERE, ERR_FILE_OPEN, "Could not open file: " + std::string(fileName) + ".");
    }
    return begin(fileName, ascii);
}

bool FileReader::openBytes(std::string_view bytes, const std::string& label, bool ascii) {
    close();
    held.assign(bytes.begin(), bytes.end());
    // fmemopen wants a buffer even for no bytes, and a string always has one.
    stream = ::fmemopen(held.data(), held.size(), "rb");
    if (stream == nullptr) {
        isOpen = false;
        throw IOException(ZABREL_HERE, ERR_FILE_OPEN, "Could not open file: " + label + ".");
    }
    return begin(label, ascii);
}

bool FileReader::begin(const std::string& fileName, bool ascii) {
    name = fileName;
    consumed = 0;
    asciiMode = ascii;
    if (!asciiMode) {
        unsigned char mark[2] = {0, 0};
        std::size_t got = std::fread(mark, 1, 2, stream);
        uint16_t value = static_cast<uint16_t>(mark[0] | (mark[1] << 8));
        if (got < 2 || value != BYTE_ORDER_MARK) {
            std::fclose(stream);
            stream = nullptr;
            isOpen = false;
            throw IOException(ZABREL_HERE, ERR_FILE_OPEN, "File is not Unicode based.");
        }
    }
    isOpen = true;
    return true;
}

void FileReader::close() {
    if (stream != nullptr) {
        std::fclose(stream);
        stream = nullptr;
    }
    held.clear();
    isOpen = false;
}

bool FileReader::eof() const {
    return isOpen && std::feof(stream) != 0;
}

void FileReader::checkReadError() const {
    if (std::ferror(stream) != 0)
        throw IOException(ZABREL_HERE, ERR_FILE_READ,
                          "Could not read file: " + name + ". " + std::strerror(errno) + ".");
}

void FileReader::requireAtMost(int64_t limit) const {
    if (consumed > limit)
        throw IOException(ZABREL_HERE, ERR_FILE_READ, "File is too large: " + name + ".");
}

bool FileReader::readUnit(char16_t& unit) {
    int low = getc_unlocked(stream);
    if (low == EOF) {
        checkReadError();
        return false;
    }
    int high = getc_unlocked(stream);
    if (high == EOF) {
        checkReadError();
        return false;  // a trailing odd byte is dropped
    }
    consumed += 2;
    unit = static_cast<char16_t>(low | (high << 8));
    return true;
}

bool FileReader::readyFor(bool wantAscii, const char* wrongMode) const {
    if (!isOpen)
        return false;
    if (eof())
        throw IOException(ZABREL_HERE, ERR_FILE_READ, "End of file encountered.");
    if (asciiMode != wantAscii)
        throw IOException(ZABREL_HERE, ERR_FILE_READ, wrongMode);
    return true;
}

bool FileReader::readASCII(std::string& sString, int32_t maxLength, char delimiter) {
    if (!readyFor(true, "File not openned as ASCII initially."))
        return false;
    std::string token;
    for (int32_t i = 0; i < maxLength; ++i) {
        int c = getc_unlocked(stream);
        if (c == EOF) {
            checkReadError();
            break;
        }
        ++consumed;
        if (static_cast<char>(c) == delimiter)
            break;
        token.push_back(static_cast<char>(c));
    }
    if (token.empty())
        return false;
    sString = std::move(token);
    return true;
}

bool FileReader::readUnicode(std::u16string& wsString, int32_t maxLength, char16_t delimiter) {
    if (!readyFor(false, "File not openned as UNICODE initially."))
        return false;
    std::u16string token;
    for (int32_t i = 0; i < maxLength; ++i) {
        char16_t unit;
        if (!readUnit(unit) || unit == delimiter)
            break;
        token.push_back(unit);
    }
    if (token.empty())
        return false;
    wsString = std::move(token);
    return true;
}

bool FileReader::readUnicodeChars(std::u16string& wsString, int32_t count) {
    if (!readyFor(false, "File not openned as Unicode initially."))
        return false;
    std::u16string field;
    for (int32_t i = 0; i < count; ++i) {
        char16_t unit;
        if (!readUnit(unit))
            break;
        field.push_back(unit);
    }
    if (field.empty())
        return false;
    wsString = std::move(field);
    return true;
}

bool FileReader::rawReady(const void* buffer, int32_t size) {
    // The buffer test comes first, even on a reader that is not open.
    if (buffer == nullptr || size < 1)
        throw IOException(ZABREL_HERE, ERR_FILE_READ, "Null buffer or zero size specified.");
    lastRead = 0;
    if (!isOpen)
        return false;
    if (eof())
        throw IOException(ZABREL_HERE, ERR_FILE_READ, "End of file encountered.");
    return true;
}

bool FileReader::readBytes(void* buffer, int32_t size) {
    if (!rawReady(buffer, size))
        return false;
    lastRead = std::fread(buffer, 1, static_cast<std::size_t>(size), stream);
    return lastRead > 0;
}

bool FileReader::readBytesAt(void* buffer, int32_t position, int32_t size) {
    if (!rawReady(buffer, size))
        return false;
    std::clearerr(stream);
    seek(position);
    lastRead = std::fread(buffer, 1, static_cast<std::size_t>(size), stream);
    return lastRead > 0;
}

bool FileReader::seek(int32_t position) {
    if (!isOpen)
        return false;
    long offset = static_cast<long>(position) + (asciiMode ? 0 : MARK_SIZE);
    std::fseek(stream, offset, SEEK_SET);
    return true;
}

bool FileReader::readUnicodeUnits(char16_t* buffer, int32_t count) {
    if (!rawReady(buffer, count))
        return false;
    buffer[0] = 0;
    int32_t units = 0;
    while (units < count && readUnit(buffer[units]))
        ++units;
    lastRead = static_cast<std::size_t>(units) * 2;
    return units > 0;
}

bool FileReader::unreadASCII(int32_t count) {
    if (!isOpen)
        return false;
    if (!asciiMode)
        throw IOException(ZABREL_HERE, ERR_FILE_READ, "File not openned as ASCII initially.");
    std::clearerr(stream);
    std::fseek(stream, -static_cast<long>(count), SEEK_CUR);
    return true;
}

bool FileReader::unreadUnicode(int32_t count) {
    if (!isOpen)
        return false;
    if (asciiMode)
        throw IOException(ZABREL_HERE, ERR_FILE_READ, "File not openned as Unicode initially.");
    std::clearerr(stream);
    std::fseek(stream, -2 * static_cast<long>(count), SEEK_CUR);
    return true;
}

int64_t FileReader::getFileSize() {
    if (!isOpen)
        return 0;
    long here = std::ftell(stream);
    bool atEnd = std::feof(stream) != 0;
    std::fseek(stream, 0, SEEK_END);
    long size = std::ftell(stream);
    std::fseek(stream, here, SEEK_SET);
    if (atEnd) {
        // fseek clears the end-of-file state; a size query must not change it.
        std::fgetc(stream);
    }
    return size;
}

}  // namespace zabrel
