// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

#include "engine/spellchecker.h"

namespace zabrel::cli {

// Hands words to the engine and remembers its answers.
class EngineChecker {
public:
    // Binary input or a line without spaces makes tokens of megabytes; their answers
    // are not kept, so memory stays bounded by the longest line.
    static constexpr std::size_t LONGEST_WORD = 256;
    // Real texts repeat their misspellings, and ranking suggestions is by far the
    // dearest part of a check, so answers are remembered; the cap keeps memory bounded.
    static constexpr std::size_t REMEMBERED_WORDS = 20000;

    // Call after engine.initialize().
    explicit EngineChecker(SpellChecker& engine, Ranking ranking = Ranking::Exact)
        : engine(engine), ranking(ranking) {}

    bool operator()(const std::u16string& word, std::vector<std::u16string>& suggestions);

private:
    struct Answer {
        bool misspelt;
        std::vector<std::u16string> suggestions;
    };

    SpellChecker& engine;
    Ranking ranking;
    std::unordered_map<std::u16string, Answer> remembered;
};

}  // namespace zabrel::cli
