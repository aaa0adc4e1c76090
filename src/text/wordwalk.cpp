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

bool WordWalk::findMisspelt(const Checker& check, const TokenHook& onToken) {
    while (textLength != 0 && scanPos < textLength && !wrongWordFound) {
        currentWord = nextWord();
        if (onToken)
            onToken();
        if (currentWord.empty())
            continue;
        wrongWordFound = check(currentWord, suggestions);
    }
    return wrongWordFound;
}

void WordWalk::replaced(int32_t replacementLength) {
    displayPos += replacementLength - static_cast<int32_t>(currentWord.size());
}

}  // namespace zabrel
