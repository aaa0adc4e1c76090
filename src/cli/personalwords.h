// SPDX-License-Identifier: MIT
#pragma once

#include "cli/linewords.h"
#include "cli/wordchecker.h"
#include "engine/personalwordlist.h"

namespace zabrel::cli {

// The engine's answers with the user's personal words on top: a personal word is
// never misspelt, and personal words close to a misspelling are offered after the
// engine's own suggestions, which keep their order. A word counts as personal as
// written or by its letters alone (so a diacritic does not hide it).
WordChecker withPersonalWords(WordChecker check, const PersonalWordList& personal,
                              const WordLetters& letters);

}  // namespace zabrel::cli
