// SPDX-License-Identifier: MIT
#include "engine/costtable.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <fstream>
#include <sstream>

#include "core/errors.h"

namespace zabrel {

// The shipped costs.txt, compiled in (builtincosts.cpp is generated from it).
extern const char* const BUILT_IN_COSTS;

namespace {

// A table is a page of text; anything far larger is not one.
constexpr std::size_t MAX_FILE_BYTES = 1 << 20;

const char* const REQUIRED_WEIGHTS[] = {"transpose", "frequency", "split", "split-joined", "split-attested"};

std::vector<std::string_view> fields(std::string_view line) {
    std::vector<std::string_view> out;
    std::size_t at = 0;
    while (at < line.size()) {
        while (at < line.size() && (line[at] == ' ' || line[at] == '\t'))
            ++at;
        const std::size_t start = at;
        while (at < line.size() && line[at] != ' ' && line[at] != '\t')
            ++at;
        if (at > start)
            out.push_back(line.substr(start, at - start));
    }
    return out;
}

// One code point of two or three UTF-8 bytes (every letter the table may name);
// 0 for anything else.
char16_t singleLetter(std::string_view text) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const auto tail = [&](std::size_t i) { return (byte(i) & 0xC0) == 0x80; };
    uint32_t unit = 0;
    if (text.size() == 2 && (byte(0) & 0xE0) == 0xC0 && tail(1))
        unit = ((byte(0) & 0x1Fu) << 6) | (byte(1) & 0x3Fu);
    else if (text.size() == 3 && (byte(0) & 0xF0) == 0xE0 && tail(1) && tail(2))
        unit = ((byte(0) & 0x0Fu) << 12) | ((byte(1) & 0x3Fu) << 6) | (byte(2) & 0x3Fu);
    return static_cast<char16_t>(unit);
}

}  // namespace

CostTable::CostTable()
    : substitutions((MAX_LETTERS + 1) * (MAX_LETTERS + 1), 1.0f),
      endSubstitutions((MAX_LETTERS + 1) * (MAX_LETTERS + 1), 1.0f) {
    indels.fill(1.0f);
    endIndels.fill(1.0f);
    // Index 0 stands for every unnamed letter, so two of them are still different;
    // equal units never reach the table.
    for (std::size_t i = 1; i <= MAX_LETTERS; ++i) {
        substitutions[i * (MAX_LETTERS + 1) + i] = 0.0f;
        endSubstitutions[i * (MAX_LETTERS + 1) + i] = 0.0f;
    }
}

bool CostTable::endsFreely(char16_t unit) const {
    const auto offset = static_cast<uint32_t>(unit) - FIRST_UNIT;
    return offset < BLOCK_SIZE && freeEnd[offset];
}

uint8_t CostTable::addLetter(char16_t unit, const std::string& where) {
    const auto offset = static_cast<uint32_t>(unit) - FIRST_UNIT;
    if (offset >= BLOCK_SIZE)
        throw IOException(ZABREL_HERE, ERR_FILE_READ,
                          where + "a letter must be one character of U+0600 to U+06FF.");
    if (indexOf[offset] == 0) {
        if (letterCount == MAX_LETTERS)
            throw IOException(ZABREL_HERE, ERR_FILE_READ,
                              where + "more than " + std::to_string(MAX_LETTERS) + " letters are named.");
        indexOf[offset] = static_cast<uint8_t>(++letterCount);
    }
    return indexOf[offset];
}

