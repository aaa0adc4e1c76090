// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "core/errors.h"
#include "core/filereader.h"
#include "support/testsupport.h"

using namespace zabrel;
using namespace zabrel::test;

namespace {

class FileReaderTest : public ::testing::Test {
protected:
    TempDir dir;
    std::string path = dir.file("f");
};

std::string messageOf(const std::function<void()>& action) {
    return raised<IOException>(action).getMessage();
}

}  // namespace

TEST_F(FileReaderTest, open_rejects_bad_names_missing_files_and_missing_marks) {
    FileReader reader;
    EXPECT_EQ(messageOf([&] { reader.open(nullptr, true); }), "Invalid file name specified.");
    EXPECT_EQ(messageOf([&] { reader.open("", true); }), "Invalid file name specified.");
    auto missing = dir.file("nope");
    IOException ex = raised<IOException>([&] { reader.open(missing, true); });
    EXPECT_EQ(ex.getErrorCode(), ERR_FILE_OPEN);
    EXPECT_EQ(ex.getMessage(), "Could not open file: " + missing + ".");

    for (Bytes bytes : {Bytes{0xFE, 0xFF, 0x27, 0x06}, Bytes{0xFF}, Bytes{}}) {
        writeFile(path, bytes);
        ex = raised<IOException>([&] { reader.open(path, false); });
        EXPECT_EQ(ex.getErrorCode(), ERR_FILE_OPEN);
        EXPECT_EQ(ex.getMessage(), "File is not Unicode based.");
        EXPECT_FALSE(reader.isOpened());
    }
    // ASCII mode checks nothing.
    EXPECT_TRUE(reader.open(path, true));
}

TEST_F(FileReaderTest, invalid_name_keeps_an_open_file_open) {
    writeFile(path, std::string("abc"));
    FileReader reader;
    reader.open(path, true);
    raised<IOException>([&] { reader.open("", true); });
    std::string token;
    EXPECT_TRUE(reader.readASCII(token, 10, '\n'));
    EXPECT_EQ(token, "abc");
}

TEST_F(FileReaderTest, mark_only_file_reads_nothing_then_reports_end) {
    writeFile(path, Bytes{0xFF, 0xFE});
    FileReader reader;
    ASSERT_TRUE(reader.open(path, false));
    std::u16string token = u"keep";
    EXPECT_FALSE(reader.eof());
    EXPECT_FALSE(reader.readUnicode(token, 10, u'\n'));
    EXPECT_EQ(token, u"keep");
    EXPECT_TRUE(reader.eof());
    IOException ex = raised<IOException>([&] { reader.readUnicode(token, 10, u'\n'); });
    EXPECT_EQ(ex.getErrorCode(), ERR_FILE_READ);
    EXPECT_EQ(ex.getMessage(), "End of file encountered.");
}

TEST_F(FileReaderTest, ascii_tokens_keep_carriage_return_and_end_state_comes_late) {
    writeFile(path, std::string("initialize = NO\r\n"));
    FileReader reader;
    reader.open(path, true);
    std::string token;
    ASSERT_TRUE(reader.readASCII(token, 64, '='));
    EXPECT_EQ(token, "initialize ");
    ASSERT_TRUE(reader.readASCII(token, 512, '\n'));
    EXPECT_EQ(token, " NO\r");
    // A read that stopped exactly at the last byte does not set the end state.
    EXPECT_FALSE(reader.eof());
    EXPECT_FALSE(reader.readASCII(token, 512, '\n'));
    EXPECT_TRUE(reader.eof());
    EXPECT_EQ(messageOf([&] { reader.readASCII(token, 5, '\n'); }), "End of file encountered.");
}

