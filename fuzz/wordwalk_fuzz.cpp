// SPDX-License-Identifier: MIT
// The dialog's walk over pasted text, checking against the fixed dictionary and
// alternately leaving and replacing the words it stops at.
#include "engine/spellchecker.h"
#include "fixture.h"
#include "text/wordwalk.h"

using namespace zabrel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    SpellChecker& checker = fuzz::fixedChecker();
    WordWalk walk;
    walk.start(fuzz::units(data, size));
    const auto check = [&](std::u16string word, std::vector<std::u16string>& suggestions) {
        return checker.checkWord(std::move(word), suggestions);
    };
    std::size_t tokens = 0;
    const auto onToken = [&] { ++tokens; };
    bool replace = false;
    const std::u16string text = fuzz::units(data, size);
    int32_t shift = 0;
    while (walk.findMisspelt(check, onToken)) {
        if (tokens > size + 1)
            fuzz::fail("more tokens than units");
        // Nothing but display positions can be checked from outside; they never point
        // before the text or past the end of what it has grown to.
        const int32_t start = walk.getHighlightStart();
        if (start < 0 || start + walk.getWordLength() > static_cast<int32_t>(text.size()) + shift)
            fuzz::fail("a word that is not where the walk says");
        if (replace && !walk.getSuggestions().empty()) {
            const auto length = static_cast<int32_t>(walk.getSuggestions().front().size());
            shift += length - walk.getWordLength();
            walk.replaced(length);
        }
        walk.leave();
        replace = !replace;
    }
    if (!walk.atEnd() || tokens > size + 1)
        fuzz::fail("the walk stopped early or ran on");
    return 0;
}
