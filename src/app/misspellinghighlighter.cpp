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
    // A line this long is no paragraph a writer types but a file of one line: its
    // underline would cost seconds on every key (the whole line is cut and formatted
    // again), and a seconds-long stall on Check and Stop. The pass still checks it.
    if (!active || table == nullptr || text.size() > LONGEST_UNDERLINED)
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
