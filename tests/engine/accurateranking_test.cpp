// SPDX-License-Identifier: MIT
// The accurate ranking: its cost table, its order, its split suggestions, and that the
// exact ranking is left as it was.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include <sys/stat.h>

#include "core/errors.h"
#include "engine/accurateranking.h"
#include "engine/costtable.h"
#include "engine/spellchecker.h"
#include "engine/surefixes.h"
#include "support/dictionary.h"
#include "support/testsupport.h"

using namespace zabrel;
using namespace zabrel::test;
namespace fs = std::filesystem;

namespace {

using Words = std::vector<std::u16string>;

// Round numbers, so that every order below follows from the table by hand.
constexpr const char* TEST_COSTS =
    "# prices for the tests\n"
    "weight family 0.25\n"
    "weight sound 0.5   # a comment after a line\n"
    "weight end 0.25\n"
    "weight transpose 0.5\n"
    "weight frequency 0.1\n"
    "weight split 0.25\n"
    "weight split-joined 0.75\n"
    "weight split-attested 10\n"
    "substitute family \xDB\x81 \xDA\xBE\n"           // ہ ھ
    "substitute family \xD8\xB3 \xD8\xB5 \xD8\xAB\n"  // س ص ث
    "substitute sound \xD8\xB3 \xD8\xB4\r\n"          // س ش, a CRLF line
    "substitute sound \xD8\xB5 \xD8\xB3\n"            // dearer than the family: the cheaper holds
    "indel-end end \xDB\x8C\n"                        // ی
    "substitute-end end \xD8\xA7 \xDB\x81\n"          // ا ہ at the end only
    "split-after \xD8\xA7 \xD8\xB1\n";                // ا ر

class AccurateRankingTest : public ::testing::Test {
protected:
    TempDir dir;
    CurrentDir here{dir.path()};
    DictionaryContents dict;

    void SetUp() override {
        dict.alphabet = urduLetters() + u"\u06BE\u0626";  // and ھ ئ
        dict.soundex = {{u'\u06BE', 6}};                  // so that ھوئ and ہوئی sound apart
    }

    Words accurate(SpellChecker& checker, const std::u16string& word) {
        Words out{u"stale"};
        EXPECT_TRUE(checker.checkWord(word, out, Ranking::Accurate));
        return out;
    }
    Words exact(SpellChecker& checker, const std::u16string& word) {
        Words out{u"stale"};
        EXPECT_TRUE(checker.checkWord(word, out));
        return out;
    }
};

std::size_t position(const Words& words, const std::u16string& word) {
    return static_cast<std::size_t>(std::find(words.begin(), words.end(), word) - words.begin());
}

std::string refusal(const std::string& text) {
    return raised<IOException>([&] { CostTable::parse(text, "costs.txt"); }).getMessage();
}

}  // namespace

TEST(CostTable, reads_prices_and_keeps_the_cheapest) {
    const CostTable table = CostTable::parse(TEST_COSTS, "test");
    const auto letter = [&](char16_t unit) { return table.letterIndex(unit); };
    const uint8_t he = letter(u'\u06C1'), doChashmi = letter(u'\u06BE'), seen = letter(u'\u0633'),
                  suad = letter(u'\u0635'), sheen = letter(u'\u0634'), alif = letter(u'\u0627'),
                  ye = letter(u'\u06CC'), other = letter(u'\u0628');
    EXPECT_EQ(other, 0);
    EXPECT_FLOAT_EQ(table.substitution(he, doChashmi, false), 0.25f);
    EXPECT_FLOAT_EQ(table.substitution(suad, seen, false), 0.25f);
    EXPECT_FLOAT_EQ(table.substitution(sheen, seen, false), 0.5f);
    EXPECT_FLOAT_EQ(table.substitution(sheen, suad, false), 1.0f);
    EXPECT_FLOAT_EQ(table.substitution(other, other, false), 1.0f);  // two unnamed letters
    EXPECT_FLOAT_EQ(table.substitution(alif, he, false), 1.0f);
    EXPECT_FLOAT_EQ(table.substitution(alif, he, true), 0.25f);
    EXPECT_FLOAT_EQ(table.substitution(he, doChashmi, true), 0.25f);  // the middle's price holds at the end
    EXPECT_FLOAT_EQ(table.indel(ye, false), 1.0f);
    EXPECT_FLOAT_EQ(table.indel(ye, true), 0.25f);
    EXPECT_TRUE(table.endsFreely(u'\u0631'));
    EXPECT_FALSE(table.endsFreely(u'\u0628'));
    EXPECT_FLOAT_EQ(table.transposition(), 0.5f);
    EXPECT_EQ(table.splitAttested(), 10);

    // The shipped table is valid, prices the families below 1 and keeps its order.
    const CostTable& shipped = CostTable::builtIn();
    EXPECT_LT(shipped.substitution(shipped.letterIndex(u'\u06C1'), shipped.letterIndex(u'\u06BE'), false),
              1.0f);
    EXPECT_LT(shipped.substitution(shipped.letterIndex(u'\u0632'), shipped.letterIndex(u'\u0630'), false),
              1.0f);
    EXPECT_GT(shipped.frequencyWeight(), 0.0f);
}

