// SPDX-License-Identifier: MIT
// Word lists whose words all land on one hash chain: one word repeated, and Latin
// words that the letter filter turns into the empty word. Building them must stay
// linear in the number of words.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "lexicon/hashtable.h"
#include "lexicon/unichar2indexmap.h"

using namespace zabrel;

namespace {

std::string writeList(int64_t records, bool latin) {
    char pattern[] = "/tmp/zabrel-build-bench-XXXXXX";
    const std::string dir = mkdtemp(pattern);
    const std::string path = dir + "/words.txt";
    std::u16string text = u"\uFEFF" + [&] {
        const std::string count = std::to_string(records + 1);
        return std::u16string(count.begin(), count.end());
    }() + u"\r\n";
    for (int64_t k = 0; k <= records; ++k)
        text += latin ? u"word\t1\r\n" : u"\u06A9\u062A\u0627\u0628\t1\r\n";
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(text.data()), static_cast<std::streamsize>(text.size() * 2));
    return path;
}

void buildOneChain(benchmark::State& state) {
    const std::string path = writeList(state.range(0), state.range(1) != 0);
    UniChar2IndexMap alphabet;
    for (char16_t c = 0x0621; c <= 0x06D2; ++c)
        alphabet.addChar(c);
    for (auto _ : state) {
        HashTable table;
        benchmark::DoNotOptimize(table.build(path, alphabet));
    }
    std::filesystem::remove_all(std::filesystem::path(path).parent_path());
}
BENCHMARK(buildOneChain)
    ->ArgsProduct({{80000, 1000000}, {0, 1}})
    ->ArgNames({"words", "latin"})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
