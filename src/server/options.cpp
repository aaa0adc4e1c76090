// SPDX-License-Identifier: MIT
#include "server/options.h"

#include <getopt.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace zabrel::server {

namespace {

void usage() {
    std::printf(
        "Usage: %s [OPTION]...\n"
        "Checks Urdu spelling over LanguageTool's HTTP protocol (GET /v2/languages,\n"
        "POST /v2/check), for LibreOffice, browser add-ons and editors, and serves a\n"
        "page at / where text is checked as it is typed.\n"
        "\n"
        "  --listen ADDR:PORT   where to listen (default 127.0.0.1:8081; port 0 takes\n"
        "                       a free one; [::1]:PORT for IPv6)\n"
        "  -d, --dictionary=DIR the dictionary folder (default: the user's copy of the\n"
        "                       shipped dictionary)\n"
        "  --personal=FILE      the personal word list to accept words from\n"
        "                       (default: none)\n"
        "  --allow-add          let POST /v2/words/add write that list\n"
        "  --web-root=DIR       the page's files (default: the installed ones)\n"
        "  --font=FILE          the page's Urdu font\n"
        "  --max-text-length=N  the longest text checked, in UTF-16 units (default %zu)\n"
        "  --threads=N          connections served at once (default %zu)\n"
        "  --ranking=ORDER      exact, accurate or context (default: the best the\n"
        "                       dictionary offers)\n"
        "  --context-weights=W,R,M[,J]  the context's weights, as zabrel-check takes them\n"
        "  --request-timeout=S  seconds a client has to send a whole request (default %lld)\n"
        "  --quiet              no line per request on standard error\n"
        "      --help           show this help and exit\n"
        "      --version        show the version and exit\n"
        "\n"
        "When ready it prints \"%s: listening on http://HOST:PORT/\". SIGTERM or\n"
        "SIGINT ends it once the requests in service are answered.\n",
        PROGRAM, ServiceSettings{}.maxTextLength, ConnectionLimits{}.threads,
        static_cast<long long>(
            std::chrono::duration_cast<std::chrono::seconds>(ConnectionLimits{}.requestDeadline).count()),
        PROGRAM);
}

bool readCount(const char* text, std::size_t most, std::size_t& out) {
    char* end = nullptr;
    errno = 0;
    const unsigned long long value = std::strtoull(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || text[0] == '-' || value == 0 || value > most)
        return false;
    out = static_cast<std::size_t>(value);
    return true;
}

bool readListen(const std::string& text, std::string& host, int& port) {
    const std::size_t colon = text.rfind(':');
    if (colon == std::string::npos || colon == 0)
        return false;
    host = text.substr(0, colon);
    if (host.size() > 2 && host.front() == '[' && host.back() == ']')
        host = host.substr(1, host.size() - 2);
    const std::string number = text.substr(colon + 1);
    std::size_t value = 0;
    if (number == "0")
        value = 0;
    else if (!readCount(number.c_str(), 65535, value))
        return false;
    port = static_cast<int>(value);
    return true;
}

}  // namespace

