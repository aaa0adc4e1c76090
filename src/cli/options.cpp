// SPDX-License-Identifier: MIT
#include "cli/options.h"

#include <getopt.h>

#include <cctype>
#include <cstdio>
#include <cstring>

#include "cli/pipesession.h"
#include "cli/textreport.h"

namespace zabrel::cli {

namespace {

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

}  // namespace

std::optional<SpellerSession::Order> Settings::order() const {
    if (context || realWordSlips)
        return SpellerSession::Order::Context;
    if (ranking)
        return *ranking == Ranking::Exact ? SpellerSession::Order::Exact : SpellerSession::Order::Accurate;
    return std::nullopt;
}

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

}  // namespace zabrel::cli
