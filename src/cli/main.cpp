// SPDX-License-Identifier: MIT
// zabrel-check: the Urdu spell checker for editors, scripts and the shell.
#include <fcntl.h>
#include <getopt.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "cli/linereader.h"
#include "cli/pipesession.h"
#include "cli/progressbar.h"
#include "cli/textreport.h"
#include "core/errors.h"
#include "documents/officedocument.h"
#include "programs/dictionaryfolder.h"
#include "session/spellersession.h"
#include "text/utf8.h"
#include "text/wordletters.h"

namespace fs = std::filesystem;
using namespace zabrel;
using namespace zabrel::cli;

namespace {

constexpr const char* PROGRAM = "zabrel-check";
constexpr const char* STDIN_NAME = "<stdin>";
constexpr const char* SHIPPED_NAME = "urdu";
constexpr int EXIT_CLEAN = 0;
constexpr int EXIT_MISSPELT = 1;
constexpr int EXIT_TROUBLE = 2;

enum class Mode { Report, List, Pipe, Correct };

struct Settings {
    Mode mode = Mode::Report;
    bool allSuggestions = false;
    // Unset: the best the dictionary offers, the accurate ranking with the context
    // where it has a context model.
    std::optional<Ranking> ranking;
    bool context = false;
    bool realWordSlips = false;
    std::optional<std::array<float, 4>> contextWeights;
    std::string dictionary;
    fs::path personal;
    std::vector<std::string> files;
};

void printHelp() {
    std::printf(
        "Usage: %s [OPTION]... [FILE]...\n"
        "Check the spelling of Urdu text in UTF-8. With no FILE, or when FILE is -,\n"
        "read standard input. A FILE ending in .docx or .odt is read as a document:\n"
        "the text of its paragraphs, and the report names a paragraph where it would\n"
        "name a line (FILE:PARAGRAPH:COLUMN).\n"
        "\n"
        "Modes:\n"
        "  (default)          one line per misspelt word:\n"
        "                       FILE:LINE:COLUMN: WORD -> SUGGESTION, SUGGESTION, ...\n"
        "                     columns count characters from 1; standard input is\n"
        "                     named <stdin>; a word without suggestions ends in \"->\"\n"
        "  -l, --list         print each misspelt word, once per occurrence\n"
        "  -a, --pipe         ispell pipe protocol for editors (as hunspell -a)\n"
        "      --correct      print the text with each misspelt word replaced by its\n"
        "                     sure fix or else its first suggestion, every other byte\n"
        "                     as it was\n"
        "\n"
        "Options:\n"
        "  -d, --dictionary=DIR  the dictionary folder, the one holding config.ini;\n"
        "                     by default the current directory if it holds a\n"
        "                     config.ini, else the user's copy of the shipped Urdu\n"
        "                     dictionary, $XDG_DATA_HOME/zabrel/urdu (by default\n"
        "                     ~/.local/share/zabrel/urdu), made on first use; -d urdu\n"
        "                     names that one too, unless a folder urdu is here\n"
        "  -p, --personal=FILE   the personal word list, accepted in every mode and\n"
        "                     added to by the pipe commands * and &; by default\n"
        "                     $XDG_DATA_HOME/zabrel/personal.txt (one list for all\n"
        "                     programs), made on first save\n"
        "      --all          show every suggestion, not only the first %zu\n"
        "      --ranking=exact  the classic order, without the context (by default\n"
        "                     suggestions follow the accurate ranking, and the\n"
        "                     neighbouring words too when the dictionary has a\n"
        "                     context model)\n"
        "      --ranking=accurate  the accurate ranking alone (weighted letter edits\n"
        "                     and word frequency, two words run together offered as a\n"
        "                     pair, a sure fix of the dictionary first)\n"
        "      --context      the accurate ranking with the neighbouring words (a line\n"
        "                     is the context); an error without a context model\n"
        "      --real-word-slips  with --context, also flag correct words whose\n"
        "                     neighbours strongly want a word one slip away\n"
        "      --context-weights=W,R,M[,J]  for tuning: W weighs the model's log-\n"
        "                     probability gain (nats) against the accurate score, R\n"
        "                     the share of the words after; M is the slip margin and\n"
        "                     J the join evidence in nats (negative: off)\n"
        "                     (default %g,%g,%g,%g)\n"
        "  -h, --help         show this help and exit\n"
        "      --version      show the version and exit\n"
        "  -v, -vv            print the ispell version line, as editors ask for it\n"
        "\n"
        "For editors that drive ispell or hunspell, -m, -B, -C, -S, -t, -n and -H are\n"
        "accepted and ignored, and so is -T TYPE; -i ENCODING must name UTF-8.\n"
        "\n"
        "A word is a run of the dictionary's letters and of the marks that sit inside\n"
        "Urdu words (diacritics, tatweel, ZWJ). Everything else separates words: spaces,\n"
        "punctuation, digits, hyphens, quotes, brackets, ZWNJ and Latin text, which is\n"
        "not checked.\n"
        "\n"
        "Pipe commands: *WORD and &WORD add WORD to the personal list and save it,\n"
        "@WORD accepts it for the session, # saves the personal list, ^TEXT checks\n"
        "TEXT, ! and %% turn terse mode on and off.\n"
        "\n"
        "Examples:\n"
        "  %s letter.txt             report misspellings with suggestions\n"
        "  %s -l *.txt | sort -u     list the distinct misspelt words\n"
        "  echo 'سخت بزار' | %s -a   talk the ispell protocol\n"
        "  %s -d ~/my-dictionary notes.txt\n"
        "\n"
        "Exit status:\n"
        "  0  no misspelt word (in list and pipe modes: no trouble)\n"
        "  1  at least one misspelt word (report mode)\n"
        "  2  trouble: a file could not be read or was UTF-16, a document was damaged\n"
        "     (or given to -a or --correct), a line was not valid\n"
        "     UTF-8 (that line is skipped and the run goes on), the personal word list\n"
        "     could not be read or saved, or the dictionary could not be loaded\n",
        PROGRAM, TextReport::DEFAULT_SUGGESTIONS, static_cast<double>(ContextRanking::WEIGHT),
        static_cast<double>(ContextRanking::AFTER), static_cast<double>(SpellerSession::SLIP_MARGIN),
        static_cast<double>(SpellerSession::JOIN_EVIDENCE), PROGRAM, PROGRAM, PROGRAM, PROGRAM);
}

void printVersion() {
    std::printf("%s (Zabrel) %s\n", PROGRAM, ZABREL_VERSION);
}

bool isUtf8Name(std::string name) {
    for (char& c : name)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return name == "utf-8" || name == "utf8";
}

// Returns the exit status to leave with when the options end the run.
std::optional<int> parseOptions(int argc, char** argv, Settings& settings) {
    enum { OPT_ALL = 256, OPT_VERSION, OPT_RANKING, OPT_CONTEXT, OPT_REAL_WORDS, OPT_WEIGHTS, OPT_CORRECT };
    static const option longOptions[] = {
        {"list", no_argument, nullptr, 'l'},
        {"pipe", no_argument, nullptr, 'a'},
        {"dictionary", required_argument, nullptr, 'd'},
        {"personal", required_argument, nullptr, 'p'},
        {"all", no_argument, nullptr, OPT_ALL},
        {"help", no_argument, nullptr, 'h'},
        {"version", no_argument, nullptr, OPT_VERSION},
        {"ranking", required_argument, nullptr, OPT_RANKING},
        {"context", no_argument, nullptr, OPT_CONTEXT},
        {"real-word-slips", no_argument, nullptr, OPT_REAL_WORDS},
        {"context-weights", required_argument, nullptr, OPT_WEIGHTS},
        {"correct", no_argument, nullptr, OPT_CORRECT},
        {nullptr, 0, nullptr, 0},
    };
    int option;
    while ((option = getopt_long(argc, argv, "lad:hvmBCStnHp:T:i:", longOptions, nullptr)) != -1) {
        switch (option) {
            case 'l':
                settings.mode = Mode::List;
                break;
            case 'a':
                settings.mode = Mode::Pipe;
                break;
            case 'd':
                settings.dictionary = optarg;
                break;
            case 'p':
                settings.personal = optarg;
                break;
            case OPT_ALL:
                settings.allSuggestions = true;
                break;
            case OPT_RANKING:
                if (std::strcmp(optarg, "exact") != 0 && std::strcmp(optarg, "accurate") != 0) {
                    std::fprintf(stderr, "%s: --ranking must be exact or accurate, not %s\n", PROGRAM,
                                 optarg);
                    return EXIT_TROUBLE;
                }
                settings.ranking = std::strcmp(optarg, "accurate") == 0 ? Ranking::Accurate : Ranking::Exact;
                break;
            case OPT_CONTEXT:
                settings.context = true;
                break;
            case OPT_REAL_WORDS:
                settings.realWordSlips = true;
                break;
            case OPT_WEIGHTS: {
                std::array<float, 4> weights{0, 0, 0, SpellerSession::JOIN_EVIDENCE};
                char end = 0;
                const int read = std::sscanf(optarg, "%f,%f,%f,%f%c", &weights[0], &weights[1], &weights[2],
                                             &weights[3], &end);
                if (read != 3 && read != 4) {
                    std::fprintf(stderr,
                                 "%s: --context-weights must be three or four numbers W,R,M[,J], not %s\n",
                                 PROGRAM, optarg);
                    return EXIT_TROUBLE;
                }
                settings.contextWeights = weights;
                break;
            }
            case OPT_CORRECT:
                settings.mode = Mode::Correct;
                break;
            case 'h':
                printHelp();
                return EXIT_CLEAN;
            case OPT_VERSION:
                printVersion();
                return EXIT_CLEAN;
            case 'v':
                // ispell.el and friends read the version from this line.
                std::printf("%s\n", PipeSession::banner(ZABREL_VERSION).c_str());
                return EXIT_CLEAN;
            case 'm':
            case 'B':
            case 'C':
            case 'S':
            case 't':
            case 'n':
            case 'H':
            case 'T':
                // Options of ispell and hunspell that have no meaning here.
                break;
            case 'i':
                if (!isUtf8Name(optarg)) {
                    std::fprintf(stderr, "%s: only UTF-8 input is supported, not %s\n", PROGRAM, optarg);
                    return EXIT_TROUBLE;
                }
                break;
            default:
                std::fprintf(stderr, "Try '%s --help' for more information.\n", PROGRAM);
                return EXIT_TROUBLE;
        }
    }
    if (settings.ranking == Ranking::Exact && (settings.context || settings.realWordSlips)) {
        std::fprintf(stderr, "%s: --%s ranks by the accurate ranking and cannot go with --ranking=exact\n",
                     PROGRAM, settings.context ? "context" : "real-word-slips");
        return EXIT_TROUBLE;
    }
    for (int i = optind; i < argc; ++i)
        settings.files.emplace_back(argv[i]);
    if (settings.files.empty())
        settings.files.emplace_back("-");
    return std::nullopt;
}

// Standard exceptions end the run like engine errors, never as an abort.
std::string describe(const std::exception& ex) {
    if (dynamic_cast<const std::bad_alloc*>(&ex) != nullptr)
        return "out of memory";
    return ex.what();
}

// Chooses the dictionary folder and sets the speller up from it.
bool startSpeller(const Settings& settings, SpellerSession& speller) {
    const std::string& requested = settings.dictionary;
    std::string error;
    const fs::path folder = DictionaryFolder::locate(requested, error);
    if (folder.empty()) {
        std::fprintf(stderr, "%s: %s\n", PROGRAM, error.c_str());
        return false;
    }
    try {
        // A bad cost table is reported before any text is read.
        speller.setRanking(settings.ranking.value_or(Ranking::Exact));
        const bool ready = speller.open(folder);
        for (const std::string& warning : speller.takeWarnings())
            std::fprintf(stderr, "%s: %s\n", PROGRAM, warning.c_str());
        if (ready && !settings.ranking && !settings.context && !settings.realWordSlips)
            speller.useBestRanking();
        if (ready && (settings.context || settings.realWordSlips)) {
            speller.setContext(true);
            speller.setRealWordSlips(settings.realWordSlips);
            if (settings.contextWeights) {
                speller.setContextWeights((*settings.contextWeights)[0], (*settings.contextWeights)[1],
                                          (*settings.contextWeights)[2]);
                speller.setRunTogether((*settings.contextWeights)[3]);
            }
        }
        if (ready)
            return true;
        std::fprintf(stderr, "%s: the dictionary in %s could not be loaded\n", PROGRAM, folder.c_str());
    } catch (const SessionError& ex) {
        std::fprintf(stderr, "%s: %s\n", PROGRAM, ex.what());
    }
    return false;
}

struct Input {
    std::string name;  // as the user wrote it, for messages
    fs::path path;     // absolute; empty for standard input
};

class Run {
public:
    Run(const Settings& settings, SpellerSession& speller)
        : mode(settings.mode),
          personalFile(settings.personal),
          speller(speller),
          pipe(speller, [this](const std::string& message) { complain(message); }),
          report(
              [&speller](const std::u16string& word, std::vector<std::u16string>& suggestions) {
                  return speller.check(word, suggestions);
              },
              speller.letters(), {settings.mode == Mode::List, settings.allSuggestions}),
          stdoutIsTerminal(isatty(STDOUT_FILENO) == 1) {
        if (speller.context())
            report.checkTextWith([&speller](std::u16string_view text, std::vector<TextSpan>& spans) {
                speller.checkText(text, spans);
            });
    }

