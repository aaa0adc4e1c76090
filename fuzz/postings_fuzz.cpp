// SPDX-License-Identifier: MIT
// The four posting-list files of a later run, damaged together: the two index
// files are loaded and the lists they point at are read while checking.
//
// Input layout: for each of bigram-index.dat, bigram-lists.dat and
// unigram-index.dat a 16-bit little-endian length and that many bytes; whatever
// remains is unigram-lists.dat. A short input leaves the later files empty.
#include <algorithm>
#include <map>
#include <string>

#include "engine/spellchecker.h"
#include "fixture.h"

using namespace zabrel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    std::map<std::string, std::string> dictionary = fuzz::builtDictionary();
    static const char* const files[] = {"bigram-index.dat", "bigram-lists.dat", "unigram-index.dat",
                                        "unigram-lists.dat"};
    std::size_t at = 0;
    for (int f = 0; f < 4; ++f) {
        std::size_t length = size - at;
        if (f < 3) {
            length = 0;
            if (size - at >= 2) {
                length = std::min<std::size_t>(data[at] | (data[at + 1] << 8), size - at - 2);
                at += 2;
            } else {
                at = size;
            }
        }
        dictionary[files[f]] = fuzz::bytesOf(data + at, length);
        at += length;
    }
    auto checker = fuzz::setUp(dictionary);
    if (checker == nullptr)
        return 0;
    fuzz::exerciseChecker(*checker);
    return 0;
}
