// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

namespace zabrel {

// The word with the Arabic letter forms that Arabic keyboards and copied text
// bring in written as their Urdu letters: ه as ہ, ي and ى as ی, ك as ک, ة as ۃ.
// Every other code unit stays as it is, so an Urdu word comes back unchanged.
// Run it before the engine's alphabet filter, which drops ة.
std::u16string urduLetterForms(std::u16string_view word);
// The same for one code unit.
char16_t urduLetterForm(char16_t unit);

}  // namespace zabrel