    void start() {
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

    // False when standard output has failed and the run should end.
    bool checkInput(const Input& input) {
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

    // The end of the run: words added in a pipe session are saved.
    void finish() {
        if (mode == Mode::Pipe)
            pipe.finish();
    }

    // Output that did not reach its reader is no answer: a failed write or final flush
    // ends the run in trouble.
    bool flushOutput() {
        if (outputError == 0 && std::fflush(stdout) == 0 && std::ferror(stdout) == 0)
            return true;
        if (outputError == 0)
            outputError = errno != 0 ? errno : EIO;
        std::fprintf(stderr, "%s: cannot write the output: %s\n", PROGRAM, std::strerror(outputError));
        trouble = true;
        return false;
    }

    int exitStatus() const {
        if (trouble)
            return EXIT_TROUBLE;
        return mode == Mode::Report && report.misspeltCount() > 0 ? EXIT_MISSPELT : EXIT_CLEAN;
    }

private:
    static std::uintmax_t fileSize(int fd) {
        struct stat info {};
        return fstat(fd, &info) == 0 && S_ISREG(info.st_mode) ? static_cast<std::uintmax_t>(info.st_size) : 0;
    }

    void complain(const std::string& message) {
        std::fflush(stdout);
        std::fprintf(stderr, "%s: %s\n", PROGRAM, message.c_str());
        trouble = true;
    }

    // Says once that the input is UTF-16. Other modes then skip the input; an editor in
    // pipe mode still gets an answer per line.
    bool refusedAsUtf16(LineReader& reader, const std::string& name) {
        const std::string_view kind = utf16Kind(reader.peek());
        if (kind.empty())
            return false;
        complain(name + ": looks like " + std::string(kind) + ", not UTF-8 (iconv -f " + std::string(kind) +
                 " -t UTF-8 converts it)");
        quietLines = mode == Mode::Pipe;
        return mode != Mode::Pipe;
    }

    void checkDescriptor(int fd, const std::string& name) {
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
                    const std::size_t before =
                        piece.lineOffset - (markOnLine && piece.lineOffset > 0 ? 3 : 0);
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
    void checkDocument(const Input& input, OfficeDocument::Kind kind) {
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
    bool write(const std::string& out) {
        if (std::fwrite(out.data(), 1, out.size(), stdout) == out.size() &&
            (mode != Mode::Pipe || std::fflush(stdout) == 0))
            return true;
        outputError = errno;
        return false;
    }

    bool handlePiece(const std::string& name, std::size_t lineNumber, std::string_view piece, bool lineEnds,
                     std::string& out) {
        if (mode == Mode::Pipe)
            return pipe.feed(piece, lineEnds, out);
        return report.checkPiece(name, lineNumber, piece, lineEnds, out);
    }

    // The piece with each misspelt stretch replaced by its sure fix, which is certain
    // whatever the ranking, or else by its first suggestion; false, appending nothing,
    // when it is not valid UTF-8.
    bool correct(std::string_view piece, std::string& out) {
        std::size_t badOffset = 0;
        if (!utf8ToUtf16(piece, text, badOffset))
            return false;
        speller.checkText(text, spans);
        std::size_t done = 0;
        for (const TextSpan& span : spans) {
            const std::u16string_view written = std::u16string_view(text).substr(span.start, span.length);
            std::u16string fix =
                span.kind == TextSpan::Kind::Misspelt ? speller.sureFix(written) : std::u16string();
            if (fix.empty() && span.suggestions.empty())
                continue;
            appendUtf8(out, std::u16string_view(text).substr(done, span.start - done));
            appendUtf8(out, fix.empty() ? span.suggestions.front() : fix);
            done = span.start + span.length;
        }
        appendUtf8(out, std::u16string_view(text).substr(done));
        return true;
    }

    void badLine(const std::string& name, std::size_t lineNumber, std::string_view piece,
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

    Mode mode;
    fs::path personalFile;
    SpellerSession& speller;
    PipeSession pipe;
    TextReport report;
    bool stdoutIsTerminal;
    std::u16string text;
    std::vector<TextSpan> spans;
    bool trouble = false;
    bool quietLines = false;
    int outputError = 0;
};

// A file opened while a standard descriptor is closed would take its number, and
// the report would be written into it: give closed input and error streams
// /dev/null, and refuse to run without an output.
bool standardStreamsOpen() {
    for (int fd : {STDIN_FILENO, STDERR_FILENO})
        if (::fcntl(fd, F_GETFD) < 0 && errno == EBADF &&
            ::open("/dev/null", fd == STDIN_FILENO ? O_RDONLY : O_WRONLY) != fd)
            return false;
    if (::fcntl(STDOUT_FILENO, F_GETFD) < 0 && errno == EBADF) {
        std::fprintf(stderr, "%s: cannot write the output: %s\n", PROGRAM, std::strerror(EBADF));
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (!standardStreamsOpen())
        return EXIT_TROUBLE;
    Settings settings;
    if (std::optional<int> status = parseOptions(argc, argv, settings)) {
        if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) {
            std::fprintf(stderr, "%s: cannot write the output: %s\n", PROGRAM, std::strerror(errno));
            return EXIT_TROUBLE;
        }
        return *status;
    }

    // ispell.el passes "-d NAME" for a dictionary entry called NAME, as hunspell takes
    // dictionary names: the shipped dictionary answers to its name.
    std::error_code ec;
    if (settings.dictionary == SHIPPED_NAME && !fs::exists(settings.dictionary, ec))
        settings.dictionary.clear();
    if (settings.personal.empty()) {
        settings.personal = PersonalWordList::defaultPath();
    } else {
        settings.personal = fs::absolute(settings.personal, ec);
    }

    std::vector<Input> inputs;
    for (const std::string& file : settings.files) {
        std::error_code ec;
        inputs.push_back(
            {file == "-" ? STDIN_NAME : file, file == "-" ? fs::path() : fs::absolute(file, ec)});
    }

    SpellerSession speller;
    if (!startSpeller(settings, speller))
        return EXIT_TROUBLE;

    Run run(settings, speller);
    try {
        run.start();
        for (const Input& input : inputs)
            if (!run.checkInput(input))
                break;
        run.finish();
    } catch (const SessionError& ex) {
        std::fflush(stdout);
        std::fprintf(stderr, "%s: %s\n", PROGRAM, ex.what());
        return EXIT_TROUBLE;
    } catch (const std::exception& ex) {
        // What the speller did not raise: the reading and writing of this program.
        std::fflush(stdout);
        std::fprintf(stderr, "%s: %s\n", PROGRAM, describe(ex).c_str());
        return EXIT_TROUBLE;
    }
    run.flushOutput();
    return run.exitStatus();
}
