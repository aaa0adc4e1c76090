// SPDX-License-Identifier: MIT
#pragma once

#include <set>
#include <string>
#include <vector>

#include "engine/spellchecker.h"
#include "support/dictionary.h"

namespace zabrel::test {

// An eight-letter alphabet keeps the derived files a few hundred bytes long, so
// every length and many offsets of each can be tried.
inline DictionaryContents smallDictionary() {
    constexpr char16_t A = u'\u0627', B = u'\u0628', P = u'\u067E', T = u'\u062A', J = u'\u062C',
                       D = u'\u062F', R = u'\u0631', S = u'\u0633';
    DictionaryContents dict;
    dict.alphabet = {A, B, P, T, J, D, R, S};
    dict.words = {{{B, A, T}, 50},        {{D, A, R}, 40},      {{S, B}, 30},          {{R, A, T}, 25},
                  {{B, A, R, S}, 20},     {{P, A, T, A}, 15},   {{J, A, D, A, R}, 12}, {{T, A, R, A}, 10},
                  {{S, A, B, A, T}, 8},   {{B, A, D, A, R}, 6}, {{D, R, A, S, T}, 4},  {{P, A, R, D, A}, 3},
                  {{J, B, R, A, S, T}, 2}};
    dict.soundex = {{A, 1}, {B, 2}, {P, 2}, {T, 3}, {J, 4}, {D, 3}, {R, 5}, {S, 6}};
    dict.shapex = {{A, 1}, {B, 2}, {P, 2}, {T, 2}, {J, 3}, {D, 4}, {R, 5}, {S, 6}};
    return dict;
}

// Misspellings of every length class: two and three letters (letter lists), longer
// ones (letter-pair lists), and letters the lexicon never pairs.
inline std::vector<std::u16string> smallMisspellings() {
    return {u"\u0628\u062A",
            u"\u062F\u0627",
            u"\u0628\u0627\u0633",
            u"\u0631\u062A\u0627",
            u"\u0628\u0627\u0631\u062A",
            u"\u067E\u0627\u062A\u062A",
            u"\u062C\u0627\u062F\u0631",
            u"\u0633\u0627\u0628\u062A",
            u"\u062F\u0631\u0627\u0633\u0633\u062A",
            u"\u062C\u062C\u062C\u062C\u062C"};
}

inline std::set<std::u16string> lexiconWords(const SpellChecker& checker) {
    std::set<std::u16string> words;
    HashNode node;
    for (int32_t slot = 0; slot < checker.lexicon().getTableSize(); ++slot)
        if (checker.lexicon().getNode(slot, node))
            words.insert(node.word);
    return words;
}

}  // namespace zabrel::test
