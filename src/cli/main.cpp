// SPDX-License-Identifier: MIT
// zabrel-check: the Urdu spell checker for editors, scripts and the shell.
#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "cli/checkrun.h"
#include "cli/options.h"
#include "core/errors.h"
#include "session/opendictionary.h"
#include "session/spellersession.h"

namespace fs = std::filesystem;
using namespace zabrel;
using namespace zabrel::cli;

namespace {

constexpr const char* SHIPPED_NAME = "urdu";

// Chooses the dictionary folder and sets the speller up from it, in the order asked
// for or else the best the dictionary offers.
bool startSpeller(const Settings& settings, SpellerSession& speller) {
    const auto say = [](const std::string& sentence) {
        std::fprintf(stderr, "%s: %s\n", PROGRAM, sentence.c_str());
    };
    try {
        std::string failure;
        if (!openDictionary(speller, settings.dictionary, failure, say)) {
            say(failure);
            return false;
        }
        // A bad cost table or context model is reported before any text is read.
        if (const std::optional<SpellerSession::Order> order = settings.order())
            speller.setOrder(*order);
        else
            speller.useBestRanking();
        speller.setRealWordSlips(settings.realWordSlips);
        if (settings.order() == SpellerSession::Order::Context && settings.contextWeights) {
            const std::array<float, 4>& weights = *settings.contextWeights;
            speller.setContextWeights(weights[0], weights[1], weights[2]);
            speller.setRunTogether(weights[3]);
        }
        return true;
    } catch (const SessionError& ex) {
        std::fprintf(stderr, "%s: %s\n", PROGRAM, ex.what());
    }
    return false;
}

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

    CheckRun run(settings, speller);
    try {
        run.start();
        for (const Input& input : inputs)
            if (!run.checkInput(input))
                break;
        run.finish();
    } catch (...) {
        // The speller's errors, and the reading and writing of this program.
        std::fflush(stdout);
        std::fprintf(stderr, "%s: %s\n", PROGRAM, currentFailure().c_str());
        return EXIT_TROUBLE;
    }
    run.flushOutput();
    return run.exitStatus();
}
