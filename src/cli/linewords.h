// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace zabrel::cli {

// One word of a line: where it starts and how long it is in UTF-16 units (to cut it
// out), and where it starts in characters (what editors and people count).
struct LineWord {
    std::size_t start;
    std::size_t length;
    std::size_t column;
};

// Cuts a line at the dialog's eleven delimiters. Empty tokens between two delimiters
// are dropped, as the dialog never sends them to the engine. `words` is reused so that
// a long run does not allocate per line.
void cutLine(std::u16string_view line, std::vector<LineWord>& words);

}  // namespace zabrel::cli
