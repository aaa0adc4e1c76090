// SPDX-License-Identifier: MIT
#include "cli/enginechecker.h"

namespace zabrel::cli {

EngineChecker::EngineChecker(SpellChecker& engine) : engine(engine) {
    // The engine has just read the same file, so this cannot fail short of a race.
    alphabet.load(engine.configuration().urduAlphabetFilePath);
}

bool EngineChecker::operator()(const std::u16string& word, std::vector<std::u16string>& suggestions) {
    auto found = remembered.find(word);
    if (found != remembered.end()) {
        suggestions = found->second.suggestions;
        return found->second.misspelt;
    }
    const bool misspelt = ask(word, suggestions);
    if (word.size() > LONGEST_WORD)
        return misspelt;
    if (remembered.size() >= REMEMBERED_WORDS)
        remembered.clear();
    remembered.emplace(word, Answer{misspelt, suggestions});
    return misspelt;
}

bool EngineChecker::ask(const std::u16string& word, std::vector<std::u16string>& suggestions) {
    if (word.size() <= LONGEST_WORD)
        return engine.checkWord(word, suggestions);
    // Long tokens are mostly non-letters (binary data, runs of punctuation); what is
    // left after the engine's own filter decides.
    std::u16string letters = alphabet.filterWord(word);
    if (letters.size() <= LONGEST_WORD)
        return engine.checkWord(std::move(letters), suggestions);
    suggestions.clear();
    return true;
}

}  // namespace zabrel::cli
