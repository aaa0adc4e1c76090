// SPDX-License-Identifier: MIT
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace zabrel {

// The user's own words, accepted by every program on top of the dictionary. The file
// is UTF-8, one word per line: $XDG_DATA_HOME/zabrel/personal.txt, one list for all
// programs, which may have it open at the same time.
//
// Several programs share the file through a lock file beside it ("personal.txt.lock"):
// a save re-reads, merges and replaces the file (or appends to it) while holding the
// lock, and applies only this program's own additions and removals, which are then
// forgotten. Additions are appended, so that one word does not cost a rewrite of a
// large list; a removal, or a tail of appended words grown past an eighth of the
// list, rewrites the file sorted and without repeats.
//
// Failures (a file that cannot be read or written, one that is UTF-16, a device, a
// FIFO, a read-only list, a list that would pass LARGEST_FILE) are IOExceptions whose
// message names the file; lines that are not UTF-8 are skipped with a warning and
// kept in the file as they are. A list whose file could not be read refuses to save,
// so that a damaged file is never replaced by the little that was added since.
class PersonalWordList {
public:
    // Bounds both what load() reads and what save() lets the file grow to, so that a
    // saved list always loads again.
    static constexpr std::uintmax_t LARGEST_FILE = 16 * 1024 * 1024;
    // How far a personal word may be from a misspelling to be suggested for it.
    static constexpr int32_t SUGGESTION_DISTANCE = 2;

    // A list in memory only: save() does nothing. So is a list on /dev/null (-p
    // /dev/null), which is never written to.
    PersonalWordList() = default;
    explicit PersonalWordList(std::filesystem::path file) : file(std::move(file)) {}

    // userDataHome()/zabrel/personal.txt; empty when there is no such folder.
    static std::filesystem::path defaultPath();

    const std::filesystem::path& path() const { return file; }

    // Reads the file into memory, with this list's unsaved changes on top. A missing
    // file is an empty list. CR LF line ends, a byte-order mark, blanks around a word
    // and blank lines are tolerated.
    void load();
    // What the last load() or save() skipped, one sentence each, for the user.
    const std::vector<std::string>& warnings() const { return notices; }

    // The word as a line of the file holds it: without blanks or CR around it. None
    // for a word that cannot be one line: empty, with a blank or line break inside,
    // with NUL or a lone surrogate.
    static std::optional<std::u16string> storable(std::u16string_view word);

    bool contains(std::u16string_view word) const;
    // True when the word (as storable() makes it) was not in the list; false also for
    // a word that storable() refuses.
    bool add(std::u16string_view word);
    bool remove(std::u16string_view word);

    // Writes this list's additions and removals to the file, creating its folder when
    // needed; nothing to do without them. Words that other programs saved since are
    // kept. On failure the changes stay pending, to be tried again by the next save.
    void save();
    bool unsaved() const { return !added.empty() || !removed.empty(); }

    std::vector<std::u16string> words() const;
    std::size_t size() const { return list.size(); }

    // Personal words within `maxDistance` edits of `word`, nearest first.
    std::vector<std::u16string> near(std::u16string_view word,
                                     int32_t maxDistance = SUGGESTION_DISTANCE) const;
    // Appends the personal words near `word` that `suggestions` does not hold yet:
    // the user's own words come after the engine's, whose order stays.
    void appendNear(std::u16string_view word, std::vector<std::u16string>& suggestions) const;

private:
    using WordSet = std::set<std::u16string, std::less<>>;

    // The words of a file as read: its lines that are words, the lines kept as they
    // are, and whether the file is already sorted and free of repeats.
    struct Contents {
        WordSet words;
        std::vector<std::string> keptLines;
        std::uintmax_t bytes = 0;
        bool compact = true;
    };
    Contents readFile(const std::filesystem::path& target);
    // `lines` are the additions, one line each.
    void appendTo(const std::filesystem::path& target, const std::string& lines);
    void rewrite(const std::filesystem::path& target);
    bool appendable(const std::filesystem::path& target, std::uintmax_t addedBytes) const;

    std::filesystem::path file;
    WordSet list;
    // Changes not yet in the file.
    WordSet added;
    WordSet removed;
    // The file as this list last saw it whole and compact: appends past that are its tail.
    ino_t compactInode = 0;
    std::uintmax_t compactBytes = 0;
    bool unreadable = false;
    std::vector<std::string> notices;
};

}  // namespace zabrel
