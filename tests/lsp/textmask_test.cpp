// SPDX-License-Identifier: MIT
#include "lsp/textmask.h"

#include <gtest/gtest.h>

#include <string>

using zabrel::lsp::TextMask;

namespace {

// The text with each masked character shown as '.', in pieces cut after the lines
// given (a mask reads pieces of whole lines), each piece masked in turn.
std::string masked(TextMask::Markup markup, const std::u16string& text, std::vector<std::size_t> cuts = {}) {
    TextMask mask(markup);
    std::u16string out;
    std::size_t from = 0;
    cuts.push_back(text.size());
    for (std::size_t cut : cuts) {
        std::u16string piece = text.substr(from, cut - from);
        mask.apply(piece);
        out += piece;
        from = cut;
    }
    EXPECT_EQ(out.size(), text.size());
    std::string shown;
    for (std::size_t i = 0; i < text.size(); ++i)
        shown += out[i] == text[i] ? (text[i] < 128 ? static_cast<char>(text[i]) : 'U') : '.';
    return shown;
}

}  // namespace

TEST(TextMask, MarkdownKeepsProseOnly) {
    const std::u16string text =
        u"a `co`de ``x ` y`` [\u0628](u/\u0628) <http://x> <a@b.c> <b id=1>t</b>\n"
        u"[r]: http://t \"T\"\n"
        u" ```py\n"
        u"\u0628 ``` \n"
        u"~~~\n"
        u"```` \n"
        u"\u0628\n"
        u"\n"
        u"    code\n"
        u"\tmore\n"
        u"p\n"
        u"    lazy\n"
        u"\\`x 2 < 3 > 1 `open";
    EXPECT_EQ(masked(TextMask::Markup::Markdown, text),
              "a ....de ... . ... [U]..... .......... ....... .. .....t....\n"
              "[r]: ........ \"T\"\n"
              " .....\n"
              ". ... \n"
              "...\n"
              ".... \n"
              "U\n"
              "\n"
              "    ....\n"
              ".....\n"
              "p\n"
              "    lazy\n"
              "\\`x 2 < 3 > 1 `open");
}

TEST(TextMask, LatexKeepsProseOnly) {
    const std::u16string text =
        u"\\section*[s]{T} \\label{k} a\\%b % c\n"
        u"$x$ m \\(y\\) $$z\n"
        u"w$$ \\[q\\] \\textbf{B} \\cite[p]{c}{d}\n"
        u"\\begin{align*}x\n"
        u"\\end{align*}t\\begin{itemize}\\item i\n"
        u"\\begin{verbatim}$\n"
        u"%\\end{verbatim}\\\\ \\$e$f$";
    EXPECT_EQ(masked(TextMask::Markup::Latex, text),
              "............{T} ......... a..b . .\n"
              "... m ..... ...\n"
              "... ..... .......{B} ...........{d}\n"
              "...............\n"
              "............t.................... i\n"
              ".................\n"
              "................. ..e...");
}

TEST(TextMask, StateCarriesAcrossPiecesAndPlainIsUntouched) {
    const std::u16string text = u"```\n\u0628\r\n```\r\n\u0628\r$x\r\ny$ z";
    const std::string whole = masked(TextMask::Markup::Markdown, text);
    EXPECT_EQ(whole, "...\n.\r\n...\r\nU\r$x\r\ny$ z");
    EXPECT_EQ(masked(TextMask::Markup::Markdown, text, {4, 7, 12}), whole);
    EXPECT_EQ(masked(TextMask::Markup::Latex, text, {4, 7, 12}), "```\nU\r\n```\r\nU\r..\r\n.. z");
    EXPECT_EQ(masked(TextMask::Markup::Plain, text), "```\nU\r\n```\r\nU\r$x\r\ny$ z");
    EXPECT_EQ(TextMask::forLanguage("markdown"), TextMask::Markup::Markdown);
    EXPECT_EQ(TextMask::forLanguage("tex"), TextMask::Markup::Latex);
    EXPECT_EQ(TextMask::forLanguage("latex"), TextMask::Markup::Latex);
    EXPECT_EQ(TextMask::forLanguage("LaTeX"), TextMask::Markup::Latex);
    EXPECT_EQ(TextMask::forLanguage("html"), TextMask::Markup::Plain);
}
