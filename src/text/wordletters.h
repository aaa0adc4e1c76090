// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace zabrel {

// Which code units make up words. A word is a run of the dictionary's letters and of
// the marks that sit inside Urdu words (diacritics, tatweel, ZWJ); everything else
// (ZWNJ, ASCII and Urdu punctuation, digits, hyphens, slashes, quotes, brackets, NBSP,
// Latin letters unless the alphabet lists them) separates words. Editors replace
// exactly the word we report, so anything we count into a word is text they may
// delete when the user accepts a suggestion.
class WordLetters {
public:
    // `isLetter` is asked once for every BMP code unit.
    explicit WordLetters(const std::function<bool(char16_t)>& isLetter);

    bool isLetter(char16_t unit) const { return kinds[unit] == LETTER; }
    bool inWord(char16_t unit) const { return kinds[unit] == LETTER || kinds[unit] == MARK; }
    // A letter of some other script or alphabet (Latin, the Arabic letters the
    // alphabet lacks, presentation forms): such runs are not ours to check.
    bool isForeign(char16_t unit) const { return kinds[unit] == FOREIGN; }
    // Whether the character `cp` may be part of a word (never outside the BMP).
    bool inWord(char32_t cp) const { return cp < 0x10000 && inWord(static_cast<char16_t>(cp)); }

    // The word's letters alone, as the engine's filter sees it.
    std::u16string lettersOf(std::u16string_view word) const;

    // Diacritics, tatweel and ZWJ.
    static bool isInnerMark(char16_t unit);
    static bool isAnyLetter(char16_t unit);

private:
    enum : uint8_t { OTHER, MARK, LETTER, FOREIGN };
    std::vector<uint8_t> kinds;
};

// One word of a line: where it starts and how long it is in UTF-16 units (to cut it
// out), and where it starts in characters (what editors and people count).
struct LineWord {
    std::size_t start;
    std::size_t length;
    std::size_t column;
    // A run of foreign letters, not checked: the pipe mode answers it as correct, as
    // ispell.el takes silence for a word as an error.
    bool foreign = false;
};

// Cuts a line into words and runs of foreign letters. A run of marks without a letter
// is no word, and a ZWJ at either end of a run belongs to no word. `words` is reused so that a long run does
// not allocate per line.
void cutLine(std::u16string_view line, const WordLetters& letters, std::vector<LineWord>& words);

}  // namespace zabrel
