// SPDX-License-Identifier: MIT
// The soundex and shapex files (one format, one loader) and the codes they give.
#include "core/errors.h"
#include "engine/codetables.h"
#include "fixture.h"

using namespace zabrel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const DictionaryFiles files = DictionaryFiles::inMemory({{"codes.txt", fuzz::bytesOf(data, size)}});
    CodeTables codes;
    try {
        codes.soundex.load("codes.txt", files);
        codes.shapex.load("codes.txt", files);
    } catch (const QuelmException&) {
        return 0;
    }
    // Every unit, in range of the tables or not, must stay inside them.
    std::u16string all;
    for (uint32_t unit = 0; unit <= 0xFFFF; unit += 7)
        all.push_back(static_cast<char16_t>(unit));
    codes.soundex.code(all);
    codes.shapex.code(fuzz::units(data, size));
    for (const std::u16string& word : fuzz::sampleWords())
        codes.soundex.code(word);
    return 0;
}
