// SPDX-License-Identifier: MIT
#include "cli/personalwords.h"

namespace zabrel::cli {

WordChecker withPersonalWords(WordChecker check, const PersonalWordList& personal,
                              const WordLetters& letters) {
    return [check = std::move(check), &personal, &letters](const std::u16string& word,
                                                           std::vector<std::u16string>& suggestions) {
        if (personal.size() > 0 && (personal.contains(word) || personal.contains(letters.lettersOf(word)))) {
            suggestions.clear();
            return false;
        }
        if (!check(word, suggestions))
            return false;
        personal.appendNear(word, suggestions);
        return true;
    };
}

}  // namespace zabrel::cli
