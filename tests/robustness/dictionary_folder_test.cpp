// SPDX-License-Identifier: MIT
// Set-up from a folder given by path, with the current directory elsewhere: the
// files it reads and writes are the folder's, and the answers are those of a set-up
// run inside the folder.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/errors.h"
#include "engine/spellchecker.h"
#include "smalldictionary.h"
#include "support/testsupport.h"

using namespace zabrel;
using namespace zabrel::test;
namespace fs = std::filesystem;

namespace {

std::vector<std::vector<std::u16string>> answers(SpellChecker& checker) {
    std::vector<std::vector<std::u16string>> all;
    for (const std::u16string& word : smallMisspellings()) {
        std::vector<std::u16string> suggestions;
        checker.checkWord(word, suggestions);
        all.push_back(suggestions);
    }
    return all;
}

}  // namespace

TEST(DictionaryFolderSetUp, a_folder_by_path_builds_and_loads_there_and_answers_as_inside_it) {
    TempDir inside;
    TempDir folder;
    TempDir elsewhere;
    writeDictionary(inside.path().string(), smallDictionary());
    writeDictionary(folder.path().string(), smallDictionary());
    std::vector<std::vector<std::u16string>> expected;
    {
        CurrentDir here(inside.path());
        SpellChecker checker;
        ASSERT_TRUE(checker.initialize());
        expected = answers(checker);
    }
    CurrentDir here(elsewhere.path());
    for (const char* run : {"first", "later"}) {
        SpellChecker checker;
        ASSERT_TRUE(checker.initialize(folder.path())) << run;
        EXPECT_EQ(answers(checker), expected) << run;
    }
    EXPECT_TRUE(fs::is_empty(elsewhere.path()));
    // The folder's files are the ones a set-up inside it writes, byte for byte.
    for (const char* name : {"config.ini", "hashtable.dat", "bigram-index.dat", "bigram-lists.dat",
                             "unigram-index.dat", "unigram-lists.dat"})
        EXPECT_EQ(readFile(folder.file(name)), readFile(inside.file(name))) << name;
    // Errors name the file by its place in the folder.
    fs::remove(folder.path() / "hashtable.dat");
    SpellChecker checker;
    EXPECT_EQ(
        raised<IOException>([&] { checker.initialize(folder.path()); }).getMessage(),
        "Could not open file: " + folder.file("hashtable.dat") + ". Config file not opened sucessfully.");
}
