// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <filesystem>

#include "core/configmanager.h"
#include "core/errors.h"
#include "engine/spellchecker.h"
#include "support/dictionary.h"
#include "support/testsupport.h"

using namespace zabrel;
using namespace zabrel::test;
namespace fs = std::filesystem;

namespace {

using Words = std::vector<std::u16string>;

// Letters named for readability in the ranking cases.
constexpr char16_t A = u'\u0627', B = u'\u0628', P = u'\u067E', T = u'\u062A', J = u'\u062C', D = u'\u062F',
                   R = u'\u0631', S = u'\u0633', K = u'\u06A9', L = u'\u0644', M = u'\u0645', N = u'\u0646',
                   W = u'\u0648', Y = u'\u06CC';

std::u16string w(std::initializer_list<char16_t> letters) {
    return std::u16string(letters);
}

class Engine : public ::testing::Test {
protected:
    TempDir dir;
    CurrentDir here{dir.path()};
    DictionaryContents dict;

    void SetUp() override { dict.alphabet = urduLetters(); }

    Words suggest(SpellChecker& checker, const std::u16string& word, bool* misspelt = nullptr) {
        Words out{u"stale"};
        bool result = checker.checkWord(word, out);
        if (misspelt)
            *misspelt = result;
        return out;
    }
};

}  // namespace

TEST_F(Engine, verification_accepts_empty_single_letter_and_lexicon_words) {
    dict.words = {{w({B, A, T}), 5}, {w({K, A, M}), 3}, {w({J, A, N}), 2}};
    writeDictionary(".", dict);
    SpellChecker checker;
    ASSERT_TRUE(checker.initialize());
    bool misspelt = true;
    EXPECT_TRUE(suggest(checker, u"", &misspelt).empty());
    EXPECT_FALSE(misspelt);
    suggest(checker, u"Latin 123 ,.", &misspelt);
    EXPECT_FALSE(misspelt);
    suggest(checker, w({M}), &misspelt);  // a single letter, not in the lexicon
    EXPECT_FALSE(misspelt);
    // A lexicon word with a diacritic and a joiner between its letters.
    suggest(checker, std::u16string{B, u'\u064E', A, u'\u200C', T}, &misspelt);
    EXPECT_FALSE(misspelt);
    Words two = suggest(checker, w({B, S}), &misspelt);
    EXPECT_TRUE(misspelt);
    EXPECT_NE(two, Words{u"stale"});
}

TEST_F(Engine, first_run_writes_everything_and_later_runs_load_it) {
    dict.words = {{w({B, A, T}), 5}, {w({K, A, M}), 3}, {w({J, A, N}), 2}, {w({B, A, T, Y, N}), 1}};
    writeDictionary(".", dict);
    Words firstAnswers;
    {
        SpellChecker checker;
        ASSERT_TRUE(checker.initialize());
        firstAnswers = suggest(checker, w({B, A, D}));
    }
    for (const char* file :
         {"hashtable.dat", "bigram-index.dat", "bigram-lists.dat", "unigram-index.dat", "unigram-lists.dat"})
        EXPECT_TRUE(fs::exists(file)) << file;
    Bytes config = readFile("config.ini");
    EXPECT_EQ(std::string(config.begin(), config.end()),
              "initialize = NO\r\nwordListFilePath = wordlist.txt\r\nhashTableFilePath = hashtable.dat\r\n"
              "bigramMatrixFilePath = bigram-index.dat\r\nbigramPLFilePath = bigram-lists.dat\r\n"
              "unigramListsFilePath = unigram-index.dat\r\nunigramPLFilePath = unigram-lists.dat\r\n"
              "urduAlphabetFilePath = alphabet.txt\r\nsoundexFilePath = soundex.txt\r\n"
              "shapexFilePath = shapex.txt\r\n");
    // The later run never reads the word list.
    fs::remove("wordlist.txt");
    SpellChecker later;
    ASSERT_TRUE(later.initialize());
    EXPECT_EQ(suggest(later, w({B, A, D})), firstAnswers);
    EXPECT_FALSE(firstAnswers.empty());
}

