// SPDX-License-Identifier: MIT
#include "cli/testdictionary.h"

#include "support/testsupport.h"

namespace zabrel::test {

namespace {

const std::u16string LETTERS = u"اآبپتٹثجچحخدڈذرڑزژسشصضطظعغفقکگلمنںوہھءیے";

std::u16string decimal(int value) {
    std::u16string text;
    for (char c : std::to_string(value))
        text.push_back(static_cast<char16_t>(c));
    return text;
}

}  // namespace

void makeDictionary(const std::filesystem::path& dir, const std::vector<ListedWord>& words) {
    const auto file = [&dir](const char* name) { return (dir / name).string(); };
    writeFile(file("config.ini"),
              "initialize = YES\r\n"
              "wordListFilePath = wordlist.txt\r\n"
              "hashTableFilePath = hashtable.dat\r\n"
              "bigramMatrixFilePath = bigram-index.dat\r\n"
              "bigramPLFilePath = bigram-lists.dat\r\n"
              "unigramListsFilePath = unigram-index.dat\r\n"
              "unigramPLFilePath = unigram-lists.dat\r\n"
              "urduAlphabetFilePath = alphabet.txt\r\n"
              "soundexFilePath = soundex.txt\r\n"
              "shapexFilePath = shapex.txt\r\n");

    std::u16string alphabet;
    for (char16_t letter : LETTERS)
        alphabet += std::u16string(1, letter) + u"\r\n";
    writeFile(file("alphabet.txt"), unicodeFile(alphabet));

    // The count line says one more than there are words, and the reader expects the
    // last record once more.
    std::u16string list = decimal(static_cast<int>(words.size()) + 1) + u"\r\n";
    for (const ListedWord& word : words)
        list += word.first + u"\t" + decimal(word.second) + u"\r\n";
    if (!words.empty())
        list += words.back().first + u"\t" + decimal(words.back().second) + u"\r\n";
    writeFile(file("wordlist.txt"), unicodeFile(list));

    // Enough classes for ranking to have something to compare: the s-sounds and the
    // b-shapes agree, everything else is class 0.
    writeFile(file("soundex.txt"), "0633=3\r\n0635=3\r\n062B=3\r\n0628=1\r\n067E=1\r\n");
    writeFile(file("shapex.txt"), "0628=1\r\n067E=1\r\n062A=1\r\n0633=2\r\n0634=2\r\n");
}

std::vector<ListedWord> sampleWords() {
    return {{u"سخت", 500},  {u"بازار", 400}, {u"پچھلے", 300}, {u"دوستوں", 200},
            {u"کتاب", 150}, {u"شہر", 120},   {u"ہزار", 100}};
}

}  // namespace zabrel::test
