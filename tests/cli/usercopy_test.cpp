// SPDX-License-Identifier: MIT
// zabrel-check on the user's copy of the shipped dictionary: every file of the copy
// damaged in turn, and the shipped folder itself current or named.
#include <gtest/gtest.h>

#include <map>

#include "cli/subprocess.h"
#include "cli/testdictionary.h"
#include "support/dictionary.h"
#include "support/testsupport.h"

namespace zabrel::test {
namespace {

namespace fs = std::filesystem;

// Every file of a folder, dot files too, with its bytes.
std::map<std::string, std::string> contentsOf(const fs::path& folder) {
    std::map<std::string, std::string> files;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder)) {
        const Bytes bytes = entry.is_regular_file() ? readFile(entry.path().string()) : Bytes{};
        files[fs::relative(entry.path(), folder).string()] = std::string(bytes.begin(), bytes.end());
    }
    return files;
}

class UserCopy : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(shipped);
        std::vector<ListedWord> words = sampleWords();
        words.insert(words.end(), {{u"بڑے", 90}, {u"کو", 900}});
        makeDictionary(shipped, words);
        writeFile((shipped / "costs.txt").string(), std::string(SPLIT_COSTS));
        // After سخت the model wants ہزار where the letters alone want بازار.
        writeContextModel(shipped.string(), {{u"سخت", u"ہزار"}, {u"بڑے", u"شہر"}});
        writeFile(dir.file("in.txt"), std::string("سخت بزار\nکتاب بزار\n"));
    }

    // zabrel-check over in.txt from `where`, with the home and shipped dictionary here.
    Outcome check(std::vector<std::string> args, const fs::path& where = {}) const {
        args.insert(args.begin(), ZABREL_CHECK_PROGRAM);
        const std::string home = (dir.path() / "home").string();
        return runProgram(args, where.empty() ? dir.path() : where, dir.file("in.txt"),
                          {{"HOME", home},
                           {"XDG_DATA_HOME", home + "/share"},
                           {"ZABREL_SHIPPED_DICTIONARY", shipped.string()}});
    }

    TempDir dir;
    const fs::path shipped = dir.path() / "shipped";
    const fs::path copy = dir.path() / "home" / "share" / "zabrel" / "urdu";
};

TEST_F(UserCopy, every_file_of_the_copy_damaged_in_turn_is_made_again_and_every_mode_answers_as_before) {
    const std::vector<std::vector<std::string>> modes = {{}, {"--ranking=accurate"}, {"--context"}, {"-l"}};
    std::vector<Outcome> expected;
    for (const auto& mode : modes) {
        expected.push_back(check(mode));
        ASSERT_EQ(expected.back().status, mode == modes.back() ? 0 : 1) << expected.back().err;
        ASSERT_EQ(expected.back().err, "");
    }
    // The context is at work: after سخت it puts ہزار first.
    ASSERT_EQ(expected[2].out, "<stdin>:1:5: بزار -> ہزار, بازار\n<stdin>:2:6: بزار -> بازار, ہزار\n");
    ASSERT_EQ(expected[3].out, "بزار\nبزار\n");
    const std::map<std::string, std::string> made = contentsOf(copy);
    std::vector<std::string> names;
    for (const auto& [name, bytes] : made)
        if (!name.starts_with("."))
            names.push_back(name);
    for (const char* name : {"config.ini", "alphabet.txt", "costs.txt", "context.bin", "hashtable.dat"})
        ASSERT_NE(std::find(names.begin(), names.end(), name), names.end()) << name;

    const auto expectMended = [&](const std::string& damage, const std::string& what) {
        for (std::size_t m = 0; m < modes.size(); ++m) {
            const Outcome got = check(modes[m]);
            EXPECT_EQ(got.status, expected[m].status) << what << ", mode " << m << ": " << got.err;
            EXPECT_EQ(got.out, expected[m].out) << what << ", mode " << m;
            // The first run mends the copy and says so; the later ones have nothing to say.
            EXPECT_EQ(got.err, m > 0 || damage.empty()
                                   ? ""
                                   : "zabrel-check: Your copy of the dictionary in " + copy.string() +
                                         " was damaged (" + damage + "); it was made again from " +
                                         shipped.string() + ".\n")
                << what << ", mode " << m;
        }
        const std::map<std::string, std::string> now = contentsOf(copy);
        for (const auto& [name, bytes] : made) {
            if (!name.starts_with(".")) {
                ASSERT_TRUE(now.contains(name)) << what << ": " << name;
                EXPECT_EQ(now.at(name), bytes) << what << ": " << name;
            }
        }
    };
    for (const std::string& name : names) {
        const fs::path file = copy / name;
        fs::resize_file(file, fs::file_size(file) / 2);
        expectMended(name + " has changed since the copy was made", name + " cut short");
    }
    // A byte changed in place with the file's time put back; a file gone.
    const fs::path alphabet = copy / "alphabet.txt";
    const fs::file_time_type time = fs::last_write_time(alphabet);
    Bytes bytes = readFile(alphabet.string());
    bytes[bytes.size() / 2] ^= 1;
    writeFile(alphabet.string(), bytes);
    fs::last_write_time(alphabet, time);
    expectMended("alphabet.txt has changed since the copy was made", "alphabet.txt edited in place");
    fs::remove(copy / "context.bin");
    expectMended("context.bin is missing", "context.bin removed");
    // The record of what the copy was made from, lost or garbled: made again quietly,
    // as a copy made by an older version is.
    writeFile((copy / ".made-from").string(), std::string("zabrel user copy 1\nfile x\n"));
    expectMended("", "the record garbled");
    fs::remove(copy / ".made-from");
    expectMended("", "the record removed");
}

TEST_F(UserCopy, the_shipped_folder_current_or_named_stands_for_the_copy_and_is_never_written) {
    const std::map<std::string, std::string> before = contentsOf(shipped);
    for (const Outcome& got :
         {check({"-l"}, shipped), check({"-l", "-d", shipped.string()}), check({"-l", "-d", "."}, shipped)}) {
        EXPECT_EQ(got.status, 0) << got.err;
        EXPECT_EQ(got.out, "بزار\nبزار\n");
        EXPECT_EQ(got.err, "");
    }
    EXPECT_EQ(contentsOf(shipped), before);
    EXPECT_TRUE(fs::exists(copy / "hashtable.dat"));
}

}  // namespace
}  // namespace zabrel::test
