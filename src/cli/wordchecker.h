// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace zabrel::cli {

// What the modes need from the engine: true when `word` is misspelt, with its ranked
// suggestions. A function rather than the engine itself, so the protocol and report
// formats can be tested without building a dictionary.
using WordChecker = std::function<bool(const std::u16string& word, std::vector<std::u16string>& suggestions)>;

}  // namespace zabrel::cli
