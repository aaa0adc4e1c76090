// SPDX-License-Identifier: MIT
// zabrel-check: the Urdu spell checker for editors, scripts and the shell.
#include <getopt.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "cli/enginechecker.h"
#include "cli/pipesession.h"
#include "cli/progressbar.h"
#include "cli/textreport.h"
#include "core/errors.h"
#include "engine/spellchecker.h"
#include "programs/dictionaryfolder.h"
#include "text/utf8.h"

namespace fs = std::filesystem;
using namespace zabrel;
using namespace zabrel::cli;

namespace {

constexpr const char* PROGRAM = "zabrel-check";
constexpr const char* STDIN_NAME = "<stdin>";
constexpr int EXIT_CLEAN = 0;
constexpr int EXIT_MISSPELT = 1;
constexpr int EXIT_TROUBLE = 2;

enum class Mode { Report, List, Pipe };

struct Settings {
    Mode mode = Mode::Report;
    bool allSuggestions = false;
    Ranking ranking = Ranking::Exact;
    std::string dictionary;
    std::vector<std::string> files;
};

void printHelp() {
    std::printf(
        "Usage: %s [OPTION]... [FILE]...\n"
        "Check the spelling of Urdu text in UTF-8. With no FILE, or when FILE is -,\n"
        "read standard input.\n"
        "\n"
        "Modes:\n"
        "  (default)          one line per misspelt word:\n"
        "                       FILE:LINE:COLUMN: WORD -> SUGGESTION, SUGGESTION, ...\n"
        "                     columns count characters from 1; standard input is\n"
        "                     named <stdin>; a word without suggestions ends in \"->\"\n"
        "  -l, --list         print each misspelt word, once per occurrence\n"
        "  -a, --pipe         ispell pipe protocol for editors (as hunspell -a)\n"
        "\n"
        "Options:\n"
        "  -d, --dictionary=DIR  the dictionary folder, the one holding config.ini;\n"
        "                     by default the current directory if it holds a\n"
        "                     config.ini, else the user's copy of the shipped Urdu\n"
        "                     dictionary, $XDG_DATA_HOME/zabrel/urdu (by default\n"
        "                     ~/.local/share/zabrel/urdu), made on first use\n"
        "      --all          show every suggestion, not only the first %zu\n"
        "      --ranking=accurate  order suggestions by the accurate ranking (weighted\n"
        "                     letter edits and word frequency, with two words run\n"
        "                     together offered as a pair); --ranking=exact, the\n"
        "                     default, keeps the classic order\n"
        "  -h, --help         show this help and exit\n"
        "      --version      show the version and exit\n"
        "  -v, -vv            print the ispell version line, as editors ask for it\n"
        "\n"
        "For editors that drive ispell or hunspell, -m, -B, -C, -S, -t, -n and -H are\n"
        "accepted and ignored, and so are -p FILE and -T TYPE; -i ENCODING must name\n"
        "UTF-8.\n"
        "\n"
        "Words are separated by space, tab, line breaks, the colon, the semicolon, the\n"
        "apostrophe and the Arabic comma, full stop, semicolon and question mark.\n"
        "\n"
        "Examples:\n"
        "  %s letter.txt             report misspellings with suggestions\n"
        "  %s -l *.txt | sort -u     list the distinct misspelt words\n"
        "  echo 'سخت بزار' | %s -a   talk the ispell protocol\n"
        "  %s -d ~/my-dictionary notes.txt\n"
        "\n"
        "Exit status:\n"
        "  0  no misspelt word (in pipe mode: no error)\n"
        "  1  at least one misspelt word (report and list modes)\n"
        "  2  trouble: a file could not be read, a line was not valid UTF-8 (that line\n"
        "     is skipped and the run goes on), or the dictionary could not be loaded\n",
        PROGRAM, TextReport::DEFAULT_SUGGESTIONS, PROGRAM, PROGRAM, PROGRAM, PROGRAM);
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
    enum { OPT_ALL = 256, OPT_VERSION, OPT_RANKING };
    static const option longOptions[] = {
        {"list", no_argument, nullptr, 'l'},
        {"pipe", no_argument, nullptr, 'a'},
        {"dictionary", required_argument, nullptr, 'd'},
        {"all", no_argument, nullptr, OPT_ALL},
        {"help", no_argument, nullptr, 'h'},
        {"version", no_argument, nullptr, OPT_VERSION},
        {"ranking", required_argument, nullptr, OPT_RANKING},
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
            case 'p':
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

// Chooses the dictionary folder and sets the engine up from it.
bool startEngine(const std::string& requested, Ranking ranking, SpellChecker& engine) {
    std::string error;
    const fs::path folder = DictionaryFolder::locate(requested, error);
    if (folder.empty()) {
        std::fprintf(stderr, "%s: %s\n", PROGRAM, error.c_str());
        return false;
    }
    try {
        if (engine.initialize(folder)) {
            // A bad cost table is reported before any text is read.
            if (ranking == Ranking::Accurate)
                engine.prepareAccurateRanking();
            return true;
        }
        std::fprintf(stderr, "%s: the dictionary in %s could not be loaded\n", PROGRAM, folder.c_str());
    } catch (const QuelmException& ex) {
        std::fprintf(stderr, "%s: %s\n", PROGRAM, ex.getFullMessage().c_str());
    } catch (const std::exception& ex) {
        std::fprintf(stderr, "%s: %s\n", PROGRAM, describe(ex).c_str());
    }
    return false;
}

struct Input {
    std::string name;  // as the user wrote it, for messages
    fs::path path;     // absolute; empty for standard input
};

class Run {
public:
    Run(const Settings& settings, SpellChecker& engine)
        : mode(settings.mode),
          engine(engine, settings.ranking),
          pipe(checker()),
          report(checker(), {settings.mode == Mode::List, settings.allSuggestions}),
          stdoutIsTerminal(isatty(STDOUT_FILENO) == 1) {}

    void start() {
        if (mode == Mode::Pipe) {
            std::printf("%s\n", PipeSession::banner(ZABREL_VERSION).c_str());
            std::fflush(stdout);
        }
    }

    void checkInput(const Input& input) {
        if (input.path.empty()) {
            checkStream(std::cin, STDIN_NAME, fileSize(STDIN_FILENO));
            return;
        }
        std::error_code ec;
        if (fs::is_directory(input.path, ec)) {
            complain(input.name + ": Is a directory");
            return;
        }
        std::ifstream in(input.path, std::ios::binary);
        if (!in) {
            complain(input.name + ": " + std::strerror(errno));
            return;
        }
        checkStream(in, input.name, fs::file_size(input.path, ec));
    }

    int exitStatus() const {
        if (trouble)
            return EXIT_TROUBLE;
        return mode != Mode::Pipe && report.misspeltCount() > 0 ? EXIT_MISSPELT : EXIT_CLEAN;
    }

private:
    WordChecker checker() {
        return [this](const std::u16string& word, std::vector<std::u16string>& suggestions) {
            return engine(word, suggestions);
        };
    }

    static std::uintmax_t fileSize(int fd) {
        struct stat info {};
        return fstat(fd, &info) == 0 && S_ISREG(info.st_mode) ? static_cast<std::uintmax_t>(info.st_size) : 0;
    }

    void complain(const std::string& message) {
        std::fprintf(stderr, "%s: %s\n", PROGRAM, message.c_str());
        trouble = true;
    }

    void checkStream(std::istream& in, const std::string& name, std::uintmax_t size) {
        std::unique_ptr<ProgressBar> bar;
        if (mode != Mode::Pipe && ProgressBar::wanted(stderr, size))
            bar = std::make_unique<ProgressBar>(stderr, name, size);
        std::string line;
        std::string out;
        std::uintmax_t done = 0;
        for (std::size_t lineNumber = 1; std::getline(in, line); ++lineNumber) {
            done += line.size() + 1;
            // A byte-order mark is not part of the text, and would shift every column.
            if (lineNumber == 1 && mode != Mode::Pipe && line.starts_with("\xEF\xBB\xBF"))
                line.erase(0, 3);
            out.clear();
            if (!handleLine(name, lineNumber, line, out))
                badLine(name, lineNumber, line, out);
            if (bar && stdoutIsTerminal && !out.empty())
                bar->finish();
            std::fwrite(out.data(), 1, out.size(), stdout);
            if (mode == Mode::Pipe)
                std::fflush(stdout);
            if (bar)
                bar->update(done);
        }
        if (in.bad())
            complain(name + ": read error");
    }

    bool handleLine(const std::string& name, std::size_t lineNumber, const std::string& line,
                    std::string& out) {
        if (mode == Mode::Pipe)
            return pipe.respond(line, out);
        return report.checkLine(name, lineNumber, line, out);
    }

    void badLine(const std::string& name, std::size_t lineNumber, const std::string& line, std::string& out) {
        std::u16string ignored;
        std::size_t offset = 0;
        utf8ToUtf16(line, ignored, offset);
        complain(name + ":" + std::to_string(lineNumber) + ": invalid UTF-8 at byte " +
                 std::to_string(offset + 1) + ", line skipped");
        // An editor waits for the empty line that ends every answer; without it, it hangs.
        if (mode == Mode::Pipe)
            out += '\n';
    }

    Mode mode;
    EngineChecker engine;
    PipeSession pipe;
    TextReport report;
    bool stdoutIsTerminal;
    bool trouble = false;
};

}  // namespace

int main(int argc, char** argv) {
    Settings settings;
    if (std::optional<int> status = parseOptions(argc, argv, settings))
        return *status;

    std::vector<Input> inputs;
    for (const std::string& file : settings.files) {
        std::error_code ec;
        inputs.push_back(
            {file == "-" ? STDIN_NAME : file, file == "-" ? fs::path() : fs::absolute(file, ec)});
    }

    std::ios::sync_with_stdio(false);
    SpellChecker engine;
    if (!startEngine(settings.dictionary, settings.ranking, engine))
        return EXIT_TROUBLE;

    Run run(settings, engine);
    try {
        run.start();
        for (const Input& input : inputs)
            run.checkInput(input);
    } catch (const QuelmException& ex) {
        std::fflush(stdout);
        std::fprintf(stderr, "%s: %s\n", PROGRAM, ex.getFullMessage().c_str());
        return EXIT_TROUBLE;
    } catch (const std::exception& ex) {
        std::fflush(stdout);
        std::fprintf(stderr, "%s: %s\n", PROGRAM, describe(ex).c_str());
        return EXIT_TROUBLE;
    }
    std::fflush(stdout);
    return run.exitStatus();
}
