// SPDX-License-Identifier: MIT
// A dictionary folder edited by hand or by someone else: paths that name a directory
// or an endless device, derived-file keys that point elsewhere, planted symlinks,
// headers that are no count, oversized alphabets. Set-up either works on what is
// there or raises the engine's error; it never hangs, never aborts and never writes
// outside the folder.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>

#include "core/configmanager.h"
#include "core/errors.h"
#include "engine/spellchecker.h"
#include "programs/dictionaryfolder.h"
#include "smalldictionary.h"
#include "support/testsupport.h"

using namespace zabrel;
using namespace zabrel::test;
namespace fs = std::filesystem;
using namespace std::string_literals;

namespace {

std::string text(const Bytes& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

void setKey(const std::string& key, const std::string& value) {
    std::string config = text(readFile("config.ini"));
    const std::size_t at = config.find(key + " = ");
    const std::size_t end = config.find("\r\n", at);
    config.replace(at, end - at, key + " = " + value);
    writeFile("config.ini", config);
}

std::string setUpFailure() {
    SpellChecker checker;
    try {
        checker.initialize();
    } catch (const QuelmException& ex) {
        return ex.getMessage();
    }
    return "";
}

bool derivedFilesWritten() {
    for (const char* name :
         {"hashtable.dat", "bigram-index.dat", "bigram-lists.dat", "unigram-index.dat", "unigram-lists.dat"})
        if (fs::exists(fs::symlink_status(name)))
            return true;
    return false;
}

class HostileFolder : public ::testing::Test {
protected:
    TempDir dir;
    CurrentDir here{dir.path()};
    void SetUp() override { writeDictionary(".", smallDictionary()); }
};

}  // namespace

TEST_F(HostileFolder, directories_devices_and_huge_settings_files_are_refused_without_hanging) {
    fs::create_directory("folder");
    const std::pair<std::string, std::string> cases[] = {
        {".", "Could not open file: .. Config file not opened sucessfully."},
        {"folder", "Could not open file: folder. Config file not opened sucessfully."},
        {"/dev/zero", "File is too large: /dev/zero. Config file not opened sucessfully."},
        {"big.txt", "File is too large: big.txt. Config file not opened sucessfully."},
    };
    writeFile("big.txt", std::string((1 << 20) + 100, '\n'));
    for (const auto& [path, message] : cases) {
        writeDictionary(".", smallDictionary());
        setKey("soundexFilePath", path);
        EXPECT_EQ(setUpFailure(), message) << path;
    }
    // config.ini itself as an endless device.
    fs::remove("config.ini");
    fs::create_symlink("/dev/zero", "config.ini");
    EXPECT_EQ(setUpFailure(), "File is too large: config.ini. Config file reading problem occurred.");
}

TEST_F(HostileFolder, a_first_run_that_would_build_an_empty_lexicon_fails_and_writes_nothing) {
    const Bytes config = readFile("config.ini");
    const Bytes words = readFile("wordlist.txt");
    // A header below 3, a header that is no number, a file of only the mark.
    const Bytes records(words.begin() + static_cast<std::ptrdiff_t>(text(words).find('\n', 2) + 2),
                        words.end());
    Bytes lowCount = unicodeFile(u"2\r\n");
    append(lowCount, records);
    Bytes noCount = unicodeFile(u"words\r\n");
    append(noCount, records);
    for (const Bytes& list : {lowCount, noCount, unicodeFile(u"")}) {
        writeFile("wordlist.txt", list);
        EXPECT_EQ(setUpFailure(), "Word list header is not a word count: wordlist.txt.");
        EXPECT_EQ(readFile("config.ini"), config);
        EXPECT_FALSE(derivedFilesWritten());
    }
    // A later run whose hash table has no slots.
    writeFile("wordlist.txt", words);
    ASSERT_EQ(setUpFailure(), "");
    const Bytes table = readFile("hashtable.dat");
    for (int32_t count : {0, -1}) {
        Bytes damaged = littleEndian32(count);
        damaged.insert(damaged.begin(), {0xFF, 0xFE});
        writeFile("hashtable.dat", damaged);
        EXPECT_EQ(setUpFailure(), "Hash table file is damaged: hashtable.dat.");
    }
}

TEST_F(HostileFolder, alphabets_too_large_or_holding_nul_are_refused_before_anything_is_built) {
    std::u16string letters;
    for (char16_t c = 0x4E00; c < 0x4E00 + 1025; ++c)
        letters += std::u16string{c, u'\r', u'\n'};
    writeFile("alphabet.txt", unicodeFile(letters));
    EXPECT_EQ(setUpFailure(),
              "Alphabet file lists 1025 letters, more than the 1024 the engine allows: alphabet.txt.");
    writeFile("alphabet.txt", unicodeFile(u"\u0627\r\n\u0628\r\n\0\r\n"s));
    EXPECT_EQ(setUpFailure(), "Alphabet file lists the NUL character: alphabet.txt.");
    EXPECT_FALSE(derivedFilesWritten());
}

TEST_F(HostileFolder, a_first_run_writes_only_inside_its_folder_and_never_through_a_link) {
    TempDir elsewhere;
    const std::string victim = elsewhere.file("victim.txt");
    writeFile(victim, std::string("keep me"));
    // Keys that lead out of the folder, directly or through a linked subfolder.
    fs::create_directory_symlink(elsewhere.path(), "linked");
    for (const std::string& path :
         {victim, "../victim.txt"s, "sub/../../victim.txt"s, "linked/victim.txt"s}) {
        writeDictionary(".", smallDictionary());
        setKey("bigramPLFilePath", path);
        EXPECT_EQ(setUpFailure(), "Derived file lies outside the dictionary folder: " + path + ".");
    }
    EXPECT_EQ(text(readFile(victim)), "keep me");
    // Derived files and config.ini planted as links to the victim are replaced, not
    // written through.
    writeDictionary(".", smallDictionary());
    const Bytes config = readFile("config.ini");
    for (const char* name : {"hashtable.dat", "unigram-lists.dat"})
        fs::create_symlink(victim, name);
    fs::remove("config.ini");
    writeFile(elsewhere.file("config.ini"), config);
    fs::create_symlink(elsewhere.file("config.ini"), "config.ini");
    EXPECT_EQ(setUpFailure(), "");
    EXPECT_EQ(text(readFile(victim)), "keep me");
    EXPECT_EQ(readFile(elsewhere.file("config.ini")), config);
    for (const char* name : {"hashtable.dat", "unigram-lists.dat", "config.ini"})
        EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(name))) << name;
    // A derived file in a real subfolder is fine.
    fs::create_directory("derived");
    writeDictionary(".", smallDictionary());
    setKey("hashTableFilePath", "derived/hashtable.dat");
    EXPECT_EQ(setUpFailure(), "");
    EXPECT_TRUE(fs::is_regular_file("derived/hashtable.dat"));
}

