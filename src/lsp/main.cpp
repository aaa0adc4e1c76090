// SPDX-License-Identifier: MIT
// zabrel-lsp: Urdu spelling for every editor that speaks the Language Server Protocol.
#include <getopt.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <cstdio>

#include "lsp/lspserver.h"

using zabrel::lsp::Server;

namespace {

constexpr const char* PROGRAM = "zabrel-lsp";

void printHelp() {
    std::printf(
        "Usage: %s [OPTION]...\n"
        "The Urdu spell checker as a language server: editors start it and talk the\n"
        "Language Server Protocol with it over standard input and output.\n"
        "\n"
        "Options:\n"
        "      --stdio        talk over standard input and output (the default)\n"
        "  -d, --dictionary=DIR  the dictionary folder, the one holding config.ini;\n"
        "                     by default as zabrel-check chooses it (the user's copy\n"
        "                     of the shipped Urdu dictionary); a client's setting\n"
        "                     \"dictionary\" comes before it\n"
        "  -p, --personal=FILE   the personal word list; by default\n"
        "                     $XDG_DATA_HOME/zabrel/personal.txt, one list for all\n"
        "                     programs\n"
        "  -h, --help         show this help and exit\n"
        "      --version      show the version and exit\n"
        "\n"
        "Settings, in initializationOptions and workspace/didChangeConfiguration as\n"
        "{\"zabrel\": {...}}:\n"
        "  ranking        \"context\" (default), \"accurate\" or \"exact\"\n"
        "  dictionary     a dictionary folder\n"
        "  severity       \"error\", \"warning\", \"information\" (default) or \"hint\"\n"
        "  realWordSlips  true to flag correct words their neighbours do not want\n"
        "  debounce       milliseconds to wait after a change (default 200)\n"
        "\n"
        "Code actions: each suggestion as a quick fix, and the commands zabrel.addWord\n"
        "(the personal list) and zabrel.ignoreInDocument.\n",
        PROGRAM);
}

// Writes all of `data` to standard output; false when the client has gone.
bool writeAll(const QByteArray& data) {
    const char* at = data.constData();
    qsizetype left = data.size();
    while (left > 0) {
        const ssize_t written = ::write(STDOUT_FILENO, at, static_cast<size_t>(left));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        at += written;
        left -= written;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    enum { OPT_VERSION = 256, OPT_STDIO };
    static const option longOptions[] = {
        {"dictionary", required_argument, nullptr, 'd'},
        {"personal", required_argument, nullptr, 'p'},
        {"help", no_argument, nullptr, 'h'},
        {"version", no_argument, nullptr, OPT_VERSION},
        {"stdio", no_argument, nullptr, OPT_STDIO},
        {nullptr, 0, nullptr, 0},
    };
    Server::Options options;
    int option;
    while ((option = getopt_long(argc, argv, "d:p:h", longOptions, nullptr)) != -1) {
        switch (option) {
            case 'd':
                options.dictionary = optarg;
                break;
            case 'p':
                options.personal = optarg;
                break;
            case 'h':
                printHelp();
                return 0;
            case OPT_VERSION:
                std::printf("%s (Zabrel) %s\n", PROGRAM, ZABREL_VERSION);
                return 0;
            case OPT_STDIO:
                break;
            default:
                std::fprintf(stderr, "Try '%s --help' for more information.\n", PROGRAM);
                return 2;
        }
    }
    if (optind < argc) {
        std::fprintf(stderr, "%s: unexpected argument %s\nTry '%s --help' for more information.\n", PROGRAM,
                     argv[optind], PROGRAM);
        return 2;
    }
    // A client that goes away is an end of input, not a signal that kills us mid-write.
    std::signal(SIGPIPE, SIG_IGN);

    int qtArgc = 1;
    QCoreApplication app(qtArgc, argv);
    bool gone = false;
    Server server(options, [&](const QByteArray& data) {
        if (!gone && !writeAll(data)) {
            gone = true;
            QCoreApplication::exit(1);
        }
    });
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    server.onExit = [&](int code) {
        input.setEnabled(false);
        QCoreApplication::exit(code);
    };
    QObject::connect(&input, &QSocketNotifier::activated, &app, [&] {
        static char buffer[1 << 16];
        const ssize_t got = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (got > 0)
            server.receive(QByteArray(buffer, static_cast<qsizetype>(got)));
        else if (got == 0 || (errno != EINTR && errno != EAGAIN))
            server.endOfInput();
    });
    return QCoreApplication::exec();
}