TEST_F(FileReaderTest, token_limit_leaves_the_rest_for_the_next_read) {
    std::u16string line(25, u'x');
    for (int i = 0; i < 25; ++i)
        line[i] = static_cast<char16_t>(0x0627 + i);
    writeFile(path, unicodeFile(line + u"\t"));
    FileReader reader;
    reader.open(path, false);
    std::u16string token;
    ASSERT_TRUE(reader.readUnicode(token, 22, u'\t'));
    EXPECT_EQ(token, line.substr(0, 22));
    ASSERT_TRUE(reader.readUnicode(token, 22, u'\t'));
    EXPECT_EQ(token, line.substr(22));
    EXPECT_FALSE(reader.readUnicode(token, 0, u'\t'));
}

TEST_F(FileReaderTest, empty_field_is_consumed_and_odd_trailing_byte_dropped) {
    Bytes bytes = unicodeFile(u"\tab");
    bytes.push_back(0x41);
    writeFile(path, bytes);
    FileReader reader;
    reader.open(path, false);
    std::u16string token = u"old";
    EXPECT_FALSE(reader.readUnicode(token, 10, u'\t'));
    EXPECT_EQ(token, u"old");
    ASSERT_TRUE(reader.readUnicode(token, 10, u'\t'));
    EXPECT_EQ(token, u"ab");
    EXPECT_TRUE(reader.eof());
}

TEST_F(FileReaderTest, wrong_mode_reads_raise) {
    writeFile(path, unicodeFile(u"ab"));
    FileReader unicode;
    unicode.open(path, false);
    std::string narrow;
    EXPECT_EQ(messageOf([&] { unicode.readASCII(narrow, 4, '\n'); }), "File not openned as ASCII initially.");
    EXPECT_EQ(messageOf([&] { unicode.unreadASCII(1); }), "File not openned as ASCII initially.");
    FileReader ascii;
    ascii.open(path, true);
    std::u16string wide;
    EXPECT_EQ(messageOf([&] { ascii.readUnicode(wide, 4, u'\n'); }),
              "File not openned as UNICODE initially.");
    EXPECT_EQ(messageOf([&] { ascii.readUnicodeChars(wide, 4); }), "File not openned as Unicode initially.");
    EXPECT_EQ(messageOf([&] { ascii.unreadUnicode(1); }), "File not openned as Unicode initially.");
}

TEST_F(FileReaderTest, reader_that_is_not_open_answers_false) {
    FileReader reader;
    std::string narrow;
    std::u16string wide;
    char buffer[4];
    char16_t units[2];
    EXPECT_FALSE(reader.eof());
    EXPECT_FALSE(reader.readASCII(narrow, 4, '\n'));
    EXPECT_FALSE(reader.readUnicode(wide, 4, u'\n'));
    EXPECT_FALSE(reader.readUnicodeChars(wide, 4));
    EXPECT_FALSE(reader.readBytes(buffer, 4));
    EXPECT_FALSE(reader.readBytesAt(buffer, 0, 4));
    EXPECT_FALSE(reader.readUnicodeUnits(units, 2));
    EXPECT_FALSE(reader.seek(0));
    EXPECT_FALSE(reader.unreadASCII(1));
    EXPECT_EQ(reader.getFileSize(), 0);
    // The buffer test comes before anything else, even on a closed reader.
    EXPECT_EQ(messageOf([&] { reader.readBytes(nullptr, 4); }), "Null buffer or zero size specified.");
    EXPECT_EQ(messageOf([&] { reader.readBytes(buffer, 0); }), "Null buffer or zero size specified.");
    EXPECT_EQ(messageOf([&] { reader.readBytesAt(nullptr, 0, 4); }), "Null buffer or zero size specified.");
    EXPECT_EQ(messageOf([&] { reader.readUnicodeUnits(units, 0); }), "Null buffer or zero size specified.");
}

TEST_F(FileReaderTest, fixed_field_keeps_zero_padding) {
    std::u16string field = u"\u0627\u0628";
    field.resize(20, u'\0');
    writeFile(path, unicodeFile(field));
    FileReader reader;
    reader.open(path, false);
    std::u16string got;
    ASSERT_TRUE(reader.readUnicodeChars(got, 20));
    EXPECT_EQ(got, field);
    EXPECT_EQ(got.size(), 20u);
}

