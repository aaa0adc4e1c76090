// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace zabrel {

// The eleven code units that separate words: space, tab, Arabic comma, Arabic full
// stop, colon, semicolon, Arabic semicolon, apostrophe, Arabic question mark, LF, CR.
// Everything else (ASCII punctuation, digits, brackets) stays inside a token and is
// dropped later by the engine's alphabet filter.
bool isWordDelimiter(char16_t unit);

// Walks a snapshot of a text word by word. Positions in the snapshot count UTF-16
// units, with a line break as CR LF; display positions count characters of the text
// box, where a line break is one character and replacements shift what follows.
//
// The walk also keeps the pause state of a check pass: the word last taken, whether
// it was misspelt, and the suggestions for it. The checking dialog drives it and does
// the highlighting; nothing here knows about widgets.
class WordWalk {
public:
    // Same shape as SpellChecker::checkWord: true when misspelt, suggestions filled.
    using Checker = std::function<bool(std::u16string word, std::vector<std::u16string>& suggestions)>;
    // Called for every token the pass takes, empty ones included, before it is checked.
    using TokenHook = std::function<void()>;

    // Starts a new pass over `text` (all counters back to 0, not paused).
    void start(std::u16string text);

    // The next token (empty between two delimiters); advances the positions.
    std::u16string nextWord();
    bool atEnd() const { return scanPos >= textLength; }

    // Takes tokens until `check` reports one as misspelt (returns true, paused on it)
    // or the snapshot ends (returns false). Empty tokens never reach `check`. An
    // exception from `check` leaves the walk not paused, so a new pass can start.
    bool findMisspelt(const Checker& check, const TokenHook& onToken = {});

    // The user dealt with the paused word; findMisspelt() goes on after it.
    void leave() { wrongWordFound = false; }
    // The paused word was replaced in the text box by a text of `replacementLength`
    // units; later display positions move by the difference.
    void replaced(int32_t replacementLength);

    bool isPaused() const { return wrongWordFound; }
    const std::u16string& getCurrentWord() const { return currentWord; }
    const std::vector<std::u16string>& getSuggestions() const { return suggestions; }

    int32_t getScanPos() const { return scanPos; }
    int32_t getWordStart() const { return wordStart; }
    int32_t getWordLength() const { return wordLength; }
    int32_t getTextLength() const { return textLength; }
    int32_t getDisplayPos() const { return displayPos; }
    int32_t getDisplayStart() const { return displayStart; }
    const std::u16string& getScanText() const { return scanText; }

private:
    std::u16string currentWord;
    std::u16string scanText;
    int32_t textLength = 0;
    int32_t scanPos = 0;
    int32_t wordStart = 0;
    int32_t wordLength = 0;
    int32_t displayPos = 0;
    int32_t displayStart = 0;
    bool wrongWordFound = false;
    std::vector<std::u16string> suggestions;
};

}  // namespace zabrel
