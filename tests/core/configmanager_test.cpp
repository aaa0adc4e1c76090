// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <iterator>

#include "core/configmanager.h"
#include "core/errors.h"
#include "support/testsupport.h"

using namespace zabrel;
using namespace zabrel::test;

namespace {

class ConfigTest : public ::testing::Test {
protected:
    TempDir dir;
    CurrentDir here{dir.path()};
};

const std::string writtenConfig =
    "initialize = NO\r\n"
    "wordListFilePath = w.txt\r\n"
    "hashTableFilePath = h.dat\r\n"
    "bigramMatrixFilePath = bm.dat\r\n"
    "bigramPLFilePath = bp.dat\r\n"
    "unigramListsFilePath = ul.dat\r\n"
    "unigramPLFilePath = up.dat\r\n"
    "urduAlphabetFilePath = a.txt\r\n"
    "soundexFilePath = so.txt\r\n"
    "shapexFilePath = \r\n";

}  // namespace

TEST(trim_test, strips_exactly_four_whitespace_characters) {
    std::string text = " \t\r\n a b \v\r\n";
    EXPECT_EQ(trim(text), "a b \v");
    EXPECT_EQ(text, "a b \v");
    std::string blank = " \r\n\t";
    EXPECT_EQ(trim(blank), "");
    std::string empty;
    EXPECT_EQ(trim(empty), "");
}

TEST_F(ConfigTest, missing_file_is_an_annotated_open_error) {
    ConfigManager config;
    IOException ex = raised<IOException>([&] { config.read(); });
    EXPECT_EQ(ex.getErrorCode(), ERR_FILE_OPEN);
    EXPECT_EQ(ex.getMessage(), "Could not open file: config.ini. Config file not opened sucessfully.");
    EXPECT_EQ(ex.getFileName(), "configmanager.cpp");
}

TEST_F(ConfigTest, write_gives_the_exact_ten_lines_and_reads_back) {
    ConfigManager config;
    config.initialize = "YES";
    config.wordListFilePath = "w.txt";
    config.hashTableFilePath = "h.dat";
    config.bigramMatrixFilePath = "bm.dat";
    config.bigramPLFilePath = "bp.dat";
    config.unigramListsFilePath = "ul.dat";
    config.unigramPLFilePath = "up.dat";
    config.urduAlphabetFilePath = "a.txt";
    config.soundexFilePath = "so.txt";
    writeFile("config.ini", std::string("something long that must go away entirely\n"));
    ASSERT_TRUE(config.write());
    auto bytes = readFile("config.ini");
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), writtenConfig);
    EXPECT_FALSE(std::filesystem::exists("config.ini.tmp"));

    ConfigManager again;
    again.shapexFilePath = "stays empty: the value is only the key literal";
    ASSERT_TRUE(again.read());
    EXPECT_EQ(again.initialize, "NO");
    EXPECT_EQ(again.wordListFilePath, "w.txt");
    EXPECT_EQ(again.soundexFilePath, "so.txt");
    // "shapexFilePath = " then CR LF: the value is blanks and a CR, so the field empties.
    EXPECT_EQ(again.shapexFilePath, "");
}

TEST_F(ConfigTest, the_context_model_is_an_eleventh_line_only_when_there_is_one) {
    ConfigManager config;
    config.contextModelFilePath = "context.bin";
    ASSERT_TRUE(config.write());
    auto bytes = readFile("config.ini");
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()),
              writtenConfig.substr(0, writtenConfig.find("wordList")) +
                  "wordListFilePath = \r\nhashTableFilePath = \r\n"
                  "bigramMatrixFilePath = \r\nbigramPLFilePath = \r\n"
                  "unigramListsFilePath = \r\nunigramPLFilePath = \r\n"
                  "urduAlphabetFilePath = \r\nsoundexFilePath = \r\n"
                  "shapexFilePath = \r\ncontextModelFilePath = context.bin\r\n");
    ConfigManager again;
    ASSERT_TRUE(again.read());
    EXPECT_EQ(again.contextModelFilePath, "context.bin");
}

TEST_F(ConfigTest, parse_quirks) {
    // Spaces optional, keys case-sensitive, later value wins, unknown keys ignored,
    // an "=" directly followed by LF skips the entry, a last line without LF counts.
    writeFile("config.ini", std::string("initialize=NO\n"
                                        "Initialize = YES\n"
                                        "\r\n"
                                        "unknown = 1\n"
                                        "soundexFilePath = a = b \n"
                                        "soundexFilePath = c d\t\r\n"
                                        "bigramPLFilePath = kept\n"
                                        "bigramPLFilePath =\n"
                                        "wordListFilePath = C:\\words.txt"));
    ConfigManager config;
    ASSERT_TRUE(config.read());
    EXPECT_EQ(config.initialize, "NO");
    EXPECT_EQ(config.soundexFilePath, "c d");
    EXPECT_EQ(config.wordListFilePath, "C:\\words.txt");
}

TEST_F(ConfigTest, a_remark_without_equals_swallows_the_next_key) {
    writeFile("config.ini", std::string("a remark\r\ninitialize = YES\r\nshapexFilePath = s\r\n"));
    ConfigManager config;
    config.read();
    EXPECT_EQ(config.initialize, "");
    EXPECT_EQ(config.shapexFilePath, "s");
}

TEST_F(ConfigTest, long_keys_and_values_are_cut) {
    std::string longKey(70, 'k');
    std::string longValue(520, 'v');
    writeFile("config.ini", longKey + "=x\ninitialize = " + longValue + "\n");
    ConfigManager config;
    config.read();
    // The value field starts with the blank after "=", so 511 letters fit in it.
    EXPECT_EQ(config.initialize, std::string(511, 'v'));
}

TEST_F(ConfigTest, utf16_file_and_trailing_key_match_nothing) {
    writeFile("config.ini", unicodeFile(u"initialize = NO\r\n"));
    ConfigManager config;
    EXPECT_TRUE(config.read());
    EXPECT_EQ(config.initialize, "");
    writeFile("config.ini", std::string("initialize = NO\nshapexFilePath"));
    EXPECT_TRUE(config.read());
    EXPECT_EQ(config.initialize, "NO");
    EXPECT_EQ(config.shapexFilePath, "");
}

TEST_F(ConfigTest, failed_write_reports_false_and_keeps_the_old_file) {
    writeFile("config.ini", std::string("initialize = YES\n"));
    {
        // A file size limit fails the write as a full disk would, even for root.
        FileSizeLimit limit(16);
        ConfigManager config;
        EXPECT_FALSE(config.write());
        EXPECT_EQ(config.writeFailureReason(), std::strerror(EFBIG));
    }
    auto bytes = readFile("config.ini");
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "initialize = YES\n");
    // The temporary file is gone, and the next write succeeds.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator("."), std::filesystem::directory_iterator()),
              1);
    ConfigManager config;
    EXPECT_TRUE(config.write());
}