TEST_F(FileReaderTest, raw_reads_count_from_after_the_mark_and_stop_after_the_end) {
    Bytes bytes{0xFF, 0xFE, 1, 2, 3, 4, 5, 6};
    writeFile(path, bytes);
    FileReader reader;
    reader.open(path, false);
    EXPECT_EQ(reader.getFileSize(), 8);
    unsigned char buffer[4] = {9, 9, 9, 9};
    ASSERT_TRUE(reader.readBytesAt(buffer, 0, 2));
    EXPECT_EQ(buffer[0], 1);
    EXPECT_EQ(buffer[1], 2);
    ASSERT_TRUE(reader.readBytesAt(buffer, 4, 2));
    EXPECT_EQ(buffer[0], 5);
    // A short read still succeeds, leaves the rest of the buffer and sets the end state.
    buffer[2] = 9;
    ASSERT_TRUE(reader.readBytesAt(buffer, 5, 4));
    EXPECT_EQ(reader.lastReadSize(), 1u);
    EXPECT_EQ(buffer[0], 6);
    EXPECT_EQ(buffer[2], 9);
    EXPECT_TRUE(reader.eof());
    // Once past the end, every positioned read raises, wherever it would go.
    EXPECT_EQ(messageOf([&] { reader.readBytesAt(buffer, 0, 1); }), "End of file encountered.");
    EXPECT_EQ(messageOf([&] { reader.readBytes(buffer, 1); }), "End of file encountered.");
    // Stepping back clears the end state.
    ASSERT_TRUE(reader.unreadUnicode(1));
    EXPECT_FALSE(reader.eof());
    char16_t units[3] = {7, 7, 7};
    ASSERT_TRUE(reader.readUnicodeUnits(units, 3));
    EXPECT_EQ(units[0], 0x0605);
    EXPECT_EQ(units[1], 7);
    EXPECT_EQ(reader.lastReadSize(), 2u);
}

TEST_F(FileReaderTest, file_size_query_keeps_position_and_ascii_mode_sees_the_mark) {
    writeFile(path, Bytes{0xFF, 0xFE, 'a', 'b'});
    FileReader reader;
    reader.open(path, true);
    std::string token;
    reader.readASCII(token, 1, '\n');
    EXPECT_EQ(token, "\xFF");
    EXPECT_EQ(reader.getFileSize(), 4);
    reader.readASCII(token, 10, '\n');
    EXPECT_EQ(token,
              "\xFE"
              "ab");
    ASSERT_TRUE(reader.unreadASCII(2));
    reader.readASCII(token, 10, '\n');
    EXPECT_EQ(token, "ab");
}

TEST_F(FileReaderTest, a_directory_is_refused_at_open_and_a_read_error_ends_every_read) {
    FileReader reader;
    EXPECT_EQ(raised<IOException>([&] { reader.open(".", true); }).getMessage(), "Could not open file: ..");
    EXPECT_FALSE(reader.isOpened());
    // Reading this process's memory at offset 0 fails with EIO: the loops that only
    // watched for the end of the file used to spin here for ever.
    ASSERT_TRUE(reader.open("/proc/self/mem", true));
    std::string token;
    EXPECT_EQ(raised<IOException>([&] { reader.readASCII(token, 10, '='); }).getMessage(),
              "Could not read file: /proc/self/mem. Input/output error.");
    // Bytes taken are counted, so a caller can stop an endless source.
    ASSERT_TRUE(reader.open("/dev/zero", true));
    for (int k = 0; k < 3; ++k)
        reader.readASCII(token, 100, '=');
    EXPECT_EQ(reader.consumedBytes(), 300);
    EXPECT_NO_THROW(reader.requireAtMost(300));
    EXPECT_EQ(raised<IOException>([&] { reader.requireAtMost(299); }).getMessage(),
              "File is too large: /dev/zero.");
}
