// SPDX-License-Identifier: MIT
// The engine's speed on the shipped dictionary: checking correct and misspelt words,
// the two kinds of start, and the edit distance.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "benchsupport.h"
#include "engine/editdistance.h"
#include "engine/spellchecker.h"

namespace {

using zabrel::SpellChecker;
using namespace zabrel::bench;

// Shared by all benchmarks: one workspace that has had its first run, one engine
// loaded from it, and the word sets.
struct Fixture {
    Workspace workspace{shippedDictionary()};
    Workspace firstRunWorkspace{shippedDictionary()};
    SpellChecker checker;
    std::vector<LexiconWord> correct;
    std::vector<std::vector<std::u16string>> misspeltByGroup;
    std::vector<Misspelling> misspellings;

    Fixture() {
        {
            ScopedCurrentDir here(workspace.folder());
            SpellChecker builder;
            builder.initialize();
        }
        ScopedCurrentDir here(workspace.folder());
        checker.initialize();
        // Every 21st word: about 5,000 words over the whole frequency range.
        correct = readLexiconSample(shippedDictionary() / "wordlist.txt", 21);
        misspellings = readMisspellings(misspellingSet());
        misspeltByGroup.resize(LENGTH_GROUPS);
        for (const auto& m : misspellings)
            misspeltByGroup[lengthGroup(m.misspelt.size())].push_back(m.misspelt);
    }
};

Fixture& fixture() {
    static Fixture f;
    return f;
}

void checkCorrect(benchmark::State& state) {
    auto& f = fixture();
    std::vector<std::u16string> suggestions;
    std::size_t i = 0;
    for (auto _ : state) {
        bool misspelt = f.checker.checkWord(f.correct[i].word, suggestions);
        benchmark::DoNotOptimize(misspelt);
        if (++i == f.correct.size())
            i = 0;
    }
    state.SetLabel(std::to_string(f.correct.size()) + " lexicon words");
}
BENCHMARK(checkCorrect);

void checkMisspelt(benchmark::State& state) {
    auto& f = fixture();
    const auto& words = f.misspeltByGroup[static_cast<std::size_t>(state.range(0))];
    std::vector<std::u16string> suggestions;
    std::size_t i = 0;
    std::size_t listed = 0;
    for (auto _ : state) {
        f.checker.checkWord(words[i], suggestions);
        listed += suggestions.size();
        if (++i == words.size())
            i = 0;
    }
    state.counters["suggestions"] =
        benchmark::Counter(static_cast<double>(listed), benchmark::Counter::kAvgIterations);
    state.SetLabel(std::string(lengthGroupName(static_cast<int>(state.range(0)))) + " letters, " +
                   std::to_string(words.size()) + " words");
}
BENCHMARK(checkMisspelt)->DenseRange(0, LENGTH_GROUPS - 1)->Unit(benchmark::kMicrosecond);

void checkMisspeltAll(benchmark::State& state) {
    auto& f = fixture();
    std::vector<std::u16string> suggestions;
    std::size_t i = 0;
    for (auto _ : state) {
        f.checker.checkWord(f.misspellings[i].misspelt, suggestions);
        benchmark::DoNotOptimize(suggestions.data());
        if (++i == f.misspellings.size())
            i = 0;
    }
    state.SetLabel(std::to_string(f.misspellings.size()) + " words, all lengths");
}
BENCHMARK(checkMisspeltAll)->Unit(benchmark::kMicrosecond);

void initializeLaterRun(benchmark::State& state) {
    auto& f = fixture();
    ScopedCurrentDir here(f.workspace.folder());
    for (auto _ : state) {
        auto checker = std::make_unique<SpellChecker>();
        benchmark::DoNotOptimize(checker->initialize());
        state.PauseTiming();
        checker.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(initializeLaterRun)->Unit(benchmark::kMillisecond)->MinTime(1.0);

void initializeFirstRun(benchmark::State& state) {
    auto& f = fixture();
    ScopedCurrentDir here(f.firstRunWorkspace.folder());
    for (auto _ : state) {
        state.PauseTiming();
        f.firstRunWorkspace.resetToFirstRun();
        auto checker = std::make_unique<SpellChecker>();
        state.ResumeTiming();
        benchmark::DoNotOptimize(checker->initialize());
        state.PauseTiming();
        checker.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(initializeFirstRun)->Unit(benchmark::kMillisecond)->Iterations(5)->Repetitions(3);

void editDistance(benchmark::State& state) {
    auto& f = fixture();
    std::size_t i = 0;
    for (auto _ : state) {
        const auto& m = f.misspellings[i];
        benchmark::DoNotOptimize(zabrel::editDistance(m.misspelt, m.intended));
        if (++i == f.misspellings.size())
            i = 0;
    }
    state.SetLabel("misspelt vs intended");
}
BENCHMARK(editDistance);

}  // namespace

BENCHMARK_MAIN();
