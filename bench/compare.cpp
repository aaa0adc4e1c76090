// SPDX-License-Identifier: MIT
// Zabrel against hunspell on the same word list: speed and suggestion quality,
// printed as one table. Usage: compare HUNSPELL_PREFIX [--reps N] [--subset-step K]
#include <hunspell.hxx>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "benchsupport.h"
#include "engine/spellchecker.h"

namespace {

using namespace zabrel::bench;

struct Options {
    std::string hunspellPrefix;
    int reps = 21;
    int hunspellReps = 3;
    // hunspell takes tens of milliseconds a word, so its timing uses every k-th word.
    std::size_t subsetStep = 5;
};

double cpuNow() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

// CPU time (user and system) rather than wall time: the machines this runs on are
// shared, and waiting for a core says nothing about either checker.
template <class F>
double seconds(F&& f) {
    const double start = cpuNow();
    f();
    return cpuNow() - start;
}

template <class F>
double medianSeconds(int reps, F&& f) {
    std::vector<double> times;
    for (int r = 0; r < reps; ++r)
        times.push_back(seconds(f));
    return median(times);
}

// Where the intended word stands in a suggestion list: 0-based, or -1 if absent.
int rankOf(const std::vector<std::string>& list, const std::string& intended) {
    for (std::size_t i = 0; i < list.size(); ++i)
        if (list[i] == intended)
            return static_cast<int>(i);
    return -1;
}

struct Quality {
    int words = 0;
    int top1 = 0;
    int top5 = 0;
    int found = 0;
    long listed = 0;
    void add(const std::vector<std::string>& list, const std::string& intended) {
        const int rank = rankOf(list, intended);
        ++words;
        top1 += rank == 0;
        top5 += rank >= 0 && rank < 5;
        found += rank >= 0;
        listed += static_cast<long>(list.size());
    }
    double rate(int hits) const { return words ? 100.0 * hits / words : 0; }
};

class Table {
public:
    void header() { std::printf("%-46s %12s %12s %16s\n", "", "Zabrel", "hunspell", "Zabrel/hunspell"); }
    void row(const std::string& label, double zabrel, double hunspell, const char* format = "%12.2f") {
        std::printf("%-46s ", label.c_str());
        std::printf(format, zabrel);
        std::printf(" ");
        if (hunspell > 0) {
            std::printf(format, hunspell);
            std::printf(" %15.2fx\n", zabrel / hunspell);
        } else {
            std::printf("%12s %16s\n", "-", "-");
        }
    }
    void section(const std::string& title) { std::printf("%s\n", title.c_str()); }
};

Options parse(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--reps") && i + 1 < argc)
            o.reps = std::atoi(argv[++i]);
        else if (!std::strcmp(argv[i], "--hunspell-reps") && i + 1 < argc)
            o.hunspellReps = std::atoi(argv[++i]);
        else if (!std::strcmp(argv[i], "--subset-step") && i + 1 < argc)
            o.subsetStep = static_cast<std::size_t>(std::atoi(argv[++i]));
        else
            o.hunspellPrefix = argv[i];
    }
    if (o.hunspellPrefix.empty() || o.reps < 1 || o.hunspellReps < 1 || o.subsetStep < 1) {
        std::fprintf(stderr,
                     "usage: compare HUNSPELL_PREFIX [--reps N] [--hunspell-reps N] [--subset-step K]\n");
        std::exit(2);
    }
    return o;
}