TEST_F(Engine, set_up_errors_name_their_context) {
    {
        SpellChecker checker;
        IOException ex = raised<IOException>([&] { checker.initialize(); });
        EXPECT_EQ(ex.getErrorCode(), ERR_FILE_OPEN);
        EXPECT_EQ(ex.getMessage(), "Could not open file: config.ini. Config file not opened sucessfully.");
    }
    dict.words = {{w({B, A, T}), 5}, {w({K, A, M}), 3}};
    writeDictionary(".", dict);
    {
        SpellChecker checker;
        checker.initialize();
    }
    fs::remove("bigram-lists.dat");
    {
        SpellChecker checker;
        IOException ex = raised<IOException>([&] { checker.initialize(); });
        EXPECT_EQ(ex.getMessage(),
                  "Could not open file: bigram-lists.dat. Config file reading problem occurred.");
        EXPECT_EQ(ex.getFileName(), "spellchecker.cpp");
    }
    writeFile("bigram-lists.dat", std::string("no mark"));
    {
        SpellChecker checker;
        IOException ex = raised<IOException>([&] { checker.initialize(); });
        EXPECT_EQ(ex.getMessage(), "File is not Unicode based. Config file reading problem occurred.");
    }
    fs::remove("bigram-index.dat");
    {
        SpellChecker checker;
        IOException ex = raised<IOException>([&] { checker.initialize(); });
        EXPECT_EQ(ex.getMessage(),
                  "Could not open file: bigram-index.dat. Bigram Matrix Index file could not "
                  "be opened or read sucessfully.");
    }
}

TEST_F(Engine, a_build_that_fails_part_way_keeps_initialize_yes) {
    dict.words = {{w({B, A, T}), 5}, {w({K, A, M}), 3}};
    writeDictionary(".", dict);
    // A directory where the unigram posting-list file should go cannot be written, even by root.
    fs::create_directory("unigram-lists.dat");
    {
        SpellChecker checker;
        IOException ex = raised<IOException>([&] { checker.initialize(); });
        EXPECT_EQ(ex.getErrorCode(), ERR_FILE_OPEN);
        EXPECT_EQ(ex.getMessage(), "Could not write file: unigram-lists.dat. Is a directory.");
    }
    Bytes config = readFile("config.ini");
    EXPECT_TRUE(std::string(config.begin(), config.end()).starts_with("initialize = YES\r\n"));
    // Once the obstacle is gone the next start builds.
    fs::remove("unigram-lists.dat");
    SpellChecker checker;
    EXPECT_TRUE(checker.initialize());
    config = readFile("config.ini");
    EXPECT_TRUE(std::string(config.begin(), config.end()).starts_with("initialize = NO\r\n"));
}

TEST_F(Engine, neither_yes_nor_no_builds_nothing_and_checks_safely) {
    dict.words = {{w({B, A, T}), 5}, {w({K, A, M}), 3}};
    dict.initialize = "yes";
    writeDictionary(".", dict);
    // The posting-list files must still exist and carry their mark.
    for (const char* file : {"bigram-lists.dat", "unigram-lists.dat"})
        writeFile(file, Bytes{0xFF, 0xFE});
    SpellChecker checker;
    ASSERT_TRUE(checker.initialize());
    EXPECT_FALSE(fs::exists("hashtable.dat"));
    bool misspelt = false;
    EXPECT_TRUE(suggest(checker, w({B, A, T}), &misspelt).empty());
    EXPECT_TRUE(misspelt);
}

TEST_F(Engine, nearest_level_in_three_groups_then_neighbours_by_sound) {
    // Soundex: B and P share class 1; shapex: B, P, T share class 1.
    dict.soundex = {{B, 1}, {P, 1}, {T, 2}, {R, 8}, {S, 3}};
    dict.shapex = {{B, 1}, {P, 1}, {T, 1}, {R, 4}, {S, 5}};
    const std::u16string misspelt = w({B, A, R, S});
    dict.words = {
        {w({P, A, R, S}), 10},     // distance 1, both codes agree
        {w({T, A, R, S}), 500},    // distance 1, shapex only
        {w({J, A, R, S}), 900},    // distance 1, neither
        {w({B, A, R, S, A}), 20},  // distance 1, both agree
        {w({P, W, R, S}), 40},     // distance 2, soundex agrees: listed after level 1
        {w({J, W, R, S}), 999},    // distance 2, soundex differs: not listed
        {w({B, J, J, S, A}), 5},   // distance 3: not listed
    };
    writeDictionary(".", dict);
    SpellChecker checker;
    ASSERT_TRUE(checker.initialize());
    EXPECT_EQ(suggest(checker, misspelt), (Words{w({B, A, R, S, A}), w({P, A, R, S}), w({T, A, R, S}),
                                                 w({J, A, R, S}), w({P, W, R, S})}));
}

