// SPDX-License-Identifier: MIT
#include <cstdio>
#include <cstring>

#include "app/zabrelapp.h"

namespace {

// --help and --version answer before Qt looks for a display, so they work anywhere.
bool answeredOnTheTerminal(int argc, char** argv) {
    for (int i = 1; i < argc && std::strcmp(argv[i], "--") != 0; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(
                "Usage: zabrel [OPTION]...\n"
                "Open the Zabrel checking dialog for Urdu text.\n"
                "\n"
                "  -h, --help     show this help and exit\n"
                "      --version  show the version and exit\n"
                "\n"
                "Qt's own options, such as -platform NAME, are accepted too.\n"
                "See zabrel(1); zabrel-check(1) checks files and pipes.\n",
                stdout);
            return true;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("zabrel (Zabrel) %s\n", ZABREL_VERSION);
            return true;
        }
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (answeredOnTheTerminal(argc, argv))
        return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 1;
    CZabrelApp app(argc, argv);
    return app.initInstance();
}
