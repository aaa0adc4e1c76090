// SPDX-License-Identifier: MIT
// The user's copy follows what the shipped dictionary is, not where it is: a user who
// runs the build tree's programs and the installed ones in turn keeps one copy, and
// an upgrade that keeps every size and time still reaches them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "programs/copyrecord.h"
#include "programs/dictionaryfolder.h"
#include "smalldictionary.h"
#include "support/testsupport.h"

using namespace zabrel;
using namespace zabrel::test;
namespace fs = std::filesystem;

namespace {

// The user's copy as a program would get it with `shipped` as the shipped dictionary.
fs::path userCopyFrom(const fs::path& shipped) {
    setenv("ZABREL_SHIPPED_DICTIONARY", shipped.c_str(), 1);
    std::string error;
    fs::path copy = DictionaryFolder::userCopy(error);
    unsetenv("ZABREL_SHIPPED_DICTIONARY");
    EXPECT_FALSE(copy.empty()) << error;
    return copy;
}

TEST(ShippedStamp, the_same_files_elsewhere_are_one_dictionary_and_changed_bytes_another) {
    TempDir home;
    TempDir buildTree;
    TempDir installed;
    writeDictionary(buildTree.path().string(), smallDictionary());
    writeDictionary(installed.path().string(), smallDictionary());
    // Installed later, as a package would be; a dot file is no part of the dictionary.
    for (const fs::directory_entry& entry : fs::directory_iterator(installed.path()))
        fs::last_write_time(entry.path(), fs::last_write_time(entry.path()) - std::chrono::hours(24 * 30));
    writeFile(installed.file(".gitattributes"), std::string("* binary\n"));
    EXPECT_EQ(CopyRecord::stampOf(buildTree.path()), CopyRecord::stampOf(installed.path()));

    setenv("XDG_DATA_HOME", home.path().c_str(), 1);
    const fs::path copy = userCopyFrom(buildTree.path());
    // A file only a rebuilt copy would lose.
    writeFile((copy / "derived.bin").string(), std::string("built"));
    for (int turn = 0; turn < 3; ++turn) {
        EXPECT_EQ(userCopyFrom(installed.path()), copy);
        EXPECT_EQ(userCopyFrom(buildTree.path()), copy);
    }
    EXPECT_TRUE(fs::exists(copy / "derived.bin")) << "the copy was made again";

    // One byte of the word list changes; its size and time stay.
    const fs::path list = installed.path() / "wordlist.txt";
    const fs::file_time_type time = fs::last_write_time(list);
    Bytes bytes = readFile(list.string());
    bytes.back() ^= 1;
    writeFile(list.string(), bytes);
    fs::last_write_time(list, time);
    EXPECT_NE(CopyRecord::stampOf(installed.path()), CopyRecord::stampOf(buildTree.path()));
    EXPECT_EQ(userCopyFrom(installed.path()), copy);
    EXPECT_FALSE(fs::exists(copy / "derived.bin")) << "the changed dictionary did not replace the copy";
    EXPECT_EQ(readFile((copy / "wordlist.txt").string()), bytes);
    unsetenv("XDG_DATA_HOME");
}

TEST(ShippedStamp, names_and_file_boundaries_count) {
    TempDir a;
    TempDir b;
    writeFile(a.file("config.ini"), std::string("initialize=YES\n"));
    writeFile(b.file("config.ini"), std::string("initialize=YES\n"));
    EXPECT_EQ(CopyRecord::stampOf(a.path()), CopyRecord::stampOf(b.path()));
    // The same bytes under another name.
    writeFile(a.file("alphabet.txt"), std::string("xy"));
    writeFile(b.file("alphabet2.txt"), std::string("xy"));
    EXPECT_NE(CopyRecord::stampOf(a.path()), CopyRecord::stampOf(b.path()));
    // The same bytes in all, split differently between two files.
    fs::remove(b.file("alphabet2.txt"));
    writeFile(b.file("alphabet.txt"), std::string("x"));
    writeFile(a.file("costs.txt"), std::string(""));
    writeFile(b.file("costs.txt"), std::string("y"));
    EXPECT_NE(CopyRecord::stampOf(a.path()), CopyRecord::stampOf(b.path()));
    EXPECT_EQ(CopyRecord::stampOf(a.path()).size(), 16u);
}

}  // namespace
