// SPDX-License-Identifier: MIT
#include "cli/pipesession.h"

#include <utility>

#include "session/checkpass.h"
#include "text/utf8.h"

namespace zabrel::cli {

namespace {

// The first byte of a line decides its kind; every command is one ASCII byte.
bool isCommand(std::string_view line) {
    return !line.empty() && std::string_view("*&@!%#~+-").find(line.front()) != std::string_view::npos;
}

}  // namespace

std::string PipeSession::banner(std::string_view version) {
    // Clients such as ispell.el parse the ispell version out of this line, so its
    // front stays exactly as hunspell words it.
    return "@(#) International Ispell Version 3.2.06 (but really Zabrel " + std::string(version) + ")";
}

bool PipeSession::feed(std::string_view piece, bool lineEnds, std::string& out) {
    std::size_t badOffset = 0;
    bool valid = true;
    if (line == Line::Skipped || line == Line::Ignore) {
        // Nothing more of this line matters.
    } else if (!utf8ToUtf16(piece, text, badOffset)) {
        // The line is skipped, but answered as a valid line of its kind would be (an
        // empty line for text, nothing for a command), or an editor reading one answer
        // per line would stay one behind for the rest of the session.
        const bool isText = line == Line::Text || (line == Line::Start && !isCommand(piece));
        line = isText ? Line::Skipped : Line::Ignore;
        valid = false;
    } else {
        std::size_t skip = 0;
        if (line == Line::Start)
            startLine(text, skip);
        const std::u16string_view rest = std::u16string_view(text).substr(skip);
        switch (line) {
            case Line::Text:
                checkText(rest, column + skip, out);
                column += skip + codePoints(rest);
                break;
            case Line::Add:
            case Line::Accept:
                if (word.size() + rest.size() <= LONGEST_ACCEPTED)
                    word += rest;
                else
                    line = Line::Ignore;
                break;
            default:
                break;
        }
    }
    if (lineEnds)
        endLine(out);
    return valid;
}

void PipeSession::startLine(std::u16string_view first, std::size_t& skip) {
    column = 0;
    word.clear();
    line = Line::Ignore;
    skip = 1;
    switch (first.empty() ? u'\0' : first[0]) {
        case u'*':
        case u'&':
            line = Line::Add;
            break;
        case u'@':
            line = Line::Accept;
            break;
        case u'!':
            terse = true;
            break;
        case u'%':
            terse = false;
            break;
        case u'#':
            save([&] { speller.savePersonal(); });
            break;
        case u'~':  // ispell's formatter selection, meaningless for plain Urdu text
        case u'+':  // TeX and nroff modes: likewise; hunspell keeps quiet for these too
        case u'-':
            break;
        case u'^':
            line = Line::Text;
            break;
        default:
            line = Line::Text;
            skip = 0;
            break;
    }
}

void PipeSession::endLine(std::string& out) {
    switch (line) {
        case Line::Start:  // an empty line
        case Line::Text:
        case Line::Skipped:
            out += '\n';
            break;
        case Line::Add:
            // Saved at once: editors end their speller with a kill as often as with the
            // end of its input, and may do so right after sending #.
            if (PersonalWordList::storable(word))
                save([&] { speller.addPersonal(word); });
            break;
        case Line::Accept:
            speller.accept(word);
            break;
        default:
            break;
    }
    line = Line::Start;
}

void PipeSession::checkText(std::u16string_view line, std::size_t offset, std::string& out) {
    // One answer per word, in order: a misspelt one as the protocol words it, every
    // other (words of another script too) a * unless terse. With the context the line
    // is read as a whole; an editor replaces one word at a time, so a broken word is
    // answered piece by piece.
    CheckPass pass = std::as_const(speller).pass(
        line, {.positions = Positions::CodePoints, .joins = Joins::WordByWord, .inPlace = true});
    std::size_t answered = 0;
    const auto correctUpTo = [&](std::size_t passed) {
        if (!terse)
            for (; answered < passed; ++answered)
                out += "*\n";
        answered = passed;
    };
    while (pass.next()) {
        const Span& span = pass.span();
        // The words passed before this one were correct.
        correctUpTo(pass.wordsChecked() + pass.foreignPassed() - 1);
        answered += 1;
        const std::string position = std::to_string(span.start + offset);
        if (span.suggestions.empty()) {
            out += "# ";
            appendUtf8(out, span.word);
            out += ' ' + position + '\n';
            continue;
        }
        out += "& ";
        appendUtf8(out, span.word);
        out += ' ' + std::to_string(span.suggestions.size()) + ' ' + position + ": ";
        for (std::size_t i = 0; i < span.suggestions.size(); ++i) {
            if (i > 0)
                out += ", ";
            appendUtf8(out, span.suggestions[i]);
        }
        out += '\n';
    }
    correctUpTo(pass.wordsChecked() + pass.foreignPassed());
}

void PipeSession::finish() {
    save([&] { speller.savePersonal(); });
}

void PipeSession::save(const std::function<void()>& action) {
    try {
        action();
        lastWarning.clear();
    } catch (const SessionError& ex) {
        if (warn && ex.what() != lastWarning)
            warn(ex.what());
        lastWarning = ex.what();
    }
}

}  // namespace zabrel::cli
