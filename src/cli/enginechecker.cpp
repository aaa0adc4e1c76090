// SPDX-License-Identifier: MIT
#include "cli/enginechecker.h"

namespace zabrel::cli {

bool EngineChecker::operator()(const std::u16string& word, std::vector<std::u16string>& suggestions) {
    auto found = remembered.find(word);
    if (found != remembered.end()) {
        suggestions = found->second.suggestions;
        return found->second.misspelt;
    }
    const bool misspelt = engine.check(word, suggestions, ranking);
    if (word.size() > LONGEST_WORD)
        return misspelt;
    if (remembered.size() >= REMEMBERED_WORDS)
        remembered.clear();
    remembered.emplace(word, Answer{misspelt, suggestions});
    return misspelt;
}

}  // namespace zabrel::cli
