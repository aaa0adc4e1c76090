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
// dictionary changes. The shipped folder itself is never written to: the first run
// builds the derived files in the copy. The engine is then set up from the folder by
// path; nobody changes the current directory.
class DictionaryFolder {
public:
    // An empty `requested` means "decide as above". On failure returns an empty path
    // and says why in `error`.
    static std::filesystem::path locate(const std::string& requested, std::string& error);

    // The user's copy, made or refreshed as needed, whatever the current directory
    // holds: what a library inside another program uses.
    static std::filesystem::path userCopy(std::string& error);

    // Sets `engine` up from `folder`, as SpellChecker::initialize does. The user's copy
    // is derived data: when it fails to load it is made again from the shipped
    // dictionary (under the copy's lock, once for all programs) and loaded again, and
    // `notice` says so for the user. Raises what the engine raises when that fails too.
    static bool setUp(SpellChecker& engine, const std::filesystem::path& folder, std::string& notice);

    // The user's copy, whether or not it exists yet.
    static std::filesystem::path userFolder();
    // The shipped dictionary, the first of these that holds a config.ini:
    // $ZABREL_SHIPPED_DICTIONARY; share/zabrel/urdu beside the program or library that
    // runs this code (so that an installed tree can be moved); the installed
    // share/zabrel/urdu; data/urdu of the source tree.
    static std::filesystem::path shippedFolder();

    // Copies the shipped dictionary's files into `target`, creating it.
    static bool copyShipped(const std::filesystem::path& shipped, const std::filesystem::path& target,
                            std::string& error);
    // What the user's copy remembers of the shipped dictionary it was made from: a
    // checksum over the names and contents of the shipped files, so that the same
    // files in another place or with other times are the same dictionary.
    static std::string stampOf(const std::filesystem::path& shipped);
    static constexpr const char* STAMP_FILE = ".shipped-stamp";
};

}  // namespace zabrel
