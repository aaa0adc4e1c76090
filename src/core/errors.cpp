// SPDX-License-Identifier: MIT
#include "core/errors.h"

#include <cstdio>

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

void annotate(QuelmException& ex, const char* fileName, int32_t lineNumber, const std::string& context) {
    ex.setFileName(fileName);
    ex.setLineNumber(lineNumber);
    ex.setMessage(ex.getMessage() + context);
}

}  // namespace zabrel
