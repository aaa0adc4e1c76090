// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "core/configmanager.h"
#include "core/errors.h"
#include "lexicon/hashtable.h"
#include "lexicon/unichar2indexmap.h"
#include "postings/postlistresources.h"
#include "support/testsupport.h"

using namespace zabrel;
using namespace zabrel::test;

namespace {

class PostingFiles : public ::testing::Test {
protected:
    TempDir dir;
    ConfigManager config;
    void SetUp() override {
        config.bigramMatrixFilePath = dir.file("bm.dat");
        config.bigramPLFilePath = dir.file("bp.dat");
        config.unigramListsFilePath = dir.file("ui.dat");
        config.unigramPLFilePath = dir.file("up.dat");
    }
};

// Alphabet A, B; ABA in slot 0 and BB in slot 1.
void workedExample(HashTable& table, UniChar2IndexMap& alphabet) {
    alphabet.addChar(u'A');
    alphabet.addChar(u'B');
    table.init(2, 2);
    table.setNode(0, HashNode{u"ABA", 1, CHAIN_END});
    table.setNode(1, HashNode{u"BB", 1, CHAIN_END});
}

}  // namespace

TEST(postlistresources_test, lists_follow_letter_pairs_and_short_words) {
    UniChar2IndexMap alphabet;
    for (char16_t c : u"ABX")
        if (c != 0)
            alphabet.addChar(c);
    HashTable table;
    table.init(5, 5);
    table.setNode(0, HashNode{u"ABAB", 1, CHAIN_END});  // pair (A,B) twice, no unigrams
    table.setNode(1, HashNode{u"AyB", 1, CHAIN_END});   // y is no letter: no pairs
    table.setNode(2, HashNode{u"XXX", 1, CHAIN_END});   // both kinds
    table.setNode(3, HashNode{u"BB", 1, CHAIN_END});
    PostListResources lists;
    ASSERT_TRUE(lists.build(table, alphabet));
    EXPECT_EQ(lists.bigramList(0, 1), (std::vector<int32_t>{0, 0}));
    EXPECT_EQ(lists.bigramList(1, 0), (std::vector<int32_t>{0}));
    EXPECT_EQ(lists.bigramList(2, 2), (std::vector<int32_t>{2, 2}));
    EXPECT_EQ(lists.unigramList(0), (std::vector<int32_t>{1}));
    EXPECT_EQ(lists.unigramList(1), (std::vector<int32_t>{1, 3, 3}));
    EXPECT_EQ(lists.unigramList(2), (std::vector<int32_t>{2, 2, 2}));
    // Offsets run over the non-empty lists in row-major order, 4 bytes an entry.
    EXPECT_EQ(lists.bigramRecord(0, 0).offset, -1);
    EXPECT_EQ(lists.bigramRecord(0, 1).offset, 0);
    EXPECT_EQ(lists.bigramRecord(0, 1).count, 2);
    EXPECT_EQ(lists.bigramRecord(1, 0).offset, 8);
    EXPECT_EQ(lists.bigramRecord(2, 2).offset, 12);
    EXPECT_EQ(lists.unigramRecord(2).offset, 16);
}

