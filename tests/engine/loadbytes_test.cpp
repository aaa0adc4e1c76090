// SPDX-License-Identifier: MIT
// The loaders read a file's bytes as they read the file: the same tables, and the
// same errors, naming what the caller calls the bytes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/errors.h"
#include "engine/contextmodel.h"
#include "engine/spellchecker.h"
#include "lexicon/hashtable.h"
#include "postings/postlistresources.h"
#include "support/dictionary.h"
#include "support/testsupport.h"

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
