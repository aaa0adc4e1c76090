// SPDX-License-Identifier: MIT
#pragma once

#include <QSyntaxHighlighter>
#include <QTextCharFormat>
#include <functional>

// Underlines misspelt words in a text box as the user types, with a red wavy line
// under the word's letters. It asks `isMisspelt` about every token of a changed
// paragraph; the answer must be quick (no suggestions), since it runs on every key.
class MisspellingHighlighter : public QSyntaxHighlighter {
    Q_OBJECT

public:
    // The whole token as cut at the word delimiters.
    using Verifier = std::function<bool(const QString& token)>;
    // Whether a unit is one of a word's letters (the rest at a token's ends is left
    // without a line).
    using LetterTest = std::function<bool(char16_t unit)>;

    MisspellingHighlighter(QTextDocument* document, Verifier isMisspelt, LetterTest isLetter);

    // Off, the lines go; on, they come back. Both redo the whole text once.
    void setActive(bool active);
    bool isActive() const { return active; }

protected:
    void highlightBlock(const QString& text) override;

private:
    Verifier isMisspelt;
    LetterTest isLetter;
    QTextCharFormat misspelt;
    bool active = true;
};
