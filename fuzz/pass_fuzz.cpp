// SPDX-License-Identifier: MIT
// The checking pass over pasted text, against the fixed dictionary: the spans it
// stops at are left, changed, changed everywhere or ignored everywhere in turn, as a
// dialog's user would, with positions in UTF-16 units and in code points.
#include <string>

#include "engine/spellchecker.h"
#include "fixture.h"
#include "session/spellersession.h"

using namespace zabrel;

namespace {

const WordLetters& fixedLetters() {
    static const WordLetters letters(
        [](char16_t unit) { return fuzz::letters().find(unit) != std::u16string::npos; });
    return letters;
}

void walk(const std::u16string& given, Positions positions) {
    SpellChecker& checker = fuzz::fixedChecker();
    SpellerSession speller(
        [&checker](const std::u16string& word, std::vector<std::u16string>& suggestions) {
            return checker.checkWord(word, suggestions);
        },
        fixedLetters());
    std::u16string text = given;
    CheckPass pass = speller.pass(given, {positions, Joins::Widen});
    std::size_t turn = 0;
    std::size_t lastStart = 0;
    while (pass.next()) {
        const Span& span = pass.span();
        // Spans come in order, inside the text as it now stands, and cover what they say.
        if (span.start < lastStart || pass.stopCount() > given.size())
            fuzz::fail("a span out of order, or more stops than units");
        if (positions == Positions::Utf16Units) {
            if (span.start + span.length > text.size() || text.substr(span.start, span.length) != span.word)
                fuzz::fail("a span that is not where the pass says");
        }
        lastStart = span.start;
        std::u16string replacement = span.decided               ? *span.decided
                                     : span.suggestions.empty() ? u"\u0628"
                                                                : span.suggestions.front();
        const std::size_t move = span.decided ? 1 : turn++ % 4;
        switch (move) {
            case 0:
                pass.leave();
                break;
            case 1:
            case 2:
                if (positions == Positions::Utf16Units)
                    text.replace(span.start, span.length, replacement);
                if (move == 2)
                    pass.changeAll(replacement);
                else
                    pass.change(replacement);
                break;
            default:
                pass.ignoreAll();
        }
    }
    if (!pass.atEnd() || pass.misspeltCount() < pass.stopCount() || pass.wordsChecked() > given.size())
        fuzz::fail("the pass stopped early or counted wrong");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::u16string text = fuzz::units(data, size);
    walk(text, Positions::Utf16Units);
    walk(text, Positions::CodePoints);
    return 0;
}