TEST_F(Engine, equal_frequencies_list_the_later_gathered_word_first) {
    // No code tables: every word agrees in both codes and lands in group 0.
    const std::u16string misspelt = w({B, A, R, S});
    const Words group = {w({B, A, R, K}), w({B, A, R, M}), w({B, A, R, N})};
    dict.words = {{group[0], 10}, {group[1], 50}, {group[2], 10}};
    writeDictionary(".", dict);
    SpellChecker checker;
    ASSERT_TRUE(checker.initialize());
    // The three share the lists of B-A and A-R, so they are gathered in slot order.
    std::vector<std::pair<int32_t, std::u16string>> bySlot;
    for (const auto& word : {group[0], group[2]}) {
        std::vector<HashNode> found;
        checker.lexicon().find(word, found);
        bySlot.emplace_back(found.at(0).next, word);
    }
    std::sort(bySlot.begin(), bySlot.end());
    EXPECT_EQ(suggest(checker, misspelt), (Words{group[1], bySlot[1].second, bySlot[0].second}));
}

TEST_F(Engine, short_words_need_a_near_match_long_words_get_a_second_level) {
    dict.soundex = {{B, 1}, {P, 1}, {T, 2}, {D, 2}, {L, 8}, {R, 8}, {M, 9}, {N, 9}, {K, 7}};
    // Five letters, nearest at distance 2: only the soundex-agreeing ones.
    const std::u16string five = w({B, A, L, A, M});
    const std::u16string fiveSound = w({P, A, R, A, M});  // two substitutions, same sound classes
    const std::u16string fiveOther = w({K, A, L, A, N});  // two substitutions, other classes
    // Six letters, nearest at distance 2: all of them, then distance 3 by sound.
    const std::u16string six = w({T, A, R, A, B, A});
    const std::u16string sixNear = w({T, A, R, Y, B, W});   // distance 2
    const std::u16string sixSound = w({D, W, R, A, B, Y});  // distance 3, same sound classes
    const std::u16string sixOther = w({T, W, K, A, B, Y});  // distance 3, other classes
    // Four letters, nearest at distance 3: nothing.
    const std::u16string four = w({S, A, S, A});
    const std::u16string fourFar = w({S, W, K, Y});
    dict.words = {{fiveSound, 1}, {fiveOther, 9}, {sixNear, 1}, {sixSound, 1}, {sixOther, 5}, {fourFar, 1}};
    writeDictionary(".", dict);
    SpellChecker checker;
    ASSERT_TRUE(checker.initialize());
    EXPECT_EQ(suggest(checker, five), (Words{fiveSound}));
    EXPECT_EQ(suggest(checker, six), (Words{sixNear, sixSound}));
    bool misspelt = false;
    EXPECT_TRUE(suggest(checker, four, &misspelt).empty());
    EXPECT_TRUE(misspelt);
}

TEST_F(Engine, a_transposition_is_offered_at_the_first_level) {
    // Swapping R and S gives a lexicon word at Levenshtein distance 2; it is listed at
    // the first level, before the more frequent word at distance 2, and only once
    // although the letter-pair lists reach it too.
    dict.words = {{w({B, A, S, R, M}), 3}, {w({B, A, R, S, K, Y}), 7}};
    writeDictionary(".", dict);
    SpellChecker checker;
    ASSERT_TRUE(checker.initialize());
    EXPECT_EQ(suggest(checker, w({B, A, R, S, M})), (Words{w({B, A, S, R, M}), w({B, A, R, S, K, Y})}));
}

TEST_F(Engine, two_letter_words_use_the_letter_lists) {
    dict.words = {{w({B, A}), 3}, {w({A, B, T}), 9}, {w({B, A, T, A}), 50}, {w({M, N}), 1}};
    writeDictionary(".", dict);
    SpellChecker checker;
    ASSERT_TRUE(checker.initialize());
    // B-T: both two- and three-letter words sharing a letter; the four-letter one is
    // in no letter list, and M-N shares no letter.
    EXPECT_EQ(suggest(checker, w({B, T})), (Words{w({A, B, T}), w({B, A})}));
}

