// SPDX-License-Identifier: MIT
// checkWord on any UTF-16 word against the fixed dictionary.
#include "engine/spellchecker.h"
#include "fixture.h"

using namespace zabrel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    SpellChecker& checker = fuzz::fixedChecker();
    std::vector<std::u16string> suggestions;
    const std::u16string word = fuzz::units(data, size);
    if (!checker.checkWord(word, suggestions) && !suggestions.empty())
        fuzz::fail("an accepted word with suggestions");
    fuzz::expectLexiconWords(checker, suggestions);
    return 0;
}
