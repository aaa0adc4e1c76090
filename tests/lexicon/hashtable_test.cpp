// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <random>

#include "core/errors.h"
#include "lexicon/hashtable.h"
#include "lexicon/unichar2indexmap.h"
#include "support/testsupport.h"

using namespace zabrel;
using namespace zabrel::test;

namespace {

// Finds `count` distinct words over `letters` that hash to `home` in `table`.
std::vector<std::u16string> wordsWithHome(const HashTable& table, uint32_t home, std::size_t count) {
    std::vector<std::u16string> found;
    for (char16_t a = 0x0627; a < 0x0700 && found.size() < count; ++a)
        for (char16_t b = 0x0627; b < 0x0700 && found.size() < count; ++b) {
            std::u16string w{a, b};
            if (table.hash(w) == home)
                found.push_back(w);
        }
    return found;
}

std::u16string digits(int32_t value) {
    const std::string narrow = std::to_string(value);
    return std::u16string(narrow.begin(), narrow.end());
}

class HashTableFiles : public ::testing::Test {
protected:
    TempDir dir;
    UniChar2IndexMap alphabet;
    void SetUp() override {
        for (char16_t c = 0x0621; c <= 0x064A; ++c)
            alphabet.addChar(c);
    }
    std::string wordList(const std::u16string& text) {
        writeFile(dir.file("words.txt"), unicodeFile(text));
        return dir.file("words.txt");
    }
};

}  // namespace

TEST(hashtable_test, hash_follows_the_wrapping_formula) {
    HashTable table;
    EXPECT_EQ(table.hash(u"\u0627"), 0u);  // no table yet
    ASSERT_TRUE(table.init(10, 10));
    EXPECT_EQ(table.hash(u""), 0u);
    EXPECT_EQ(table.hash(u"\u0627"), 5u);
    EXPECT_EQ(table.hash(u"\u0627\u0628"), 6u);
    ASSERT_TRUE(table.init(250000, 250000));
    EXPECT_EQ(table.hash(u"\u0627\u0628\u067E\u062A"), 48406u);
    // The address size follows the smaller argument; one home slot hashes everything to 0.
    ASSERT_TRUE(table.init(5, 9));
    EXPECT_LT(table.hash(u"\u0627\u0628\u067E"), 5u);
    ASSERT_TRUE(table.init(1, 1));
    EXPECT_EQ(table.hash(u"\u0627\u0628\u067E"), 0u);
    EXPECT_FALSE(table.init(0, 5));
    EXPECT_FALSE(table.init(5, -1));
}

TEST(hashtable_test, collisions_take_the_lowest_free_slots_and_chains_coalesce) {
    HashTable table;
    ASSERT_TRUE(table.init(5, 5));
    auto atTwo = wordsWithHome(table, 2, 3);
    auto atZero = wordsWithHome(table, 0, 1);
    ASSERT_EQ(atTwo.size(), 3u);
    EXPECT_EQ(table.insertAtHome(atTwo[0], 1), 2);
    EXPECT_EQ(table.insertAtHome(atTwo[1], 1), -1);
    EXPECT_EQ(table.insertCollision(atTwo[1], 1, 2), 0);
    EXPECT_EQ(table.insertCollision(atTwo[2], 1, 2), 1);
    HashNode node;
    table.getNode(2, node);
    EXPECT_EQ(node.next, 0);
    table.getNode(0, node);
    EXPECT_EQ(node.next, 1);
    // The fourth word's home 0 is taken by a word of the other chain: it joins it.
    EXPECT_EQ(table.insertAtHome(atZero[0], 1), -1);
    EXPECT_EQ(table.insertCollision(atZero[0], 1, 0), 3);
    table.getNode(1, node);
    EXPECT_EQ(node.next, 3);
    for (const auto& w : atTwo)
        EXPECT_TRUE(table.contains(w));
    EXPECT_TRUE(table.contains(atZero[0]));
    EXPECT_EQ(table.getWordCount(), 4);
    EXPECT_EQ(table.insertCollision(atZero[0], 1, 5), -1);  // home out of range
}

