// SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>
#include <string>

namespace zabrel {

// The engine reads config.ini from the current directory. The programs pick that
// directory: the current one when it holds a config.ini, otherwise the user's copy
// of the shipped dictionary ($XDG_DATA_HOME/zabrel/urdu, by default
// ~/.local/share/zabrel/urdu), made on first use. The shipped folder itself is never
// written to: the first run builds the derived files in the copy.
class DictionaryFolder {
public:
    // The folder to change into before SpellChecker::initialize(). An empty
    // `requested` means "decide as above". On failure returns an empty path and says
    // why in `error`.
    static std::filesystem::path locate(const std::string& requested, std::string& error);

    // The user's copy, whether or not it exists yet.
    static std::filesystem::path userFolder();
    // The shipped dictionary: $ZABREL_SHIPPED_DICTIONARY, the installed share/zabrel/urdu,
    // or data/urdu of the source tree, the first that holds a config.ini.
    static std::filesystem::path shippedFolder();

    // Copies the shipped dictionary's files into `target`, creating it.
    static bool copyShipped(const std::filesystem::path& shipped, const std::filesystem::path& target,
                            std::string& error);
};

}  // namespace zabrel
