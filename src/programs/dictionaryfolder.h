// SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>
#include <string>

namespace zabrel {

class SpellChecker;

// Which dictionary folder a program uses: the one asked for (-d DIR), the current
// directory when it holds a dictionary's config.ini, or else the user's copy of the
// shipped dictionary ($XDG_DATA_HOME/zabrel/urdu, by default
// ~/.local/share/zabrel/urdu), made on first use and made again when the shipped
// dictionary changes or a file of the copy does. A shipped folder, asked for or
// current, stands for the user's copy: it is never written to. The copy is made
// whole, derived files included, beside the old one and swapped in under a lock that
// programs hold shared while they check and load it, so none ever reads a copy half
// made. The engine is then set up from the folder by path; nobody changes the current
// directory.
class DictionaryFolder {
public:
    // An empty `requested` means "decide as above". On failure returns an empty path
    // and says why in `error`.
    static std::filesystem::path locate(const std::string& requested, std::string& error);

    // The user's copy, made or brought up to date with the shipped dictionary as
    // needed, whatever the current directory holds: what a library inside another
    // program uses.
    static std::filesystem::path userCopy(std::string& error);

    // Sets `engine` up from `folder`, as SpellChecker::initialize does; a shipped
    // folder is taken as the user's copy. The user's copy is checked against what it
    // was made from and loaded under its lock; when a file of it has changed or it
    // fails to load, it is made again from the shipped dictionary (once for all
    // programs) and loaded again, and `notice` says so for the user. Raises what the
    // engine raises when that fails too.
    static bool setUp(SpellChecker& engine, const std::filesystem::path& folder, std::string& notice);

    // The user's copy, whether or not it exists yet.
    static std::filesystem::path userFolder();
    // The shipped dictionary, the first of these that holds a config.ini:
    // $ZABREL_SHIPPED_DICTIONARY; share/zabrel/urdu beside the program or library that
    // runs this code (so that an installed tree can be moved); the installed
    // share/zabrel/urdu; data/urdu of the source tree.
    static std::filesystem::path shippedFolder();
    // Whether `folder` is one of those places.
    static bool isShipped(const std::filesystem::path& folder);

    // Copies the shipped dictionary's files into `target`, creating it.
    static bool copyShipped(const std::filesystem::path& shipped, const std::filesystem::path& target,
                            std::string& error);
    // Called while the user's copy is being replaced by a new one, with the copy's
    // lock held: tests widen that moment with it.
    static inline void (*whileReplacing)() = nullptr;
};

}  // namespace zabrel
