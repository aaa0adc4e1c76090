// SPDX-License-Identifier: MIT
// The loaders read a file's bytes as they read the file: the same tables, and the
// same errors, naming what the caller calls the bytes.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "core/errors.h"
#include "engine/contextmodel.h"
#include "engine/spellchecker.h"
#include "lexicon/hashtable.h"
#include "postings/postlistresources.h"
#include "support/dictionary.h"
#include "support/testsupport.h"
#include "text/utf8.h"

using namespace zabrel;
using namespace zabrel::test;

namespace {

std::string text(const Bytes& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

template <typename Load>
std::string messageOf(const Load& load) {
    return raised<IOException>(load).getMessage();
}

// Every file of the current directory, by name.
std::map<std::string, std::string> filesHere() {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator("."))
        if (entry.is_regular_file())
            files[entry.path().filename().string()] = text(readFile(entry.path().string()));
    return files;
}

// What a checker says of `word` in one ranking: the verdict, then the suggestions.
std::vector<std::u16string> answer(const SpellChecker& checker, const std::u16string& word, Ranking ranking) {
    std::vector<std::u16string> suggestions;
    const bool misspelt = checker.checkWord(word, suggestions, ranking);
    suggestions.insert(suggestions.begin(), misspelt ? u"misspelt" : u"accepted");
    return suggestions;
}

}  // namespace

