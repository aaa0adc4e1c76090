// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "server/checkrequest.h"

namespace zabrel {
class SpellerSession;
}

namespace zabrel::server {

// Replacements offered per match: what fits a context menu, and what LanguageTool's
// clients show before "more".
inline constexpr std::size_t MAX_REPLACEMENTS = 5;
// Units of text either side of a match in its context, as LanguageTool gives.
inline constexpr std::size_t CONTEXT_UNITS = 40;

// GET /v2/languages.
std::string languagesBody();

// POST /v2/check: one pass of `speller` (const: many requests at once) over the
// request's text, as LanguageTool's JSON. Raises SessionError as the pass does.
std::string checkBody(const SpellerSession& speller, const CheckRequest& request, std::string_view version);

// Every refusal: {"error": message}.
std::string errorBody(std::string_view message);

}  // namespace zabrel::server
