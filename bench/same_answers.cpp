// SPDX-License-Identifier: MIT
// The checker's answers on the shipped dictionary against the plain rules, on every
// misspelling of the bench set and on random edits of lexicon words. Prints the count
// compared and each word that differs; exits 1 if any does.
// Usage: same_answers [EDITS]
#include <cstdio>
#include <cstdlib>

#include "benchsupport.h"
#include "engine/spellchecker.h"
#include "support/dictionary.h"
#include "support/plainrules.h"

using namespace zabrel::bench;

int main(int argc, char** argv) {
    const std::size_t editCount = argc > 1 ? static_cast<std::size_t>(std::atol(argv[1])) : 5000;
    Workspace workspace(shippedDictionary());
    ScopedCurrentDir here(workspace.folder());
    zabrel::SpellChecker firstRun;
    firstRun.initialize();
    zabrel::SpellChecker checker;
    checker.initialize();
    zabrel::test::PlainRules plain(".", checker);

    auto words = zabrel::test::misspeltColumn(misspellingSet().string());
    const std::size_t misspelt = words.size();
    const auto edits =
        zabrel::test::lexiconEdits(plain.lexicon(), editCount, 20261209, zabrel::test::urduLetters());
    words.insert(words.end(), edits.begin(), edits.end());
    const auto differing = zabrel::test::disagreements(checker, plain, words);
    std::printf("%zu misspellings and %zu edits of lexicon words: %zu answers differ from the plain rules\n",
                misspelt, edits.size(), differing.size());
    for (const auto& word : differing)
        std::printf("  differs: %s\n", toUtf8(word).c_str());
    return differing.empty() ? 0 : 1;
}
