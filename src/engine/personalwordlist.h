// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace zabrel {

// The user's own words, accepted by every program on top of the dictionary. The file
// is UTF-8, one word per line, kept sorted so that saves are reproducible and the file
// diffs well. It is one list for all programs: $XDG_DATA_HOME/zabrel/personal.txt.
//
// Failures (a file that cannot be read or written, one that is not UTF-8, holds NUL
// bytes or is too large) are IOExceptions whose message names the file. A list whose
// file could not be read refuses to save, so that a damaged file is never replaced by
// the little that was added since.
class PersonalWordList {
public:
    // Bounds both what load() reads and what add() lets the list grow to, so that a
    // saved list always loads again.
    static constexpr std::uintmax_t LARGEST_FILE = 16 * 1024 * 1024;
    // How far a personal word may be from a misspelling to be suggested for it.
    static constexpr int32_t SUGGESTION_DISTANCE = 2;

    // A list in memory only: save() does nothing.
    PersonalWordList() = default;
    explicit PersonalWordList(std::filesystem::path file) : file(std::move(file)) {}

    // $XDG_DATA_HOME/zabrel/personal.txt, else ~/.local/share/zabrel/personal.txt; empty
    // when neither variable is set.
    static std::filesystem::path defaultPath();

    const std::filesystem::path& path() const { return file; }

    // Replaces the words in memory by the file's. A missing file is an empty list. CR LF
    // line ends, a byte-order mark and blank lines are tolerated.
    void load();

    bool contains(std::u16string_view word) const;
    // True when the word was not in the list. Words that a line of the file cannot hold
    // (empty, with a line break or NUL, with a lone surrogate) and words that would make
    // the file too large are refused with false.
    bool add(std::u16string word);
    bool remove(std::u16string_view word);

    // Writes the list atomically (a new file in the same folder, then a rename), creating
    // the folder when needed. Words that other programs saved to the file since load()
    // are kept: what is written is the file as it is now with this list's additions and
    // removals applied.
    void save() const;

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

    // The words of `file` into `into`; nothing for a missing file.
    static void readWords(const std::filesystem::path& file, WordSet& into);

    std::filesystem::path file;
    WordSet list;
    // Changes since load(), which save() applies to the file as it is then.
    WordSet added;
    WordSet removed;
    std::uintmax_t fileBytes = 0;
    bool unreadable = false;
};

}  // namespace zabrel
