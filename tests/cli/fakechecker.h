// SPDX-License-Identifier: MIT
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "cli/wordchecker.h"

namespace zabrel::test {

// Stands in for the engine: keeps the Arabic-block letters of a word as the engine's
// alphabet filter does, accepts what is left when it is empty or in a fixed lexicon,
// and offers fixed suggestions for some misspellings, none for the rest. Records
// what it was asked.
struct FakeChecker {
    std::set<std::u16string> lexicon{u"سخت", u"بازار", u"شہر"};
    std::map<std::u16string, std::vector<std::u16string>> offers{
        {u"بزار", {u"بازار", u"بزر", u"ہزار"}},
        {u"صخت", {u"سخت", u"صحت", u"تخت", u"صفت", u"لخت", u"بخت", u"صوت"}},
    };
    std::vector<std::u16string> asked;

    cli::WordChecker checker() {
        return [this](const std::u16string& word, std::vector<std::u16string>& suggestions) {
            asked.push_back(word);
            suggestions.clear();
            std::u16string letters;
            for (char16_t unit : word)
                if (unit >= 0x0600 && unit <= 0x06FF)
                    letters.push_back(unit);
            if (letters.empty() || lexicon.contains(letters))
                return false;
            if (auto it = offers.find(letters); it != offers.end())
                suggestions = it->second;
            return true;
        };
    }
};

}  // namespace zabrel::test
