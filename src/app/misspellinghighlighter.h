// SPDX-License-Identifier: MIT
#pragma once

#include <QSyntaxHighlighter>
#include <QTextCharFormat>
#include <functional>
#include <vector>

#include "text/wordletters.h"

// Underlines misspelt words in a text box as the user types, with a red wavy line
// under the word. It cuts each changed paragraph into words as the checking pass does
// and asks `isMisspelt` about each; the answer must be quick (no suggestions), since it
// runs on every key.
class MisspellingHighlighter : public QSyntaxHighlighter {
    Q_OBJECT

public:
    using Verifier = std::function<bool(const QString& word)>;
    // The word cutter, once there is one (a dialog whose set-up failed has none).
    using Cutter = std::function<const zabrel::WordLetters*()>;

    MisspellingHighlighter(QTextDocument* document, Verifier isMisspelt, Cutter letters);

    // Lines (text-box paragraphs) longer than this, in UTF-16 units, are not underlined.
    static constexpr int LONGEST_UNDERLINED = 64 * 1024;

    // Off, the lines go; on, they come back. Both redo the whole text once.
    void setActive(bool active);
    bool isActive() const { return active; }

protected:
    void highlightBlock(const QString& text) override;

private:
    Verifier isMisspelt;
    Cutter letters;
    std::vector<zabrel::LineWord> words;
    QTextCharFormat misspelt;
    bool active = true;
};