TEST_F(HostileFolder, a_failed_write_says_why) {
    fs::create_directories("hashtable.dat/inside");
    EXPECT_EQ(setUpFailure(), "Could not write file: hashtable.dat. Is a directory.");
    if (geteuid() == 0)
        return;  // root writes anywhere
    fs::remove_all("hashtable.dat");
    fs::permissions(".", fs::perms::owner_write, fs::perm_options::remove);
    EXPECT_EQ(setUpFailure(), "Could not write file: hashtable.dat. Permission denied.");
    fs::permissions(".", fs::perms::owner_write, fs::perm_options::add);
}

// Programs starting together on one folder: each either builds or waits and loads,
// none fails, and all answer as a single start does.
namespace {

std::string answersOf(SpellChecker& checker) {
    std::string all;
    for (const std::u16string& word : smallMisspellings()) {
        std::vector<std::u16string> suggestions;
        all += checker.checkWord(word, suggestions) ? "*" : "-";
        for (const std::u16string& s : suggestions)
            all += std::string(reinterpret_cast<const char*>(s.data()), s.size() * 2) + "|";
        all += "\n";
    }
    return all;
}

// Runs `start` in a child, which writes its answers (or its error, marked) to `out`.
pid_t inChild(const fs::path& out, const std::function<std::string()>& start) {
    const pid_t pid = fork();
    if (pid == 0) {
        std::string result;
        try {
            result = start();
        } catch (const QuelmException& ex) {
            result = "error: " + ex.getFullMessage();
        } catch (const std::exception& ex) {
            result = std::string("error: ") + ex.what();
        }
        std::ofstream(out, std::ios::binary) << result;
        std::_Exit(0);
    }
    return pid;
}

// Runs `start` in `processes` children at once. Returns their outputs.
std::vector<std::string> inChildren(int processes, const fs::path& out,
                                    const std::function<std::string()>& start) {
    std::vector<pid_t> children;
    for (int k = 0; k < processes; ++k)
        children.push_back(inChild(out / std::to_string(k), start));
    for (pid_t pid : children)
        waitpid(pid, nullptr, 0);
    std::vector<std::string> outputs;
    for (int k = 0; k < processes; ++k)
        outputs.push_back(text(readFile((out / std::to_string(k)).string())));
    return outputs;
}

// What a program starting on the user copy answers, with the notice it was given.
std::string startOn(const fs::path& user) {
    SpellChecker checker;
    std::string notice;
    if (!DictionaryFolder::setUp(checker, user, notice))
        return "error: not set up";
    return answersOf(checker) + (notice.empty() ? "" : "\n" + notice);
}

}  // namespace

