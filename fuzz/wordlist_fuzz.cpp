// SPDX-License-Identifier: MIT
// The word list of a first run (in memory): the hash table, the posting lists, and
// checks against the result.
#include <map>
#include <string>

#include "core/errors.h"
#include "engine/spellchecker.h"
#include "fixture.h"
#include "lexicon/hashtable.h"

using namespace zabrel;

namespace {

// The count line sizes the table; millions of empty slots only slow the fuzzer down.
constexpr int32_t SLOT_LIMIT = 100000;

int32_t countLine(const uint8_t* data, std::size_t size) {
    std::u16string text = fuzz::units(data, size);
    if (text.size() < 1)
        return 0;
    return toInt(text.substr(1, 7));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (countLine(data, size) > SLOT_LIMIT)
        return 0;
    std::map<std::string, std::string> files = fuzz::freshDictionary();
    files["wordlist.txt"] = fuzz::bytesOf(data, size);
    auto checker = fuzz::setUp(files);
    if (checker == nullptr)
        return 0;
    fuzz::exerciseChecker(*checker);
    // Every stored word answers as a lexicon word.
    HashNode node;
    std::vector<std::u16string> suggestions;
    for (int32_t slot = 0; slot < checker->lexicon().getTableSize(); ++slot)
        if (checker->lexicon().getNode(slot, node) && node.next != EMPTY_SLOT && !node.word.empty() &&
            node.word[0] != u'@' && checker->checkWord(node.word, suggestions))
            fuzz::fail("a word of the list is not accepted");
    return 0;
}
