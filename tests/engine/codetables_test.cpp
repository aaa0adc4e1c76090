// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "core/errors.h"
#include "engine/codetables.h"
#include "engine/editdistance.h"
#include "support/testsupport.h"

using namespace zabrel;
using namespace zabrel::test;

namespace {

class CodeTableTest : public ::testing::Test {
protected:
    TempDir dir;
    CodeTables codes;
    std::string table(const std::string& text) {
        writeFile(dir.file("codes.txt"), text);
        return dir.file("codes.txt");
    }
};

}  // namespace

TEST_F(CodeTableTest, lines_and_their_spacing) {
    codes.soundex.load(table("0627=3\n0628 = 5\r\n  062A\t=\t7 \r\n0x062B=2\n"));
    EXPECT_EQ(codes.soundex.code(u"\u0627"), 3000);
    EXPECT_EQ(codes.soundex.code(u"\u0627\u0628"), 3500);
    EXPECT_EQ(codes.soundex.code(u"\u062A"), 7000);
    EXPECT_EQ(codes.soundex.code(u"\u062B"), 2000);
    // Uncoded letters are skipped, repeats are kept, five digits are not cut.
    EXPECT_EQ(codes.soundex.code(u"\u0627\u0629\u0627"), 3300);
    EXPECT_EQ(codes.soundex.code(u"\u0627\u0628\u062A\u062B\u0627"), 35723);
    EXPECT_EQ(codes.soundex.code(u"\u0629x"), 0);
}

TEST_F(CodeTableTest, later_lines_win_and_values_keep_their_low_byte) {
    codes.shapex.load(table("0627=3\n0627=4\n0628=258\n062A=9x\n"));
    EXPECT_EQ(codes.shapex.code(u"\u0627"), 4000);
    EXPECT_EQ(codes.shapex.code(u"\u0628"), 2000);
    EXPECT_EQ(codes.shapex.code(u"\u062A"), 9000);
    // Loading again starts from an empty table.
    codes.shapex.load(table(""));
    EXPECT_EQ(codes.shapex.code(u"\u0627"), 0);
}

TEST_F(CodeTableTest, codes_wrap_at_32_bits) {
    codes.soundex.load(table("0627=9\n"));
    // Eleven nines: 99,999,999,999 taken modulo 2^32 as a signed value.
    const std::u16string word(11, u'\u0627');
    const uint64_t wide = 99999999999ULL;
    EXPECT_EQ(codes.soundex.code(word), static_cast<int32_t>(static_cast<uint32_t>(wide)));
}

TEST_F(CodeTableTest, code_points_outside_the_table_change_nothing) {
    // U+05FF and U+072C lie just outside; U+072B is the last entry.
    codes.soundex.load(table("05FF=1\n072C=2\nFFFFFFFF=3\n-1=4\n072B=5\n"));
    EXPECT_EQ(codes.soundex.code(u"\u05FF\u072C\uFFFF"), 0);
    EXPECT_EQ(codes.soundex.code(u"\u072B"), 5000);
    EXPECT_EQ(codes.soundex.code(u"\u0600"), 0);
}

TEST_F(CodeTableTest, a_trailing_empty_line_fails_the_load) {
    for (const char* text : {"0627=3\n\n", "0627=3\r\n  ", "0627"}) {
        IOException ex = raised<IOException>([&] { codes.soundex.load(table(text)); });
        EXPECT_EQ(ex.getErrorCode(), ERR_FILE_READ) << text;
        EXPECT_EQ(ex.getMessage(), "End of file encountered. Config file not opened sucessfully.") << text;
    }
    IOException ex = raised<IOException>([&] { codes.shapex.load(dir.file("absent.txt")); });
    EXPECT_EQ(ex.getMessage(),
              "Could not open file: " + dir.file("absent.txt") + ". Config file not opened sucessfully.");
    ex = raised<IOException>([&] { codes.shapex.load(""); });
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
