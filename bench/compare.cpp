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
    // A second hunspell dictionary, the same but with MAXNGRAMSUGS 0: suggestions from
    // edits alone, the nearest peer to what Zabrel does.
    std::string nongramPrefix;
    bool zabrelOnly = false;
    // Where to write Zabrel's figures as "key value" lines, for before/after ratios.
    std::string timesPath;
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

// Rows of Zabrel's figure against up to two peers, each with its ratio.
class Table {
public:
    explicit Table(std::vector<std::string> peers) : peers(std::move(peers)) {}
    void header() {
        std::printf("%-46s %12s", "", "Zabrel");
        for (const auto& peer : peers)
            std::printf(" %12s %9s", peer.c_str(), "ratio");
        std::printf("\n");
    }
    void row(const std::string& label, double zabrel, std::vector<double> others,
             const char* format = "%12.2f") {
        std::printf("%-46s ", label.c_str());
        std::printf(format, zabrel);
        for (std::size_t p = 0; p < peers.size(); ++p) {
            const double other = p < others.size() ? others[p] : 0;
            if (other > 0) {
                std::printf(" ");
                std::printf(format, other);
                std::printf(" %8.2fx", zabrel / other);
            } else {
                std::printf(" %12s %9s", "-", "-");
            }
        }
        std::printf("\n");
    }

private:
    std::vector<std::string> peers;
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
        else if (!std::strcmp(argv[i], "--nongram") && i + 1 < argc)
            o.nongramPrefix = argv[++i];
        else if (!std::strcmp(argv[i], "--times") && i + 1 < argc)
            o.timesPath = argv[++i];
        else if (!std::strcmp(argv[i], "--zabrel-only"))
            o.zabrelOnly = true;
        else
            o.hunspellPrefix = argv[i];
    }
    if ((o.hunspellPrefix.empty() && !o.zabrelOnly) || o.reps < 1 || o.hunspellReps < 1 || o.subsetStep < 1) {
        std::fprintf(stderr,
                     "usage: compare HUNSPELL_PREFIX [--nongram PREFIX] [--reps N] [--hunspell-reps N] "
                     "[--subset-step K] [--times FILE]\n"
                     "       compare --zabrel-only [--reps N] [--subset-step K] [--times FILE]\n");
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

// One hunspell dictionary under test, with its figures.
struct Peer {
    std::string name;
    std::string aff;
    std::string dic;
    std::unique_ptr<Hunspell> speller;
    double load = 0;
    double correct = 0;
    double all = 0;
    std::vector<double> group = std::vector<double>(LENGTH_GROUPS);
    Quality quality;
    std::map<std::string, Quality> byKind;
    int rejected = 0;
    int accepted = 0;
};

bool addPeer(std::vector<Peer>& peers, const std::string& name, const std::string& prefix) {
    // Absolute, since the engine needs the workspace as its current directory.
    const std::string path = std::filesystem::absolute(prefix).string();
    Peer peer;
    peer.name = name;
    peer.aff = path + ".aff";
    peer.dic = path + ".dic";
    if (!std::filesystem::exists(peer.aff) || !std::filesystem::exists(peer.dic)) {
        std::fprintf(stderr, "compare: %s or %s missing; make them with tools/make-hunspell-dictionary\n",
                     peer.aff.c_str(), peer.dic.c_str());
        return false;
    }
    peers.push_back(std::move(peer));
    return true;
}

std::vector<double> each(const std::vector<Peer>& peers, double Peer::*field) {
    std::vector<double> values;
    for (const auto& peer : peers)
        values.push_back(peer.*field);
    return values;
}

}  // namespace

