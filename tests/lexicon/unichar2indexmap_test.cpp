// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "core/errors.h"
#include "lexicon/unichar2indexmap.h"
#include "support/testsupport.h"

using namespace zabrel;
using namespace zabrel::test;

namespace {

int32_t loadAlphabet(UniChar2IndexMap& map, const TempDir& dir, const Bytes& bytes) {
    writeFile(dir.file("alphabet.txt"), bytes);
    EXPECT_TRUE(map.load(dir.file("alphabet.txt")));
    return map.getAlphabetSize();
}

}  // namespace

TEST(unichar2indexmap_test, letters_get_file_order_and_others_no_index) {
    TempDir dir;
    UniChar2IndexMap map;
    EXPECT_EQ(loadAlphabet(map, dir, unicodeFile(u"\u0627\r\n\u0628\r\n\u067E\r\n")), 3);
    EXPECT_EQ(map.getIndex(u'\u0627'), 0);
    EXPECT_EQ(map.getIndex(u'\u0628'), 1);
    EXPECT_EQ(map.getIndex(u'\u067E'), 2);
    EXPECT_EQ(map.getIndex(u'a'), NO_INDEX);
    EXPECT_EQ(map.getIndex(u' '), NO_INDEX);
    EXPECT_EQ(map.getIndex(u'\u064B'), NO_INDEX);  // same page, not listed
    EXPECT_EQ(map.getIndex(u'\r'), NO_INDEX);
    EXPECT_EQ(map.filterWord(u"ab\u0628\u064B\u0627 1"), u"\u0628\u0627");
    EXPECT_EQ(map.filterWord(u" 12 "), u"");
    EXPECT_EQ(map.filterWord(u""), u"");
}

TEST(unichar2indexmap_test, line_quirks_of_the_two_unit_tokens) {
    TempDir dir;
    UniChar2IndexMap map;
    // A blank CR LF line adds CR; a bare LF line adds nothing.
    EXPECT_EQ(loadAlphabet(map, dir, unicodeFile(u"\u0627\r\n\r\n\n\u0628\r\n")), 3);
    EXPECT_EQ(map.getIndex(u'\r'), 1);
    EXPECT_EQ(map.getIndex(u'\u0628'), 2);

    // Two letters on a line: X, then CR as a letter. Three letters: X and Z.
    map.clear();
    EXPECT_EQ(loadAlphabet(map, dir, unicodeFile(u"XY\r\nPQR\r\n")), 4);
    EXPECT_EQ(map.getIndex(u'X'), 0);
    EXPECT_EQ(map.getIndex(u'Y'), NO_INDEX);
    EXPECT_EQ(map.getIndex(u'\r'), 1);
    EXPECT_EQ(map.getIndex(u'P'), 2);
    EXPECT_EQ(map.getIndex(u'R'), 3);

    // The last line needs no line end.
    map.clear();
    EXPECT_EQ(loadAlphabet(map, dir, unicodeFile(u"\u0627\r\n\u0628")), 2);
    EXPECT_EQ(map.getIndex(u'\u0628'), 1);
}

TEST(unichar2indexmap_test, duplicates_and_reloads_consume_indices) {
    TempDir dir;
    UniChar2IndexMap map;
    EXPECT_EQ(loadAlphabet(map, dir, unicodeFile(u"\u0627\r\n\u0628\r\n\u0627\r\n")), 3);
    EXPECT_EQ(map.getIndex(u'\u0627'), 2);
    EXPECT_EQ(map.getIndex(u'\u0628'), 1);
    EXPECT_TRUE(map.load(dir.file("alphabet.txt")));
    EXPECT_EQ(map.getAlphabetSize(), 6);
    EXPECT_EQ(map.getIndex(u'\u0628'), 4);
    EXPECT_EQ(map.getIndex(u'\u0627'), 5);
}

TEST(unichar2indexmap_test, empty_and_broken_files) {
    TempDir dir;
    UniChar2IndexMap map;
    EXPECT_EQ(loadAlphabet(map, dir, Bytes{0xFF, 0xFE}), 0);

    writeFile(dir.file("plain.txt"), std::string("a\r\n"));
    IOException ex = raised<IOException>([&] { map.load(dir.file("plain.txt")); });
    EXPECT_EQ(ex.getErrorCode(), ERR_FILE_OPEN);
    EXPECT_EQ(ex.getMessage(), "File is not Unicode based. Config file not opened sucessfully.");
    EXPECT_EQ(ex.getFileName(), "unichar2indexmap.cpp");

    ex = raised<IOException>([&] { map.load(dir.file("absent.txt")); });
    EXPECT_EQ(ex.getMessage(),
              "Could not open file: " + dir.file("absent.txt") + ". Config file not opened sucessfully.");
}
