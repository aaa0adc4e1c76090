// SPDX-License-Identifier: MIT
// Checking and suggesting from one thread and from two on ONE loaded dictionary: the
// engine alone (SpellChecker, accurate ranking) and the library's facade
// (zabrel::Dictionary, as it opens). The words are the misspelling set's and as many
// lexicon words, in pairs of one of each; two threads take every other pair. Each facade run opens
// the dictionary afresh, so that no thread meets answers the session remembered from
// an earlier run. Wall-clock words per second, medians of the runs, and their ratio.
//
//   threads_bench [RUNS]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "benchsupport.h"
#include "engine/spellchecker.h"
#include "zabrel/zabrel.h"

namespace {

using namespace zabrel::bench;

struct Word {
    std::u16string units;
    std::string utf8;
};

// Seconds for `threads` threads to work through `words`, thread k taking every
// threads-th pair of words from the k-th: each thread gets misspelt words of every
// length and correct words alike.
template <typename Work>
double timed(const std::vector<Word>& words, unsigned threads, const Work& work) {
    const auto start = std::chrono::steady_clock::now();
    std::vector<std::thread> running;
    for (unsigned k = 0; k < threads; ++k)
        running.emplace_back([&, k] {
            for (std::size_t i = 2 * k; i < words.size(); i += 2 * threads) {
                work(words[i]);
                if (i + 1 < words.size())
                    work(words[i + 1]);
            }
        });
    for (std::thread& t : running)
        t.join();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void report(const char* what, std::size_t words, const std::vector<double>& one,
            const std::vector<double>& two) {
    const double a = static_cast<double>(words) / median(one);
    const double b = static_cast<double>(words) / median(two);
    std::printf("%-34s %12.0f %12.0f %7.2fx\n", what, a, b, b / a);
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    Workspace workspace(shippedDictionary());
    const std::string folder = workspace.folder().string();

    std::vector<Word> words;
    const std::vector<Misspelling> misspellings = readMisspellings(misspellingSet());
    const std::vector<LexiconWord> lexicon = readLexiconSample(shippedDictionary() / "wordlist.txt", 21);
    for (std::size_t i = 0; i < std::min(misspellings.size(), lexicon.size()); ++i) {
        words.push_back({misspellings[i].misspelt, misspellings[i].misspeltUtf8});
        words.push_back({lexicon[i].word, lexicon[i].utf8});
    }

    zabrel::SpellChecker checker;
    checker.initialize(workspace.folder());  // the first run builds the derived files
    checker.prepareAccurateRanking();
    const auto engineWork = [&](const Word& w) {
        std::vector<std::u16string> suggestions;
        checker.check(w.units, suggestions, zabrel::Ranking::Accurate);
    };
    timed(words, 2, engineWork);  // warm every thread's buffers and the slot codes
    std::vector<double> engineOne, engineTwo, facadeOne, facadeTwo;
    for (int run = 0; run < runs; ++run) {
        engineOne.push_back(timed(words, 1, engineWork));
        engineTwo.push_back(timed(words, 2, engineWork));
        for (unsigned threads : {1u, 2u}) {
            zabrel::Dictionary dictionary(folder);
            const double seconds = timed(words, threads, [&](const Word& w) {
                if (!dictionary.check(w.utf8))
                    dictionary.suggest(w.utf8);
            });
            (threads == 1 ? facadeOne : facadeTwo).push_back(seconds);
        }
    }
    std::printf("%zu words (%zu misspelt), %d runs, %u cores\n", words.size(), words.size() / 2, runs,
                std::thread::hardware_concurrency());
    std::printf("%-34s %12s %12s %8s\n", "words per second", "1 thread", "2 threads", "ratio");
    report("SpellChecker, accurate", words.size(), engineOne, engineTwo);
    report("Dictionary: check, then suggest", words.size(), facadeOne, facadeTwo);
    return 0;
}
