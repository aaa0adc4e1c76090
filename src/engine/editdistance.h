// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zabrel {

// Levenshtein distance over UTF-16 code units with unit costs.
int32_t editDistance(const std::u16string& x, const std::u16string& y);
// The same when it is at most `limit`, else limit + 1; the work grows with the words'
// length times the limit, not with the square of their length.
int32_t editDistanceWithin(std::u16string_view x, std::u16string_view y, int32_t limit);

}  // namespace zabrel
