// SPDX-License-Identifier: MIT
#include "core/errors.h"

#include <cstdio>
#include <exception>
#include <new>
#include <string_view>

namespace zabrel {

QuelmException::QuelmException(std::string fileName, int32_t lineNumber, int32_t errorCode,
                               std::string message)
    : fileName(std::move(fileName)),
      lineNumber(lineNumber),
      errorCode(errorCode),
      message(std::move(message)) {}

std::string QuelmException::getFullMessage() const {
    char code[16];
    std::snprintf(code, sizeof code, "%x", static_cast<unsigned>(errorCode));
    return "Error Code (0x" + std::string(code) + ") in " + fileName + " (" + std::to_string(lineNumber) +
           "): " + message;
}

std::string currentFailure() {
    try {
        throw;
    } catch (const QuelmException& ex) {
        return ex.getMessage();
    } catch (const std::bad_alloc&) {
        return "out of memory";
    } catch (const std::exception& ex) {
        return ex.what();
    } catch (...) {
        return "unknown error";
    }
}

namespace {
constexpr std::string_view LIBRARY = "zabrel: ";
}  // namespace

std::string libraryMessage(const std::string& message) {
    return message.starts_with(LIBRARY) ? message : std::string(LIBRARY) + message;
}

std::string plainMessage(const std::string& message) {
    return message.starts_with(LIBRARY) ? message.substr(LIBRARY.size()) : message;
}

void annotate(QuelmException& ex, const char* fileName, int32_t lineNumber, const std::string& context) {
    ex.setFileName(fileName);
    ex.setLineNumber(lineNumber);
    ex.setMessage(ex.getMessage() + context);
}

}  // namespace zabrel