CostTable CostTable::parse(std::string_view text, const std::string& source) {
    CostTable table;
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    std::size_t lineNumber = 0;
    while (!text.empty()) {
        ++lineNumber;
        const std::size_t end = std::min(text.find('\n'), text.size());
        std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        line = line.substr(0, std::min(line.find('#'), line.size()));
        const std::vector<std::string_view> words =
            fields(line.ends_with('\r') ? line.substr(0, line.size() - 1) : line);
        if (words.empty())
            continue;
        const std::string where = source + ":" + std::to_string(lineNumber) + ": ";
        const auto fail = [&](const std::string& problem) -> IOException {
            return IOException(ZABREL_HERE, ERR_FILE_READ, where + problem);
        };
        const std::string keyword(words[0]);
        if (keyword == "weight") {
            if (words.size() != 3)
                throw fail("a weight line is: weight NAME VALUE.");
            const std::string name(words[1]);
            double value = 0;
            const auto [rest, error] =
                std::from_chars(words[2].data(), words[2].data() + words[2].size(), value);
            if (error != std::errc() || rest != words[2].data() + words[2].size() || !std::isfinite(value))
                throw fail("\"" + std::string(words[2]) + "\" is not a number.");
            const double limit = name == "split-attested" ? 1e9 : MAX_COST;
            if (value < 0 || value > limit)
                throw fail("weight " + name + " must lie between 0 and " +
                           (limit == MAX_COST ? "10" : "1e9") + ".");
            if (!table.named.emplace(name, value).second)
                throw fail("weight " + name + " is given twice.");
            continue;
        }
        const auto cost = [&]() -> float {
            if (words.size() < 2)
                throw fail(keyword + " needs a weight name.");
            const auto found = table.named.find(std::string(words[1]));
            if (found == table.named.end())
                throw fail("weight " + std::string(words[1]) + " is not defined above.");
            return static_cast<float>(found->second);
        };
        const auto letters = [&](std::size_t first, std::size_t least) {
            std::vector<char16_t> out;
            for (std::size_t i = first; i < words.size(); ++i) {
                const char16_t unit = singleLetter(words[i]);
                if (unit == 0)
                    throw fail("\"" + std::string(words[i]) + "\" is not a single letter.");
                out.push_back(unit);
            }
            if (out.size() < least)
                throw fail(keyword + " needs at least " + std::to_string(least) + " letter" +
                           (least == 1 ? "." : "s."));
            return out;
        };
        if (keyword == "substitute" || keyword == "substitute-end") {
            const float value = cost();
            std::vector<uint8_t> set;
            for (char16_t unit : letters(2, 2))
                set.push_back(table.addLetter(unit, where));
            for (uint8_t a : set)
                for (uint8_t b : set) {
                    if (a == b)
                        continue;
                    const std::size_t cell = a * (MAX_LETTERS + 1) + b;
                    if (keyword == "substitute")
                        table.substitutions[cell] = std::min(table.substitutions[cell], value);
                    table.endSubstitutions[cell] = std::min(table.endSubstitutions[cell], value);
                }
        } else if (keyword == "indel" || keyword == "indel-end") {
            const float value = cost();
            for (char16_t unit : letters(2, 1)) {
                const uint8_t letter = table.addLetter(unit, where);
                if (keyword == "indel")
                    table.indels[letter] = std::min(table.indels[letter], value);
                table.endIndels[letter] = std::min(table.endIndels[letter], value);
            }
        } else if (keyword == "split-after") {
            for (char16_t unit : letters(1, 1)) {
                if (static_cast<uint32_t>(unit) - FIRST_UNIT >= BLOCK_SIZE)
                    throw fail("a letter must be one character of U+0600 to U+06FF.");
                table.freeEnd[unit - FIRST_UNIT] = true;
            }
        } else {
            throw fail("unknown keyword \"" + keyword + "\".");
        }
    }
    for (const char* name : REQUIRED_WEIGHTS)
        if (!table.named.contains(name))
            throw IOException(ZABREL_HERE, ERR_FILE_READ, source + ": weight " + name + " is missing.");
    // A middle-of-word price cheaper than the end's also holds at the end.
    for (std::size_t cell = 0; cell < table.substitutions.size(); ++cell)
        table.endSubstitutions[cell] = std::min(table.endSubstitutions[cell], table.substitutions[cell]);
    table.transposeCost = static_cast<float>(table.named["transpose"]);
    table.frequency = static_cast<float>(table.named["frequency"]);
    table.start = static_cast<float>(table.named.contains("start") ? table.named["start"] : 0.0);
    table.codes = static_cast<float>(table.named.contains("codes") ? table.named["codes"] : 0.0);
    table.split = static_cast<float>(table.named["split"]);
    table.splitJoined = static_cast<float>(table.named["split-joined"]);
    table.attested = static_cast<int32_t>(table.named["split-attested"]);
    return table;
}

CostTable CostTable::load(const std::string& path, const DictionaryFiles& from) {
    if (from.isInMemory()) {
        const std::string* bytes = from.bytesOf(path);
        if (bytes == nullptr)
            throw IOException(ZABREL_HERE, ERR_FILE_OPEN, "Could not open cost table: " + path + ".");
        if (bytes->size() > MAX_FILE_BYTES)
            throw IOException(ZABREL_HERE, ERR_FILE_READ, "Cost table is larger than 1 MiB: " + path + ".");
        return parse(*bytes, path);
    }
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw IOException(ZABREL_HERE, ERR_FILE_OPEN, "Could not open cost table: " + path + ".");
    std::string text(MAX_FILE_BYTES + 1, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    if (in.bad())
        throw IOException(ZABREL_HERE, ERR_FILE_READ, "Could not read cost table: " + path + ".");
    text.resize(static_cast<std::size_t>(in.gcount()));
    if (text.size() > MAX_FILE_BYTES)
        throw IOException(ZABREL_HERE, ERR_FILE_READ, "Cost table is larger than 1 MiB: " + path + ".");
    return parse(text, path);
}

const CostTable& CostTable::builtIn() {
    static const CostTable table = parse(BUILT_IN_COSTS, "built-in costs.txt");
    return table;
}

}  // namespace zabrel
