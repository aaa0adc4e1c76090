// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

namespace zabrel::lsp {

// Blanks out what is no prose in a document's markup, so that only prose is checked.
// Every blanked character becomes a space, unit for unit, and line breaks stay, so
// that offsets into the masked text are offsets into the document. A small reading of
// the markup, line by line, not a parser:
//
// Markdown: fenced code blocks (``` and ~~~, closed by a fence of the same letter at
// least as long), indented code (four spaces or a tab after a blank line), code spans
// within a line, link and image targets `](...)`, reference definitions' targets,
// autolinks `<scheme:...>` and `<a@b>`, HTML tags and comments within a line.
//
// LaTeX: comments (% to the line end, not \%), commands (\name, \; and the like) with
// their [options], the argument of commands that take a name or a place rather than
// text (\label, \ref, \cite, \begin, \end, \usepackage, \url, \includegraphics, ...),
// math ($...$, $$...$$, \(...\), \[...\], the equation, align, gather, multline,
// math and displaymath environments) and verbatim environments, also over lines.
//
// The mask reads a text in pieces that end at line breaks; what is open at the end of
// one (a fence, math, a verbatim environment) goes on into the next.
class TextMask {
public:
    enum class Markup { Plain, Markdown, Latex };
    explicit TextMask(Markup markup) : markup(markup) {}
    // The markup of a document of that language id (markdown; latex, tex); Plain
    // for every other.
    static Markup forLanguage(std::string_view languageId);

    // Masks `piece` in place: whole lines, following the last piece.
    void apply(std::u16string& piece);

private:
    void markdownLine(char16_t* line, std::size_t length);
    void latexLine(char16_t* line, std::size_t length);

    Markup markup;
    // Markdown: the open fence (its letter and length), whether the last line was
    // blank, whether it was indented code.
    char16_t fence = 0;
    std::size_t fenceLength = 0;
    bool lastBlank = true;
    bool inIndentedCode = false;
    // LaTeX: inside math (closed by `closer`), or inside a verbatim environment.
    std::u16string closer;
};

}  // namespace zabrel::lsp
