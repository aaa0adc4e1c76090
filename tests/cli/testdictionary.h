// SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace zabrel::test {

// A word and its frequency in the word list.
using ListedWord = std::pair<std::u16string, int>;

// Writes a complete small dictionary into `dir` in the engine's formats: config.ini
// (initialize = YES, so the first run builds the derived files), wordlist.txt,
// alphabet.txt with the common Urdu letters, and short soundex and shapex tables.
void makeDictionary(const std::filesystem::path& dir, const std::vector<ListedWord>& words);

// The words the command-line tests use: سخت بازار پچھلے دوستوں کتاب شہر ہزار.
std::vector<ListedWord> sampleWords();

// A costs.txt for the accurate ranking: splits after a free-ending letter cost
// little; every other edit costs 1.
inline constexpr const char* SPLIT_COSTS =
    "weight transpose 1\nweight frequency 0.01\nweight split 0.5\nweight split-joined 0.9\n"
    "weight split-attested 50\nsplit-after \xD8\xA8\n";  // ب

}  // namespace zabrel::test
