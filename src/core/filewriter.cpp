// SPDX-License-Identifier: MIT
#include "core/filewriter.h"

#include <cerrno>
#include <cstring>
#include <vector>

#include "core/atomicfile.h"

namespace zabrel {

namespace {
constexpr uint16_t BYTE_ORDER_MARK = 0xFEFF;
}

FileWriter::~FileWriter() {
    if (replacing) {
        // Dropped without close(): the replacement was not finished, so it is discarded.
        replacing.reset();
        stream = nullptr;
    }
    close();
}

bool FileWriter::openReplacing(const std::string& target, bool ascii) {
    if (target.empty())
        return false;
    close();
    reason.clear();
    auto file = std::make_unique<AtomicFile>(target);
    if (!file->open()) {
        reason = file->error();
        return false;
    }
    replacing = std::move(file);
    stream = replacing->stream();
    append = false;
    asciiMode = ascii;
    isOpen = true;
    failed = false;
    if (!asciiMode) {
        const unsigned char mark[2] = {0xFF, 0xFE};
        put(mark, 2);
    }
    return true;
}

bool FileWriter::open(const char* fileName, bool ascii, bool appendMode) {
    if (fileName == nullptr || *fileName == '\0')
        return false;
    close();
    reason.clear();
    append = appendMode;
    bool existed = false;
    if (!append) {
        stream = std::fopen(fileName, "wb");
    } else {
        existed = fileExists(fileName);
        if (existed) {
            stream = std::fopen(fileName, "r+b");
            if (stream == nullptr) {
                close();
                return false;
            }
            unsigned char mark[2] = {0, 0};
            std::size_t got = std::fread(mark, 1, 2, stream);
            bool unicodeFile = got == 2 && (mark[0] | (mark[1] << 8)) == BYTE_ORDER_MARK;
            // An existing file keeps its encoding.
            if (unicodeFile == ascii) {
                std::fclose(stream);
                stream = nullptr;
                close();
                return false;
            }
            std::fseek(stream, 0, SEEK_END);
            std::clearerr(stream);
        } else {
            stream = std::fopen(fileName, "wb");
        }
    }
    if (stream == nullptr) {
        reason = std::strerror(errno);
        close();
        return false;
    }
    asciiMode = ascii;
    isOpen = true;
    failed = false;
    if (!asciiMode && !existed) {
        const unsigned char mark[2] = {0xFF, 0xFE};
        put(mark, 2);
    }
    return true;
}

bool FileWriter::close() {
    if (stream == nullptr) {
        isOpen = false;
        append = false;
        return false;
    }
    bool ok = !failed;
    if (replacing) {
        if (ok && !replacing->commit()) {
            reason = replacing->error();
            ok = false;
        }
        replacing.reset();
    } else if (std::fclose(stream) != 0) {
        reason = std::strerror(errno);
        ok = false;
    }
    stream = nullptr;
    isOpen = false;
    append = false;
    failed = false;
    return ok;
}

bool FileWriter::put(const void* bytes, std::size_t size) {
    if (std::fwrite(bytes, 1, size, stream) != size) {
        reason = std::strerror(errno);
        failed = true;
        return false;
    }
    return true;
}

bool FileWriter::writeASCII(const std::string& text) {
    if (!isOpen || !asciiMode)
        return false;
    return put(text.data(), text.size());
}

bool FileWriter::writeUnicode(const std::u16string& text) {
    if (!isOpen || asciiMode)
        return false;
    return writeUnicodeUnits(text.data(), static_cast<int32_t>(text.size())) || text.empty();
}

bool FileWriter::writeBytes(const void* buffer, int32_t size) {
    if (!isOpen || std::feof(stream) || buffer == nullptr || size < 1)
        return false;
    return put(buffer, static_cast<std::size_t>(size));
}

bool FileWriter::writeUnicodeUnits(const char16_t* buffer, int32_t count) {
    if (!isOpen || asciiMode || buffer == nullptr || count < 1)
        return false;
    std::vector<unsigned char> bytes(static_cast<std::size_t>(count) * 2);
    for (int32_t i = 0; i < count; ++i) {
        bytes[2 * i] = static_cast<unsigned char>(buffer[i] & 0xFF);
        bytes[2 * i + 1] = static_cast<unsigned char>(buffer[i] >> 8);
    }
    return put(bytes.data(), bytes.size());
}

void FileWriter::seek(int64_t position, int origin) {
    if (!isOpen)
        return;
    int whence;
    switch (origin) {
        case 0:
            whence = SEEK_SET;
            break;
        case 1:
            whence = SEEK_CUR;
            break;
        case 2:
            whence = SEEK_END;
            break;
        default:
            return;
    }
    std::fseek(stream, static_cast<long>(position + (asciiMode ? 0 : 2)), whence);
}

void FileWriter::flush() {
    if (isOpen && std::fflush(stream) != 0)
        failed = true;
}

int64_t FileWriter::tell() {
    if (!isOpen)
        return -1;
    return std::ftell(stream);
}

bool FileWriter::fileExists(const char* fileName) {
    if (fileName == nullptr)
        return false;
    std::FILE* iTestFile = std::fopen(fileName, "rb");
    if (iTestFile == nullptr)
        return false;
    std::fclose(iTestFile);
    return true;
}

}  // namespace zabrel
