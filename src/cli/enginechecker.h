// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

#include "engine/spellchecker.h"
#include "lexicon/unichar2indexmap.h"

namespace zabrel::cli {

// Hands words to the engine, except tokens too long to be words. The engine's work
// grows with the square of a word's length (a 20,000-letter token takes seconds), and
// binary input or a line without spaces makes tokens of megabytes; no stored word is
// longer than a few dozen letters, so such a token is simply misspelt.
class EngineChecker {
public:
    static constexpr std::size_t LONGEST_WORD = 256;
    // Real texts repeat their misspellings, and ranking suggestions is by far the
    // dearest part of a check, so answers are remembered; the cap keeps memory bounded.
    static constexpr std::size_t REMEMBERED_WORDS = 20000;

    // Call after engine.initialize(), in the dictionary folder.
    explicit EngineChecker(SpellChecker& engine);

    bool operator()(const std::u16string& word, std::vector<std::u16string>& suggestions);

private:
    struct Answer {
        bool misspelt;
        std::vector<std::u16string> suggestions;
    };

    bool ask(const std::u16string& word, std::vector<std::u16string>& suggestions);

    SpellChecker& engine;
    std::unordered_map<std::u16string, Answer> remembered;
    UniChar2IndexMap alphabet;
};

}  // namespace zabrel::cli
