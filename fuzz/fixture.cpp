// SPDX-License-Identifier: MIT
#include "fixture.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <unordered_set>

#include "core/errors.h"
#include "engine/spellchecker.h"
#include "support/dictionary.h"

namespace zabrel::fuzz {

namespace {

void removeScratch() {
    std::error_code ignored;
    std::filesystem::remove_all(scratchDir(), ignored);
}

std::string makeScratch() {
    std::string pattern = (std::filesystem::temp_directory_path() / "zabrel-fuzz-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr)
        fail("cannot create a scratch directory");
    return pattern;
}

}  // namespace

const std::string& scratchDir() {
    // Never destroyed: the exit handler that removes the directory still needs it.
    static const std::string* dir = [] {
        auto* made = new std::string(makeScratch());
        std::atexit(removeScratch);
        return made;
    }();
    return *dir;
}

void enterScratch() {
    if (chdir(scratchDir().c_str()) != 0)
        fail("cannot enter the scratch directory");
}

void writeBytes(const std::string& path, const uint8_t* data, std::size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    if (!out)
        fail("cannot write a scratch file");
}

void writeBytes(const std::string& path, const Bytes& bytes) {
    writeBytes(path, bytes.data(), bytes.size());
}

void writeText(const std::string& path, const std::string& text) {
    writeBytes(path, reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

Bytes readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::u16string units(const uint8_t* data, std::size_t size) {
    std::u16string text;
    text.reserve(size / 2);
    for (std::size_t k = 0; k + 1 < size; k += 2)
        text.push_back(static_cast<char16_t>(data[k] | (data[k + 1] << 8)));
    return text;
}

const std::u16string& letters() {
    // ا ب پ ت ج د ر س ک ل م ن و ی ہ
    static const std::u16string alphabet =
        u"\u0627\u0628\u067E\u062A\u062C\u062F\u0631\u0633\u06A9\u0644\u0645\u0646\u0648\u06CC\u06C1";
    return alphabet;
}

const std::vector<std::u16string>& sampleWords() {
    static const std::vector<std::u16string> words = {
        u"\u0628\u0627\u062A",                    // بات
        u"\u06A9\u0627\u0645",                    // کام
        u"\u062C\u0627\u0646",                    // جان
        u"\u0628\u0627\u062A\u06CC\u0646",        // باتین
        u"\u0633\u0628",                          // سب
        u"\u062F\u0644",                          // دل
        u"\u0645\u06A9\u0627\u0646",              // مکان
        u"\u067E\u0627\u0646\u06CC",              // پانی
        u"\u0631\u0627\u062A",                    // رات
        u"\u0644\u0648\u06AF",                    // لوگ (گ is no letter here: filtered)
        u"\u06A9\u062A\u0627\u0628",              // کتاب
        u"\u0646\u0627\u0645",                    // نام
        u"\u062F\u0646",                          // دن
        u"\u0633\u0627\u0644",                    // سال
        u"\u0628\u0646\u062F",                    // بند
        u"\u06C1\u0645",                          // ہم
        u"\u0648\u06C1",                          // وہ
        u"\u06CC\u06C1",                          // یہ
        u"\u062A\u0645",                          // تم
        u"\u0628\u0627\u0631\u0634",              // بارش (ش filtered)
        u"\u0633\u0645\u0646\u062F\u0631",        // سمندر
        u"\u062F\u0631\u0648\u0627\u0632\u06C1",  // دروازہ (ز filtered)
        u"\u0631\u0646\u06AF",                    // رنگ
        u"\u0645\u0644\u06A9",                    // ملک
        u"\u062C\u0645\u0644\u06C1",              // جملہ
        u"\u062A\u0627\u0631\u0627",              // تارا
    };
    return words;
}

void writeDictionary(const std::string& folder) {
    test::DictionaryContents dict;
    dict.alphabet = letters();
    const auto& words = sampleWords();
    for (std::size_t k = 0; k < words.size(); ++k)
        dict.words.push_back({words[k], static_cast<int>(100 - k)});
    for (std::size_t k = 0; k < letters().size(); ++k) {
        dict.soundex.emplace_back(letters()[k], static_cast<int>(k % 5) + 1);
        dict.shapex.emplace_back(letters()[k], static_cast<int>(k % 7) + 1);
    }
    test::writeDictionary(folder, dict);
}

const std::vector<std::string>& derivedFiles() {
    static const std::vector<std::string> files = {"hashtable.dat", "bigram-index.dat", "bigram-lists.dat",
                                                   "unigram-index.dat", "unigram-lists.dat"};
    return files;
}

const std::vector<std::u16string>& misspellings() {
    static const std::vector<std::u16string> words = [] {
        std::vector<std::u16string> made;
        for (const std::u16string& word : sampleWords()) {
            std::u16string dropped = word;
            dropped.erase(1, 1);
            made.push_back(dropped);
            std::u16string swapped = word;
            std::swap(swapped[0], swapped[1]);
            made.push_back(swapped);
            std::u16string replaced = word;
            replaced.back() = letters()[word.size() % letters().size()];
            made.push_back(replaced);
            made.push_back(word + letters()[3]);
        }
        return made;
    }();
    return words;
}

namespace {

std::map<std::string, std::string> filesOf(const std::string& folder) {
    std::map<std::string, std::string> read;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const Bytes bytes = readBytes(entry.path().string());
        read[entry.path().filename().string()] = std::string(bytes.begin(), bytes.end());
    }
    return read;
}

}  // namespace

const std::map<std::string, std::string>& freshDictionary() {
    static const std::map<std::string, std::string> files = [] {
        const std::string folder = scratchDir() + "/fresh";
        std::filesystem::create_directories(folder);
        writeDictionary(folder);
        return filesOf(folder);
    }();
    return files;
}

const std::map<std::string, std::string>& builtDictionary() {
    static const std::map<std::string, std::string> files = [] {
        const std::string folder = scratchDir() + "/built";
        std::filesystem::create_directories(folder);
        writeDictionary(folder);
        if (chdir(folder.c_str()) != 0)
            fail("cannot enter the built dictionary");
        if (setUp() == nullptr)
            fail("the fixed dictionary does not build");
        std::map<std::string, std::string> read = filesOf(folder);
        enterScratch();
        return read;
    }();
    return files;
}

namespace {

std::unique_ptr<SpellChecker> setUpFrom(DictionaryFiles files) {
    auto checker = std::make_unique<SpellChecker>();
    try {
        checker->initialize(std::move(files));
    } catch (const QuelmException&) {
        return nullptr;
    }
    return checker;
}

}  // namespace

std::unique_ptr<SpellChecker> setUp() {
    return setUpFrom(DictionaryFiles());
}

std::unique_ptr<SpellChecker> setUp(const std::map<std::string, std::string>& files) {
    return setUpFrom(DictionaryFiles::inMemory(files));
}

std::string bytesOf(const uint8_t* data, std::size_t size) {
    return std::string(reinterpret_cast<const char*>(data), size);
}

SpellChecker& fixedChecker() {
    static SpellChecker* checker = [] {
        const std::string folder = scratchDir() + "/fixed";
        std::filesystem::create_directories(folder);
        writeDictionary(folder);
        if (chdir(folder.c_str()) != 0)
            fail("cannot enter the fixed dictionary");
        auto* made = new SpellChecker;
        try {
            if (!made->initialize())
                fail("the fixed dictionary does not set up");
        } catch (const QuelmException& ex) {
            fail(ex.getFullMessage().c_str());
        }
        enterScratch();
        return made;
    }();
    return *checker;
}

void expectLexiconWords(const SpellChecker& checker, const std::vector<std::u16string>& suggestions) {
    if (suggestions.empty())
        return;
    std::unordered_set<std::u16string> words;
    HashNode node;
    for (int32_t slot = 0; slot < checker.lexicon().getTableSize(); ++slot)
        if (checker.lexicon().getNode(slot, node))
            words.insert(node.word);
    for (const std::u16string& suggestion : suggestions)
        if (!words.contains(suggestion))
            fail("a suggestion that is no lexicon word");
}

void exerciseChecker(SpellChecker& checker) {
    std::vector<std::u16string> suggestions;
    for (const std::u16string& word : misspellings()) {
        try {
            checker.checkWord(word, suggestions);
        } catch (const QuelmException&) {
            continue;
        }
        expectLexiconWords(checker, suggestions);
    }
}

void fail(const char* what) {
    std::fprintf(stderr, "zabrel fuzz: %s\n", what);
    std::abort();
}

}  // namespace zabrel::fuzz
