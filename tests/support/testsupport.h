// SPDX-License-Identifier: MIT
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "core/errors.h"

namespace zabrel::test {

using Bytes = std::vector<unsigned char>;

// A fresh directory under the system's temp folder, removed with the object.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return dir; }
    std::string file(const std::string& name) const { return (dir / name).string(); }

private:
    std::filesystem::path dir;
};

// Makes a directory the current one for the object's lifetime (the engine reads
// config.ini from the current directory).
class CurrentDir {
public:
    explicit CurrentDir(const std::filesystem::path& dir);
    ~CurrentDir();

private:
    std::filesystem::path previous;
};

// Caps the size of files this process writes (RLIMIT_FSIZE) for the object's
// lifetime, so that a write fails as on a full disk, even for root.
class FileSizeLimit {
public:
    explicit FileSizeLimit(long bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    long previousSoft;
    void (*previousHandler)(int);
};

void writeFile(const std::string& path, const Bytes& bytes);
void writeFile(const std::string& path, const std::string& text);
Bytes readFile(const std::string& path);

// FF FE then the units of `text`, low byte first.
Bytes unicodeFile(const std::u16string& text);
Bytes littleEndian32(int32_t value);
void append(Bytes& to, const Bytes& more);

// Runs `action` and returns the QuelmException-family error it raises (failing the
// test when it raises nothing).
template <typename Exception = QuelmException>
Exception raised(const std::function<void()>& action) {
    try {
        action();
    } catch (const Exception& ex) {
        return ex;
    }
    ADD_FAILURE() << "expected an exception";
    return Exception("", 0, -1, "");
}

}  // namespace zabrel::test