TEST(ConcurrentStarts, four_programs_thirty_times_on_a_fresh_folder_and_a_fresh_user_copy) {
    TempDir shipped;
    writeDictionary(shipped.path().string(), smallDictionary());
    std::string expected;
    {
        TempDir single;
        CurrentDir here(single.path());
        writeDictionary(".", smallDictionary());
        SpellChecker checker;
        ASSERT_TRUE(checker.initialize());
        expected = answersOf(checker);
    }
    TempDir outputs;
    for (int round = 0; round < 30; ++round) {
        TempDir folder;
        writeDictionary(folder.path().string(), smallDictionary());
        const auto fromFolder = inChildren(4, outputs.path(), [&] {
            fs::current_path(folder.path());
            SpellChecker checker;
            checker.initialize();
            return answersOf(checker);
        });
        TempDir home;
        setenv("XDG_DATA_HOME", home.path().c_str(), 1);
        setenv("ZABREL_SHIPPED_DICTIONARY", shipped.path().c_str(), 1);
        const auto fromUserCopy = inChildren(4, outputs.path(), [&] {
            fs::current_path(home.path());
            std::string error;
            const fs::path located = DictionaryFolder::locate("", error);
            if (located.empty())
                return "error: " + error;
            fs::current_path(located);
            SpellChecker checker;
            checker.initialize();
            return answersOf(checker);
        });
        unsetenv("XDG_DATA_HOME");
        unsetenv("ZABREL_SHIPPED_DICTIONARY");
        for (const auto* outcome : {&fromFolder, &fromUserCopy})
            for (const std::string& answers : *outcome)
                ASSERT_EQ(answers, expected) << "round " << round;
        // One copy, no partial one left beside it.
        std::set<std::string> made;
        for (const fs::directory_entry& entry : fs::directory_iterator(home.path() / "zabrel"))
            made.insert(entry.path().filename().string());
        EXPECT_EQ(made, (std::set<std::string>{".urdu.lock", "urdu"}));
    }
}

TEST(DictionaryChoice, another_programs_config_ini_in_the_current_directory_is_passed_over) {
    TempDir shipped;
    TempDir home;
    TempDir work;
    writeDictionary(shipped.path().string(), smallDictionary());
    setenv("XDG_DATA_HOME", home.path().c_str(), 1);
    setenv("ZABREL_SHIPPED_DICTIONARY", shipped.path().c_str(), 1);
    CurrentDir here(work.path());
    std::string error;
    writeFile("config.ini", std::string("[core]\ninitialize=later\nwordListFilePathX = 1\n"));
    EXPECT_EQ(DictionaryFolder::locate("", error), home.path() / "zabrel" / "urdu") << error;
    // A dictionary's own config.ini, however it is spaced, is taken.
    writeFile("config.ini", std::string("wordListFilePath=w.txt\ninitialize\t= NO\n"));
    EXPECT_EQ(DictionaryFolder::locate("", error), fs::current_path());
    unsetenv("XDG_DATA_HOME");
    unsetenv("ZABREL_SHIPPED_DICTIONARY");
}

// A user copy made from a small shipped dictionary, its answers taken, and then its
// hash table cut short.
class DamagedUserCopy : public ::testing::Test {
protected:
    void SetUp() override {
        writeDictionary(shipped.path().string(), smallDictionary());
        setenv("XDG_DATA_HOME", home.path().c_str(), 1);
        setenv("ZABREL_SHIPPED_DICTIONARY", shipped.path().c_str(), 1);
        std::string error;
        user = DictionaryFolder::userCopy(error);
        ASSERT_FALSE(user.empty()) << error;
        expected = start();
        ASSERT_FALSE(expected.starts_with("error")) << expected;
        fs::resize_file(user / "hashtable.dat", 100);
    }
    void TearDown() override {
        unsetenv("XDG_DATA_HOME");
        unsetenv("ZABREL_SHIPPED_DICTIONARY");
    }
    std::string start() const { return startOn(user); }

    TempDir shipped;
    TempDir home;
    TempDir outputs;
    fs::path user;
    std::string expected;
};

