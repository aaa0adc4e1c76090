// SPDX-License-Identifier: MIT
#include "app/misspellinghighlighter.h"

#include <string_view>
#include <utility>

MisspellingHighlighter::MisspellingHighlighter(QTextDocument* document, Verifier verifier, Cutter cutter)
    : QSyntaxHighlighter(document), isMisspelt(std::move(verifier)), letters(std::move(cutter)) {
    misspelt.setUnderlineStyle(QTextCharFormat::SpellCheckUnderline);
    misspelt.setUnderlineColor(QColor(255, 0, 0));
}

void MisspellingHighlighter::setActive(bool on) {
    if (active == on)
        return;
    active = on;
    rehighlight();
}

void MisspellingHighlighter::highlightBlock(const QString& text) {
    const zabrel::WordLetters* table = letters();
    if (!active || table == nullptr)
        return;
    const std::u16string_view units(reinterpret_cast<const char16_t*>(text.utf16()),
                                    static_cast<std::size_t>(text.size()));
    zabrel::cutLine(units, *table, words);
    for (const zabrel::LineWord& word : words) {
        const auto start = static_cast<qsizetype>(word.start);
        const auto length = static_cast<qsizetype>(word.length);
        if (!word.foreign && isMisspelt(text.mid(start, length)))
            setFormat(static_cast<int>(start), static_cast<int>(length), misspelt);
    }
}