TEST(CostTable, bad_tables_are_refused_with_file_and_line) {
    const std::string weights =
        "weight transpose 1\nweight frequency 0\nweight split 1\nweight split-joined 1\nweight "
        "split-attested 1\n";
    EXPECT_EQ(refusal(weights + "swap a b\n"), "costs.txt:6: unknown keyword \"swap\".");
    EXPECT_EQ(refusal("weight family x\n"), "costs.txt:1: \"x\" is not a number.");
    EXPECT_EQ(refusal("weight family 0.5 0.6\n"), "costs.txt:1: a weight line is: weight NAME VALUE.");
    EXPECT_EQ(refusal("weight family -1\n"), "costs.txt:1: weight family must lie between 0 and 10.");
    EXPECT_EQ(refusal("weight family nan\n"), "costs.txt:1: \"nan\" is not a number.");
    EXPECT_EQ(refusal("weight a 1\n\n# note\nweight a 2\n"), "costs.txt:4: weight a is given twice.");
    EXPECT_EQ(refusal("substitute family \xDB\x81 \xDA\xBE\n"),
              "costs.txt:1: weight family is not defined above.");
    EXPECT_EQ(refusal("weight f 1\nsubstitute f \xDB\x81\n"),
              "costs.txt:2: substitute needs at least 2 letters.");
    EXPECT_EQ(refusal("weight f 1\nindel f\n"), "costs.txt:2: indel needs at least 1 letter.");
    EXPECT_EQ(refusal("weight f 1\nindel f ab\n"), "costs.txt:2: \"ab\" is not a single letter.");
    EXPECT_EQ(refusal("weight f 1\nindel f \xC3\xA9\n"),  // é
              "costs.txt:2: a letter must be one character of U+0600 to U+06FF.");
    EXPECT_EQ(refusal("weight f 1\nindel f \xDB\n"), "costs.txt:2: \"\xDB\" is not a single letter.");
    EXPECT_EQ(refusal("weight transpose 1\n"), "costs.txt: weight frequency is missing.");
    EXPECT_EQ(refusal(""), "costs.txt: weight transpose is missing.");
    // A byte-order mark and comments are fine.
    EXPECT_NO_THROW(CostTable::parse("\xEF\xBB\xBF# prices\n" + weights, "costs.txt"));

    TempDir dir;
    IOException missing = raised<IOException>([&] { CostTable::load(dir.file("none.txt")); });
    EXPECT_EQ(missing.getMessage(), "Could not open cost table: " + dir.file("none.txt") + ".");
    EXPECT_EQ(missing.getErrorCode(), ERR_FILE_OPEN);
    writeFile(dir.file("big.txt"), std::string((1 << 20) + 1, '#'));
    EXPECT_EQ(raised<IOException>([&] { CostTable::load(dir.file("big.txt")); }).getMessage(),
              "Cost table is larger than 1 MiB: " + dir.file("big.txt") + ".");
    EXPECT_EQ(raised<IOException>([&] { CostTable::load(dir.path().string()); }).getMessage(),
              "Could not read cost table: " + dir.path().string() + ".");
}

