// SPDX-License-Identifier: MIT
// The hash-table file of a later run, damaged; the other files are intact.
#include "core/errors.h"
#include "engine/spellchecker.h"
#include "fixture.h"
#include "lexicon/hashtable.h"

using namespace zabrel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    fuzz::enterScratch();
    fuzz::writeBuiltDictionary();
    fuzz::writeBytes("hashtable.dat", data, size);

    HashTable table;
    try {
        if (table.load("hashtable.dat")) {
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

    auto checker = fuzz::setUp();
    if (checker == nullptr)
        return 0;
    fuzz::exerciseChecker(*checker);
    return 0;
}
