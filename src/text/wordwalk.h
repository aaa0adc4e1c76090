// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "text/sessionwords.h"

namespace zabrel {

// The eleven code units that separate words: space, tab, Arabic comma, Arabic full
// stop, colon, semicolon, Arabic semicolon, apostrophe, Arabic question mark, LF, CR.
// Everything else (ASCII punctuation, digits, brackets) stays inside a token and is
// dropped later by the engine's alphabet filter.
bool isWordDelimiter(char16_t unit);

// Where the letters of `token` start and how many units they take, when units for
// which `isLetter` is false at either end are punctuation. A token without any letter
// counts as letters throughout.
struct LetterSpan {
    int32_t offset;
    int32_t length;
};
LetterSpan letterSpan(std::u16string_view token, const std::function<bool(char16_t)>& isLetter);

// Walks a snapshot of a text word by word. Positions in the snapshot count UTF-16
// units, with a line break as CR LF; display positions count characters of the text
// box, where a line break is one character and replacements shift what follows.
//
// The walk also keeps the pause state of a check pass: the word last taken, whether
// it was misspelt, and the suggestions for it, plus the session's Ignore All and
// Change All lists, which outlive a pass. The checking dialog drives it and does the
// highlighting; nothing here knows about widgets.
class WordWalk {
public:
    // Same shape as SpellChecker::checkWord: true when misspelt, suggestions filled.
    using Checker = std::function<bool(std::u16string word, std::vector<std::u16string>& suggestions)>;
    // Called for every token the pass takes, empty ones included, before it is checked.
    using TokenHook = std::function<void()>;
    // Whether a unit belongs to a word's letters (the rest at a token's ends is
    // punctuation that a highlight or a replacement must leave alone).
    using LetterTest = std::function<bool(char16_t unit)>;
    // Replaces `length` text-box characters from `displayStart` by `replacement`:
    // how a Change All choice reaches the text.
    using Replacer =
        std::function<void(int32_t displayStart, int32_t length, const std::u16string& replacement)>;

    // Without a test every unit counts as a letter.
    void setLetterTest(LetterTest test) { isLetter = std::move(test); }

    // Starts a new pass over `text` (all counters back to 0, not paused).
    void start(std::u16string text);

    // The next token (empty between two delimiters); advances the positions.
    std::u16string nextWord();
    bool atEnd() const { return scanPos >= textLength; }

    // Takes tokens until `check` reports one as misspelt (returns true, paused on it)
    // or the snapshot ends (returns false). Empty tokens never reach `check`; words the
    // session ignores are passed over, and words it changes everywhere are handed to
    // `replace` without a pause. An exception from `check` leaves the walk not paused,
    // so a new pass can start.
    bool findMisspelt(const Checker& check, const TokenHook& onToken = {}, const Replacer& replace = {});

    // The user dealt with the paused word; findMisspelt() goes on after it.
    void leave() { wrongWordFound = false; }
    // The paused word's letters were replaced in the text box by a text of
    // `replacementLength` units; later display positions move by the difference.
    void replaced(int32_t replacementLength);
    // Leave the paused word and every later one like it.
    void ignoreAll();
    // Record that the paused word becomes `replacement` everywhere after it; the caller
    // still changes this occurrence (and reports it with replaced()).
    void changeAll(const std::u16string& replacement);
    // Ends the pass where it is: not paused, nothing more to take.
    void stop();

    // The paused word's letters: where they start inside the token and how many units
    // they take. A token without any letter counts as letters throughout.
    int32_t getLetterOffset() const { return letterOffset; }
    int32_t getLetterLength() const { return letterLength; }
    std::u16string getCurrentLetters() const;
    // The text-box characters that a highlight or a replacement of the paused word covers.
    int32_t getHighlightStart() const { return displayStart + letterOffset; }

    // Counts of the current pass: non-empty tokens taken, misspelt ones among them
    // (those the session handled included), and pauses.
    int32_t getWordsChecked() const { return wordsChecked; }
    int32_t getMisspeltCount() const { return misspeltCount; }
    int32_t getStopCount() const { return stopCount; }

    SessionWords& session() { return sessionWords; }
    const SessionWords& session() const { return sessionWords; }

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
    void findLetters();

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

    LetterTest isLetter;
    int32_t letterOffset = 0;
    int32_t letterLength = 0;
    int32_t wordsChecked = 0;
    int32_t misspeltCount = 0;
    int32_t stopCount = 0;
    SessionWords sessionWords;
};

}  // namespace zabrel
