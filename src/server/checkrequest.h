// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <string>

#include "server/checkedtext.h"

namespace zabrel::server {

// The rules a match comes from: each kind of span the pass yields is a rule of its own,
// so that a client can turn it off by its id, as LanguageTool's clients do.
inline constexpr const char* RULE_SPELLING = "ZABREL_UR_SPELLING";
inline constexpr const char* RULE_BROKEN_WORD = "ZABREL_UR_BROKEN_WORD";
inline constexpr const char* RULE_RUN_TOGETHER = "ZABREL_UR_RUN_TOGETHER";
inline constexpr const char* RULE_REAL_WORD = "ZABREL_UR_REAL_WORD";
inline constexpr const char* CATEGORY_TYPOS = "TYPOS";

// The Urdu variants the server answers for, as /v2/languages lists them.
struct Variant {
    const char* name;
    const char* longCode;
};
inline constexpr Variant VARIANTS[] = {
    {"Urdu", "ur"},
    {"Urdu (Pakistan)", "ur-PK"},
    {"Urdu (India)", "ur-IN"},
};

// Why a request is refused: the HTTP status and the message of the JSON error.
struct Refusal {
    int status;
    std::string message;
};

// A request's parameters, once each: LanguageTool's names, as the form or the query
// gave them (decoded; the raw bytes are checked here).
using Parameters = std::multimap<std::string, std::string>;

struct CheckRequest {
    CheckedText text;
    // Into VARIANTS; `detected` when the client asked for auto.
    std::size_t variant = 0;
    bool detected = false;
    bool spelling = true;
    bool brokenWords = true;
    bool runTogether = true;
    // Real-word slips flag correct words, so they are what a writer asks for (a rule
    // enabled by id, or the picky level), as LanguageTool's picky rules are.
    bool realWords = false;

    bool anyRule() const { return spelling || brokenWords || runTogether || realWords; }
};

// Reads /v2/check's parameters: text= or data=, language, enabledRules,
// disabledRules, enabledCategories, disabledCategories, enabledOnly and level. Others
// LanguageTool knows (motherTongue, preferredVariants, ...) are allowed and have no
// bearing here. `maxTextLength` bounds the checked text, in UTF-16 units.
std::optional<Refusal> readCheckRequest(const Parameters& parameters, std::size_t maxTextLength,
                                        CheckRequest& request);

}  // namespace zabrel::server