TEST_F(Engine, damaged_posting_lists_are_read_safely) {
    dict.words = {{w({B, A, T}), 5}, {w({B, A, M}), 3}, {w({B, A, N}), 2}};
    writeDictionary(".", dict);
    {
        SpellChecker checker;
        checker.initialize();
    }
    // Overwrite every id with values outside the table.
    Bytes lists = readFile("bigram-lists.dat");
    for (std::size_t k = 2; k + 4 <= lists.size(); k += 4) {
        Bytes id = littleEndian32(k % 8 == 2 ? -5 : 1 << 20);
        std::copy(id.begin(), id.end(), lists.begin() + static_cast<long>(k));
    }
    writeFile("bigram-lists.dat", lists);
    {
        SpellChecker checker;
        ASSERT_TRUE(checker.initialize());
        // The letter lists are intact and still find all three words.
        EXPECT_EQ(suggest(checker, w({B, A, S})), (Words{w({B, A, T}), w({B, A, M}), w({B, A, N})}));
    }
    // A list file cut short, or an index record pointing past its end, an odd offset or
    // a negative one, is refused at set-up with both files named.
    const Bytes index = readFile("bigram-index.dat");
    std::size_t used = 2;
    while (index[used + 4] == 0 && index[used + 5] == 0)
        used += 6;
    const auto withRecord = [&](int32_t offset, int count) {
        Bytes changed = index;
        Bytes bytes = littleEndian32(offset);
        std::copy(bytes.begin(), bytes.end(), changed.begin() + static_cast<long>(used));
        changed[used + 4] = static_cast<unsigned char>(count);
        changed[used + 5] = static_cast<unsigned char>(count >> 8);
        return changed;
    };
    const std::pair<Bytes, Bytes> damaged[] = {
        {index, Bytes(lists.begin(), lists.end() - 5)},
        {withRecord(static_cast<int32_t>(lists.size()), 1), lists},
        {withRecord(-4, 1), lists},
        {withRecord(2, 1), lists},
        {withRecord(0, 65535), lists},
    };
    for (const auto& [indexBytes, listBytes] : damaged) {
        writeFile("bigram-index.dat", indexBytes);
        writeFile("bigram-lists.dat", listBytes);
        SpellChecker checker;
        IOException ex = raised<IOException>([&] { checker.initialize(); });
        EXPECT_EQ(ex.getMessage(),
                  "Posting-list index does not match its list file: bigram-index.dat, bigram-lists.dat.");
    }
}

TEST_F(Engine, a_very_long_word_is_misspelt_without_suggestions) {
    // Used to cost time growing with the square of the word's length.
    dict.words = {{w({B, A, T}), 5}, {w({B, A, M}), 3}};
    writeDictionary(".", dict);
    SpellChecker checker;
    ASSERT_TRUE(checker.initialize());
    std::u16string huge;
    for (int k = 0; k < 200000; ++k)
        huge += w({B, A, T, M})[k % 4];
    bool misspelt = false;
    EXPECT_TRUE(suggest(checker, huge, &misspelt).empty());
    EXPECT_TRUE(misspelt);
    // Five letters is still within reach of the three-letter words.
    EXPECT_EQ(suggest(checker, w({B, A, T, T, T})), (Words{w({B, A, T})}));
}

TEST_F(Engine, a_list_file_cut_while_checking_ends_checks_with_the_readers_error) {
    // B-A is in three words and A-T in two, so B-A (later in the file) is read first.
    dict.words = {{w({B, A, T}), 5}, {w({A, T, M}), 4}, {w({B, A, N}), 3}, {w({B, A, R}), 2}};
    // Words whose pairs the check never reads put B-A more than a stdio buffer into
    // the file, so that its cut is met by a real read and not by buffered bytes.
    const std::u16string letters = urduLetters();
    for (char16_t first : letters)
        for (char16_t second : letters)
            if (first != A && first != T && first != B)
                dict.words.push_back({std::u16string{A, first, second, second}, 1});
    writeDictionary(".", dict);
    {
        SpellChecker checker;
        checker.initialize();
    }
    SpellChecker checker;
    ASSERT_TRUE(checker.initialize());
    const Bytes index = readFile("bigram-index.dat");
    const std::size_t record = 2 + (1 * letters.size() + 0) * 6;
    const uint32_t offset =
        static_cast<uint32_t>(index[record]) | (static_cast<uint32_t>(index[record + 1]) << 8) |
        (static_cast<uint32_t>(index[record + 2]) << 16) | (static_cast<uint32_t>(index[record + 3]) << 24);
    // Cut inside the B-A list: its read comes up short, and the A-T list before it,
    // though whole, is not read past an end the reader has met.
    fs::resize_file("bigram-lists.dat", 2 + offset + 4);
    std::vector<std::u16string> out;
    EXPECT_EQ(raised<IOException>([&] {
                  checker.checkWord(w({B, A, T, S}), out);
              }).getMessage(),
              "End of file encountered.");
    EXPECT_EQ(raised<IOException>([&] {
                  checker.checkWord(w({B, A, T, S}), out);
              }).getMessage(),
              "End of file encountered.");
}