TEST(hashtable_test, duplicates_withdrawn_words_and_bounds) {
    HashTable table;
    ASSERT_TRUE(table.init(7, 7));
    const std::u16string w = u"\u0627\u0628";
    table.insertAtHome(w, 3);
    table.insertCollision(w, 9, table.hash(w));
    std::vector<HashNode> results{HashNode{u"stale", 0, 0}};
    ASSERT_TRUE(table.find(w, results));
    ASSERT_EQ(results.size(), 2u);
    EXPECT_EQ(results[0].frequency, 3);
    EXPECT_EQ(results[0].next, static_cast<int32_t>(table.hash(w)));
    EXPECT_EQ(results[1].frequency, 9);
    EXPECT_EQ(results[1].next, 0);

    const std::u16string withdrawn = u"@\u0628";
    if (table.insertAtHome(withdrawn, 1) == -1)
        table.insertCollision(withdrawn, 1, table.hash(withdrawn));
    EXPECT_FALSE(table.contains(withdrawn));
    EXPECT_FALSE(table.find(withdrawn, results));
    EXPECT_TRUE(results.empty());
    EXPECT_FALSE(table.contains(u"\u0628\u0627"));

    HashNode node{u"unchanged", 5, 5};
    EXPECT_FALSE(table.getNode(-1, node));
    EXPECT_FALSE(table.getNode(7, node));
    EXPECT_EQ(node.word, u"unchanged");
    EXPECT_FALSE(table.setNode(7, node));
}

TEST_F(HashTableFiles, build_reads_one_record_ahead) {
    // Header 4 and four records: three slots, the fourth word is never inserted.
    HashTable table;
    ASSERT_TRUE(table.build(
        wordList(u"4\r\n\u0627\u0628\t5\r\n\u0628\u0627\t6\r\n\u062A\u0628\t7\r\n\u062B\u0628\t8\r\n"),
        alphabet));
    EXPECT_EQ(table.getTableSize(), 3);
    EXPECT_EQ(table.getWordCount(), 3);
    EXPECT_TRUE(table.contains(u"\u062A\u0628"));
    EXPECT_FALSE(table.contains(u"\u062B\u0628"));

    // Three records and no final line end: the third is read but not inserted.
    ASSERT_TRUE(
        table.build(wordList(u"4\r\n\u0627\u0628\t5\r\n\u0628\u0627\t6\r\n\u062A\u0628\t7"), alphabet));
    EXPECT_EQ(table.getTableSize(), 3);
    EXPECT_EQ(table.getWordCount(), 2);
    EXPECT_FALSE(table.contains(u"\u062A\u0628"));

    // Three records and a final line end: the read ahead runs off the end.
    IOException ex = raised<IOException>([&] {
        table.build(wordList(u"4\r\n\u0627\u0628\t5\r\n\u0628\u0627\t6\r\n\u062A\u0628\t7\r\n"), alphabet);
    });
    EXPECT_EQ(ex.getErrorCode(), ERR_FILE_READ);
    EXPECT_EQ(ex.getMessage(), "End of file encountered. Config file not opened sucessfully.");
    EXPECT_EQ(ex.getFileName(), "hashtable.cpp");
}

TEST_F(HashTableFiles, build_field_quirks) {
    HashTable table;
    for (std::u16string header : {u"0", u"1", u"2", u"x", u"-5"}) {
        EXPECT_FALSE(table.build(wordList(header + u"\r\n\u0627\u0628\t1\r\n\u0628\u0627\t1\r\n"), alphabet));
        EXPECT_EQ(table.getWordCount(), 0);
    }
    // An empty word field repeats the previous (filtered) word with the new frequency;
    // characters outside the alphabet vanish from stored words.
    ASSERT_TRUE(
        table.build(wordList(u"4\r\n\u0627a\u0628\t5\r\n\t6\r\n\u062A\u0628\t7\r\nx\t1\r\n"), alphabet));
    std::vector<HashNode> found;
    ASSERT_TRUE(table.find(u"\u0627\u0628", found));
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].frequency, 5);
    EXPECT_EQ(found[1].frequency, 6);

    // A word of exactly 22 units leaves its TAB to the frequency read, which skips it.
    std::u16string longWord(22, u'\u0628');
    ASSERT_TRUE(
        table.build(wordList(u"3\r\n" + longWord + u"\t42\r\n\u0627\u0628\t1\r\nx\t1\r\n"), alphabet));
    ASSERT_TRUE(table.find(longWord, found));
    EXPECT_EQ(found[0].frequency, 42);

    IOException ex = raised<IOException>([&] { table.build(dir.file("none.txt"), alphabet); });
    EXPECT_EQ(ex.getMessage(),
              "Could not open file: " + dir.file("none.txt") + ". Config file not opened sucessfully.");
    writeFile(dir.file("plain.txt"), std::string("3\r\n"));
    ex = raised<IOException>([&] { table.build(dir.file("plain.txt"), alphabet); });
    EXPECT_EQ(ex.getMessage(), "File is not Unicode based. Config file not opened sucessfully.");
}

