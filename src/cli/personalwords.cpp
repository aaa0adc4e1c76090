// SPDX-License-Identifier: MIT
#include "cli/personalwords.h"

#include <algorithm>

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
        for (std::u16string& near : personal.near(word))
            if (std::find(suggestions.begin(), suggestions.end(), near) == suggestions.end())
                suggestions.push_back(std::move(near));
        return true;
    };
}

}  // namespace zabrel::cli
