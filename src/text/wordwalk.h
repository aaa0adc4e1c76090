// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "text/sessionwords.h"
#include "text/wordletters.h"

namespace zabrel {

// The eleven code units that separate words: space, tab, Arabic comma, Arabic full
// stop, colon, semicolon, Arabic semicolon, apostrophe, Arabic question mark, LF, CR.
// Everything else (ASCII punctuation, digits, brackets, hyphens) stays inside a token,
// where the word cutter leaves it out of the words.
bool isWordDelimiter(char16_t unit);

// Walks a snapshot of a text token by token, and each token word by word. Tokens end
// at the eleven delimiters; the words inside a token are cut as zabrel-check cuts them
// (WordLetters), so that in کتاب-بزار or کتاب‌خانہ each word is checked, highlighted
// and replaced on its own, and the hyphen or ZWNJ between them stays. Positions in the
// snapshot count UTF-16 units, with a line break as CR LF; display positions count
// characters of the text box, where a line break is one character and replacements
// shift what follows.
//
// The walk also keeps the pause state of a check pass: the word last taken, whether
// it was misspelt, and the suggestions for it. The session's Ignore All and Change All
// lists, which outlive a pass, are the SessionWords it is given. The checking dialog
// drives it and does the highlighting; nothing here knows about widgets.
class WordWalk {
public:
    // Same shape as SpellChecker::checkWord: true when misspelt, suggestions filled.
    using Checker = std::function<bool(std::u16string word, std::vector<std::u16string>& suggestions)>;
    // Called for every token the pass takes, empty ones included, before it is checked.
    using TokenHook = std::function<void()>;
    // Replaces `length` text-box characters from `displayStart` by `replacement`:
    // how a Change All choice reaches the text.
    using Replacer =
        std::function<void(int32_t displayStart, int32_t length, const std::u16string& replacement)>;

    // With choices of its own, or with the session's.
    WordWalk() : sessionWords(&ownWords) {}
    explicit WordWalk(SessionWords& choices) : sessionWords(&choices) {}
    WordWalk(const WordWalk&) = delete;
    WordWalk& operator=(const WordWalk&) = delete;

    // How words are cut inside a token; without it a token is one word.
    void setLetters(const WordLetters* table) { letters = table; }

    // Starts a new pass over `text` (all counters back to 0, not paused).
    void start(std::u16string text);

    // The next token (empty between two delimiters); advances the positions.
    std::u16string nextWord();
    bool atEnd() const { return scanPos >= textLength && nextRun >= runs.size(); }

    // Takes words until `check` reports one as misspelt (returns true, paused on it)
    // or the snapshot ends (returns false). Only words reach `check`, never the
    // punctuation, digits or foreign letters around them; words the session ignores
    // are passed over, and words it changes everywhere are handed to `replace` without
    // a pause. An exception from `check` leaves the walk not paused, so a new pass can
    // start.
    bool findMisspelt(const Checker& check, const TokenHook& onToken = {}, const Replacer& replace = {});

    // The user dealt with the paused word; findMisspelt() goes on after it.
    void leave() { wrongWordFound = widened = false; }
    // The paused word was replaced in the text box by a text of `replacementLength`
    // units; later display positions move by the difference.
    void replaced(int32_t replacementLength);
    // Leave the paused word and every later one like it.
    void ignoreAll();
    // Record that the paused word becomes `replacement` everywhere after it; the caller
    // still changes this occurrence (and reports it with replaced()).
    void changeAll(const std::u16string& replacement);
    // Ends the pass where it is: not paused, nothing more to take.
    void stop();

    // Widens the pause from the word to a span of the text around it: `before`
    // text-box characters before the word and `after` after it, all on the word's
    // line (a word broken in two, ا چھے, read with its other piece). What the span
    // takes after the word is passed over, its words counted as checked. Highlight and
    // replacement then cover the span; Ignore All and Change All still key on the word.
    void widen(int32_t before, int32_t after);
    bool isWidened() const { return widened; }

    // The paused word, and the text-box characters that a highlight or a replacement
    // of it covers.
    const std::u16string& getCurrentWord() const { return currentWord; }
    int32_t getHighlightStart() const { return widened ? spanStart : displayStart + wordOffset + tokenShift; }
    int32_t getWordLength() const { return widened ? spanLength : static_cast<int32_t>(currentWord.size()); }

    // Counts of the current pass: non-empty tokens taken, misspelt ones among them
    // (those the session handled included), and pauses.
    int32_t getWordsChecked() const { return wordsChecked; }
    int32_t getMisspeltCount() const { return misspeltCount; }
    int32_t getStopCount() const { return stopCount; }

    SessionWords& session() { return *sessionWords; }

    bool isPaused() const { return wrongWordFound; }
    const std::vector<std::u16string>& getSuggestions() const { return suggestions; }

private:
    // The key of a word in the session's lists: its letters, as the verdict takes it.
    std::u16string keyOf(const std::u16string& word) const;
    void cutToken();

    std::u16string scanText;
    int32_t textLength = 0;
    int32_t scanPos = 0;
    int32_t wordStart = 0;
    int32_t displayPos = 0;
    int32_t displayStart = 0;
    bool wrongWordFound = false;
    std::vector<std::u16string> suggestions;

    // The current token and its words; the text of the paused word, where it starts in
    // the token, and how far earlier replacements in the token moved it.
    std::u16string token;
    std::vector<LineWord> runs;
    std::size_t nextRun = 0;
    std::u16string currentWord;
    int32_t wordOffset = 0;
    int32_t tokenShift = 0;
    // The widened pause, in text-box characters.
    bool widened = false;
    int32_t spanStart = 0;
    int32_t spanLength = 0;

    const WordLetters* letters = nullptr;
    int32_t wordsChecked = 0;
    int32_t misspeltCount = 0;
    int32_t stopCount = 0;
    SessionWords ownWords;
    SessionWords* sessionWords;
};

}  // namespace zabrel
