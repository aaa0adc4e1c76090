// SPDX-License-Identifier: MIT
// zabrel-server: Urdu spelling over LanguageTool's HTTP protocol, and a page to type in.
#include <pthread.h>
#include <signal.h>

#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <thread>

#include "server/options.h"
#include "server/service.h"
#include "session/opendictionary.h"
#include "session/spellersession.h"

namespace fs = std::filesystem;
using namespace zabrel;
using namespace zabrel::server;

namespace {

// The dictionary, its best order and the personal list, once for every request.
bool startSpeller(const Options& options, SpellerSession& speller) {
    const auto say = [](const std::string& sentence) {
        std::fprintf(stderr, "%s: %s\n", PROGRAM, sentence.c_str());
    };
    try {
        std::string failure;
        if (!openDictionary(speller, options.dictionary, failure, say)) {
            say(failure);
            return false;
        }
        if (options.order)
            speller.setOrder(*options.order);
        else
            speller.useBestRanking();
        if (options.contextWeights && speller.context()) {
            const std::array<float, 4>& weights = *options.contextWeights;
            speller.setContextWeights(weights[0], weights[1], weights[2]);
            speller.setRunTogether(weights[3]);
        }
        // Run-together words come with the slips; whether a request sees the slips
        // themselves is its own choice (ZABREL_UR_REAL_WORD), made on the matches.
        speller.setRealWordSlips(speller.context());
        if (!options.personal.empty())
            speller.usePersonalList(fs::absolute(options.personal));
        for (const std::string& warning : speller.takeWarnings())
            say(warning);
        return true;
    } catch (const SessionError& ex) {
        std::fprintf(stderr, "%s: %s\n", PROGRAM, ex.what());
    }
    return false;
}

fs::path defaultWebRoot() {
    std::error_code ec;
    if (fs::is_regular_file(fs::path(ZABREL_INSTALLED_WEB) / "index.html", ec))
        return ZABREL_INSTALLED_WEB;
    return ZABREL_SOURCE_WEB;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    options.service.version = ZABREL_VERSION;
    if (std::optional<int> status = parseOptions(argc, argv, options))
        return *status;
    if (options.service.webRoot.empty())
        options.service.webRoot = defaultWebRoot();
    if (options.service.font.empty())
        options.service.font = ZABREL_DEFAULT_FONT;

    // Every thread started from here on leaves these signals to the one that waits for
    // them; a client gone mid-reply is an error of the write, never a signal.
    sigset_t ending;
    sigemptyset(&ending);
    sigaddset(&ending, SIGTERM);
    sigaddset(&ending, SIGINT);
    sigaddset(&ending, SIGUSR1);
    pthread_sigmask(SIG_BLOCK, &ending, nullptr);
    signal(SIGPIPE, SIG_IGN);

    SpellerSession speller;
    if (!startSpeller(options, speller))
        return EXIT_TROUBLE;

    Service service(speller, options.service);
    const int port = service.bind(options.host, options.port);
    if (port < 0) {
        std::fprintf(stderr, "%s: cannot listen on %s:%d\n", PROGRAM, options.host.c_str(), options.port);
        return EXIT_TROUBLE;
    }
    // A signal before the listening loop runs would find nothing to stop: the waiter
    // asks again until the loop has ended.
    std::atomic<bool> ended{false};
    std::thread waiter([&service, &ending, &ended] {
        int signal = 0;
        sigwait(&ending, &signal);
        while (!ended.load()) {
            service.stop();
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    });
    const bool ipv6 = options.host.find(':') != std::string::npos;
    std::printf("%s: listening on http://%s%s%s:%d/\n", PROGRAM, ipv6 ? "[" : "", options.host.c_str(),
                ipv6 ? "]" : "", port);
    std::fflush(stdout);

    const bool served = service.run();
    ended = true;
    pthread_kill(waiter.native_handle(), SIGUSR1);
    waiter.join();
    if (!served) {
        std::fprintf(stderr, "%s: the server stopped listening\n", PROGRAM);
        return EXIT_TROUBLE;
    }
    return 0;
}
