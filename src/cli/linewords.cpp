// SPDX-License-Identifier: MIT
#include "cli/linewords.h"

#include "text/wordwalk.h"

namespace zabrel::cli {

namespace {

// The second half of a surrogate pair does not start a new character.
bool continuesCharacter(std::u16string_view line, std::size_t i) {
    return i > 0 && line[i] >= 0xDC00 && line[i] <= 0xDFFF && line[i - 1] >= 0xD800 && line[i - 1] <= 0xDBFF;
}

}  // namespace

void cutLine(std::u16string_view line, std::vector<LineWord>& words) {
    words.clear();
    std::size_t column = 0;
    std::size_t i = 0;
    const std::size_t size = line.size();
    while (i < size) {
        if (isWordDelimiter(line[i])) {
            ++i;
            ++column;
            continue;
        }
        LineWord word{i, 0, column};
        while (i < size && !isWordDelimiter(line[i])) {
            if (!continuesCharacter(line, i))
                ++column;
            ++i;
        }
        word.length = i - word.start;
        words.push_back(word);
    }
}

}  // namespace zabrel::cli
