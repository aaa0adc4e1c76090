// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>

namespace zabrel {

constexpr int32_t ERR_GENERAL = 0x00;
constexpr int32_t ERR_FILE_OPEN = 0x10;
constexpr int32_t ERR_FILE_READ = 0x11;
constexpr int32_t ERR_MEMORY_ALLOCATION = 0x20;

// Base of the engine's error family. Deliberately not derived from std::exception:
// callers catch these by type and show getFullMessage().
class QuelmException {
public:
    QuelmException(std::string fileName, int32_t lineNumber, int32_t errorCode, std::string message);

    std::string getFileName() const { return fileName; }
    int32_t getLineNumber() const { return lineNumber; }
    int32_t getErrorCode() const { return errorCode; }
    std::string getMessage() const { return message; }

    void setFileName(std::string text) { fileName = std::move(text); }
    void setLineNumber(int32_t line) { lineNumber = line; }
    void setErrorCode(int32_t code) { errorCode = code; }
    void setMessage(std::string text) { message = std::move(text); }

    // "Error Code (0x<hex>) in <file> (<line>): <message>"
    std::string getFullMessage() const;

private:
    std::string fileName;
    int32_t lineNumber;
    int32_t errorCode;
    std::string message;
};

class IOException : public QuelmException {
public:
    using QuelmException::QuelmException;
};

class MemoryAllocationException : public QuelmException {
public:
    using QuelmException::QuelmException;
};

// What the failure being handled says to a user, whatever raised it; called inside a
// catch block. The engine's errors give their own words, never where in our source
// they were raised; running out of memory says "out of memory"; a standard exception
// its message; anything else "unknown error".
std::string currentFailure();

// A message as the library gives it to its callers: beginning "zabrel: ", once.
std::string libraryMessage(const std::string& message);
// The message without that beginning, for a front end that names us itself (Enchant).
std::string plainMessage(const std::string& message);

// Stamps a handler's location on an error passing through it and appends the
// handler's context sentence; the caller then rethrows the same object with `throw;`.
void annotate(QuelmException& ex, const char* fileName, int32_t lineNumber, const std::string& context);

}  // namespace zabrel

// Source location of the statement that raises or annotates.
#define ZABREL_HERE __FILE_NAME__, __LINE__