TEST(hashtable_test, to_int_reads_like_atoi) {
    EXPECT_EQ(toInt(u"  42\r"), 42);
    EXPECT_EQ(toInt(u"\t-7x"), -7);
    EXPECT_EQ(toInt(u"+3"), 3);
    EXPECT_EQ(toInt(u"abc"), 0);
    EXPECT_EQ(toInt(u""), 0);
    EXPECT_EQ(toInt(u"\u0631"), 1);  // narrowed to its low byte 0x31, the digit 1
    EXPECT_EQ(toInt(u"99999999999"), 2147483647);
}

TEST_F(HashTableFiles, save_and_load_keep_every_slot_byte_for_byte) {
    std::u16string text = u"41\r\n";
    for (int i = 0; i < 40; ++i)
        text += std::u16string{static_cast<char16_t>(0x0627 + i % 20), static_cast<char16_t>(0x0628 + i / 20),
                               u'\t'} +
                std::u16string(1, static_cast<char16_t>(u'1' + i % 9)) + u"\r\n";
    text += u"\u0627\u0627\t1\r\n";
    HashTable table;
    ASSERT_TRUE(table.build(wordList(text), alphabet));
    ASSERT_TRUE(table.save(dir.file("h1.dat")));
    Bytes first = readFile(dir.file("h1.dat"));
    ASSERT_EQ(first.size(), 6u + 48u * 40u);
    EXPECT_EQ((Bytes(first.begin(), first.begin() + 6)), (Bytes{0xFF, 0xFE, 40, 0, 0, 0}));

    HashTable loaded;
    ASSERT_TRUE(loaded.load(dir.file("h1.dat")));
    for (int32_t k = 0; k < 40; ++k) {
        HashNode a, b;
        table.getNode(k, a);
        loaded.getNode(k, b);
        EXPECT_EQ(a.word, b.word);
        EXPECT_EQ(a.frequency, b.frequency);
        EXPECT_EQ(a.next, b.next);
        EXPECT_TRUE(loaded.contains(a.word));
    }
    ASSERT_TRUE(loaded.save(dir.file("h2.dat")));
    EXPECT_EQ(readFile(dir.file("h2.dat")), first);
}

TEST_F(HashTableFiles, words_over_twenty_units_come_back_cut) {
    std::u16string longWord(21, u'\u0628');
    HashTable table;
    ASSERT_TRUE(table.build(wordList(u"3\r\n" + longWord + u"\t1\r\n\u0627\u0628\t1\r\nx\t1\r\n"), alphabet));
    table.save(dir.file("h.dat"));
    HashTable loaded;
    loaded.load(dir.file("h.dat"));
    EXPECT_FALSE(loaded.contains(longWord));
    HashNode node;
    std::vector<HashNode> found;
    ASSERT_TRUE(table.find(longWord, found));
    loaded.getNode(found[0].next, node);
    EXPECT_EQ(node.word, longWord.substr(0, 20));
}

TEST_F(HashTableFiles, a_table_that_is_not_full_is_saved_whole) {
    HashTable table;
    // Header 4, three records, no final line end: three slots holding two words.
    ASSERT_TRUE(
        table.build(wordList(u"4\r\n\u0627\u0628\t5\r\n\u0628\u0627\t6\r\n\u062A\u0628\t7"), alphabet));
    ASSERT_EQ(table.getWordCount(), 2);
    ASSERT_TRUE(table.save(dir.file("h.dat")));
    EXPECT_EQ(readFile(dir.file("h.dat")).size(), 6u + 48u * 3u);
    HashTable loaded;
    ASSERT_TRUE(loaded.load(dir.file("h.dat")));
    EXPECT_EQ(loaded.getTableSize(), 3);
    EXPECT_TRUE(loaded.contains(u"\u0627\u0628"));
    EXPECT_TRUE(loaded.contains(u"\u0628\u0627"));
}

