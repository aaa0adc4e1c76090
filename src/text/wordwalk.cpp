// SPDX-License-Identifier: MIT
#include "text/wordwalk.h"

namespace zabrel {

bool isWordDelimiter(char16_t unit) {
    switch (unit) {
        case u' ':
        case u'\t':
        case u'\u060C':
        case u'\u06D4':
        case u':':
        case u';':
        case u'\u061B':
        case u'\'':
        case u'\u061F':
        case u'\n':
        case u'\r':
            return true;
        default:
            return false;
    }
}

void WordWalk::start(std::u16string text) {
    scanText = std::move(text);
    textLength = static_cast<int32_t>(scanText.size());
    scanPos = wordStart = wordLength = displayPos = displayStart = 0;
    wrongWordFound = false;
    currentWord.clear();
    suggestions.clear();
    letterOffset = letterLength = 0;
    wordsChecked = misspeltCount = stopCount = 0;
}

std::u16string WordWalk::nextWord() {
    wordLength = 0;
    wordStart = scanPos;
    displayStart = displayPos;
    while (scanPos < textLength && !isWordDelimiter(scanText[static_cast<std::size_t>(scanPos)])) {
        ++scanPos;
        ++wordLength;
        ++displayPos;
    }
    // A CR LF pair is one character of the text box.
    if (scanPos < textLength && scanText[static_cast<std::size_t>(scanPos)] == u'\r') {
        scanPos += 2;
    } else {
        ++scanPos;
        ++displayPos;
    }
    if (wordStart > 0 && wordStart <= textLength &&
        scanText[static_cast<std::size_t>(wordStart - 1)] == u'\n') {
        ++displayStart;
        ++displayPos;
    }
    return scanText.substr(static_cast<std::size_t>(wordStart), static_cast<std::size_t>(wordLength));
}

bool WordWalk::findMisspelt(const Checker& check, const TokenHook& onToken, const Replacer& replace) {
    while (textLength != 0 && scanPos < textLength && !wrongWordFound) {
        currentWord = nextWord();
        if (onToken)
            onToken();
        if (currentWord.empty())
            continue;
        ++wordsChecked;
        findLetters();
        if (!sessionWords.empty()) {
            const std::u16string letters = getCurrentLetters();
            if (sessionWords.isIgnored(letters)) {
                ++misspeltCount;
                continue;
            }
            if (const std::u16string* replacement = sessionWords.replacementFor(letters)) {
                ++misspeltCount;
                if (replace) {
                    replace(getHighlightStart(), letterLength, *replacement);
                    replaced(static_cast<int32_t>(replacement->size()));
                }
                continue;
            }
        }
        wrongWordFound = check(currentWord, suggestions);
        if (wrongWordFound) {
            ++misspeltCount;
            ++stopCount;
        }
    }
    return wrongWordFound;
}

void WordWalk::findLetters() {
    const LetterSpan span = letterSpan(currentWord, isLetter);
    letterOffset = span.offset;
    letterLength = span.length;
}

LetterSpan letterSpan(std::u16string_view token, const std::function<bool(char16_t)>& isLetter) {
    const auto size = static_cast<int32_t>(token.size());
    int32_t first = 0;
    int32_t last = size;
    if (isLetter) {
        while (first < size && !isLetter(token[static_cast<std::size_t>(first)]))
            ++first;
        while (last > first && !isLetter(token[static_cast<std::size_t>(last - 1)]))
            --last;
    }
    // Punctuation alone: nothing to single out.
    if (first == last)
        return {0, size};
    return {first, last - first};
}

std::u16string WordWalk::getCurrentLetters() const {
    return currentWord.substr(static_cast<std::size_t>(letterOffset), static_cast<std::size_t>(letterLength));
}

void WordWalk::replaced(int32_t replacementLength) {
    displayPos += replacementLength - letterLength;
}

void WordWalk::ignoreAll() {
    sessionWords.ignoreAll(getCurrentLetters());
    leave();
}

void WordWalk::changeAll(const std::u16string& replacement) {
    sessionWords.changeAll(getCurrentLetters(), replacement);
}

void WordWalk::stop() {
    wrongWordFound = false;
    scanPos = textLength;
}

}  // namespace zabrel
