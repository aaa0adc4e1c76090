// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "core/errors.h"
#include "engine/spellchecker.h"
#include "support/testsupport.h"

using namespace zabrel;
using namespace zabrel::test;

namespace {

class CodeTables : public ::testing::Test {
protected:
    TempDir dir;
    SpellChecker checker;
    std::string table(const std::string& text) {
        writeFile(dir.file("codes.txt"), text);
        return dir.file("codes.txt");
    }
};

}  // namespace

TEST_F(CodeTables, lines_and_their_spacing) {
    ASSERT_TRUE(checker.loadSoundexTable(table("0627=3\n0628 = 5\r\n  062A\t=\t7 \r\n0x062B=2\n")));
    EXPECT_EQ(checker.soundexCode(u"\u0627"), 3000);
    EXPECT_EQ(checker.soundexCode(u"\u0627\u0628"), 3500);
    EXPECT_EQ(checker.soundexCode(u"\u062A"), 7000);
    EXPECT_EQ(checker.soundexCode(u"\u062B"), 2000);
    // Uncoded letters are skipped, repeats are kept, five digits are not cut.
    EXPECT_EQ(checker.soundexCode(u"\u0627\u0629\u0627"), 3300);
    EXPECT_EQ(checker.soundexCode(u"\u0627\u0628\u062A\u062B\u0627"), 35723);
    EXPECT_EQ(checker.soundexCode(u"\u0629x"), 0);
    // The shapex table is separate.
    EXPECT_EQ(checker.shapexCode(u"\u0627"), 0);
}

TEST_F(CodeTables, later_lines_win_and_values_keep_their_low_byte) {
    ASSERT_TRUE(checker.loadShapexTable(table("0627=3\n0627=4\n0628=258\n062A=9x\n")));
    EXPECT_EQ(checker.shapexCode(u"\u0627"), 4000);
    EXPECT_EQ(checker.shapexCode(u"\u0628"), 2000);
    EXPECT_EQ(checker.shapexCode(u"\u062A"), 9000);
    // Loading again starts from an empty table.
    ASSERT_TRUE(checker.loadShapexTable(table("")));
    EXPECT_EQ(checker.shapexCode(u"\u0627"), 0);
}

TEST_F(CodeTables, codes_wrap_at_32_bits) {
    ASSERT_TRUE(checker.loadSoundexTable(table("0627=9\n")));
    // Eleven nines: 99,999,999,999 taken modulo 2^32 as a signed value.
    const std::u16string word(11, u'\u0627');
    const uint64_t wide = 99999999999ULL;
    EXPECT_EQ(checker.soundexCode(word), static_cast<int32_t>(static_cast<uint32_t>(wide)));
}

TEST_F(CodeTables, code_points_outside_the_table_change_nothing) {
    // U+05FF and U+072C lie just outside; U+072B is the last entry.
    ASSERT_TRUE(checker.loadSoundexTable(table("05FF=1\n072C=2\nFFFFFFFF=3\n-1=4\n072B=5\n")));
    EXPECT_EQ(checker.soundexCode(u"\u05FF\u072C\uFFFF"), 0);
    EXPECT_EQ(checker.soundexCode(u"\u072B"), 5000);
    EXPECT_EQ(checker.soundexCode(u"\u0600"), 0);
}

TEST_F(CodeTables, a_trailing_empty_line_fails_the_load) {
    for (const char* text : {"0627=3\n\n", "0627=3\r\n  ", "0627"}) {
        IOException ex = raised<IOException>([&] { checker.loadSoundexTable(table(text)); });
        EXPECT_EQ(ex.getErrorCode(), ERR_FILE_READ) << text;
        EXPECT_EQ(ex.getMessage(), "End of file encountered. Config file not opened sucessfully.") << text;
    }
    IOException ex = raised<IOException>([&] { checker.loadShapexTable(dir.file("absent.txt")); });
    EXPECT_EQ(ex.getMessage(),
              "Could not open file: " + dir.file("absent.txt") + ". Config file not opened sucessfully.");
    ex = raised<IOException>([&] { checker.loadShapexTable(""); });
    EXPECT_EQ(ex.getMessage(), "Invalid file name specified. Config file not opened sucessfully.");
}

TEST(edit_distance_test, levenshtein_with_unit_costs) {
    EXPECT_EQ(editDistance(u"", u"abc"), 3);
    EXPECT_EQ(editDistance(u"abc", u""), 3);
    EXPECT_EQ(editDistance(u"kitten", u"sitting"), 3);
    EXPECT_EQ(editDistance(u"ab", u"ba"), 2);  // a swap costs two
    EXPECT_EQ(editDistance(u"abc", u"abc"), 0);
    EXPECT_EQ(editDistance(u"\u0627\u0628", u"\u0627\u067E\u0628"), 1);
}
