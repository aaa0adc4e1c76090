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
    scanPos = wordStart = displayPos = displayStart = 0;
    wrongWordFound = widened = false;
    suggestions.clear();
    token.clear();
    runs.clear();
    nextRun = 0;
    currentWord.clear();
    wordOffset = tokenShift = 0;
    wordsChecked = misspeltCount = stopCount = 0;
}

std::u16string WordWalk::nextWord() {
    wordStart = scanPos;
    displayStart = displayPos;
    while (scanPos < textLength && !isWordDelimiter(scanText[static_cast<std::size_t>(scanPos)])) {
        ++scanPos;
        ++displayPos;
    }
    const auto length = static_cast<std::size_t>(scanPos - wordStart);
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
    return scanText.substr(static_cast<std::size_t>(wordStart), length);
}

void WordWalk::cutToken() {
    nextRun = 0;
    tokenShift = 0;
    if (letters != nullptr) {
        cutLine(token, *letters, runs);
        return;
    }
    runs.clear();
    if (!token.empty())
        runs.push_back({0, token.size(), 0});
}

std::u16string WordWalk::keyOf(const std::u16string& word) const {
    return letters != nullptr ? letters->lettersOf(word) : word;
}

bool WordWalk::findMisspelt(const Checker& check, const TokenHook& onToken, const Replacer& replace) {
    while (textLength != 0 && !wrongWordFound) {
        if (nextRun >= runs.size()) {
            if (scanPos >= textLength)
                break;
            token = nextWord();
            if (onToken)
                onToken();
            cutToken();
            continue;
        }
        const LineWord& run = runs[nextRun++];
        if (run.foreign)
            continue;
        currentWord = token.substr(run.start, run.length);
        wordOffset = static_cast<int32_t>(run.start);
        ++wordsChecked;
        if (!sessionWords->empty()) {
            const std::u16string key = keyOf(currentWord);
            if (sessionWords->isIgnored(key)) {
                ++misspeltCount;
                continue;
            }
            if (const std::u16string* replacement = sessionWords->replacementFor(key)) {
                ++misspeltCount;
                if (replace) {
                    replace(getHighlightStart(), getWordLength(), *replacement);
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

void WordWalk::replaced(int32_t replacementLength) {
    const int32_t shift = replacementLength - getWordLength();
    displayPos += shift;
    tokenShift += shift;
}

void WordWalk::ignoreAll() {
    sessionWords->ignoreAll(keyOf(currentWord));
    leave();
}

void WordWalk::changeAll(const std::u16string& replacement) {
    sessionWords->changeAll(keyOf(currentWord), replacement);
}

void WordWalk::widen(int32_t before, int32_t after) {
    if (!wrongWordFound || before < 0 || after < 0)
        return;
    spanStart = getHighlightStart() - before;
    spanLength = getWordLength() + before + after;
    widened = true;
    // The span's end in the token's own units; past the token it goes on after the
    // one delimiter into the next (a line never ends inside a span).
    auto end = static_cast<std::size_t>(wordOffset) + currentWord.size() + static_cast<std::size_t>(after);
    while (end > token.size() && scanPos < textLength) {
        end -= token.size() + 1;
        for (; nextRun < runs.size(); ++nextRun)
            wordsChecked += runs[nextRun].foreign ? 0 : 1;
        token = nextWord();
        cutToken();
    }
    for (; nextRun < runs.size() && runs[nextRun].start < end; ++nextRun)
        wordsChecked += runs[nextRun].foreign ? 0 : 1;
}

void WordWalk::stop() {
    wrongWordFound = widened = false;
    scanPos = textLength;
    runs.clear();
    nextRun = 0;
}

}  // namespace zabrel