std::optional<int> parseOptions(int argc, char** argv, Options& options) {
    enum {
        OPT_LISTEN = 256,
        OPT_PERSONAL,
        OPT_ALLOW_ADD,
        OPT_WEB_ROOT,
        OPT_FONT,
        OPT_MAX_TEXT,
        OPT_THREADS,
        OPT_RANKING,
        OPT_QUIET,
        OPT_WEIGHTS,
        OPT_REQUEST_TIMEOUT,
        OPT_HELP,
        OPT_VERSION
    };
    static const option longOptions[] = {
        {"listen", required_argument, nullptr, OPT_LISTEN},
        {"dictionary", required_argument, nullptr, 'd'},
        {"personal", required_argument, nullptr, OPT_PERSONAL},
        {"allow-add", no_argument, nullptr, OPT_ALLOW_ADD},
        {"web-root", required_argument, nullptr, OPT_WEB_ROOT},
        {"font", required_argument, nullptr, OPT_FONT},
        {"max-text-length", required_argument, nullptr, OPT_MAX_TEXT},
        {"threads", required_argument, nullptr, OPT_THREADS},
        {"ranking", required_argument, nullptr, OPT_RANKING},
        {"quiet", no_argument, nullptr, OPT_QUIET},
        {"context-weights", required_argument, nullptr, OPT_WEIGHTS},
        {"request-timeout", required_argument, nullptr, OPT_REQUEST_TIMEOUT},
        {"help", no_argument, nullptr, OPT_HELP},
        {"version", no_argument, nullptr, OPT_VERSION},
        {nullptr, 0, nullptr, 0},
    };
    const auto bad = [](const char* what, const char* value) {
        std::fprintf(stderr, "%s: %s, not '%s'\n", PROGRAM, what, value);
        return EXIT_TROUBLE;
    };
    int option;
    while ((option = getopt_long(argc, argv, "d:", longOptions, nullptr)) != -1) {
        switch (option) {
            case OPT_LISTEN:
                if (!readListen(optarg, options.host, options.port))
                    return bad("--listen takes ADDR:PORT", optarg);
                break;
            case 'd':
                options.dictionary = optarg;
                break;
            case OPT_PERSONAL:
                options.personal = optarg;
                break;
            case OPT_ALLOW_ADD:
                options.service.allowAdd = true;
                break;
            case OPT_WEB_ROOT:
                options.service.webRoot = optarg;
                break;
            case OPT_FONT:
                options.service.font = optarg;
                break;
            case OPT_MAX_TEXT:
                if (!readCount(optarg, std::size_t{1} << 30, options.service.maxTextLength))
                    return bad("--max-text-length takes a positive number", optarg);
                break;
            case OPT_THREADS:
                if (!readCount(optarg, 1024, options.service.limits.threads))
                    return bad("--threads takes a number from 1 to 1024", optarg);
                break;
            case OPT_RANKING:
                if (std::strcmp(optarg, "exact") == 0)
                    options.order = SpellerSession::Order::Exact;
                else if (std::strcmp(optarg, "accurate") == 0)
                    options.order = SpellerSession::Order::Accurate;
                else if (std::strcmp(optarg, "context") == 0)
                    options.order = SpellerSession::Order::Context;
                else
                    return bad("--ranking must be exact, accurate or context", optarg);
                break;
            case OPT_WEIGHTS: {
                std::array<float, 4> weights{0, 0, 0, SpellerSession::JOIN_EVIDENCE};
                char end = 0;
                const int read = std::sscanf(optarg, "%f,%f,%f,%f%c", &weights[0], &weights[1], &weights[2],
                                             &weights[3], &end);
                if (read != 3 && read != 4)
                    return bad("--context-weights takes three or four numbers W,R,M[,J]", optarg);
                options.contextWeights = weights;
                break;
            }
            case OPT_REQUEST_TIMEOUT: {
                std::size_t seconds = 0;
                if (!readCount(optarg, 3600, seconds))
                    return bad("--request-timeout takes seconds from 1 to 3600", optarg);
                options.service.limits.requestDeadline = std::chrono::seconds(seconds);
                break;
            }
            case OPT_QUIET:
                options.service.quiet = true;
                break;
            case OPT_HELP:
                usage();
                return 0;
            case OPT_VERSION:
                std::printf("%s (Zabrel) %s\n", PROGRAM, options.service.version.c_str());
                return 0;
            default:
                std::fprintf(stderr, "Try '%s --help'.\n", PROGRAM);
                return EXIT_TROUBLE;
        }
    }
    if (optind < argc) {
        std::fprintf(stderr, "%s: no file arguments are taken ('%s')\nTry '%s --help'.\n", PROGRAM,
                     argv[optind], PROGRAM);
        return EXIT_TROUBLE;
    }
    if (options.service.allowAdd && options.personal.empty()) {
        std::fprintf(stderr, "%s: --allow-add needs --personal FILE\n", PROGRAM);
        return EXIT_TROUBLE;
    }
    // The body holds the text percent-encoded (up to nine bytes a unit) and, for
    // data=, its markup.
    options.service.maxBodyBytes = std::max<std::size_t>(1 << 20, options.service.maxTextLength * 12);
    return std::nullopt;
}

}  // namespace zabrel::server
