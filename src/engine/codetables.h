// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "core/dictionaryfiles.h"

namespace zabrel {

// One letter-code file (soundex or shapex): a digit for each code unit of
// [FIRST, FIRST + SIZE), from lines "XXXX=D" (hexadecimal unit, decimal digit). A
// word's code is the digits of its letters in order, read as a decimal number.
class CodeTable {
public:
    static constexpr int32_t SIZE = 300;
    static constexpr char16_t FIRST = 0x0600;

    // Replaces the table by the file's; raises IOException when it cannot be read.
    void load(const std::string& path, const DictionaryFiles& from = DictionaryFiles());
    // 0 for units outside the table and for letters without a digit.
    uint8_t digit(char16_t unit) const {
        return unit >= FIRST && unit < FIRST + SIZE ? digits[unit - FIRST] : 0;
    }
    int32_t code(const std::u16string& word) const;

    // A code built digit by digit, for callers that know the digits already: digit 0
    // leaves it as it is, and it wraps at 32 bits like the stored codes always have.
    static void append(uint32_t& code, uint8_t digit) {
        if (digit != 0)
            code = code * 10u + digit;
    }
    // A code of fewer than four digits is padded with zeros to four.
    static int32_t finish(uint32_t code);

private:
    std::array<uint8_t, SIZE> digits{};
};

// The sound and shape tables a dictionary names in config.ini.
struct CodeTables {
    CodeTable soundex;
    CodeTable shapex;
};

}  // namespace zabrel
