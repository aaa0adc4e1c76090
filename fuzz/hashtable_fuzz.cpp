// SPDX-License-Identifier: MIT
// The hash-table file of a later run, damaged: read from its bytes, and when it loads,
// set up with the other files intact and checked with.
#include <map>
#include <string>
#include <string_view>

#include "core/errors.h"
#include "engine/spellchecker.h"
#include "fixture.h"
#include "lexicon/hashtable.h"

using namespace zabrel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    HashTable table;
    bool loaded = false;
    try {
        loaded =
            table.loadBytes(std::string_view(reinterpret_cast<const char*>(data), size), "hashtable.dat");
        if (loaded) {
            // Walking every chain must end: a loaded table answers for its own words.
            HashNode node;
            std::vector<HashNode> found;
            for (int32_t slot = 0; slot < table.getTableSize(); ++slot)
                if (table.getNode(slot, node)) {
                    table.contains(node.word);
                    table.find(node.word, found);
                }
        }
    } catch (const QuelmException&) {
    }
    // A table the loader refuses, set-up refuses too.
    if (!loaded)
        return 0;
    std::map<std::string, std::string> files = fuzz::builtDictionary();
    files["hashtable.dat"] = fuzz::bytesOf(data, size);
    auto checker = fuzz::setUp(files);
    if (checker == nullptr)
        return 0;
    fuzz::exerciseChecker(*checker);
    return 0;
}
