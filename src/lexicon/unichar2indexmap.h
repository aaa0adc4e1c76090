// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "core/dictionaryfiles.h"

namespace zabrel {

constexpr uint16_t NO_INDEX = 0xFFFF;

// Maps the letters of the alphabet file to dense indices in file order, and filters
// words down to those letters. Two-level table: one 256-entry page per high byte.
class UniChar2IndexMap {
public:
    UniChar2IndexMap() = default;
    ~UniChar2IndexMap() = default;
    UniChar2IndexMap(const UniChar2IndexMap&) = delete;
    UniChar2IndexMap& operator=(const UniChar2IndexMap&) = delete;

    // Adds every letter of the alphabet file on top of what the map holds.
    bool load(const std::string& fileName, const DictionaryFiles& from = DictionaryFiles());
    bool load(const char* fileName) { return load(std::string(fileName != nullptr ? fileName : "")); }
    bool addChar(char16_t character);

    uint16_t getIndex(char16_t character) const {
        const Page* page = pages[character >> 8].get();
        return page == nullptr ? NO_INDEX : (*page)[character & 0xFF];
    }
    int32_t getAlphabetSize() const { return alphabetSize; }
    std::u16string filterWord(std::u16string word) const;
    void clear();

private:
    using Page = std::array<uint16_t, 256>;

    int32_t alphabetSize = 0;
    std::array<std::unique_ptr<Page>, 256> pages;
};

}  // namespace zabrel