TEST(LoadBytes, lexicon_posting_index_and_context_model_load_from_bytes_as_from_files) {
    TempDir dir;
    CurrentDir here(dir.path());
    const std::u16string letters = urduLetters();
    DictionaryContents dict;
    dict.alphabet = letters;
    for (std::size_t k = 0; k + 2 < 20; ++k)
        dict.words.push_back({letters.substr(k, 3), static_cast<int>(k + 1)});
    writeDictionary(".", dict);
    {
        SpellChecker builder;
        ASSERT_TRUE(builder.initialize());
    }

    // The lexicon: every slot the same, and a damaged copy refused with the same words.
    HashTable fromFile, fromBytes;
    ASSERT_TRUE(fromFile.load("hashtable.dat"));
    const Bytes table = readFile("hashtable.dat");
    ASSERT_TRUE(fromBytes.loadBytes(text(table), "hashtable.dat"));
    ASSERT_EQ(fromBytes.getTableSize(), fromFile.getTableSize());
    EXPECT_EQ(fromBytes.getWordCount(), fromFile.getWordCount());
    for (int32_t slot = 0; slot < fromFile.getTableSize(); ++slot) {
        EXPECT_EQ(fromBytes.nodeAt(slot).word, fromFile.nodeAt(slot).word);
        EXPECT_EQ(fromBytes.nodeAt(slot).frequency, fromFile.nodeAt(slot).frequency);
        EXPECT_EQ(fromBytes.nodeAt(slot).next, fromFile.nodeAt(slot).next);
    }
    EXPECT_TRUE(fromBytes.contains(letters.substr(4, 3)));
    const Bytes cut(table.begin(), table.end() - 10);
    writeFile("cut.dat", cut);
    const std::string cutMessage = messageOf([&] { fromFile.load("cut.dat"); });
    EXPECT_EQ(cutMessage, "Hash table file is damaged. Config file not opened sucessfully.");
    EXPECT_EQ(messageOf([&] { fromBytes.loadBytes(text(cut), "cut.dat"); }), cutMessage);
    EXPECT_EQ(fromBytes.getTableSize(), 0);  // nothing of a damaged table is kept
    EXPECT_EQ(messageOf([&] { fromBytes.loadBytes("", "empty.dat"); }),
              "File is not Unicode based. Config file not opened sucessfully.");

    // The letter-pair and letter indexes: every record the same; a short index refused
    // as the file is.
    const auto records = [&](PostListResources& lists) {
        std::vector<int64_t> all;
        for (int32_t i = 0; i < lists.getAlphabetSize(); ++i) {
            for (int32_t j = 0; j < lists.getAlphabetSize(); ++j)
                all.push_back(int64_t{lists.bigramRecord(i, j).offset} << 20 |
                              lists.bigramRecord(i, j).count);
            all.push_back(int64_t{lists.unigramRecord(i).offset} << 20 | lists.unigramRecord(i).count);
        }
        return all;
    };
    PostListResources listsFromFile, listsFromBytes;
    for (PostListResources* lists : {&listsFromFile, &listsFromBytes})
        lists->setAlphabetSize(static_cast<int32_t>(letters.size()));
    listsFromFile.loadBigramMatrix("bigram-index.dat");
    listsFromFile.loadUnigramIndex("unigram-index.dat");
    const Bytes pairs = readFile("bigram-index.dat");
    listsFromBytes.loadBigramMatrixBytes(text(pairs), "bigram-index.dat");
    listsFromBytes.loadUnigramIndexBytes(text(readFile("unigram-index.dat")), "unigram-index.dat");
    EXPECT_EQ(records(listsFromBytes), records(listsFromFile));
    EXPECT_NE(records(listsFromFile), std::vector<int64_t>(records(listsFromFile).size(), 0));
    const Bytes shortIndex(pairs.begin(), pairs.end() - 1);
    writeFile("short.dat", shortIndex);
    const std::string shortMessage = messageOf([&] { listsFromFile.loadBigramMatrix("short.dat"); });
    EXPECT_EQ(shortMessage,
              "End of file encountered. Bigram Matrix Index file could not be opened or read sucessfully.");
    EXPECT_EQ(messageOf([&] { listsFromBytes.loadBigramMatrixBytes(text(shortIndex), "short.dat"); }),
              shortMessage);

    // The context model: the same answers; a damaged one refused naming the label.
    const std::vector<ContextModel::Pair> modelPairs = {{letters.substr(0, 3), letters.substr(1, 3)},
                                                        {letters.substr(1, 3), letters.substr(2, 3)}};
    const std::string modelBytes = contextModelBytes(modelPairs);
    writeFile("context.bin", modelBytes);
    ContextModel modelFromFile, modelFromBytes;
    modelFromFile.load("context.bin");
    modelFromBytes.loadBytes(modelBytes, "context.bin");
    EXPECT_EQ(modelFromBytes.pairCount(), 2u);
    for (const auto& [first, second] : modelPairs) {
        EXPECT_EQ(modelFromBytes.logProbability(second, {}, first),
                  modelFromFile.logProbability(second, {}, first));
        EXPECT_EQ(modelFromBytes.logProbability(first, {}, second),
                  modelFromFile.logProbability(first, {}, second));
    }
    writeFile("cut.bin", modelBytes.substr(0, modelBytes.size() - 1));
    const std::string modelMessage = messageOf([&] { modelFromFile.load("cut.bin"); });
    EXPECT_EQ(modelMessage, "Context model file is damaged (n-grams do not match their counts): cut.bin.");
    EXPECT_EQ(
        messageOf([&] { modelFromBytes.loadBytes(modelBytes.substr(0, modelBytes.size() - 1), "cut.bin"); }),
        modelMessage);
    EXPECT_EQ(modelFromBytes.pairCount(), 2u);  // a failed load keeps the model as it was
}

