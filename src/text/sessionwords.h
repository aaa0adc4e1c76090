// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <unordered_map>
#include <unordered_set>

namespace zabrel {

// What the user decided for a word for the rest of a checking session: ignore it
// everywhere, or change it everywhere to a given replacement. Words are the letters
// of a token (its punctuation trimmed), compared unit by unit.
class SessionWords {
public:
    void ignoreAll(const std::u16string& word);
    bool isIgnored(const std::u16string& word) const { return ignored.count(word) != 0; }

    // A later Change All of the same word replaces the earlier choice. Changing a word
    // into itself is ignoring it.
    void changeAll(const std::u16string& word, const std::u16string& replacement);
    // The replacement chosen for `word`, or nullptr.
    const std::u16string* replacementFor(const std::u16string& word) const;

    bool empty() const { return ignored.empty() && replacements.empty(); }
    void clear();

private:
    std::unordered_set<std::u16string> ignored;
    std::unordered_map<std::u16string, std::u16string> replacements;
};

}  // namespace zabrel