TEST(AccurateDistance, prices_edits_by_the_table) {
    const CostTable costs = CostTable::parse(TEST_COSTS, "test");
    WeightedDistance ranking(costs);
    ranking.setWord(u"\u0633\u0628\u0631");                                 // سبر
    EXPECT_FLOAT_EQ(ranking.distance(u"\u0635\u0628\u0631"), 0.25f);        // صبر: one family letter
    EXPECT_FLOAT_EQ(ranking.distance(u"\u062C\u0628\u0631"), 1.0f);         // جبر: an unrelated one
    EXPECT_FLOAT_EQ(ranking.distance(u"\u0633\u0628\u0631\u06CC"), 0.25f);  // a final ی added
    EXPECT_FLOAT_EQ(ranking.distance(u"\u0633\u06CC\u0628\u0631"), 1.0f);   // inside the word
    EXPECT_FLOAT_EQ(ranking.distance(u"\u0628\u0633\u0631"), 0.5f);         // neighbours swapped
    EXPECT_FLOAT_EQ(ranking.distance(u""), 3.0f);
    ranking.setWord(u"");
    EXPECT_FLOAT_EQ(ranking.distance(u"\u0628\u06CC"), 1.25f);

    // With a price on the first letter: every edit there costs it more, once.
    const CostTable firmCosts = CostTable::parse(std::string(TEST_COSTS) + "weight start 0.5\n", "test");
    WeightedDistance startFirm(firmCosts);
    startFirm.setWord(u"\u0633\u0628\u0631");                           // سبر
    EXPECT_FLOAT_EQ(startFirm.distance(u"\u0635\u0628\u0631"), 0.75f);  // صبر
    EXPECT_FLOAT_EQ(startFirm.distance(u"\u0633\u0628\u0631\u06CC"), 0.25f);
    EXPECT_FLOAT_EQ(startFirm.distance(u"\u0628\u0633\u0631"), 1.0f);        // swap of the first two
    EXPECT_FLOAT_EQ(startFirm.distance(u"\u0628\u0631"), 1.5f);              // first letter dropped
    EXPECT_FLOAT_EQ(startFirm.distance(u"\u0633\u0628\u0628\u0631"), 1.0f);  // added inside
}

TEST_F(AccurateRankingTest, family_frequency_far_words_and_splits_order_the_list) {
    writeFile("costs.txt", std::string(TEST_COSTS));
    dict.words = {
        {u"\u0635\u0628\u0631", 5},           // صبر
        {u"\u062C\u0628\u0631", 5},           // جبر
        {u"\u06A9\u0627\u0645", 1000},        // کام
        {u"\u06A9\u0627\u0646", 2},           // کان
        {u"\u06C1\u0648\u0626\u06CC", 1000},  // ہوئی
        {u"\u0633\u0648\u0626", 1},           // سوئ
        {u"\u06A9\u062A\u0627\u0628", 50},    // کتاب
        {u"\u062F\u0631\u06CC\u0627", 50},    // دریا
        {u"\u0628\u0627\u062A", 20},          // بات
        {u"\u06A9\u0631\u06CC", 3},           // کری (too rare for a split)
    };
    writeDictionary(".", dict);
    SpellChecker checker;
    ASSERT_TRUE(checker.initialize());

    // A family letter beats an unrelated one at the same frequency.
    Words got = accurate(checker, u"\u0633\u0628\u0631");  // سبر
    ASSERT_GE(got.size(), 2u);
    EXPECT_EQ(got[0], u"\u0635\u0628\u0631");
    EXPECT_EQ(got[1], u"\u062C\u0628\u0631");
    // The frequent word beats the rare one at the same price.
    got = accurate(checker, u"\u06A9\u0627\u0628");  // کاب
    EXPECT_LT(position(got, u"\u06A9\u0627\u0645"), position(got, u"\u06A9\u0627\u0646"));
    EXPECT_LT(position(got, u"\u06A9\u0627\u0646"), got.size());
    // Two edits away and cheap (a family letter, a final ی) beats one unrelated edit,
    // which the exact ranking lists alone.
    got = accurate(checker, u"\u06BE\u0648\u0626");  // ھوئ
    ASSERT_GE(got.size(), 2u);
    EXPECT_EQ(got[0], u"\u06C1\u0648\u0626\u06CC");
    EXPECT_EQ(got[1], u"\u0633\u0648\u0626");
    EXPECT_EQ(exact(checker, u"\u06BE\u0648\u0626"), Words{u"\u0633\u0648\u0626"});
    // Two words written as one: offered as a pair, after a letter that does not join
    // (ب of کتاب joins, ا of دریا does not), and not with a rare half.
    got = accurate(checker, u"\u06A9\u062A\u0627\u0628\u062F\u0631\u06CC\u0627");  // کتابدریا
    EXPECT_EQ(got, Words{u"\u06A9\u062A\u0627\u0628 \u062F\u0631\u06CC\u0627"});
    got = accurate(checker, u"\u062F\u0631\u06CC\u0627\u0628\u0627\u062A");  // دریابات
    ASSERT_FALSE(got.empty());
    EXPECT_EQ(got[0], u"\u062F\u0631\u06CC\u0627 \u0628\u0627\u062A");
    got = accurate(checker, u"\u06A9\u0631\u06CC\u0628\u0627\u062A");  // کریبات
    EXPECT_EQ(position(got, u"\u06A9\u0631\u06CC \u0628\u0627\u062A"), got.size());
    // Accepted words stay accepted, with no suggestions.
    Words none{u"stale"};
    EXPECT_FALSE(checker.checkWord(u"\u06A9\u062A\u0627\u0628", none, Ranking::Accurate));
    EXPECT_TRUE(none.empty());
    // A long run of letters ending in a word costs lookups in proportion to its
    // length, not to its square.
    const auto work = [&](std::size_t letters) {
        const std::size_t before = checker.lookedUpUnits();
        accurate(checker, std::u16string(letters, u'\u0628') + u"\u06A9\u062A\u0627\u0628");
        return checker.lookedUpUnits() - before;
    };
    EXPECT_LE(work(4000), 2 * work(2000) + 64);
}