TEST_F(PostingFiles, worked_example_byte_for_byte) {
    HashTable table;
    UniChar2IndexMap alphabet;
    workedExample(table, alphabet);
    PostListResources lists;
    lists.build(table, alphabet);
    ASSERT_TRUE(lists.save(config));
    EXPECT_EQ(readFile(config.bigramMatrixFilePath),
              (Bytes{0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0,    0,    0,    0,    0, 1,
                     0,    4,    0,    0,    0,    1,    0, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0}));
    EXPECT_EQ(readFile(config.bigramPLFilePath), (Bytes{0xFF, 0xFE, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(readFile(config.unigramListsFilePath), (Bytes{0xFF, 0xFE, 0, 0, 0, 0, 2, 0, 8, 0, 0, 0, 3, 0}));
    EXPECT_EQ(readFile(config.unigramPLFilePath),
              (Bytes{0xFF, 0xFE, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0}));

    PostListResources loaded;
    loaded.setAlphabetSize(2);
    ASSERT_TRUE(loaded.load(config));
    EXPECT_EQ(loaded.bigramRecord(1, 0).offset, 4);
    EXPECT_EQ(loaded.bigramRecord(1, 0).count, 1);
    EXPECT_EQ(loaded.bigramRecord(1, 1).offset, -1);
    EXPECT_EQ(loaded.unigramRecord(1).count, 3);
}

TEST_F(PostingFiles, empty_alphabet_writes_marks_only_and_cannot_load) {
    HashTable table;
    table.init(2, 2);
    UniChar2IndexMap alphabet;
    PostListResources lists;
    lists.build(table, alphabet);
    ASSERT_TRUE(lists.save(config));
    for (const std::string& path : {config.bigramMatrixFilePath, config.bigramPLFilePath,
                                    config.unigramListsFilePath, config.unigramPLFilePath})
        EXPECT_EQ(readFile(path), (Bytes{0xFF, 0xFE}));
    PostListResources loaded;
    EXPECT_FALSE(loaded.loadBigramMatrix(config.bigramMatrixFilePath));
    QuelmException ex = raised([&] { loaded.load(config); });
    EXPECT_EQ(ex.getErrorCode(), ERR_GENERAL);
    EXPECT_EQ(ex.getMessage(), "Alphabet size not set");
}

TEST_F(PostingFiles, load_failures_carry_the_index_name) {
    PostListResources lists;
    lists.setAlphabetSize(2);
    IOException ex = raised<IOException>([&] { lists.loadBigramMatrix(dir.file("absent.dat")); });
    EXPECT_EQ(ex.getErrorCode(), ERR_FILE_OPEN);
    EXPECT_EQ(ex.getMessage(), "Could not open file: " + dir.file("absent.dat") +
                                   ". Bigram Matrix Index file could not be opened or read sucessfully.");
    EXPECT_EQ(ex.getFileName(), "postlistresources.cpp");

    writeFile(dir.file("nomark.dat"), Bytes(26, 0));
    ex = raised<IOException>([&] { lists.loadUnigramIndex(dir.file("nomark.dat")); });
    EXPECT_EQ(ex.getMessage(),
              "File is not Unicode based. Unigram List Index file could not be opened or read sucessfully.");

    // A file that ends inside its last record fails instead of taking unread bytes.
    Bytes shortFile(2 + 6 * 4 - 1, 0);
    shortFile[0] = 0xFF;
    shortFile[1] = 0xFE;
    writeFile(dir.file("short.dat"), shortFile);
    ex = raised<IOException>([&] { lists.loadBigramMatrix(dir.file("short.dat")); });
    EXPECT_EQ(ex.getErrorCode(), ERR_FILE_READ);
    EXPECT_EQ(ex.getMessage(),
              "End of file encountered. Bigram Matrix Index file could not be opened or read sucessfully.");
}

TEST_F(PostingFiles, unwritable_files_are_reported) {
    HashTable table;
    UniChar2IndexMap alphabet;
    workedExample(table, alphabet);
    PostListResources lists;
    lists.build(table, alphabet);
    config.unigramPLFilePath = dir.file("missing-folder/up.dat");
    EXPECT_FALSE(lists.save(config));
    EXPECT_EQ(lists.failedPath(), config.unigramPLFilePath);
    // The bigram files were still written.
    EXPECT_EQ(readFile(config.bigramPLFilePath).size(), 10u);
}

TEST_F(PostingFiles, a_list_longer_than_its_count_is_stored_whole) {
    UniChar2IndexMap alphabet;
    const std::u16string letters = u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnop";  // 42 letters
    for (char16_t c : letters)
        alphabet.addChar(c);
    // 42^3 = 74,088 five-letter words that all contain the pair AB.
    const int32_t words = 42 * 42 * 42;
    HashTable table;
    table.init(words, words);
    int32_t slot = 0;
    for (char16_t x : letters)
        for (char16_t y : letters)
            for (char16_t z : letters)
                table.setNode(slot++, HashNode{std::u16string{u'A', u'B', x, y, z}, 1, CHAIN_END});
    PostListResources lists;
    lists.build(table, alphabet);
    const std::size_t abLength = lists.bigramList(0, 1).size();
    ASSERT_GT(abLength, 65535u);
    EXPECT_EQ(lists.bigramRecord(0, 1).count, 65535);
    // The next non-empty list in row-major order starts after the whole AB list.
    int32_t nextOffset = -1;
    for (int32_t k = 2; k < 42 * 42 && nextOffset < 0; ++k)
        nextOffset = lists.bigramRecord(k / 42, k % 42).offset;
    EXPECT_EQ(nextOffset, lists.bigramRecord(0, 1).offset + static_cast<int32_t>(4 * abLength));
    ASSERT_TRUE(lists.save(config));
    PostListResources loaded;
    loaded.setAlphabetSize(42);
    loaded.load(config);
    EXPECT_EQ(loaded.bigramRecord(0, 1).count, 65535);
    EXPECT_EQ(loaded.bigramRecord(0, 1).offset, lists.bigramRecord(0, 1).offset);
}
