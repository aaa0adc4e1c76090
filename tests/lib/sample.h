// SPDX-License-Identifier: MIT
// The small dictionary both library tests open, and its words.
#pragma once

#include <string>

#include "support/dictionary.h"

namespace zabrel::test {

// ب ا ت and friends, from the test dictionary's letters.
inline const std::string BAT = "\u0628\u0627\u062A";         // a word of the list
inline const std::string BAAT = "\u0628\u0627\u0627\u062A";  // one letter too many
inline const std::string KAM = "\u06A9\u0627\u0645";

inline DictionaryContents sampleContents() {
    DictionaryContents dict;
    dict.alphabet = urduLetters();
    dict.words = {{u"\u0628\u0627\u062A", 50}, {u"\u0628\u0627\u0631", 30}, {u"\u06A9\u0627\u0645", 20}};
    return dict;
}

}  // namespace zabrel::test
