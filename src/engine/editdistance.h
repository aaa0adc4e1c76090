// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>

namespace zabrel {

// Levenshtein distance over UTF-16 code units with unit costs.
int32_t editDistance(const std::u16string& x, const std::u16string& y);

}  // namespace zabrel
