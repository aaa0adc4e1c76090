// SPDX-License-Identifier: MIT
// The personal word list at the sizes a long-lived user reaches: what one added word
// costs (appended, with a rewrite now and then to sort the tail in) against what a
// removed word costs (the whole list rewritten and synced), and what loading costs.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "engine/personalwordlist.h"

using namespace zabrel;

namespace {

std::u16string wordNumber(int64_t n) {
    std::u16string word = u"\u06A9";  // ک, then the number in Urdu letters
    for (; n > 0; n /= 20)
        word += static_cast<char16_t>(u'\u0627' + n % 20);
    return word;
}

std::string writeList(int64_t words) {
    char pattern[] = "/tmp/zabrel-personal-bench-XXXXXX";
    const std::string path = std::string(mkdtemp(pattern)) + "/personal.txt";
    PersonalWordList list(path);
    for (int64_t k = 0; k < words; ++k)
        list.add(wordNumber(2 * k + 1));
    list.save();
    return path;
}

void addOneWord(benchmark::State& state) {
    const std::string path = writeList(state.range(0));
    PersonalWordList list(path);
    list.load();
    int64_t next = 0;
    for (auto _ : state) {
        list.add(wordNumber(2 * next++));
        list.save();
    }
    std::filesystem::remove_all(std::filesystem::path(path).parent_path());
}

void removeOneWord(benchmark::State& state) {
    const std::string path = writeList(state.range(0));
    PersonalWordList list(path);
    list.load();
    int64_t next = 0;
    for (auto _ : state) {
        list.remove(wordNumber(2 * next++ + 1));
        list.save();
    }
    std::filesystem::remove_all(std::filesystem::path(path).parent_path());
}

void loadList(benchmark::State& state) {
    const std::string path = writeList(state.range(0));
    for (auto _ : state) {
        PersonalWordList list(path);
        list.load();
        benchmark::DoNotOptimize(list.size());
    }
    std::filesystem::remove_all(std::filesystem::path(path).parent_path());
}

}  // namespace

BENCHMARK(addOneWord)->Arg(10'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(removeOneWord)->Arg(10'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(loadList)->Arg(10'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