TEST_F(AccurateRankingTest, a_suggestion_scored_alone_scores_as_in_the_list) {
    // The context re-scores the list it is given: each word's score alone must be the
    // one it was listed by, codes, frequency and splits included.
    writeFile("costs.txt", std::string(TEST_COSTS) + "weight codes 0.3\n");
    dict.words = {{u"\u0635\u0628\u0631", 5},        {u"\u062C\u0628\u0631", 5},
                  {u"\u06A9\u0627\u0645", 1000},     {u"\u06A9\u0627\u0646", 2},
                  {u"\u062F\u0631\u06CC\u0627", 50}, {u"\u0628\u0627\u062A", 20}};
    writeDictionary(".", dict);
    SpellChecker checker;
    ASSERT_TRUE(checker.initialize());
    for (const std::u16string misspelt :
         {u"\u0633\u0628\u0631", u"\u06A9\u0627\u0628", u"\u062F\u0631\u06CC\u0627\u0628\u0627\u062A"}) {
        const Words got = accurate(checker, misspelt);
        ASSERT_GE(got.size(), 2u);
        for (std::size_t i = 1; i < got.size(); ++i)
            EXPECT_LE(checker.accurateScore(misspelt, got[i - 1]), checker.accurateScore(misspelt, got[i]))
                << i;
    }
    EXPECT_LT(checker.accurateScore(u"\u0633\u0628\u0631", u"\u0635\u0628\u0631"),
              checker.accurateScore(u"\u0633\u0628\u0631", u"\u062C\u0628\u0631"));
    EXPECT_EQ(checker.frequencyOf(u"\u06A9\u0627\u0645"), 1000);
    EXPECT_EQ(checker.frequencyOf(u"\u06A9\u0627"), -1);
}

TEST_F(AccurateRankingTest, the_exact_ranking_is_untouched_and_the_table_comes_from_the_folder) {
    dict.words = {{u"\u0635\u0628\u0631", 5},
                  {u"\u062C\u0628\u0631", 5},
                  {u"\u0634\u0628\u0631", 7},
                  {u"\u06A9\u062A\u0627\u0628", 5000},
                  {u"\u062F\u0631\u06CC\u0627", 5000}};
    writeDictionary(".", dict);
    const std::u16string misspelt = u"\u0633\u0628\u0631";  // سبر
    Words before;
    {
        SpellChecker fresh;
        ASSERT_TRUE(fresh.initialize());
        before = exact(fresh, misspelt);
    }
    // Without costs.txt the shipped table ranks, and splits are offered.
    SpellChecker checker;
    ASSERT_TRUE(checker.initialize());
    EXPECT_EQ(accurate(checker, u"\u06A9\u062A\u0627\u0628\u062F\u0631\u06CC\u0627")[0],
              u"\u06A9\u062A\u0627\u0628 \u062F\u0631\u06CC\u0627");
    // checkWord answers as before, between and after accurate checks.
    EXPECT_EQ(exact(checker, misspelt), before);
    EXPECT_EQ(checker.check(misspelt, before, Ranking::Accurate), true);
    EXPECT_EQ(before, accurate(checker, misspelt));
    Words again{u"stale"};
    EXPECT_TRUE(checker.check(misspelt, again, Ranking::Exact));
    EXPECT_EQ(again, exact(checker, misspelt));
    EXPECT_NE(again, before);

    // A folder's own table is read on first use; a bad one is reported, naming it.
    writeFile("costs.txt", std::string("weight transpose 1\nmystery\n"));
    SpellChecker withBadTable;
    ASSERT_TRUE(withBadTable.initialize());
    Words out;
    IOException ex = raised<IOException>([&] { withBadTable.checkWord(misspelt, out, Ranking::Accurate); });
    EXPECT_EQ(ex.getMessage(), "costs.txt:2: unknown keyword \"mystery\".");
    EXPECT_TRUE(withBadTable.checkWord(misspelt, out));  // the exact ranking still works
    writeFile("costs.txt", std::string(TEST_COSTS) + "substitute sound \xD8\xB3 \xD8\xB4\n");
    SpellChecker withTable;
    ASSERT_TRUE(withTable.initialize());
    EXPECT_EQ(accurate(withTable, misspelt)[0], u"\u0635\u0628\u0631");
    withTable.loadCostTable(dir.file("costs.txt"));
    EXPECT_EQ(accurate(withTable, misspelt)[0], u"\u0635\u0628\u0631");
}

