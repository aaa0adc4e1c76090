// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "core/dictionaryfiles.h"

namespace zabrel {

// Slips whose intended word is certain, `surefixes.txt` in the dictionary folder: the
// accurate ranking offers the fix first, and correcting a text applies it whatever the
// ranking. UTF-8, one `slip<TAB>fix` a line, the fix one word or two with one space
// between (اسکی<TAB>اس کی); lines starting with # are comments. A folder without the
// file has no sure fixes.
class SureFixes {
public:
    static constexpr const char* FILE_NAME = "surefixes.txt";
    // The key a slip is looked up by: the word as the engine reads it.
    using Key = std::function<std::u16string(std::u16string)>;

    // Raises IOException, naming `source` and the line, for a line it cannot take.
    static SureFixes parse(std::string_view text, const std::string& source, const Key& key);
    // An absent file is an empty table.
    static SureFixes load(const std::string& path, const Key& key,
                          const DictionaryFiles& from = DictionaryFiles());

    // The fix of `slip` (given as its key), or null.
    const std::u16string* find(const std::u16string& slip) const {
        const auto found = fixes.find(slip);
        return found == fixes.end() ? nullptr : &found->second;
    }
    std::size_t size() const { return fixes.size(); }

private:
    std::unordered_map<std::u16string, std::u16string> fixes;
};

}  // namespace zabrel
