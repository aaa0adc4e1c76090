// SPDX-License-Identifier: MIT
// The context's cost against the accurate ranking's, in the same run: CPU microseconds
// per misspelt word between two neighbours, and per 1,000 words of checkText over the
// sample texts with every tenth word a misspelling (medians of the runs); then the
// model's load time and the memory it takes.
//
//   context_bench [RUNS]
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "benchsupport.h"
#include "session/spellersession.h"

namespace {

using namespace zabrel;
using namespace zabrel::bench;

enum class Setting { Accurate, Context, RealWords };

// Microseconds for one pass over `texts`, the session's remembered answers forgotten
// first so that every pass ranks every word.
double pass(SpellerSession& speller, const std::vector<std::u16string>& texts, Setting setting) {
    speller.setContext(false);
    speller.setRanking(Ranking::Exact);
    speller.setRanking(Ranking::Accurate);
    speller.setContext(setting != Setting::Accurate);
    speller.setRealWordSlips(setting == Setting::RealWords);
    std::vector<TextSpan> spans;
    const double start = cpuMicroseconds();
    for (const std::u16string& text : texts)
        speller.checkText(text, spans);
    return cpuMicroseconds() - start;
}

// The process's resident memory (the mapped pages it touched included).
long residentKiB() {
    std::ifstream statm("/proc/self/statm");
    long size = 0;
    long resident = 0;
    statm >> size >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream all;
    all << in.rdbuf();
    return all.str();
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    Workspace workspace(shippedDictionary());
    SpellerSession speller;
    if (!speller.open(workspace.folder())) {
        std::fprintf(stderr, "context_bench: the shipped dictionary could not be set up\n");
        return 2;
    }
    const std::vector<Misspelling> misspellings = readMisspellings(misspellingSet());

    // Each misspelt word between two of the commonest words.
    std::vector<std::u16string> between;
    for (const Misspelling& m : misspellings)
        between.push_back(u"کی " + m.misspelt + u" ہے");

    // The sample texts, every tenth word swapped for a misspelling, as lines.
    std::vector<std::u16string> lines;
    std::size_t words = 0;
    std::size_t next = 0;
    for (const char* name : {"khat.txt", "kitab.txt", "shehar.txt"}) {
        std::istringstream text(
            readFile(shippedDictionary().parent_path().parent_path() / "data" / "samples" / name));
        for (std::string line; std::getline(text, line);) {
            std::istringstream tokens(line);
            std::u16string out;
            for (std::string token; tokens >> token; ++words) {
                if (!out.empty())
                    out += u' ';
                out +=
                    words % 10 == 9 ? misspellings[next++ % misspellings.size()].misspelt : fromUtf8(token);
            }
            lines.push_back(out);
        }
    }
    std::vector<std::u16string> text;
    for (int copy = 0; copy < 4; ++copy)
        text.insert(text.end(), lines.begin(), lines.end());
    words *= 4;

    std::printf("%-44s %10s %10s %7s\n", "", "accurate", "context", "ratio");
    const auto row = [&](const char* name, const std::vector<std::u16string>& texts, Setting setting,
                         double per) {
        std::vector<double> accurate;
        std::vector<double> context;
        pass(speller, texts, setting);  // warm the model and the buffers
        for (int run = 0; run < runs; ++run) {
            accurate.push_back(pass(speller, texts, Setting::Accurate) * per);
            context.push_back(pass(speller, texts, setting) * per);
        }
        const double a = median(accurate);
        const double c = median(context);
        std::printf("%-44s %10.1f %10.1f %6.2fx\n", name, a, c, c / a);
    };
    std::printf("(µs per misspelt word, %zu between کی and ہے)\n", between.size());
    row("context ranking", between, Setting::Context, 1.0 / static_cast<double>(between.size()));
    std::printf("(µs per 1,000 words of checkText, %zu words, a tenth misspelt)\n", words);
    row("checkText with the context", text, Setting::Context, 1000.0 / static_cast<double>(words));
    row("checkText with real-word slips", text, Setting::RealWords, 1000.0 / static_cast<double>(words));

    // The model alone: its load (mapped, then checked and indexed) and what it holds
    // in memory once loaded, on top of the pages it maps.
    const std::string path = (workspace.folder() / "context.bin").string();
    std::vector<double> loads;
    long grown = 0;
    for (int run = 0; run < runs; ++run) {
        const long before = residentKiB();
        const double start = cpuMicroseconds();
        ContextModel model;
        model.load(path);
        loads.push_back(cpuMicroseconds() - start);
        grown = residentKiB() - before;
    }
    std::printf("context model: %.2f MB, loaded in %.1f ms (CPU, median), resident %ld KiB more\n",
                static_cast<double>(std::filesystem::file_size(path)) / 1e6, median(loads) / 1000.0, grown);
    return 0;
}
