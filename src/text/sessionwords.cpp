// SPDX-License-Identifier: MIT
#include "text/sessionwords.h"

namespace zabrel {

void SessionWords::ignoreAll(const std::u16string& word) {
    if (word.empty())
        return;
    replacements.erase(word);
    ignored.insert(word);
}

void SessionWords::changeAll(const std::u16string& word, const std::u16string& replacement) {
    if (word.empty())
        return;
    if (word == replacement) {
        ignoreAll(word);
        return;
    }
    ignored.erase(word);
    replacements[word] = replacement;
}

const std::u16string* SessionWords::replacementFor(const std::u16string& word) const {
    const auto found = replacements.find(word);
    return found == replacements.end() ? nullptr : &found->second;
}

void SessionWords::clear() {
    ignored.clear();
    replacements.clear();
}

}  // namespace zabrel
