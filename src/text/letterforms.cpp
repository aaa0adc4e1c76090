// SPDX-License-Identifier: MIT
#include "text/letterforms.h"

namespace zabrel {

char16_t urduLetterForm(char16_t unit) {
    switch (unit) {
        case u'\u0647':  // heh
            return u'\u06C1';
        case u'\u064A':  // yeh
        case u'\u0649':  // alef maksura
            return u'\u06CC';
        case u'\u0643':  // kaf
            return u'\u06A9';
        case u'\u0629':  // teh marbuta
            return u'\u06C3';
        default:
            return unit;
    }
}

std::u16string urduLetterForms(std::u16string_view word) {
    std::u16string out(word);
    for (char16_t& unit : out)
        unit = urduLetterForm(unit);
    return out;
}

}  // namespace zabrel
