// SPDX-License-Identifier: MIT
// A first run that cannot finish writing its files must leave config.ini asking for
// a build, so that the next start builds again instead of loading half a dictionary.
// CI runs as root, where permissions stop nothing: a directory standing where a file
// should be renamed into place, or a file size limit, makes the writes fail instead.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "core/configmanager.h"
#include "core/errors.h"
#include "engine/spellchecker.h"
#include "smalldictionary.h"
#include "support/testsupport.h"

using namespace zabrel;
using namespace zabrel::test;
namespace fs = std::filesystem;

namespace {

std::string initializeValue() {
    ConfigManager config;
    config.read();
    return config.initialize;
}

class FirstRunFailure : public ::testing::Test {
protected:
    TempDir dir;
    CurrentDir here{dir.path()};

    void SetUp() override { writeDictionary(".", smallDictionary()); }

    // The build fails, config.ini still says YES; once the obstacle is gone the next
    // start builds and later starts load.
    void expectRebuildAfter(const std::string& what, const std::function<void()>& obstruct,
                            const std::function<void()>& clear) {
        const Bytes config = readFile("config.ini");
        obstruct();
        {
            SpellChecker checker;
            raised<QuelmException>([&] { checker.initialize(); });
        }
        EXPECT_EQ(initializeValue(), "YES") << what;
        EXPECT_EQ(readFile("config.ini"), config) << what;
        // No temporary file is left behind.
        for (const fs::directory_entry& entry : fs::directory_iterator("."))
            EXPECT_EQ(entry.path().filename().string().find(".tmp"), std::string::npos) << what;
        clear();
        {
            SpellChecker checker;
            ASSERT_TRUE(checker.initialize()) << what;
            EXPECT_EQ(checker.lexicon().getWordCount(), static_cast<int32_t>(smallDictionary().words.size()))
                << what;
        }
        EXPECT_EQ(initializeValue(), "NO") << what;
        SpellChecker later;
        ASSERT_TRUE(later.initialize()) << what;
        std::vector<std::u16string> suggestions;
        EXPECT_TRUE(later.checkWord(u"\u0628\u0627\u0631\u062A", suggestions)) << what;
        EXPECT_FALSE(suggestions.empty()) << what;
        // Back to a first run for the next case.
        writeDictionary(".", smallDictionary());
    }
};

const char* const WRITTEN[] = {"hashtable.dat", "bigram-index.dat", "bigram-lists.dat", "unigram-index.dat",
                               "unigram-lists.dat"};

}  // namespace

TEST_F(FirstRunFailure, a_folder_in_place_of_any_written_file_leaves_the_build_to_the_next_start) {
    for (const std::string name : WRITTEN) {
        expectRebuildAfter(
            name + " is a folder",
            [&] {
                fs::remove(name);
                fs::create_directory(name);
            },
            [&] { fs::remove(name); });
    }
}

TEST_F(FirstRunFailure, a_full_disk_part_way_through_leaves_the_build_to_the_next_start) {
    // Limits that stop the writing at once and part-way through the first file.
    std::unique_ptr<FileSizeLimit> limit;
    for (long bytes : {0L, 300L}) {
        expectRebuildAfter(
            "files limited to " + std::to_string(bytes) + " bytes",
            [&] { limit = std::make_unique<FileSizeLimit>(bytes); }, [&] { limit.reset(); });
    }
}

TEST_F(FirstRunFailure, a_word_list_cut_short_or_missing_leaves_the_build_to_the_next_start) {
    const Bytes words = readFile("wordlist.txt");
    // Cut after the line end of the second record: the third one is read at the end
    // of the file.
    std::size_t cut = 2;
    for (int lineEnds = 0; lineEnds < 3; cut += 2)
        lineEnds += words[cut] == 0x0A && words[cut + 1] == 0x00;
    expectRebuildAfter(
        "word list cut short",
        [&] {
            writeFile("wordlist.txt", Bytes(words.begin(), words.begin() + static_cast<std::ptrdiff_t>(cut)));
        },
        [&] { writeFile("wordlist.txt", words); });
    expectRebuildAfter(
        "word list missing", [&] { fs::remove("wordlist.txt"); }, [&] { writeFile("wordlist.txt", words); });
}