TEST_F(HashTableFiles, damaged_files_never_make_a_table) {
    HashTable table;
    ASSERT_TRUE(table.build(
        wordList(u"4\r\n\u0627\u0628\t5\r\n\u0628\u0627\t6\r\n\u062A\u0628\t7\r\nx\t1\r\n"), alphabet));
    table.save(dir.file("good.dat"));
    const Bytes good = readFile(dir.file("good.dat"));

    auto expectDamaged = [&](const Bytes& bytes, const char* what) {
        writeFile(dir.file("bad.dat"), bytes);
        HashTable loaded;
        IOException ex = raised<IOException>([&] { loaded.load(dir.file("bad.dat")); });
        EXPECT_EQ(ex.getErrorCode(), ERR_FILE_READ) << what;
        EXPECT_EQ(ex.getMessage(), "Hash table file is damaged. Config file not opened sucessfully.") << what;
        EXPECT_EQ(loaded.getTableSize(), 0) << what;
    };
    expectDamaged(Bytes{0xFF, 0xFE}, "no count");
    expectDamaged(Bytes(good.begin(), good.end() - 1), "last record cut");
    Bytes countOne = good;
    countOne[2] = 1;
    expectDamaged(Bytes(countOne.begin(), countOne.begin() + 54), "count of one");
    Bytes huge = good;
    huge[5] = 0x7F;
    expectDamaged(huge, "count beyond the file");
    Bytes badLink = good;
    badLink[50] = 3;  // slot 0's next points at the count
    badLink[51] = badLink[52] = badLink[53] = 0;
    expectDamaged(badLink, "link out of range");
    Bytes loop = good;
    // Make every slot point at the next one and the last back to the first.
    for (int k = 0; k < 3; ++k) {
        Bytes link = littleEndian32((k + 1) % 3);
        std::copy(link.begin(), link.end(), loop.begin() + 50 + 48 * k);
    }
    expectDamaged(loop, "a chain that loops");

    Bytes zero = good;
    zero[2] = 0;
    writeFile(dir.file("zero.dat"), zero);
    HashTable loaded;
    EXPECT_FALSE(loaded.load(dir.file("zero.dat")));
}

TEST_F(HashTableFiles, a_build_places_every_word_where_walking_the_chains_would) {
    // Random short words over few letters collide and coalesce heavily; the build
    // finds chain tails without walking and must give exactly the walked layout.
    std::mt19937 random(7);
    for (int round = 0; round < 20; ++round) {
        const int32_t records = 50 + static_cast<int32_t>(random() % 400);
        std::vector<std::u16string> words;
        std::u16string list = digits(records + 1) + u"\r\n";
        for (int32_t k = 0; k <= records; ++k) {
            std::u16string word;
            for (std::size_t n = 1 + random() % 3; n > 0; --n)
                word.push_back(static_cast<char16_t>(0x0627 + random() % 4));
            words.push_back(word);
            list += word + u"\t" + digits(k) + u"\r\n";
        }
        HashTable built;
        ASSERT_TRUE(built.build(wordList(list), alphabet));
        HashTable walked;
        ASSERT_TRUE(walked.init(records, records));
        for (int32_t k = 0; k < records; ++k)
            if (walked.insertAtHome(words[static_cast<std::size_t>(k)], k) == -1)
                walked.insertCollision(words[static_cast<std::size_t>(k)], k,
                                       walked.hash(words[static_cast<std::size_t>(k)]));
        for (int32_t slot = 0; slot < records; ++slot) {
            EXPECT_EQ(built.nodeAt(slot).word, walked.nodeAt(slot).word) << slot;
            EXPECT_EQ(built.nodeAt(slot).next, walked.nodeAt(slot).next) << slot;
            EXPECT_EQ(built.nodeAt(slot).frequency, walked.nodeAt(slot).frequency) << slot;
        }
    }
}
