// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "text/wordletters.h"

namespace zabrel::test {

// Stands in for the engine: keeps the alphabet's letters of a word as the engine's
// filter does, accepts what is left when it is empty or in a fixed lexicon, and offers
// fixed suggestions for some misspellings, none for the rest. Records what it was
// asked.
struct FakeChecker {
    // The common Urdu letters, as the test dictionaries list them.
    static constexpr std::u16string_view ALPHABET = u"اآبپتٹثجچحخدڈذرڑزژسشصضطظعغفقکگلمنںوہھءیے";

    static WordLetters letters() {
        return WordLetters([](char16_t unit) { return ALPHABET.find(unit) != std::u16string_view::npos; });
    }

    std::set<std::u16string> lexicon{u"سخت", u"بازار", u"شہر"};
    std::map<std::u16string, std::vector<std::u16string>> offers{
        {u"بزار", {u"بازار", u"بزر", u"ہزار"}},
        {u"صخت", {u"سخت", u"صحت", u"تخت", u"صفت", u"لخت", u"بخت", u"صوت"}},
    };
    std::vector<std::u16string> asked;

    // What the engine answers for one word, as a speller session over it asks.
    using Answer = std::function<bool(const std::u16string& word, std::vector<std::u16string>& suggestions)>;

    Answer checker() {
        return [this](const std::u16string& word, std::vector<std::u16string>& suggestions) {
            asked.push_back(word);
            suggestions.clear();
            std::u16string kept;
            for (char16_t unit : word)
                if (ALPHABET.find(unit) != std::u16string_view::npos)
                    kept.push_back(unit);
            if (kept.empty() || lexicon.contains(kept))
                return false;
            if (auto it = offers.find(kept); it != offers.end())
                suggestions = it->second;
            return true;
        };
    }
};

}  // namespace zabrel::test