TEST_F(DamagedUserCopy, is_made_again_from_the_shipped_dictionary_by_programs_starting_together) {
    const auto start = [this] { return this->start(); };
    const std::string repaired = "\nYour copy of the dictionary in " + user.string() + " was damaged (";
    int told = 0;
    for (const std::string& outcome : inChildren(4, outputs.path(), start)) {
        ASSERT_TRUE(outcome.starts_with(expected)) << outcome;
        told += outcome.find(repaired) != std::string::npos ? 1 : 0;
    }
    EXPECT_GE(told, 1);
    // Mended for good: the next start has nothing to say.
    EXPECT_EQ(start(), expected);
}

namespace {

fs::path replacingMark;

// Holds the program that replaces the copy in the middle of it, long enough for
// others to start meanwhile.
void pauseWhileReplacing() {
    std::ofstream(replacingMark) << "replacing";
    ::usleep(400 * 1000);
}

}  // namespace

TEST_F(DamagedUserCopy,
       programs_starting_while_it_is_made_again_load_the_whole_new_copy_and_are_told_nothing) {
    const auto start = [this] { return this->start(); };
    replacingMark = outputs.path() / "replacing";
    DictionaryFolder::whileReplacing = pauseWhileReplacing;
    const pid_t mender = inChild(outputs.path() / "mender", start);
    // Until the mender is replacing the copy (or has ended without doing so).
    while (!fs::exists(replacingMark) && waitpid(mender, nullptr, WNOHANG) == 0)
        ::usleep(1000);
    const std::vector<std::string> late = inChildren(3, outputs.path(), start);
    waitpid(mender, nullptr, 0);
    DictionaryFolder::whileReplacing = nullptr;
    const std::string mended = text(readFile((outputs.path() / "mender").string()));
    EXPECT_TRUE(
        mended.starts_with(expected + "\nYour copy of the dictionary in " + user.string() + " was damaged ("))
        << mended;
    EXPECT_NE(mended.find("hashtable.dat"), std::string::npos) << mended;
    // The late programs waited for the new copy: nothing was missing or damaged for them.
    for (const std::string& outcome : late)
        EXPECT_EQ(outcome, expected);
    std::set<std::string> made;
    for (const fs::directory_entry& entry : fs::directory_iterator(home.path() / "zabrel"))
        made.insert(entry.path().filename().string());
    EXPECT_EQ(made, (std::set<std::string>{".urdu.lock", "urdu"}));
}

TEST(UserCopy, a_library_or_program_handed_the_shipped_folder_uses_the_copy_and_writes_nothing_there) {
    TempDir shipped;
    writeDictionary(shipped.path().string(), smallDictionary());
    TempDir home;
    setenv("XDG_DATA_HOME", home.path().c_str(), 1);
    setenv("ZABREL_SHIPPED_DICTIONARY", shipped.path().c_str(), 1);
    std::set<std::string> before;
    for (const fs::directory_entry& entry : fs::directory_iterator(shipped.path()))
        before.insert(entry.path().filename().string() + ":" + text(readFile(entry.path().string())));
    std::string error;
    {
        CurrentDir here(shipped.path());
        EXPECT_EQ(DictionaryFolder::locate("", error), DictionaryFolder::userFolder()) << error;
    }
    EXPECT_EQ(DictionaryFolder::locate(shipped.path().string(), error), DictionaryFolder::userFolder())
        << error;
    SpellChecker checker;
    std::string notice;
    ASSERT_TRUE(DictionaryFolder::setUp(checker, shipped.path(), notice));
    EXPECT_EQ(notice, "");
    TempDir single;
    writeDictionary(single.path().string(), smallDictionary());
    SpellChecker reference;
    ASSERT_TRUE(reference.initialize(single.path()));
    EXPECT_EQ(answersOf(checker), answersOf(reference));
    std::set<std::string> after;
    for (const fs::directory_entry& entry : fs::directory_iterator(shipped.path()))
        after.insert(entry.path().filename().string() + ":" + text(readFile(entry.path().string())));
    EXPECT_EQ(after, before);
    EXPECT_TRUE(fs::exists(DictionaryFolder::userFolder() / "hashtable.dat"));
    // A program that holds the copy's name while the copy is removed makes it again.
    fs::remove_all(DictionaryFolder::userFolder());
    SpellChecker again;
    ASSERT_TRUE(DictionaryFolder::setUp(again, DictionaryFolder::userFolder(), notice));
    EXPECT_EQ(answersOf(again), answersOf(reference));
    unsetenv("XDG_DATA_HOME");
    unsetenv("ZABREL_SHIPPED_DICTIONARY");
}