std::vector<std::string> toUtf8List(const std::vector<std::u16string>& list) {
    std::vector<std::string> out;
    out.reserve(list.size());
    for (const auto& w : list)
        out.push_back(toUtf8(w));
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    const Options options = parse(argc, argv);
    // Absolute, since the engine needs the workspace as its current directory.
    const std::string prefix = std::filesystem::absolute(options.hunspellPrefix).string();
    const std::string aff = prefix + ".aff";
    const std::string dic = prefix + ".dic";
    if (!std::filesystem::exists(aff) || !std::filesystem::exists(dic)) {
        std::fprintf(stderr, "compare: %s or %s missing; make them with tools/make-hunspell-dictionary\n",
                     aff.c_str(), dic.c_str());
        return 2;
    }

    Workspace workspace(shippedDictionary());
    ScopedCurrentDir here(workspace.folder());
    const double buildSeconds = medianSeconds(5, [&] {
        workspace.resetToFirstRun();
        zabrel::SpellChecker checker;
        checker.initialize();
    });
    const double zabrelLoad = medianSeconds(options.reps, [] {
        zabrel::SpellChecker checker;
        checker.initialize();
    });
    const double hunspellLoad =
        medianSeconds(std::max(3, options.reps / 4), [&] { Hunspell h(aff.c_str(), dic.c_str()); });

    zabrel::SpellChecker zabrel;
    zabrel.initialize();
    Hunspell hunspell(aff.c_str(), dic.c_str());

    const auto correct = readLexiconSample(shippedDictionary() / "wordlist.txt", 21);
    const auto misspellings = readMisspellings(misspellingSet());
    // Every k-th word of each length group, so the subset keeps the set's mix.
    std::vector<const Misspelling*> subset;
    std::vector<std::size_t> seenInGroup(LENGTH_GROUPS);
    for (const auto& m : misspellings)
        if (seenInGroup[lengthGroup(m.misspelt.size())]++ % options.subsetStep == 0)
            subset.push_back(&m);

    // Both must accept every lexicon word and reject every misspelling, or the
    // timings compare different work.
    int zabrelRejected = 0, hunspellRejected = 0, zabrelAccepted = 0, hunspellAccepted = 0;
    std::vector<std::u16string> suggestions;
    for (const auto& w : correct) {
        zabrelRejected += zabrel.checkWord(w.word, suggestions);
        hunspellRejected += !hunspell.spell(w.utf8);
    }

    std::size_t sink = 0;
    const double zabrelCorrect = medianSeconds(options.reps, [&] {
        for (const auto& w : correct)
            sink += zabrel.checkWord(w.word, suggestions);
    });
    const double hunspellCorrect = medianSeconds(options.reps, [&] {
        for (const auto& w : correct)
            sink += hunspell.spell(w.utf8);
    });

    // Quality on the whole set; hunspell's pass doubles as its whole-set timing.
    Quality zabrelQuality, hunspellQuality;
    std::map<std::string, std::pair<Quality, Quality>> byKind;
    std::vector<std::vector<std::string>> hunspellLists;
    const double hunspellAllSeconds = seconds([&] {
        for (const auto& m : misspellings)
            hunspellLists.push_back(hunspell.suggest(m.misspeltUtf8));
    });
    for (std::size_t i = 0; i < misspellings.size(); ++i) {
        const auto& m = misspellings[i];
        zabrelAccepted += !zabrel.checkWord(m.misspelt, suggestions);
        hunspellAccepted += hunspell.spell(m.misspeltUtf8);
        const auto zabrelList = toUtf8List(suggestions);
        zabrelQuality.add(zabrelList, m.intendedUtf8);
        hunspellQuality.add(hunspellLists[i], m.intendedUtf8);
        byKind[m.kind].first.add(zabrelList, m.intendedUtf8);
        byKind[m.kind].second.add(hunspellLists[i], m.intendedUtf8);
    }
    const double zabrelAllSeconds = medianSeconds(options.reps, [&] {
        for (const auto& m : misspellings)
            sink += zabrel.checkWord(m.misspelt, suggestions);
    });

    // The subset, in total and by length group, timed the same way for both.
    std::vector<double> zabrelGroup(LENGTH_GROUPS), hunspellGroup(LENGTH_GROUPS);
    std::vector<int> groupWords(LENGTH_GROUPS);
    for (const auto* m : subset)
        ++groupWords[lengthGroup(m->misspelt.size())];
    for (int g = 0; g < LENGTH_GROUPS; ++g) {
        zabrelGroup[g] = medianSeconds(options.reps, [&] {
            for (const auto* m : subset)
                if (lengthGroup(m->misspelt.size()) == g)
                    sink += zabrel.checkWord(m->misspelt, suggestions);
        });
        hunspellGroup[g] = medianSeconds(options.hunspellReps, [&] {
            for (const auto* m : subset)
                if (lengthGroup(m->misspelt.size()) == g)
                    sink += hunspell.suggest(m->misspeltUtf8).size();
        });
    }
    double zabrelSubset = 0, hunspellSubset = 0;
    for (int g = 0; g < LENGTH_GROUPS; ++g) {
        zabrelSubset += zabrelGroup[g];
        hunspellSubset += hunspellGroup[g];
    }

    char date[32];
    const std::time_t now = std::time(nullptr);
    std::strftime(date, sizeof date, "%Y-%m-%d", std::localtime(&now));
    std::printf("Zabrel vs hunspell %s, default Urdu dictionary (%zu words), %s, %u cores, %s\n",
                ZABREL_HUNSPELL_VERSION, readLexiconSample(shippedDictionary() / "wordlist.txt", 1).size(),
                date, std::thread::hardware_concurrency(), ZABREL_COMPILER);
    std::printf(
        "CPU times, medians of %d runs (hunspell suggest: %d runs); ratio < 1 means Zabrel is faster.\n\n",
        options.reps, options.hunspellReps);
    Table t;
    t.header();
    const double us = 1e6;
    t.row("load, later run (ms)", zabrelLoad * 1e3, hunspellLoad * 1e3);
    t.row("first-run build (ms)", buildSeconds * 1e3, 0);
    t.row("correct word, us (" + std::to_string(correct.size()) + " lexicon words)",
          zabrelCorrect * us / correct.size(), hunspellCorrect * us / correct.size(), "%12.3f");
    t.row("misspelt word + suggestions, us (" + std::to_string(subset.size()) + "-word subset)",
          zabrelSubset * us / subset.size(), hunspellSubset * us / subset.size(), "%12.1f");
    for (int g = 0; g < LENGTH_GROUPS; ++g)
        if (groupWords[g])
            t.row(std::string("  ") + lengthGroupName(g) + " letters (" + std::to_string(groupWords[g]) + ")",
                  zabrelGroup[g] * us / groupWords[g], hunspellGroup[g] * us / groupWords[g], "%12.1f");
    t.row("misspelt word, us (all " + std::to_string(misspellings.size()) + "; hunspell 1 run)",
          zabrelAllSeconds * us / misspellings.size(), hunspellAllSeconds * us / misspellings.size(),
          "%12.1f");
    std::printf("\n");
    t.row("top-1 % (" + std::to_string(zabrelQuality.words) + " misspellings)",
          zabrelQuality.rate(zabrelQuality.top1), hunspellQuality.rate(hunspellQuality.top1), "%12.1f");
    t.row("top-5 %", zabrelQuality.rate(zabrelQuality.top5), hunspellQuality.rate(hunspellQuality.top5),
          "%12.1f");
    t.row("found at all %", zabrelQuality.rate(zabrelQuality.found),
          hunspellQuality.rate(hunspellQuality.found), "%12.1f");
    t.row("suggestions per word (mean)", static_cast<double>(zabrelQuality.listed) / zabrelQuality.words,
          static_cast<double>(hunspellQuality.listed) / hunspellQuality.words, "%12.1f");
    for (const auto& [kind, q] : byKind) {
        const auto& [z, h] = q;
        const std::string label = "  " + kind + " (" + std::to_string(z.words) + ")";
        t.row(label + " top-1 %", z.rate(z.top1), h.rate(h.top1), "%12.1f");
        t.row(label + " top-5 %", z.rate(z.top5), h.rate(h.top5), "%12.1f");
        t.row(label + " found %", z.rate(z.found), h.rate(h.found), "%12.1f");
    }
    if (zabrelRejected || hunspellRejected || zabrelAccepted || hunspellAccepted)
        std::printf(
            "\nWARNING: lexicon words rejected: Zabrel %d, hunspell %d; misspellings accepted: "
            "Zabrel %d, hunspell %d\n",
            zabrelRejected, hunspellRejected, zabrelAccepted, hunspellAccepted);
    return sink == 0xFFFFFFFF ? 1 : 0;
}
