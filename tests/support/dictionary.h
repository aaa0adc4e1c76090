// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace zabrel::test {

struct WordEntry {
    std::u16string word;
    int frequency;
};

// A small dictionary folder in the engine's formats, written into `folder`.
struct DictionaryContents {
    std::u16string alphabet;  // one letter per unit, in index order
    std::vector<WordEntry> words;
    std::vector<std::pair<char16_t, int>> soundex;
    std::vector<std::pair<char16_t, int>> shapex;
    std::string initialize = "YES";
};

// Urdu letters used by the tests: ا ب پ ت ٹ ث ج چ ح خ د ڈ ذ ر ڑ ز س ش ص ض ط ظ ع غ ف ق ک گ ل م ن و ہ ی ے
std::u16string urduLetters();

// Writes alphabet.txt, wordlist.txt (count line of words + 1, the last record twice,
// so every word is in the lexicon), soundex.txt, shapex.txt and config.ini.
void writeDictionary(const std::string& folder, const DictionaryContents& dict);

// The bytes of a context model of `pairs`, commonest first (the pair at place r seen
// 1000 / r times in a million words), laid out and estimated as tools/make-dictionary does.
std::string contextModelBytes(const std::vector<std::pair<std::u16string, std::u16string>>& pairs);
// Writes it as context.bin into a folder writeDictionary wrote, and names it in config.ini.
void writeContextModel(const std::string& folder,
                       const std::vector<std::pair<std::u16string, std::u16string>>& pairs);

}  // namespace zabrel::test
