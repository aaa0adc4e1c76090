// SPDX-License-Identifier: MIT
// The accurate ranking's cost against the exact ranking's: both check the same
// misspelt words in the same run, alternately, and the table gives CPU microseconds
// per word (medians of the runs) and their ratio, by word length.
//
//   ranking_bench [RUNS] [EXTRA.tsv]   EXTRA: more misspelt words, first column
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "benchsupport.h"
#include "engine/spellchecker.h"

namespace {

using namespace zabrel;
using namespace zabrel::bench;

// Microseconds per word for one pass over `words`.
double pass(SpellChecker& checker, const std::vector<std::u16string>& words, Ranking ranking) {
    std::vector<std::u16string> suggestions;
    const double start = cpuMicroseconds();
    for (const std::u16string& word : words)
        checker.check(word, suggestions, ranking);
    return (cpuMicroseconds() - start) / static_cast<double>(words.size());
}

std::vector<std::u16string> readFirstColumn(const std::string& path) {
    std::vector<std::u16string> words;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line))
        if (!line.empty() && line[0] != '#')
            words.push_back(fromUtf8(line.substr(0, line.find('\t'))));
    return words;
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 11;
    Workspace workspace(shippedDictionary());
    ScopedCurrentDir here(workspace.folder());
    SpellChecker checker;
    checker.initialize();
    checker.prepareAccurateRanking();

    std::vector<std::vector<std::u16string>> groups(LENGTH_GROUPS + 2);
    for (const Misspelling& m : readMisspellings(misspellingSet())) {
        groups[static_cast<std::size_t>(lengthGroup(m.misspelt.size()))].push_back(m.misspelt);
        groups[LENGTH_GROUPS].push_back(m.misspelt);
    }
    std::string extraName;
    if (argc > 2) {
        groups[LENGTH_GROUPS + 1] = readFirstColumn(argv[2]);
        extraName = argv[2];
        extraName = extraName.substr(extraName.rfind('/') + 1);
    }

    std::printf("%-28s %10s %10s %7s\n", "misspelt words", "exact µs", "accurate", "ratio");
    for (std::size_t g = 0; g < groups.size(); ++g) {
        if (groups[g].empty())
            continue;
        std::vector<double> exact;
        std::vector<double> accurate;
        pass(checker, groups[g], Ranking::Accurate);  // warm both paths' buffers
        for (int run = 0; run < runs; ++run) {
            exact.push_back(pass(checker, groups[g], Ranking::Exact));
            accurate.push_back(pass(checker, groups[g], Ranking::Accurate));
        }
        std::string name = g < LENGTH_GROUPS ? std::string(lengthGroupName(static_cast<int>(g))) + " letters"
                           : g == LENGTH_GROUPS ? "all (misspellings.tsv)"
                                                : extraName;
        name += " (" + std::to_string(groups[g].size()) + ")";
        const double e = median(exact);
        const double a = median(accurate);
        std::printf("%-28s %10.1f %10.1f %6.2fx\n", name.c_str(), e, a, a / e);
    }
    return 0;
}
