// SPDX-License-Identifier: MIT
#include "engine/personalwordlist.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "core/errors.h"
#include "engine/editdistance.h"
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
    EXPECT_FALSE(list.add(u"two words"));
    EXPECT_FALSE(list.add(u" \r\u00A0"));
    // What a CR LF client or a careless caller sends is stored without the blanks.
    EXPECT_FALSE(list.add(u" latin\r"));
    EXPECT_TRUE(list.contains(BAZAR));
    EXPECT_FALSE(list.contains(KITAB));
    list.save();

    EXPECT_EQ(text(readFile(file.string())),
              "latin\n"
              "\xD8\xA8\xD8\xA7\xD8\xB2\xD8\xA7\xD8\xB1\n"
              "\xDA\xA9\xD8\xAA\xD8\xA7\xD8\xA8\xDB\x8C\xDA\xBA\n"
              "\xF0\x9F\x98\x80\xD8\xA7\n");
    // The temporary file was renamed, not left behind; the lock file stays.
    EXPECT_EQ(folderNames(file.parent_path()),
              (std::vector<std::string>{"personal.txt", "personal.txt.lock"}));

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
    const std::string handWritten =
        "\xEF\xBB\xBF\xD8\xA8\xD8\xA7\xD8\xB2\xD8\xA7\xD8\xB1\r\n\r\n  latin "
        "\t\r\n\nlatin\n\xDA\xA9\xD8\xAA\xD8\xA7\xD8\xA8";
    writeFile(file, handWritten);
    PersonalWordList list(file);
    list.load();
    EXPECT_EQ(list.words(), (Words{u"latin", BAZAR, KITAB}));
    EXPECT_TRUE(list.warnings().empty());
    // Nothing to save, nothing written; the next word saves the plain form.
    list.save();
    EXPECT_EQ(text(readFile(file)), handWritten);
    EXPECT_TRUE(list.add(u"new"));
    list.save();
    EXPECT_EQ(text(readFile(file)),
              "latin\nnew\n\xD8\xA8\xD8\xA7\xD8\xB2\xD8\xA7\xD8\xB1\n\xDA\xA9\xD8\xAA\xD8\xA7\xD8\xA8\n");
}