namespace {

// The key the engine would give: here the slip as written, less a diacritic.
std::u16string testKey(std::u16string slip) {
    std::erase(slip, u'\u064E');
    return slip;
}

std::string sureFixRefusal(const std::string& text) {
    return raised<IOException>([&] { SureFixes::parse(text, "surefixes.txt", testKey); }).getMessage();
}

TEST(SureFixes, reads_one_or_two_word_fixes_by_the_slips_key_and_refuses_damage_by_line) {
    const SureFixes table = SureFixes::parse(
        "# slips\n\u0627\u0633\u06A9\u06CC\t\u0627\u0633 "
        "\u06A9\u06CC\r\n\n\u0628\u064E\u0632\u0627\u0631\t\u0628\u0627\u0632\u0627\u0631\n",
        "surefixes.txt", testKey);
    EXPECT_EQ(table.size(), 2u);
    ASSERT_NE(table.find(u"\u0627\u0633\u06A9\u06CC"), nullptr);
    EXPECT_EQ(*table.find(u"\u0627\u0633\u06A9\u06CC"), u"\u0627\u0633 \u06A9\u06CC");
    EXPECT_EQ(*table.find(u"\u0628\u0632\u0627\u0631"), u"\u0628\u0627\u0632\u0627\u0631");
    EXPECT_EQ(table.find(u"\u0628\u0627\u0632\u0627\u0631"), nullptr);

    EXPECT_EQ(sureFixRefusal("# x\n\u0628\u0632\u0627\u0631 \u0628\u0627\u0632\u0627\u0631\n"),
              "surefixes.txt:2: a line is: slip, a tab, its fix.");
    EXPECT_EQ(sureFixRefusal("\t\u0628\n"), "surefixes.txt:1: the slip and its fix must both be given.");
    EXPECT_EQ(sureFixRefusal("\u0628\t\n"), "surefixes.txt:1: the slip and its fix must both be given.");
    EXPECT_EQ(sureFixRefusal("\u0628 \u0628\t\u0628\n"), "surefixes.txt:1: the slip must be one word.");
    for (const char* fix : {"\u0628  \u0628", " \u0628", "\u0628 ", "\u0628 \u0628 \u0628", "\u0628\t\u0628"})
        EXPECT_EQ(sureFixRefusal(std::string("\u0628\u0628\t") + fix + "\n"),
                  "surefixes.txt:1: the fix must be one word, or two with one space between them.")
            << fix;
    EXPECT_EQ(sureFixRefusal("\u064E\t\u0628\n"),
              "surefixes.txt:1: the slip has no letter of the dictionary's alphabet.");
    // Twice by its key: with and without the diacritic.
    EXPECT_EQ(sureFixRefusal("\u0628\u0628\t\u0628\n\u0628\u064E\u0628\t\u0628\u0627\n"),
              "surefixes.txt:2: the slip is given twice.");
    EXPECT_EQ(sureFixRefusal("\u0628\u0628\t\xDB\n"), "surefixes.txt:1: not valid UTF-8.");

    // From a folder: none is no table; a FIFO in its place is refused, not waited on.
    TempDir dir;
    EXPECT_EQ(SureFixes::load(dir.file("surefixes.txt"), testKey).size(), 0u);
    ASSERT_EQ(::mkfifo(dir.file("surefixes.txt").c_str(), 0600), 0);
    EXPECT_EQ(raised<IOException>([&] { SureFixes::load(dir.file("surefixes.txt"), testKey); }).getMessage(),
              "Could not read sure-fix table: " + dir.file("surefixes.txt") + ": Not a regular file.");
}

}  // namespace
