// SPDX-License-Identifier: MIT
#include "support/dictionary.h"

#include "engine/contextmodel.h"

#include <cstdio>
#include <fstream>
#include <map>
#include <set>
#include <stdexcept>

namespace zabrel::test {

std::u16string urduLetters() {
    return u"\u0627\u0628\u067E\u062A\u0679\u062B\u062C\u0686\u062D\u062E\u062F\u0688\u0630\u0631\u0691\u0632"
           u"\u0633\u0634\u0635\u0636\u0637\u0638\u0639\u063A\u0641\u0642\u06A9\u06AF\u0644\u0645\u0646\u0648"
           u"\u06C1\u06CC\u06D2";
}

namespace {

std::u16string widen(const std::string& ascii) {
    return std::u16string(ascii.begin(), ascii.end());
}

// Kept free of the test framework so that the fuzz targets can share it.
void writeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

// FF FE and then UTF-16LE.
std::string unicodeBytes(const std::u16string& text) {
    std::string bytes = "\xFF\xFE";
    for (char16_t unit : text) {
        bytes.push_back(static_cast<char>(unit & 0xFF));
        bytes.push_back(static_cast<char>(unit >> 8));
    }
    return bytes;
}

std::string codeLines(const std::vector<std::pair<char16_t, int>>& codes) {
    std::string text;
    for (const auto& [letter, digit] : codes) {
        char line[32];
        std::snprintf(line, sizeof line, "%04X=%d\r\n", static_cast<unsigned>(letter), digit);
        text += line;
    }
    return text;
}

}  // namespace

void writeDictionary(const std::string& folder, const DictionaryContents& dict) {
    std::u16string alphabet;
    for (char16_t letter : dict.alphabet) {
        alphabet += letter;
        alphabet += u"\r\n";
    }
    writeBytes(folder + "/alphabet.txt", unicodeBytes(alphabet));

    std::u16string list = widen(std::to_string(dict.words.size() + 1)) + u"\r\n";
    for (const WordEntry& entry : dict.words)
        list += entry.word + u"\t" + widen(std::to_string(entry.frequency)) + u"\r\n";
    if (!dict.words.empty())
        list += dict.words.back().word + u"\t" + widen(std::to_string(dict.words.back().frequency)) + u"\r\n";
    writeBytes(folder + "/wordlist.txt", unicodeBytes(list));

    writeBytes(folder + "/soundex.txt", codeLines(dict.soundex));
    writeBytes(folder + "/shapex.txt", codeLines(dict.shapex));
    writeBytes(folder + "/config.ini", "initialize = " + dict.initialize +
                                           "\r\n"
                                           "wordListFilePath = wordlist.txt\r\n"
                                           "hashTableFilePath = hashtable.dat\r\n"
                                           "bigramMatrixFilePath = bigram-index.dat\r\n"
                                           "bigramPLFilePath = bigram-lists.dat\r\n"
                                           "unigramListsFilePath = unigram-index.dat\r\n"
                                           "unigramPLFilePath = unigram-lists.dat\r\n"
                                           "urduAlphabetFilePath = alphabet.txt\r\n"
                                           "soundexFilePath = soundex.txt\r\n"
                                           "shapexFilePath = shapex.txt\r\n");
}

std::string contextModelBytes(const std::vector<std::pair<std::u16string, std::u16string>>& pairs) {
    return ContextModel::encode(ContextModel::countsOf(pairs));
}

void writeContextModel(const std::string& folder,
                       const std::vector<std::pair<std::u16string, std::u16string>>& pairs) {
    writeBytes(folder + "/context.bin", contextModelBytes(pairs));
    std::ofstream config(folder + "/config.ini", std::ios::binary | std::ios::app);
    config << "contextModelFilePath = context.bin\r\n";
    if (!config)
        throw std::runtime_error("cannot write " + folder + "/config.ini");
}

}  // namespace zabrel::test
