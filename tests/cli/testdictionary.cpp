// SPDX-License-Identifier: MIT
#include "cli/testdictionary.h"

#include "support/dictionary.h"

namespace zabrel::test {

void makeDictionary(const std::filesystem::path& dir, const std::vector<ListedWord>& words) {
    DictionaryContents dict;
    dict.alphabet = u"اآبپتٹثجچحخدڈذرڑزژسشصضطظعغفقکگلمنںوہھءیےئ";
    for (const ListedWord& word : words)
        dict.words.push_back({word.first, word.second});
    // Enough classes for ranking to have something to compare: the s-sounds and the
    // b-shapes agree, everything else is class 0.
    dict.soundex = {{u'\u0633', 3}, {u'\u0635', 3}, {u'\u062B', 3}, {u'\u0628', 1}, {u'\u067E', 1}};
    dict.shapex = {{u'\u0628', 1}, {u'\u067E', 1}, {u'\u062A', 1}, {u'\u0633', 2}, {u'\u0634', 2}};
    writeDictionary(dir.string(), dict);
}

std::vector<ListedWord> sampleWords() {
    return {{u"سخت", 500},  {u"بازار", 400}, {u"پچھلے", 300}, {u"دوستوں", 200},
            {u"کتاب", 150}, {u"شہر", 120},   {u"ہزار", 100}};
}

}  // namespace zabrel::test