int main(int argc, char** argv) {
    const Options options = parse(argc, argv);
    std::vector<Peer> peers;
    if (!options.zabrelOnly) {
        if (!addPeer(peers, "hunspell", options.hunspellPrefix))
            return 2;
        if (!options.nongramPrefix.empty() && !addPeer(peers, "hunspell-0", options.nongramPrefix))
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
    for (auto& peer : peers) {
        peer.load = medianSeconds(std::max(3, options.reps / 4),
                                  [&] { Hunspell h(peer.aff.c_str(), peer.dic.c_str()); });
        peer.speller = std::make_unique<Hunspell>(peer.aff.c_str(), peer.dic.c_str());
    }

    zabrel::SpellChecker zabrel;
    zabrel.initialize();

    const auto correct = readLexiconSample(shippedDictionary() / "wordlist.txt", 21);
    const auto misspellings = readMisspellings(misspellingSet());
    // Every k-th word of each length group, so the subset keeps the set's mix.
    std::vector<const Misspelling*> subset;
    std::vector<std::size_t> seenInGroup(LENGTH_GROUPS);
    for (const auto& m : misspellings)
        if (seenInGroup[lengthGroup(m.misspelt.size())]++ % options.subsetStep == 0)
            subset.push_back(&m);

    // All must accept every lexicon word and reject every misspelling, or the timings
    // compare different work.
    int zabrelRejected = 0, zabrelAccepted = 0;
    std::vector<std::u16string> suggestions;
    for (const auto& w : correct) {
        zabrelRejected += zabrel.checkWord(w.word, suggestions);
        for (auto& peer : peers)
            peer.rejected += !peer.speller->spell(w.utf8);
    }

    std::size_t sink = 0;
    const double zabrelCorrect = medianSeconds(options.reps, [&] {
        for (const auto& w : correct)
            sink += zabrel.checkWord(w.word, suggestions);
    });
    for (auto& peer : peers)
        peer.correct = medianSeconds(options.reps, [&] {
            for (const auto& w : correct)
                sink += peer.speller->spell(w.utf8);
        });

    // Quality on the whole set; each peer's pass doubles as its whole-set timing.
    Quality zabrelQuality;
    std::map<std::string, Quality> zabrelByKind;
    for (auto& peer : peers) {
        std::vector<std::vector<std::string>> lists;
        peer.all = seconds([&] {
            for (const auto& m : misspellings)
                lists.push_back(peer.speller->suggest(m.misspeltUtf8));
        });
        for (std::size_t i = 0; i < misspellings.size(); ++i) {
            peer.accepted += peer.speller->spell(misspellings[i].misspeltUtf8);
            peer.quality.add(lists[i], misspellings[i].intendedUtf8);
            peer.byKind[misspellings[i].kind].add(lists[i], misspellings[i].intendedUtf8);
        }
    }
    for (const auto& m : misspellings) {
        zabrelAccepted += !zabrel.checkWord(m.misspelt, suggestions);
        const auto list = toUtf8List(suggestions);
        zabrelQuality.add(list, m.intendedUtf8);
        zabrelByKind[m.kind].add(list, m.intendedUtf8);
    }
    const double zabrelAll = medianSeconds(options.reps, [&] {
        for (const auto& m : misspellings)
            sink += zabrel.checkWord(m.misspelt, suggestions);
    });

    // The subset, in total and by length group, timed the same way for all.
    std::vector<double> zabrelGroup(LENGTH_GROUPS);
    std::vector<int> groupWords(LENGTH_GROUPS);
    for (const auto* m : subset)
        ++groupWords[lengthGroup(m->misspelt.size())];
    for (int g = 0; g < LENGTH_GROUPS; ++g) {
        zabrelGroup[g] = medianSeconds(options.reps, [&] {
            for (const auto* m : subset)
                if (lengthGroup(m->misspelt.size()) == g)
                    sink += zabrel.checkWord(m->misspelt, suggestions);
        });
        for (auto& peer : peers)
            peer.group[g] = medianSeconds(options.hunspellReps, [&] {
                for (const auto* m : subset)
                    if (lengthGroup(m->misspelt.size()) == g)
                        sink += peer.speller->suggest(m->misspeltUtf8).size();
            });
    }
    double zabrelSubset = 0;
    std::vector<double> peerSubset(peers.size());
    for (int g = 0; g < LENGTH_GROUPS; ++g) {
        zabrelSubset += zabrelGroup[g];
        for (std::size_t p = 0; p < peers.size(); ++p)
            peerSubset[p] += peers[p].group[g];
    }

    const double us = 1e6;
    if (!options.timesPath.empty()) {
        std::FILE* out = std::fopen(options.timesPath.c_str(), "w");
        if (out == nullptr) {
            std::fprintf(stderr, "compare: cannot write %s\n", options.timesPath.c_str());
            return 2;
        }
        std::fprintf(out, "load_ms %.4f\nbuild_ms %.4f\ncorrect_us %.5f\n", zabrelLoad * 1e3,
                     buildSeconds * 1e3, zabrelCorrect * us / correct.size());
        std::fprintf(out, "misspelt_subset_us %.3f\n", zabrelSubset * us / subset.size());
        for (int g = 0; g < LENGTH_GROUPS; ++g)
            if (groupWords[g])
                std::fprintf(out, "misspelt_%s_us %.3f\n", lengthGroupName(g),
                             zabrelGroup[g] * us / groupWords[g]);
        std::fprintf(out, "misspelt_all_us %.3f\n", zabrelAll * us / misspellings.size());
        std::fclose(out);
    }

    char date[32];
    const std::time_t now = std::time(nullptr);
    std::strftime(date, sizeof date, "%Y-%m-%d", std::localtime(&now));
    std::printf("Zabrel vs hunspell %s, default Urdu dictionary (%zu words), %s, %u cores, %s\n",
                ZABREL_HUNSPELL_VERSION, readLexiconSample(shippedDictionary() / "wordlist.txt", 1).size(),
                date, std::thread::hardware_concurrency(), ZABREL_COMPILER);
    std::printf(
        "CPU times, medians of %d runs (hunspell suggest: %d runs); ratio < 1 means Zabrel is faster.\n",
        options.reps, options.hunspellReps);
    if (peers.size() > 1)
        std::printf("hunspell-0 is the same dictionary with MAXNGRAMSUGS 0 (no n-gram suggestions).\n");
    std::printf("\n");
    std::vector<std::string> names;
    for (const auto& peer : peers)
        names.push_back(peer.name);
    Table t(names);
    t.header();
    auto scaled = [](std::vector<double> values, double factor) {
        for (double& v : values)
            v *= factor;
        return values;
    };
    t.row("load, later run (ms)", zabrelLoad * 1e3, scaled(each(peers, &Peer::load), 1e3));
    t.row("first-run build (ms)", buildSeconds * 1e3, {});
    t.row("correct word, us (" + std::to_string(correct.size()) + " lexicon words)",
          zabrelCorrect * us / correct.size(), scaled(each(peers, &Peer::correct), us / correct.size()),
          "%12.3f");
    t.row("misspelt word + suggestions, us (" + std::to_string(subset.size()) + "-word subset)",
          zabrelSubset * us / subset.size(), scaled(peerSubset, us / subset.size()), "%12.1f");
    for (int g = 0; g < LENGTH_GROUPS; ++g) {
        if (!groupWords[g])
            continue;
        std::vector<double> peerGroup;
        for (const auto& peer : peers)
            peerGroup.push_back(peer.group[g] * us / groupWords[g]);
        t.row(std::string("  ") + lengthGroupName(g) + " letters (" + std::to_string(groupWords[g]) + ")",
              zabrelGroup[g] * us / groupWords[g], peerGroup, "%12.1f");
    }
    t.row("misspelt word, us (all " + std::to_string(misspellings.size()) + "; hunspell 1 run)",
          zabrelAll * us / misspellings.size(), scaled(each(peers, &Peer::all), us / misspellings.size()),
          "%12.1f");
    std::printf("\n");
    auto qualityRows = [&](const std::string& label, const Quality& z,
                           const std::vector<const Quality*>& others) {
        auto rates = [&](int Quality::*hits) {
            std::vector<double> values;
            for (const Quality* q : others)
                values.push_back(q->rate(q->*hits));
            return values;
        };
        t.row(label + " top-1 %", z.rate(z.top1), rates(&Quality::top1), "%12.1f");
        t.row(label + " top-5 %", z.rate(z.top5), rates(&Quality::top5), "%12.1f");
        t.row(label + " found at all %", z.rate(z.found), rates(&Quality::found), "%12.1f");
    };
    std::vector<const Quality*> peerQuality;
    for (const auto& peer : peers)
        peerQuality.push_back(&peer.quality);
    qualityRows("(" + std::to_string(zabrelQuality.words) + " misspellings)", zabrelQuality, peerQuality);
    std::vector<double> listed;
    for (const auto& peer : peers)
        listed.push_back(static_cast<double>(peer.quality.listed) / peer.quality.words);
    t.row("suggestions per word (mean)", static_cast<double>(zabrelQuality.listed) / zabrelQuality.words,
          listed, "%12.1f");
    for (const auto& [kind, z] : zabrelByKind) {
        std::vector<const Quality*> others;
        for (auto& peer : peers)
            others.push_back(&peer.byKind[kind]);
        qualityRows("  " + kind + " (" + std::to_string(z.words) + ")", z, others);
    }
    bool disagree = zabrelRejected || zabrelAccepted;
    for (const auto& peer : peers)
        disagree = disagree || peer.rejected || peer.accepted;
    if (disagree) {
        std::printf("\nWARNING: lexicon words rejected / misspellings accepted: Zabrel %d / %d",
                    zabrelRejected, zabrelAccepted);
        for (const auto& peer : peers)
            std::printf(", %s %d / %d", peer.name.c_str(), peer.rejected, peer.accepted);
        std::printf("\n");
    }
    return sink == 0xFFFFFFFF ? 1 : 0;
}
