// SPDX-License-Identifier: MIT
#include "app/misspellinghighlighter.h"

#include <string_view>
#include <utility>

#include "text/wordwalk.h"

MisspellingHighlighter::MisspellingHighlighter(QTextDocument* document, Verifier verifier,
                                               LetterTest letterTest)
    : QSyntaxHighlighter(document), isMisspelt(std::move(verifier)), isLetter(std::move(letterTest)) {
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
    if (!active)
        return;
    const std::u16string_view units(reinterpret_cast<const char16_t*>(text.utf16()),
                                    static_cast<std::size_t>(text.size()));
    // A line break inside a paragraph (Shift+Return) separates words too.
    auto separates = [](char16_t unit) { return zabrel::isWordDelimiter(unit) || unit == u'\u2028'; };
    std::size_t i = 0;
    while (i < units.size()) {
        if (separates(units[i])) {
            ++i;
            continue;
        }
        const std::size_t start = i;
        while (i < units.size() && !separates(units[i]))
            ++i;
        const QString token = text.mid(static_cast<qsizetype>(start), static_cast<qsizetype>(i - start));
        if (isMisspelt(token)) {
            const zabrel::LetterSpan span = zabrel::letterSpan(units.substr(start, i - start), isLetter);
            setFormat(static_cast<int>(start) + span.offset, span.length, misspelt);
        }
    }
}
