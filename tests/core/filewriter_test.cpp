// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <unistd.h>

#include "core/filewriter.h"
#include "support/testsupport.h"

using namespace zabrel;
using namespace zabrel::test;

TEST(filewriter_test, unicode_mode_starts_every_new_or_emptied_file_with_the_mark) {
    TempDir dir;
    auto path = dir.file("u");
    writeFile(path, std::string("old content"));
    {
        FileWriter writer;
        ASSERT_TRUE(writer.open(path, false, false));
    }
    EXPECT_EQ(readFile(path), (Bytes{0xFF, 0xFE}));
    {
        FileWriter writer;
        writer.open(path, false, false);
        EXPECT_TRUE(writer.writeUnicode(u"\u0627\u0628"));
        EXPECT_FALSE(writer.writeASCII("x"));
        EXPECT_FALSE(writer.writeBytes("x", 0));
        EXPECT_FALSE(writer.writeBytes(nullptr, 1));
        const char16_t units[] = {0x0641};
        EXPECT_TRUE(writer.writeUnicodeUnits(units, 1));
        EXPECT_EQ(writer.tell(), 8);
    }
    EXPECT_EQ(readFile(path), (Bytes{0xFF, 0xFE, 0x27, 0x06, 0x28, 0x06, 0x41, 0x06}));
}

TEST(filewriter_test, ascii_mode_writes_plain_bytes_and_refuses_wide_text) {
    TempDir dir;
    auto path = dir.file("a");
    writeFile(path, std::string("old"));
    FileWriter writer;
    ASSERT_TRUE(writer.open(path, true, false));
    EXPECT_FALSE(writer.writeUnicode(u"x"));
    EXPECT_TRUE(writer.writeASCII("ab"));
    EXPECT_TRUE(writer.writeBytes("\r\n", 2));
    EXPECT_TRUE(writer.close());
    EXPECT_EQ(readFile(path), (Bytes{'a', 'b', 0x0D, 0x0A}));
    EXPECT_FALSE(writer.writeASCII("late"));
    EXPECT_EQ(writer.tell(), -1);
}

TEST(filewriter_test, append_keeps_the_encoding_of_an_existing_file) {
    TempDir dir;
    auto unicodePath = dir.file("u");
    writeFile(unicodePath, Bytes{0xFF, 0xFE, 0x27, 0x06});
    FileWriter writer;
    EXPECT_FALSE(writer.open(unicodePath, true, true));
    EXPECT_EQ(readFile(unicodePath), (Bytes{0xFF, 0xFE, 0x27, 0x06}));
    ASSERT_TRUE(writer.open(unicodePath, false, true));
    writer.writeUnicode(u"\u0628");
    writer.close();
    EXPECT_EQ(readFile(unicodePath), (Bytes{0xFF, 0xFE, 0x27, 0x06, 0x28, 0x06}));

    auto asciiPath = dir.file("a");
    writeFile(asciiPath, std::string("k"));
    EXPECT_FALSE(writer.open(asciiPath, false, true));
    ASSERT_TRUE(writer.open(asciiPath, true, true));
    writer.writeASCII("v");
    writer.close();
    EXPECT_EQ(readFile(asciiPath), (Bytes{'k', 'v'}));

    // A new file in append mode gets its mark like any other.
    auto fresh = dir.file("n");
    ASSERT_TRUE(writer.open(fresh, false, true));
    writer.close();
    EXPECT_EQ(readFile(fresh), (Bytes{0xFF, 0xFE}));
}

TEST(filewriter_test, seek_counts_from_after_the_mark_in_unicode_mode) {
    TempDir dir;
    auto path = dir.file("s");
    FileWriter writer;
    writer.open(path, false, false);
    writer.writeBytes("abcd", 4);
    writer.seek(1, 0);
    EXPECT_EQ(writer.tell(), 3);
    writer.writeBytes("X", 1);
    writer.seek(0, 7);  // unknown origin: nothing moves
    EXPECT_EQ(writer.tell(), 4);
    writer.flush();
    EXPECT_EQ(readFile(path), (Bytes{0xFF, 0xFE, 'a', 'X', 'c', 'd'}));
}

TEST(filewriter_test, failures_are_false_results) {
    TempDir dir;
    FileWriter writer;
    EXPECT_FALSE(writer.open(nullptr, true, false));
    EXPECT_FALSE(writer.open("", true, false));
    EXPECT_FALSE(writer.open(dir.file("missing/dir/file"), true, false));
    EXPECT_FALSE(writer.writeASCII("x"));
    EXPECT_FALSE(writer.close());
    EXPECT_FALSE(writer.fileExists(dir.file("absent").c_str()));
}

TEST(filewriter_test, a_full_disk_is_seen) {
    if (access("/dev/full", W_OK) != 0)
        GTEST_SKIP() << "no /dev/full";
    FileWriter writer;
    ASSERT_TRUE(writer.open("/dev/full", true, false));
    std::string big(1 << 16, 'x');
    writer.writeASCII(big);
    writer.writeASCII(big);
    EXPECT_FALSE(writer.good() && writer.close());
}
