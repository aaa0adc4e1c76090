// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <string>

namespace zabrel {

class SpellerSession;

// Opens `speller` on the dictionary folder a program was asked for (empty: the one
// DictionaryFolder::locate decides on), as every program starts. False, with `failure`
// the sentence for the user, when there is no such folder or it cannot be loaded; each
// warning on the way (a user copy made again, a file mended) goes to `warn`. Raises
// SessionError as SpellerSession::open does.
bool openDictionary(SpellerSession& speller, const std::string& requested, std::string& failure,
                    const std::function<void(const std::string&)>& warn);

}  // namespace zabrel
