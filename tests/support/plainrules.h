// SPDX-License-Identifier: MIT
#pragma once

#include <random>
#include <string>
#include <utility>
#include <vector>

#include "engine/spellchecker.h"
#include "lexicon/hashtable.h"
#include "lexicon/unichar2indexmap.h"
#include "postings/postlistresources.h"

namespace zabrel::test {

// The suggestion rules written out step by step with copies everywhere, the measure
// of the checker's fast paths. Reads the alphabet and the hash-table file of a
// dictionary folder that has had its first run, and builds its posting lists afresh.
class PlainRules {
public:
    PlainRules(const std::string& dir, SpellChecker& codes);
    // As SpellChecker::checkWord.
    bool check(const std::u16string& raw, std::vector<std::u16string>& out);
    const HashTable& lexicon() const { return table; }

private:
    using Entries = std::vector<std::pair<uint16_t, const std::vector<int32_t>*>>;
    static std::pair<uint16_t, const std::vector<int32_t>*> stored(const std::vector<int32_t>& list);
    static void visit(Entries entries, std::vector<char>& seen, std::vector<int32_t>& candidates);

    SpellChecker& codes;
    UniChar2IndexMap alphabet;
    HashTable table;
    PostListResources lists;
};

// One to three random edits of `word` (substitution, deletion, insertion, swap of
// neighbours) with letters from `letters`.
std::u16string editAtRandom(std::mt19937& rng, std::u16string word, const std::u16string& letters);

// Random edits of `count` words drawn from the lexicon's occupied slots, with letters
// of `letters`.
std::vector<std::u16string> lexiconEdits(const HashTable& lexicon, std::size_t count, uint32_t seed,
                                         const std::u16string& letters);

// The first column of a misspelling set (a UTF-8 TSV file with a header line), every
// `step`-th row.
std::vector<std::u16string> misspeltColumn(const std::string& tsvPath, std::size_t step = 1);

// The words whose answers (verdict or suggestion list) differ between the checker and
// the plain rules.
std::vector<std::u16string> disagreements(SpellChecker& checker, PlainRules& plain,
                                          const std::vector<std::u16string>& words);

}  // namespace zabrel::test
