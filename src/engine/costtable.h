// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "core/dictionaryfiles.h"

namespace zabrel {

// The costs of the accurate ranking: what it costs to mistake one letter for another,
// to add or drop a letter, to swap two neighbours, and the weights of word frequency
// and of split suggestions. A small UTF-8 text, `costs.txt` in the dictionary folder,
// so that the table can be read and reviewed; the engine carries the shipped table as
// a fallback for folders without one.
//
//   # comment
//   weight NAME VALUE             a named number; the lines below refer to it by NAME
//   substitute NAME L L ...       any two of these letters cost NAME for each other
//   substitute-end NAME L L ...   the same, when both are the last letters of their words
//   indel NAME L ...              adding or dropping one of these letters costs NAME
//   indel-end NAME L ...          the same, at the end of the word
//   split-after L ...             letters that end a word without joining the next one
//
// Anything not listed costs 1. Where several lines price the same edit, the cheapest
// holds; the end of a word costs at most what the middle does. The weights `transpose`,
// `frequency`, `split`, `split-joined` and `split-attested` must be given; `start`
// (added to an edit of a word's first letter) and `codes` (taken off for each of the
// sound and shape codes a word shares with the misspelt one) are 0 unless given.
class CostTable {
public:
    static constexpr char16_t FIRST_UNIT = 0x0600;
    static constexpr std::size_t BLOCK_SIZE = 256;
    // Letters a table may name; index 0 stands for every other letter.
    static constexpr std::size_t MAX_LETTERS = 63;
    static constexpr double MAX_COST = 10.0;
    static constexpr const char* FILE_NAME = "costs.txt";

    // Raises IOException, naming `source` and the line, for anything it cannot read.
    static CostTable parse(std::string_view text, const std::string& source);
    static CostTable load(const std::string& path, const DictionaryFiles& from = DictionaryFiles());
    // The shipped table, built into the engine.
    static const CostTable& builtIn();

    // The table's index of a code unit: 0 for a letter it does not name.
    uint8_t letterIndex(char16_t unit) const {
        const auto offset = static_cast<uint32_t>(unit) - FIRST_UNIT;
        return offset < BLOCK_SIZE ? indexOf[offset] : 0;
    }
    float substitution(uint8_t a, uint8_t b, bool atEnd) const {
        return (atEnd ? endSubstitutions : substitutions)[a * (MAX_LETTERS + 1) + b];
    }
    float indel(uint8_t letter, bool atEnd) const { return (atEnd ? endIndels : indels)[letter]; }
    bool endsFreely(char16_t unit) const;

    float transposition() const { return transposeCost; }
    float frequencyWeight() const { return frequency; }
    float startCost() const { return start; }
    float codesWeight() const { return codes; }
    float splitCost() const { return split; }
    float joinedSplitCost() const { return splitJoined; }
    int32_t splitAttested() const { return attested; }
    const std::map<std::string, double>& weights() const { return named; }

private:
    using Matrix = std::vector<float>;

    CostTable();
    uint8_t addLetter(char16_t unit, const std::string& where);

    std::array<uint8_t, BLOCK_SIZE> indexOf{};
    std::array<bool, BLOCK_SIZE> freeEnd{};
    std::size_t letterCount = 0;
    Matrix substitutions;
    Matrix endSubstitutions;
    std::array<float, MAX_LETTERS + 1> indels{};
    std::array<float, MAX_LETTERS + 1> endIndels{};
    std::map<std::string, double> named;
    float transposeCost = 1;
    float frequency = 0;
    float start = 0;
    float codes = 0;
    float split = 1;
    float splitJoined = 1;
    int32_t attested = 1;
};

}  // namespace zabrel
