// SPDX-License-Identifier: MIT
#include "cli/pipesession.h"

#include "text/utf8.h"

namespace zabrel::cli {

std::string PipeSession::banner(std::string_view version) {
    // Clients such as ispell.el parse the ispell version out of this line, so its
    // front stays exactly as hunspell words it.
    return "@(#) International Ispell Version 3.2.06 (but really Zabrel " + std::string(version) + ")";
}

bool PipeSession::respond(std::string_view line, std::string& out) {
    std::size_t badOffset = 0;
    if (!utf8ToUtf16(line, text, badOffset))
        return false;
    if (text.empty()) {
        out += '\n';
        return true;
    }
    switch (text[0]) {
        case u'*':
        case u'@':
            // We have no personal dictionary to save to, so both accept for the session.
            if (text.size() > 1)
                accepted.insert(text.substr(1));
            return true;
        case u'!':
            terse = true;
            return true;
        case u'%':
            terse = false;
            return true;
        case u'#':  // save the personal dictionary: there is none
        case u'~':  // ispell's formatter selection, meaningless for plain Urdu text
        case u'+':  // TeX and nroff modes: likewise; hunspell keeps quiet for these too
        case u'-':
            return true;
        case u'^':
            checkText(std::u16string_view(text).substr(1), 1, out);
            return true;
        default:
            checkText(text, 0, out);
            return true;
    }
}

void PipeSession::checkText(std::u16string_view line, std::size_t offset, std::string& out) {
    cutLine(line, words);
    for (const LineWord& word : words) {
        std::u16string token(line.substr(word.start, word.length));
        suggestions.clear();
        if (accepted.contains(token) || !check(token, suggestions)) {
            if (!terse)
                out += "*\n";
            continue;
        }
        const std::string position = std::to_string(word.column + offset);
        if (suggestions.empty()) {
            out += "# ";
            appendUtf8(out, token);
            out += ' ' + position + '\n';
            continue;
        }
        out += "& ";
        appendUtf8(out, token);
        out += ' ' + std::to_string(suggestions.size()) + ' ' + position + ": ";
        for (std::size_t i = 0; i < suggestions.size(); ++i) {
            if (i > 0)
                out += ", ";
            appendUtf8(out, suggestions[i]);
        }
        out += '\n';
    }
    out += '\n';
}

}  // namespace zabrel::cli
