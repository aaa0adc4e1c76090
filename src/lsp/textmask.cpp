// SPDX-License-Identifier: MIT
#include "lsp/textmask.h"

#include <algorithm>
#include <array>

namespace zabrel::lsp {

namespace {

void blank(char16_t* line, std::size_t from, std::size_t to) {
    std::fill(line + from, line + to, u' ');
}

bool isAsciiLetter(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

bool startsWith(const char16_t* line, std::size_t at, std::size_t length, std::u16string_view what) {
    return at + what.size() <= length && std::u16string_view(line + at, what.size()) == what;
}

// Where `closer` starts at or after `at`, passing backslash escapes (\$ in math);
// `length` when it is not in the line.
std::size_t findCloser(const char16_t* line, std::size_t at, std::size_t length, std::u16string_view closer) {
    while (at < length) {
        if (startsWith(line, at, length, closer))
            return at;
        at += line[at] == u'\\' ? 2 : 1;
    }
    return length;
}

// The end (past the closing bracket) of a group opened at `at` by `open`, nested
// groups included; `length` when it does not close in the line.
std::size_t groupEnd(const char16_t* line, std::size_t at, std::size_t length, char16_t open,
                     char16_t close) {
    int depth = 0;
    for (std::size_t i = at; i < length; ++i) {
        if (line[i] == u'\\') {
            ++i;
        } else if (line[i] == open) {
            ++depth;
        } else if (line[i] == close && --depth == 0) {
            return i + 1;
        }
    }
    return length;
}

constexpr std::array<std::u16string_view, 16> MATH_ENVIRONMENTS = {
    u"equation", u"equation*", u"align",   u"align*",   u"gather", u"gather*",     u"multline", u"multline*",
    u"eqnarray", u"eqnarray*", u"flalign", u"flalign*", u"math",   u"displaymath", u"alignat",  u"alignat*"};
constexpr std::array<std::u16string_view, 5> VERBATIM_ENVIRONMENTS = {u"verbatim", u"Verbatim", u"lstlisting",
                                                                      u"minted", u"comment"};
// Commands whose first argument names a label, a key, a file, a package or a place.
constexpr std::array<std::u16string_view, 33> NAME_ARGUMENTS = {
    u"label",         u"ref",          u"eqref",          u"pageref",      u"cref",
    u"Cref",          u"autoref",      u"cite",           u"citep",        u"citet",
    u"autocite",      u"parencite",    u"textcite",       u"nocite",       u"usepackage",
    u"documentclass", u"input",        u"include",        u"includeonly",  u"includegraphics",
    u"graphicspath",  u"url",          u"href",           u"bibliography", u"bibliographystyle",
    u"newcommand",    u"renewcommand", u"newenvironment", u"pagestyle",    u"thispagestyle",
    u"color",         u"textcolor",    u"definecolor"};

template <std::size_t N>
bool among(const std::array<std::u16string_view, N>& names, std::u16string_view name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

}  // namespace

TextMask::Markup TextMask::forLanguage(std::string_view languageId) {
    // Editors spell the ids their own way (Emacs's AUCTeX says "LaTeX").
    std::string id(languageId);
    std::transform(id.begin(), id.end(), id.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    if (id == "markdown")
        return Markup::Markdown;
    if (id == "latex" || id == "tex" || id == "plaintex")
        return Markup::Latex;
    return Markup::Plain;
}

void TextMask::apply(std::u16string& piece) {
    if (markup == Markup::Plain)
        return;
    std::size_t start = 0;
    while (start <= piece.size()) {
        std::size_t end = start;
        while (end < piece.size() && piece[end] != u'\n' && piece[end] != u'\r')
            ++end;
        if (end == piece.size() && start == end && start != 0)
            break;
        if (markup == Markup::Markdown)
            markdownLine(piece.data() + start, end - start);
        else
            latexLine(piece.data() + start, end - start);
        if (end == piece.size())
            break;
        start = end + (piece[end] == u'\r' && end + 1 < piece.size() && piece[end + 1] == u'\n' ? 2 : 1);
    }
}

void TextMask::markdownLine(char16_t* line, std::size_t length) {
    std::size_t i = 0;
    std::size_t columns = 0;
    while (i < length && (line[i] == u' ' || line[i] == u'\t')) {
        columns += line[i] == u'\t' ? 4 : 1;
        ++i;
    }
    const bool isBlank = i == length;
    std::size_t run = 0;
    while (i + run < length && (line[i + run] == u'`' || line[i + run] == u'~') && line[i + run] == line[i])
        ++run;
    if (fence) {
        const bool rest =
            std::all_of(line + i + run, line + length, [](char16_t c) { return c == u' ' || c == u'\t'; });
        if (columns < 4 && run >= fenceLength && line[i] == fence && rest)
            fence = 0;
        blank(line, 0, length);
        lastBlank = false;
        return;
    }
    if (columns < 4 && run >= 3) {
        fence = line[i];
        fenceLength = run;
        blank(line, 0, length);
        lastBlank = false;
        return;
    }
    if (!isBlank && columns >= 4 && (lastBlank || inIndentedCode)) {
        inIndentedCode = true;
        blank(line, 0, length);
        lastBlank = false;
        return;
    }
    if (!isBlank)
        inIndentedCode = false;
    lastBlank = isBlank;

    // A reference definition: [label]: target "title".
    if (i < length && line[i] == u'[') {
        const std::size_t close = groupEnd(line, i, length, u'[', u']');
        if (close < length && line[close] == u':') {
            std::size_t target = close + 1;
            while (target < length && line[target] == u' ')
                ++target;
            std::size_t targetEnd = target;
            while (targetEnd < length && line[targetEnd] != u' ')
                ++targetEnd;
            blank(line, target, targetEnd);
        }
    }
    for (std::size_t j = i; j < length;) {
        const char16_t c = line[j];
        if (c == u'\\') {
            j += 2;
        } else if (c == u'`') {
            std::size_t ticks = 0;
            while (j + ticks < length && line[j + ticks] == u'`')
                ++ticks;
            // The span closes at the next run of exactly as many backticks.
            std::size_t k = j + ticks;
            std::size_t closeEnd = 0;
            while (k < length) {
                std::size_t other = 0;
                while (k + other < length && line[k + other] == u'`')
                    ++other;
                if (other == ticks) {
                    closeEnd = k + other;
                    break;
                }
                k += other ? other : 1;
            }
            if (closeEnd) {
                blank(line, j, closeEnd);
                j = closeEnd;
            } else {
                j += ticks;
            }
        } else if (c == u']' && j + 1 < length && line[j + 1] == u'(') {
            const std::size_t end = groupEnd(line, j + 1, length, u'(', u')');
            blank(line, j + 1, end);
            j = end;
        } else if (c == u'<') {
            std::size_t close = j + 1;
            while (close < length && line[close] != u'>')
                ++close;
            if (close == length) {
                ++j;
                continue;
            }
            const std::u16string_view inside(line + j + 1, close - j - 1);
            const bool spaced = inside.find(u' ') != std::u16string_view::npos;
            const std::size_t colon = inside.find(u':');
            const bool autolink =
                !spaced &&
                ((colon != std::u16string_view::npos && colon > 1 &&
                  std::all_of(inside.begin(), inside.begin() + static_cast<long>(colon), isAsciiLetter)) ||
                 inside.find(u'@') != std::u16string_view::npos);
            const bool tag = !inside.empty() && (isAsciiLetter(inside[0]) || inside[0] == u'/' ||
                                                 inside[0] == u'!' || inside[0] == u'?');
            if (autolink || tag) {
                blank(line, j, close + 1);
                j = close + 1;
            } else {
                ++j;
            }
        } else {
            ++j;
        }
    }
}

void TextMask::latexLine(char16_t* line, std::size_t length) {
    std::size_t j = 0;
    auto inMath = [&](std::size_t from) {
        const std::size_t at = findCloser(line, from, length, closer);
        const std::size_t end = at == length ? length : at + closer.size();
        blank(line, from, end);
        if (at != length)
            closer.clear();
        return end;
    };
    if (!closer.empty())
        j = inMath(0);
    while (j < length) {
        const char16_t c = line[j];
        if (c == u'%') {
            blank(line, j, length);
            return;
        }
        if (c == u'$') {
            closer = j + 1 < length && line[j + 1] == u'$' ? u"$$" : u"$";
            blank(line, j, j + closer.size());
            j = inMath(j + closer.size());
            continue;
        }
        if (c != u'\\') {
            ++j;
            continue;
        }
        if (j + 1 < length && (line[j + 1] == u'(' || line[j + 1] == u'[')) {
            closer = line[j + 1] == u'(' ? u"\\)" : u"\\]";
            blank(line, j, j + 2);
            j = inMath(j + 2);
            continue;
        }
        std::size_t k = j + 1;
        while (k < length && isAsciiLetter(line[k]))
            ++k;
        if (k == j + 1) {
            // \%, \$, \\, \{ and the like: the character as written, not markup.
            blank(line, j, std::min(j + 2, length));
            j += 2;
            continue;
        }
        const std::u16string_view name(line + j + 1, k - j - 1);
        if (k < length && line[k] == u'*')
            ++k;
        while (k < length && line[k] == u'[')
            k = groupEnd(line, k, length, u'[', u']');
        // The name is read before the blanking below runs over it.
        const bool begins = name == u"begin";
        const bool environment = begins || name == u"end";
        std::u16string argument;
        if ((environment || among(NAME_ARGUMENTS, name)) && k < length && line[k] == u'{') {
            const std::size_t end = groupEnd(line, k, length, u'{', u'}');
            argument.assign(line + k + 1, end > k + 1 && end <= length && line[end - 1] == u'}'
                                              ? end - k - 2
                                              : end - k - 1);
            k = end;
        }
        blank(line, j, k);
        j = k;
        if (begins && (among(MATH_ENVIRONMENTS, argument) || among(VERBATIM_ENVIRONMENTS, argument))) {
            closer = u"\\end{" + argument + u"}";
            j = inMath(j);
        }
    }
}

}  // namespace zabrel::lsp
