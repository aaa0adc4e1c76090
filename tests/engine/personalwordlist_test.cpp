// SPDX-License-Identifier: MIT
#include "engine/personalwordlist.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "core/errors.h"
#include "support/testsupport.h"

using namespace zabrel;
using namespace zabrel::test;
namespace fs = std::filesystem;

namespace {

using Words = std::vector<std::u16string>;

const std::u16string KITAB = u"\u06A9\u062A\u0627\u0628";                // کتاب
const std::u16string KITABEN = u"\u06A9\u062A\u0627\u0628\u06CC\u06BA";  // کتابیں
const std::u16string BAZAR = u"\u0628\u0627\u0632\u0627\u0631";          // بازار
const std::u16string ASTRAL = u"\U0001F600\u0627";

std::string text(const Bytes& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

std::vector<std::string> folderNames(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string loadError(const fs::path& file) {
    PersonalWordList list(file);
    return raised<IOException>([&] { list.load(); }).getMessage();
}

TEST(personalwordlist_test, round_trip_keeps_words_sorted_one_per_line_in_a_new_folder) {
    TempDir dir;
    const fs::path file = dir.path() / "deep" / "er" / "personal.txt";
    PersonalWordList list(file);
    list.load();  // no file yet: an empty list
    EXPECT_EQ(list.size(), 0u);

    EXPECT_TRUE(list.add(KITABEN));
    EXPECT_TRUE(list.add(BAZAR));
    EXPECT_TRUE(list.add(ASTRAL));
    EXPECT_TRUE(list.add(u"latin"));
    EXPECT_FALSE(list.add(BAZAR));
    // Words a line cannot hold.
    EXPECT_FALSE(list.add(u""));
    EXPECT_FALSE(list.add(u"a\nb"));
    EXPECT_FALSE(list.add(u"a\rb"));
    EXPECT_FALSE(list.add(std::u16string(u"a\0b", 3)));
    EXPECT_FALSE(list.add(std::u16string{u'a', 0xD800}));
    EXPECT_FALSE(list.add(std::u16string{0xDC00, u'a'}));
    EXPECT_TRUE(list.contains(BAZAR));
    EXPECT_FALSE(list.contains(KITAB));
    list.save();

    EXPECT_EQ(text(readFile(file.string())),
              "latin\n"
              "\xD8\xA8\xD8\xA7\xD8\xB2\xD8\xA7\xD8\xB1\n"
              "\xDA\xA9\xD8\xAA\xD8\xA7\xD8\xA8\xDB\x8C\xDA\xBA\n"
              "\xF0\x9F\x98\x80\xD8\xA7\n");
    // The temporary file was renamed, not left behind.
    EXPECT_EQ(folderNames(file.parent_path()), std::vector<std::string>{"personal.txt"});

    PersonalWordList again(file);
    again.load();
    EXPECT_EQ(again.words(), (Words{u"latin", BAZAR, KITABEN, ASTRAL}));
    EXPECT_TRUE(again.remove(u"latin"));
    EXPECT_FALSE(again.remove(u"latin"));
    again.save();
    PersonalWordList third(file);
    third.load();
    EXPECT_EQ(third.words(), (Words{BAZAR, KITABEN, ASTRAL}));

    // In memory only: nothing to read or write.
    PersonalWordList memory;
    memory.load();
    EXPECT_TRUE(memory.add(KITAB));
    memory.save();
    EXPECT_TRUE(memory.contains(KITAB));
}

TEST(personalwordlist_test, hand_edited_files_are_tolerated) {
    TempDir dir;
    const std::string file = dir.file("personal.txt");
    // Byte-order mark, CR LF, blank lines, stray spaces, a duplicate, no final line end.
    writeFile(file,
              "\xEF\xBB\xBF\xD8\xA8\xD8\xA7\xD8\xB2\xD8\xA7\xD8\xB1\r\n\r\n  latin "
              "\t\r\n\nlatin\n\xDA\xA9\xD8\xAA\xD8\xA7\xD8\xA8");
    PersonalWordList list(file);
    list.load();
    EXPECT_EQ(list.words(), (Words{u"latin", BAZAR, KITAB}));
    // Saved back in the plain form.
    list.save();
    EXPECT_EQ(text(readFile(file)),
              "latin\n\xD8\xA8\xD8\xA7\xD8\xB2\xD8\xA7\xD8\xB1\n\xDA\xA9\xD8\xAA\xD8\xA7\xD8\xA8\n");
}

TEST(personalwordlist_test, bad_files_give_clear_errors_and_are_never_overwritten) {
    TempDir dir;
    const std::string notUtf8 = dir.file("latin1.txt");
    writeFile(notUtf8, "latin\ncaf\xE9\n");
    EXPECT_EQ(loadError(notUtf8), "The personal word list " + notUtf8 + " is not UTF-8 on line 2.");

    const std::string nul = dir.file("nul.txt");
    writeFile(nul, std::string("one\ntwo\nth\0ree\n", 14));
    EXPECT_EQ(loadError(nul), "The personal word list " + nul + " holds a NUL byte on line 3.");

    const std::string utf16 = dir.file("utf16.txt");
    writeFile(utf16, unicodeFile(u"word\r\n"));
    EXPECT_EQ(loadError(utf16), "The personal word list " + utf16 +
                                    " is UTF-16, not UTF-8 (iconv -f UTF-16 -t UTF-8 converts it).");

    const std::string huge = dir.file("huge.txt");
    writeFile(huge, "");
    fs::resize_file(huge, PersonalWordList::LARGEST_FILE + 1);
    EXPECT_EQ(loadError(huge), "The personal word list " + huge + " is larger than 16 MiB.");

    EXPECT_EQ(loadError(dir.path()),
              "The personal word list " + dir.path().string() + " could not be read: Is a directory.");
    EXPECT_EQ(loadError("/dev/zero"), "The personal word list /dev/zero is larger than 16 MiB.");

    // What could not be read is not replaced by the few words added since.
    PersonalWordList damaged(notUtf8);
    EXPECT_THROW(damaged.load(), IOException);
    EXPECT_EQ(damaged.size(), 0u);
    EXPECT_TRUE(damaged.add(KITAB));
    EXPECT_EQ(raised<IOException>([&] { damaged.save(); }).getMessage(),
              "The personal word list " + notUtf8 + " was not saved, as it could not be read.");
    EXPECT_EQ(text(readFile(notUtf8)), "latin\ncaf\xE9\n");
}

TEST(personalwordlist_test, save_replaces_the_file_whole_and_reports_why_it_could_not) {
    TempDir dir;
    // Saving through a link writes the linked file and keeps both the link and the
    // file's permissions.
    const fs::path real = dir.path() / "dotfiles" / "words.txt";
    fs::create_directories(real.parent_path());
    writeFile(real.string(), "old\n");
    ::chmod(real.c_str(), 0600);
    const fs::path link = dir.path() / "personal.txt";
    fs::create_symlink(real, link);
    PersonalWordList list(link);
    list.load();
    EXPECT_TRUE(list.add(u"new"));
    list.save();
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(text(readFile(real.string())), "new\nold\n");
    EXPECT_EQ(fs::status(real).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(folderNames(real.parent_path()), std::vector<std::string>{"words.txt"});

    // A folder that cannot be made (a file is in the way): the system's reason.
    writeFile(dir.file("blocker"), "");
    PersonalWordList blocked(dir.path() / "blocker" / "personal.txt");
    EXPECT_TRUE(blocked.add(KITAB));
    EXPECT_EQ(raised<IOException>([&] { blocked.save(); }).getMessage(),
              "The personal word list " + (dir.path() / "blocker" / "personal.txt").string() +
                  " could not be written: Not a directory.");

    // A rename that fails (the target is a folder) leaves no temporary file behind.
    const fs::path folderTarget = dir.path() / "taken";
    fs::create_directories(folderTarget / "inside");
    PersonalWordList onFolder(folderTarget);
    EXPECT_TRUE(onFolder.add(KITAB));
    EXPECT_THROW(onFolder.save(), IOException);
    for (const std::string& name : folderNames(dir.path()))
        EXPECT_EQ(name.find(".taken"), std::string::npos) << name;
}

TEST(personalwordlist_test, near_words_come_nearest_first_within_two_edits) {
    PersonalWordList list;
    for (const std::u16string& word : {KITAB, KITABEN, BAZAR, std::u16string(u"\u06A9\u062A")})
        list.add(word);
    const std::u16string misspelt = u"\u06A9\u062A\u0627\u0628\u06CC";  // one letter from both
    EXPECT_EQ(list.near(misspelt), (Words{KITAB, KITABEN}));
    EXPECT_EQ(list.near(u"\u06A9\u062A\u0627"), (Words{u"\u06A9\u062A", KITAB}));
    EXPECT_EQ(list.near(u"\u06A9\u062A\u0627", 0), Words{});
    EXPECT_EQ(list.near(u"zzzzzzz"), Words{});
}

TEST(personalwordlist_test, default_path_follows_xdg_data_home_then_home) {
    const char* savedXdg = std::getenv("XDG_DATA_HOME");
    const char* savedHome = std::getenv("HOME");
    const std::string xdg = savedXdg ? savedXdg : "";
    const std::string home = savedHome ? savedHome : "";

    setenv("XDG_DATA_HOME", "/x/data", 1);
    EXPECT_EQ(PersonalWordList::defaultPath(), fs::path("/x/data/zabrel/personal.txt"));
    setenv("XDG_DATA_HOME", "", 1);
    setenv("HOME", "/home/u", 1);
    EXPECT_EQ(PersonalWordList::defaultPath(), fs::path("/home/u/.local/share/zabrel/personal.txt"));
    unsetenv("HOME");
    EXPECT_EQ(PersonalWordList::defaultPath(), fs::path());

    savedXdg ? setenv("XDG_DATA_HOME", xdg.c_str(), 1) : unsetenv("XDG_DATA_HOME");
    savedHome ? setenv("HOME", home.c_str(), 1) : unsetenv("HOME");
}

}  // namespace
