// SPDX-License-Identifier: MIT
#include "engine/codetables.h"

#include <cstdlib>

#include "core/configmanager.h"
#include "core/errors.h"
#include "core/filereader.h"

namespace zabrel {

void CodeTable::load(const std::string& path, const DictionaryFiles& from) {
    digits.fill(0);
    FileReader reader;
    try {
        from.open(reader, path, true);
    } catch (IOException& ex) {
        annotate(ex, ZABREL_HERE, " Config file not opened sucessfully.");
        throw;
    }
    try {
        // Both fields outlive a line: an empty value field repeats the previous value.
        std::string unicode;
        std::string value;
        while (!reader.eof()) {
            reader.requireAtMost(MAX_SETTINGS_FILE_BYTES);
            if (!reader.readASCII(unicode, 10, '='))
                continue;
            reader.readASCII(value, 5, '\n');
            trim(unicode);
            trim(value);
            const long codePoint = std::strtol(unicode.c_str(), nullptr, 16);
            const long digit = std::strtol(value.c_str(), nullptr, 10);
            // Code points outside the table have no entry.
            if (codePoint >= FIRST && codePoint < FIRST + SIZE)
                digits[static_cast<std::size_t>(codePoint - FIRST)] =
                    static_cast<uint8_t>(static_cast<unsigned long>(digit) & 0xFF);
        }
        reader.close();
    } catch (IOException& ex) {
        annotate(ex, ZABREL_HERE, " Config file not opened sucessfully.");
        throw;
    }
}

int32_t CodeTable::code(const std::u16string& word) const {
    uint32_t code = 0;
    for (char16_t unit : word)
        append(code, digit(unit));
    return finish(code);
}

int32_t CodeTable::finish(uint32_t code) {
    int32_t result = static_cast<int32_t>(code);
    while (result > 0 && result < 1000)
        result *= 10;
    return result;
}

}  // namespace zabrel