TEST(personalwordlist_test, bad_files_give_clear_errors_and_are_never_overwritten) {
    TempDir dir;
    // Lines that are not text are skipped with a warning and kept as they are.
    const std::string mixed = dir.file("mixed.txt");
    writeFile(mixed, std::string("latin\ncaf\xE9\nth\0ree\n", 18));
    PersonalWordList list(mixed);
    list.load();
    EXPECT_EQ(list.words(), Words{u"latin"});
    EXPECT_EQ(list.warnings(),
              std::vector<std::string>{"The personal word list " + mixed +
                                       " has 2 line(s) that are not UTF-8 text, the first on "
                                       "line 2; they were skipped and stay in the file as they are."});
    EXPECT_TRUE(list.add(u"new"));
    list.save();
    EXPECT_EQ(text(readFile(mixed)), std::string("latin\nnew\ncaf\xE9\nth\0ree\n", 22));

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
    // Devices and FIFOs are refused at once: neither read without end nor waited on.
    EXPECT_EQ(loadError("/dev/zero"),
              "The personal word list /dev/zero could not be read: Not a regular file.");
    const std::string fifo = dir.file("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(loadError(fifo), "The personal word list " + fifo + " could not be read: Not a regular file.");

    // What could not be read is not replaced by the few words added since, and a
    // device or FIFO is never written to.
    for (const std::string& unreadable : {utf16, fifo}) {
        PersonalWordList damaged(unreadable);
        EXPECT_THROW(damaged.load(), IOException);
        EXPECT_EQ(damaged.size(), 0u);
        EXPECT_TRUE(damaged.add(KITAB));
        EXPECT_EQ(raised<IOException>([&] { damaged.save(); }).getMessage(),
                  "The personal word list " + unreadable + " was not saved, as it could not be read.");
    }
    PersonalWordList unread(fifo);
    EXPECT_TRUE(unread.add(KITAB));
    EXPECT_EQ(raised<IOException>([&] { unread.save(); }).getMessage(),
              "The personal word list " + fifo + " could not be written: Not a regular file.");
    EXPECT_TRUE(fs::is_fifo(fifo));
    // /dev/null asked for by name is no list at all: empty, and never written to.
    PersonalWordList none("/dev/null");
    none.load();
    EXPECT_TRUE(none.add(KITAB));
    none.save();
    EXPECT_TRUE(none.contains(KITAB));
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
    EXPECT_EQ(text(readFile(utf16)), text(unicodeFile(u"word\r\n")));

    // A list the user made read-only stays as it is, even for root.
    const std::string locked = dir.file("locked.txt");
    writeFile(locked, "old\n");
    ::chmod(locked.c_str(), 0444);
    PersonalWordList readOnly(locked);
    readOnly.load();
    EXPECT_TRUE(readOnly.add(KITAB));
    EXPECT_EQ(raised<IOException>([&] { readOnly.save(); }).getMessage(),
              "The personal word list " + locked + " could not be written: Read-only file.");
    EXPECT_EQ(text(readFile(locked)), "old\n");
    EXPECT_TRUE(readOnly.unsaved());
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
    EXPECT_TRUE(list.remove(u"old"));
    list.save();
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(text(readFile(real.string())), "new\n");
    EXPECT_EQ(fs::status(real).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(folderNames(real.parent_path()), (std::vector<std::string>{"words.txt", "words.txt.lock"}));

    // A link to a file not made yet: the file is made, the link stays.
    const fs::path dangling = dir.path() / "dangling.txt";
    fs::create_symlink("dotfiles/later.txt", dangling);
    PersonalWordList later(dangling);
    later.load();
    EXPECT_TRUE(later.add(u"first"));
    later.save();
    EXPECT_TRUE(fs::is_symlink(dangling));
    EXPECT_EQ(text(readFile((real.parent_path() / "later.txt").string())), "first\n");

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
        EXPECT_EQ(name.find("taken."), std::string::npos) << name;
}

TEST(personalwordlist_test, programs_sharing_the_list_keep_each_others_words) {
    TempDir dir;
    const std::string file = dir.file("personal.txt");
    writeFile(file, "latin\n");
    PersonalWordList editor(file);
    PersonalWordList dialog(file);
    editor.load();
    dialog.load();
    EXPECT_TRUE(editor.add(BAZAR));
    editor.save();
    // The dialog read the file before the editor saved, and must not drop BAZAR.
    EXPECT_TRUE(dialog.add(KITAB));
    EXPECT_TRUE(dialog.remove(u"latin"));
    dialog.save();
    EXPECT_EQ(text(readFile(file)),
              "\xD8\xA8\xD8\xA7\xD8\xB2\xD8\xA7\xD8\xB1\n\xDA\xA9\xD8\xAA\xD8\xA7\xD8\xA8\n");
    // Nor does the editor, saving again later, bring back what others removed since.
    PersonalWordList other(file);
    other.load();
    EXPECT_TRUE(other.remove(BAZAR));
    other.save();
    EXPECT_TRUE(editor.add(ASTRAL));
    editor.save();
    PersonalWordList fresh(file);
    fresh.load();
    EXPECT_EQ(fresh.words(), (Words{KITAB, ASTRAL}));
}

TEST(personalwordlist_test, programs_adding_at_once_lose_nothing_and_leave_no_temporary_files) {
    TempDir dir;
    const std::string file = dir.file("personal.txt");
    writeFile(file, "old\n");
    // What killed programs left behind is cleared; other files are not.
    writeFile(dir.file("personal.txt.tmp-4242-1234"), "half");
    writeFile(dir.file("personal.txt.tmp-notes"), "mine");
    constexpr int PROGRAMS = 8;
    constexpr int WORDS = 12;
    std::vector<pid_t> children;
    for (int p = 0; p < PROGRAMS; ++p) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            // As an editor's speller: loaded once, each word saved as it comes.
            PersonalWordList list(file);
            int failures = 0;
            try {
                list.load();
                if (p == 0 && list.remove(u"old"))
                    list.save();
                for (int w = 0; w < WORDS; ++w) {
                    list.add(u"w" + std::u16string(1, char16_t(u'a' + p)) +
                             std::u16string(1, char16_t(u'a' + w)));
                    list.save();
                }
            } catch (const QuelmException&) {
                ++failures;
            }
            ::_exit(failures);
        }
        children.push_back(child);
    }
    for (pid_t child : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    PersonalWordList result(file);
    result.load();
    EXPECT_EQ(result.size(), std::size_t{PROGRAMS * WORDS});
    EXPECT_FALSE(result.contains(u"old"));
    EXPECT_EQ(folderNames(dir.path()),
              (std::vector<std::string>{"personal.txt", "personal.txt.lock", "personal.txt.tmp-notes"}));

    // A removal rewrites the list sorted and without repeats; an addition to a sorted
    // list is appended, and read back as every other word.
    PersonalWordList editor(file);
    editor.load();
    EXPECT_TRUE(editor.remove(u"waa"));
    editor.save();
    EXPECT_TRUE(text(readFile(file)).starts_with("wab\nwac\n"));
    EXPECT_TRUE(editor.add(u"aaa"));
    editor.save();
    const std::string appended = text(readFile(file));
    EXPECT_TRUE(appended.starts_with("wab\n") && appended.ends_with("\nwhk\nwhl\naaa\n")) << appended;
    EXPECT_EQ(appended.size(), std::size_t{PROGRAMS * WORDS * 4});
    PersonalWordList reader(file);
    reader.load();
    EXPECT_TRUE(reader.contains(u"aaa"));
}

TEST(personalwordlist_test, the_size_limit_holds_for_what_programs_saved_together) {
    TempDir dir;
    const std::string file = dir.file("personal.txt");
    const std::string big(PersonalWordList::LARGEST_FILE - 100, 'x');
    writeFile(file, big + "\n");
    PersonalWordList first(file);
    PersonalWordList second(file);
    first.load();
    second.load();
    const std::u16string sixty(60, u'y');
    EXPECT_TRUE(first.add(sixty));
    first.save();
    EXPECT_TRUE(second.add(std::u16string(60, u'z')));
    EXPECT_EQ(
        raised<IOException>([&] { second.save(); }).getMessage(),
        "The personal word list " + file + " would be larger than 16 MiB, so 1 new word(s) were not saved.");
    // The word stays in this program and pending; the file still loads whole.
    EXPECT_TRUE(second.unsaved());
    PersonalWordList after(file);
    after.load();
    EXPECT_EQ(after.size(), 2u);
    EXPECT_TRUE(after.contains(sixty));
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

    // Within a limit, the banded measure agrees with the full one; past it, limit + 1.
    const std::u16string samples[] = {u"",    u"a",     u"ab",     u"ba",  u"abc",
                                      u"acb", u"xabcx", u"abcabc", u"cba", u"bbbb"};
    for (const std::u16string& x : samples)
        for (const std::u16string& y : samples)
            for (int32_t limit = 0; limit <= 3; ++limit)
                EXPECT_EQ(editDistanceWithin(x, y, limit), std::min(editDistance(x, y), limit + 1)) << limit;
    // A long personal word is near one edit away, and not three (both ends changed).
    const std::u16string longWord = u"\u06A9" + std::u16string(20000, u'\u0628') + u"\u062A";
    list.add(longWord);
    EXPECT_EQ(list.near(u"\u06A9" + std::u16string(20000, u'\u0628')), Words{longWord});
    EXPECT_EQ(list.near(u"\u067E\u067E" + std::u16string(20000, u'\u0628') + u"\u067E"), Words{});
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
    // A relative one would give each working directory a list of its own.
    setenv("XDG_DATA_HOME", "relative/data", 1);
    EXPECT_EQ(PersonalWordList::defaultPath(), fs::path("/home/u/.local/share/zabrel/personal.txt"));
    unsetenv("HOME");
    EXPECT_EQ(PersonalWordList::defaultPath(), fs::path());

    savedXdg ? setenv("XDG_DATA_HOME", xdg.c_str(), 1) : unsetenv("XDG_DATA_HOME");
    savedHome ? setenv("HOME", home.c_str(), 1) : unsetenv("HOME");
}

}  // namespace
