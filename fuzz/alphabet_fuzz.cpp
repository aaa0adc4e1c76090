// SPDX-License-Identifier: MIT
// The alphabet file: loading, the word filter, and a first-run build over it.
#include <map>
#include <string>

#include "core/errors.h"
#include "engine/spellchecker.h"
#include "fixture.h"
#include "lexicon/unichar2indexmap.h"

using namespace zabrel;

namespace {

// Room for alphabets past the engine's limit of 1,024 letters, which set-up refuses.
constexpr std::size_t BUILD_LIMIT = 8192;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    UniChar2IndexMap map;
    try {
        map.load("alphabet.txt", DictionaryFiles::inMemory({{"alphabet.txt", fuzz::bytesOf(data, size)}}));
    } catch (const QuelmException&) {
        return 0;
    }
    const std::u16string text = fuzz::units(data, size) + fuzz::letters();
    for (char16_t unit : text) {
        const uint16_t index = map.getIndex(unit);
        if (index != NO_INDEX && index >= map.getAlphabetSize())
            fuzz::fail("an index beyond the alphabet");
    }
    for (char16_t unit : map.filterWord(text))
        if (map.getIndex(unit) == NO_INDEX)
            fuzz::fail("the filter kept a unit that is no letter");
    if (size > BUILD_LIMIT)
        return 0;

    std::map<std::string, std::string> files = fuzz::freshDictionary();
    files["alphabet.txt"] = fuzz::bytesOf(data, size);
    if (auto checker = fuzz::setUp(files))
        fuzz::exerciseChecker(*checker);
    return 0;
}
