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
    const auto onToken = [&] {
        ++tokens;
        const int32_t start = walk.getWordStart();
        const int32_t length = walk.getWordLength();
        if (start < 0 || length < 0 || start + length > walk.getTextLength() ||
            walk.getScanText().compare(static_cast<std::size_t>(start), static_cast<std::size_t>(length),
                                       walk.getCurrentWord()) != 0)
            fuzz::fail("a token that is not where the walk says");
        if (walk.getDisplayStart() < 0 || walk.getDisplayStart() > walk.getDisplayPos())
            fuzz::fail("display positions out of order");
    };
    bool replace = false;
    while (walk.findMisspelt(check, onToken)) {
        if (tokens > size + 1)
            fuzz::fail("more tokens than units");
        if (replace && !walk.getSuggestions().empty())
            walk.replaced(static_cast<int32_t>(walk.getSuggestions().front().size()));
        walk.leave();
        replace = !replace;
    }
    if (!walk.atEnd() || tokens > size + 1)
        fuzz::fail("the walk stopped early or ran on");
    return 0;
}
