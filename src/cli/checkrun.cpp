// SPDX-License-Identifier: MIT
#include "cli/checkrun.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <utility>

#include "cli/progressbar.h"
#include "session/checkpass.h"
#include "text/utf8.h"

namespace zabrel::cli {

namespace {

std::uintmax_t fileSize(int fd) {
    struct stat info {};
    return fstat(fd, &info) == 0 && S_ISREG(info.st_mode) ? static_cast<std::uintmax_t>(info.st_size) : 0;
}

}  // namespace

CheckRun::CheckRun(const Settings& settings, SpellerSession& speller)
    : mode(settings.mode),
      personalFile(settings.personal),
      speller(speller),
      pipe(speller, [this](const std::string& message) { complain(message); }),
      report(speller, {settings.mode == Mode::List, settings.allSuggestions}),
      stdoutIsTerminal(isatty(STDOUT_FILENO) == 1) {}

void CheckRun::start() {
    // Before the banner: an editor shows what comes first as the checker's error.
    try {
        speller.usePersonalList(personalFile);
    } catch (const SessionError& ex) {
        complain(ex.what());
    }
    for (const std::string& warning : speller.takeWarnings())
        std::fprintf(stderr, "%s: %s\n", PROGRAM, warning.c_str());
    if (mode == Mode::Pipe) {
        std::printf("%s\n", PipeSession::banner(ZABREL_VERSION).c_str());
        std::fflush(stdout);
    }
}

bool CheckRun::checkInput(const Input& input) {
    if (input.path.empty()) {
        checkDescriptor(STDIN_FILENO, STDIN_NAME);
        return outputError == 0;
    }
    const int fd = ::open(input.path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        complain(input.name + ": " + std::strerror(errno));
        return true;
    }
    struct stat info {};
    const OfficeDocument::Kind kind = OfficeDocument::kindOf(input.path);
    if (kind != OfficeDocument::Kind::None && !(fstat(fd, &info) == 0 && S_ISDIR(info.st_mode))) {
        ::close(fd);
        checkDocument(input, kind);
        return outputError == 0;
    }
    if (fstat(fd, &info) == 0 && S_ISDIR(info.st_mode))
        complain(input.name + ": " + std::strerror(EISDIR));
    else
        checkDescriptor(fd, input.name);
    ::close(fd);
    return outputError == 0;
}

void CheckRun::finish() {
    if (mode == Mode::Pipe)
        pipe.finish();
}

bool CheckRun::flushOutput() {
    if (outputError == 0 && std::fflush(stdout) == 0 && std::ferror(stdout) == 0)
        return true;
    if (outputError == 0)
        outputError = errno != 0 ? errno : EIO;
    std::fprintf(stderr, "%s: cannot write the output: %s\n", PROGRAM, std::strerror(outputError));
    trouble = true;
    return false;
}

int CheckRun::exitStatus() const {
    if (trouble)
        return EXIT_TROUBLE;
    return mode == Mode::Report && report.misspeltCount() > 0 ? EXIT_MISSPELT : EXIT_CLEAN;
}

void CheckRun::complain(const std::string& message) {
    std::fflush(stdout);
    std::fprintf(stderr, "%s: %s\n", PROGRAM, message.c_str());
    trouble = true;
}

// Says once that the input is UTF-16. Other modes then skip the input; an editor in
// pipe mode still gets an answer per line.
bool CheckRun::refusedAsUtf16(LineReader& reader, const std::string& name) {
    const std::string_view kind = utf16Kind(reader.peek());
    if (kind.empty())
        return false;
    complain(name + ": looks like " + std::string(kind) + ", not UTF-8 (iconv -f " + std::string(kind) +
             " -t UTF-8 converts it)");
    quietLines = mode == Mode::Pipe;
    return mode != Mode::Pipe;
}

void CheckRun::checkDescriptor(int fd, const std::string& name) {
    // In pipe mode a CR stays in the line, as hunspell keeps it: clients send LF.
    // Corrected text keeps its line ends as they were: only LF ends a line, and a
    // CR stays in it untouched.
    LineReader reader(fd, speller.letters(), mode != Mode::Pipe && mode != Mode::Correct);
    if (refusedAsUtf16(reader, name))
        return;
    std::unique_ptr<ProgressBar> bar;
    const std::uintmax_t size = fileSize(fd);
    if (mode != Mode::Pipe && ProgressBar::wanted(stderr, size))
        bar = std::make_unique<ProgressBar>(stderr, name, size);

    LineReader::Piece piece;
    std::string out;
    std::size_t lineNumber = 1;
    bool first = true;
    bool markOnLine = false;
    bool lineBad = false;
    while (reader.next(piece)) {
        std::string_view bytes = piece.bytes;
        // A byte-order mark is not part of the text, and would shift every column.
        if (first && mode != Mode::Pipe && mode != Mode::Correct && bytes.starts_with("\xEF\xBB\xBF")) {
            bytes.remove_prefix(3);
            markOnLine = true;
        }
        first = false;
        out.clear();
        if (mode == Mode::Correct) {
            // What cannot be read is written back as it came.
            if (lineBad || !correct(bytes, out)) {
                out.append(bytes);
                if (!lineBad)
                    badLine(name, lineNumber, bytes, piece.lineOffset);
                lineBad = true;
            }
            if (piece.newline)
                out += '\n';
        } else if (!lineBad) {
            if (!handlePiece(name, lineNumber, bytes, piece.lineEnds, out)) {
                lineBad = true;
                const std::size_t before = piece.lineOffset - (markOnLine && piece.lineOffset > 0 ? 3 : 0);
                badLine(name, lineNumber, bytes, before);
            }
        } else if (piece.lineEnds) {
            handlePiece(name, lineNumber, {}, true, out);
        }
        if (piece.lineEnds) {
            lineBad = false;
            markOnLine = false;
            ++lineNumber;
        }
        if (bar && stdoutIsTerminal && !out.empty())
            bar->finish();
        if (!write(out))
            return;
        if (bar)
            bar->update(reader.bytesRead());
    }
    if (reader.error() != 0)
        complain(name + ": " + std::strerror(reader.error()));
}

// A document's paragraphs are its lines. Corrected text would be plain text, and the
// pipe protocol reads commands: neither can stand for a document.
void CheckRun::checkDocument(const Input& input, OfficeDocument::Kind kind) {
    if (mode == Mode::Correct) {
        complain(input.name +
                 ": --correct writes plain text, which would lose the document's formatting; correct it "
                 "in LibreOffice Writer, where Zabrel works too");
        return;
    }
    if (mode == Mode::Pipe) {
        complain(input.name + ": pipe mode reads the ispell protocol, not a document");
        return;
    }
    std::vector<std::string> paragraphs;
    try {
        paragraphs = OfficeDocument::paragraphs(input.path, kind);
    } catch (const DocumentError& ex) {
        complain(input.name + ": " + ex.what());
        return;
    }
    std::string out;
    for (std::size_t i = 0; i < paragraphs.size(); ++i) {
        out.clear();
        if (!report.checkLine(input.name, i + 1, paragraphs[i], out))
            badLine(input.name, i + 1, paragraphs[i], 0);
        if (!write(out))
            return;
    }
}

// False once standard output fails: the rest of the run could not be seen.
bool CheckRun::write(const std::string& out) {
    if (std::fwrite(out.data(), 1, out.size(), stdout) == out.size() &&
        (mode != Mode::Pipe || std::fflush(stdout) == 0))
        return true;
    outputError = errno;
    return false;
}

bool CheckRun::handlePiece(const std::string& name, std::size_t lineNumber, std::string_view piece,
                           bool lineEnds, std::string& out) {
    if (mode == Mode::Pipe)
        return pipe.feed(piece, lineEnds, out);
    return report.checkPiece(name, lineNumber, piece, lineEnds, out);
}

// The piece with each misspelt stretch replaced by its sure fix, which is certain
// whatever the ranking, or else by its first suggestion, every other byte as it came;
// false, appending nothing, when it is not valid UTF-8.
bool CheckRun::correct(std::string_view piece, std::string& out) {
    std::size_t badOffset = 0;
    if (!utf8ToUtf16(piece, text, badOffset))
        return false;
    // The spans of the text as written: each is read beside its neighbours as they
    // stand, not as corrected here.
    CheckPass pass = std::as_const(speller).pass(
        text, {.positions = Positions::Utf8Bytes, .joins = Joins::Offer, .inPlace = true});
    std::size_t done = 0;
    while (pass.next()) {
        const Span& span = pass.span();
        std::u16string fix =
            span.kind == Span::Kind::Misspelt ? speller.sureFix(span.word) : std::u16string();
        if (fix.empty() && span.suggestions.empty())
            continue;
        out.append(piece.substr(done, span.start - done));
        appendUtf8(out, fix.empty() ? span.suggestions.front() : fix);
        done = span.start + span.length;
    }
    out.append(piece.substr(done));
    return true;
}

void CheckRun::badLine(const std::string& name, std::size_t lineNumber, std::string_view piece,
                       std::size_t before) {
    if (quietLines) {
        trouble = true;
        return;
    }
    std::u16string ignored;
    std::size_t offset = 0;
    utf8ToUtf16(piece, ignored, offset);
    complain(name + ":" + std::to_string(lineNumber) + ": invalid UTF-8 at byte " +
             std::to_string(before + offset + 1) + ", line skipped");
}

}  // namespace zabrel::cli