TEST(LoadBytes, a_dictionary_set_up_from_bytes_answers_and_fails_as_from_its_folder) {
    TempDir dir;
    CurrentDir here(dir.path());
    const std::u16string l = urduLetters();
    DictionaryContents dict;
    dict.alphabet = l;
    for (std::size_t k = 0; k + 5 < l.size(); ++k) {
        dict.words.push_back({l.substr(k, 2), static_cast<int>(k + 3)});
        dict.words.push_back({l.substr(k, 4), static_cast<int>(40 - k)});
        dict.words.push_back({l.substr(k, 2) + l.substr(k + 3, 3), static_cast<int>(k + 1)});
    }
    for (std::size_t k = 0; k < l.size(); ++k) {
        dict.soundex.push_back({l[k], static_cast<int>(k % 9 + 1)});
        dict.shapex.push_back({l[k], static_cast<int>(k % 7 + 1)});
    }
    writeDictionary(".", dict);
    // A slip one edit from a word, whose sure fix is a word far from it.
    const std::u16string slip = l.substr(2, 3) + l.substr(6, 1);
    const std::u16string fix = l.substr(10, 2) + l.substr(13, 3);
    writeFile("surefixes.txt", utf16ToUtf8(slip) + "\t" + utf16ToUtf8(fix) + "\n");
    // A first run in memory builds and writes nothing.
    const std::map<std::string, std::string> unbuilt = filesHere();
    SpellChecker firstRun;
    ASSERT_TRUE(firstRun.initialize(DictionaryFiles::inMemory(unbuilt)));
    EXPECT_EQ(filesHere(), unbuilt);
    {
        SpellChecker builder;
        ASSERT_TRUE(builder.initialize());
    }
    SpellChecker fromFolder, fromBytes;
    ASSERT_TRUE(fromFolder.initialize());
    ASSERT_TRUE(fromBytes.initialize(DictionaryFiles::inMemory(filesHere())));

    const std::vector<std::u16string> words = {
        l.substr(3, 4),                   // a word
        l.substr(3, 3) + l.substr(8, 1),  // a letter replaced
        l.substr(3, 2) + l.substr(6, 3),  // a letter dropped
        l.substr(4, 1) + l.substr(3, 1),  // two letters swapped
        l.substr(1, 1) + l.substr(7, 2),  // short: the letter lists
        l.substr(2, 4) + l.substr(2, 4),  // two words run together
        slip,
    };
    std::size_t suggested = 0;
    for (Ranking ranking : {Ranking::Exact, Ranking::Accurate})
        for (const std::u16string& word : words) {
            const std::vector<std::u16string> expected = answer(fromFolder, word, ranking);
            EXPECT_EQ(answer(fromBytes, word, ranking), expected);
            EXPECT_EQ(answer(firstRun, word, ranking), expected);
            suggested += expected.size() - 1;
        }
    EXPECT_GT(suggested, 10u);  // the lists were read, not merely both empty
    EXPECT_EQ(answer(fromBytes, slip, Ranking::Accurate).at(1), fix);

    // Damaged files: the same words by either route.
    const auto sameFailure = [&](const std::map<std::string, std::string>& damaged) {
        std::map<std::string, std::string> files = filesHere();
        const std::map<std::string, std::string> kept = files;
        for (const auto& [name, bytes] : damaged) {
            files[name] = bytes;
            writeFile(name, bytes);
        }
        SpellChecker folder, memory;
        const std::string expected = messageOf([&] { folder.initialize(); });
        EXPECT_EQ(messageOf([&] { memory.initialize(DictionaryFiles::inMemory(files)); }), expected);
        EXPECT_EQ(memory.failedFile().path, folder.failedFile().path) << expected;
        for (const auto& [name, bytes] : damaged)
            writeFile(name, kept.at(name));
        return expected;
    };
    const std::map<std::string, std::string> intact = filesHere();
    const std::string& table = intact.at("hashtable.dat");
    EXPECT_EQ(sameFailure({{"hashtable.dat", table.substr(0, table.size() - 3)}}),
              "Hash table file is damaged. Config file not opened sucessfully.");
    const std::string& lists = intact.at("bigram-lists.dat");
    EXPECT_EQ(sameFailure({{"bigram-lists.dat", lists.substr(0, lists.size() - 4)}}),
              "Posting-list index does not match its list file: bigram-index.dat, bigram-lists.dat.");
    const std::string& index = intact.at("unigram-index.dat");
    EXPECT_EQ(sameFailure({{"unigram-index.dat", index.substr(0, index.size() - 1)}}),
              "End of file encountered. Unigram List Index file could not be opened or read sucessfully.");
    EXPECT_EQ(sameFailure({{"soundex.txt", std::string(2u << 20, '0')}}),
              "File is too large: soundex.txt. Config file not opened sucessfully.");
    std::string config = intact.at("config.ini");
    config.replace(config.find("alphabet.txt"), 12, "nowhere.txt");
    EXPECT_EQ(sameFailure({{"config.ini", config}}),
              "Could not open file: nowhere.txt. Config file not opened sucessfully.");
    std::string header = unbuilt.at("wordlist.txt");
    header.replace(2, 2, std::string("x\0", 2));
    EXPECT_EQ(sameFailure({{"config.ini", unbuilt.at("config.ini")}, {"wordlist.txt", header}}),
              "Word list header is not a word count: wordlist.txt.");
}
