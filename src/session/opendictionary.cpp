// SPDX-License-Identifier: MIT
#include "session/opendictionary.h"

#include <filesystem>

#include "programs/dictionaryfolder.h"
#include "session/spellersession.h"

namespace zabrel {

bool openDictionary(SpellerSession& speller, const std::string& requested, std::string& failure,
                    const std::function<void(const std::string&)>& warn) {
    std::string error;
    const std::filesystem::path folder = DictionaryFolder::locate(requested, error);
    if (folder.empty()) {
        failure = error;
        return false;
    }
    const bool ready = speller.open(folder);
    for (const std::string& warning : speller.takeWarnings())
        warn(warning);
    if (!ready)
        failure = "the dictionary in " + folder.string() + " could not be loaded";
    return ready;
}

}  // namespace zabrel
