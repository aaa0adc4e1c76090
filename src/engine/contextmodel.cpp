// SPDX-License-Identifier: MIT
#include "engine/contextmodel.h"

#include <algorithm>
#include <iterator>
#include <stdexcept>

#include "core/errors.h"
#include "core/userfile.h"

namespace zabrel {

namespace {

constexpr char MAGIC[4] = {'Z', 'B', 'L', 'M'};
// The model is a few hundred kilobytes; a file far past that is not one.
constexpr std::size_t LARGEST_FILE = 64u * 1024 * 1024;

[[noreturn]] void damaged(const std::string& path, const std::string& what) {
    throw IOException(ZABREL_HERE, ERR_FILE_READ,
                      "Context model file is damaged (" + what + "): " + path + ".");
}

uint32_t littleEndian32(const unsigned char* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

std::string modelBytes(const std::vector<std::u16string>& words,
                       const std::vector<std::pair<uint32_t, uint32_t>>& pairs) {
    std::string out(MAGIC, 4);
    const auto u32 = [&](std::size_t value) {
        for (int shift = 0; shift < 32; shift += 8)
            out.push_back(static_cast<char>((value >> shift) & 0xFF));
    };
    const auto u16 = [&](uint32_t value) {
        out.push_back(static_cast<char>(value & 0xFF));
        out.push_back(static_cast<char>((value >> 8) & 0xFF));
    };
    u32(words.size());
    u32(pairs.size());
    for (const std::u16string& word : words) {
        out.push_back(static_cast<char>(word.size()));
        for (char16_t unit : word)
            u16(unit);
    }
    for (const auto& [first, second] : pairs) {
        u16(first);
        u16(second);
    }
    return out;
}

}  // namespace

void ContextModel::load(const std::string& path) {
    UserFile::Mapping file;
    std::string reason;
    switch (UserFile::map(path, LARGEST_FILE, file, reason)) {
        case UserFile::Read::Done:
            break;
        case UserFile::Read::Missing:
            throw IOException(ZABREL_HERE, ERR_FILE_OPEN, "Could not open file: " + path + ".");
        case UserFile::Read::TooLarge:
            damaged(path, "too large");
        case UserFile::Read::Failed:
            throw IOException(ZABREL_HERE, ERR_FILE_READ,
                              "Could not read file: " + path + " (" + reason + ").");
    }
    Tables made = read(file.data(), file.size(), path);
    made.file = std::move(file);
    take(std::move(made));
}

ContextModel::Tables ContextModel::read(const unsigned char* bytes, std::size_t size,
                                        const std::string& path) {
    Tables made;
    std::size_t at = 0;
    const auto take = [&](std::size_t wanted) {
        if (size - at < wanted)
            damaged(path, "cut short");
        const std::size_t from = at;
        at += wanted;
        return bytes + from;
    };
    if (size < 4 || !std::equal(MAGIC, MAGIC + 4, bytes))
        damaged(path, "no ZBLM mark");
    at = 4;
    const uint32_t wordCount = littleEndian32(take(4));
    const uint32_t pairCount = littleEndian32(take(4));
    if (wordCount > 0xFFFF || pairCount > size / 4)
        damaged(path, "impossible counts");
    made.words.reserve(wordCount);
    for (uint32_t i = 0; i < wordCount; ++i) {
        const std::size_t length = *take(1);
        const unsigned char* units = take(2 * length);
        std::u16string word(length, u'\0');
        for (std::size_t k = 0; k < length; ++k)
            word[k] = static_cast<char16_t>(units[2 * k] | units[2 * k + 1] << 8);
        if (word.empty() || (!made.words.empty() && !(made.words.back() < word)))
            damaged(path, "words not in order");
        made.longest = std::max(made.longest, length);
        made.words.push_back(std::move(word));
    }
    if (size - at != 4 * static_cast<std::size_t>(pairCount))
        damaged(path, "pairs do not match their count");
    made.pairsAt = at;
    made.pairCount = pairCount;
    // Every id is checked once here, so lookups need not; the places are sorted by
    // counting their first words, then each run by its second words.
    made.firstStart.assign(static_cast<std::size_t>(wordCount) + 1, 0);
    const unsigned char* pairs = bytes + at;
    for (uint32_t place = 0; place < pairCount; ++place) {
        const uint32_t first = static_cast<uint32_t>(pairs[4 * place] | pairs[4 * place + 1] << 8);
        const uint32_t second = static_cast<uint32_t>(pairs[4 * place + 2] | pairs[4 * place + 3] << 8);
        if (first >= wordCount || second >= wordCount)
            damaged(path, "a pair names no word");
        ++made.firstStart[first + 1];
    }
    for (uint32_t w = 0; w < wordCount; ++w)
        made.firstStart[w + 1] += made.firstStart[w];
    made.byFirst.resize(pairCount);
    std::vector<uint32_t> next(made.firstStart.begin(), made.firstStart.end() - 1);
    for (uint32_t place = 0; place < pairCount; ++place)
        made.byFirst[next[static_cast<uint32_t>(pairs[4 * place] | pairs[4 * place + 1] << 8)]++] = place;
    // Each run sorted as (second word, place) in one 64-bit key, without reading the
    // pairs again for every comparison.
    std::vector<uint64_t> keys;
    for (uint32_t w = 0; w < wordCount; ++w) {
        const auto begin = made.byFirst.begin() + made.firstStart[w];
        const auto end = made.byFirst.begin() + made.firstStart[w + 1];
        keys.clear();
        for (auto at = begin; at != end; ++at)
            keys.push_back(static_cast<uint64_t>(pairs[4 * *at + 2] | pairs[4 * *at + 3] << 8) << 32 | *at);
        std::sort(keys.begin(), keys.end());
        for (std::size_t k = 0; k < keys.size(); ++k)
            begin[static_cast<std::ptrdiff_t>(k)] = static_cast<uint32_t>(keys[k]);
    }
    return made;
}

void ContextModel::take(Tables&& made) {
    tables = std::move(made);
    deletions.clear();
}

void ContextModel::assign(const std::vector<Pair>& pairs) {
    std::vector<std::u16string> words;
    for (const auto& [first, second] : pairs) {
        words.push_back(first);
        words.push_back(second);
    }
    std::sort(words.begin(), words.end());
    words.erase(std::unique(words.begin(), words.end()), words.end());
    if (words.size() > 0xFFFF || std::any_of(words.begin(), words.end(), [](const std::u16string& w) {
            return w.empty() || w.size() > 0xFF;
        }))
        throw std::invalid_argument("a context model holds at most 65535 words of 1 to 255 units");
    const auto number = [&](const std::u16string& word) {
        return static_cast<uint32_t>(std::lower_bound(words.begin(), words.end(), word) - words.begin());
    };
    std::vector<std::pair<uint32_t, uint32_t>> numbered;
    numbered.reserve(pairs.size());
    for (const auto& [first, second] : pairs)
        numbered.emplace_back(number(first), number(second));
    // Laid out as a file is, and read the same way.
    std::string bytes = modelBytes(words, numbered);
    Tables made = read(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), "(in memory)");
    made.owned = std::move(bytes);
    take(std::move(made));
}

uint32_t ContextModel::numberOf(std::u16string_view word) const {
    const std::vector<std::u16string>& words = tables.words;
    if (word.empty() || word.size() > tables.longest)
        return NONE;
    lookedUp.fetch_add(word.size(), std::memory_order_relaxed);
    const auto found = std::lower_bound(words.begin(), words.end(), word,
                                        [](const std::u16string& l, std::u16string_view r) { return l < r; });
    return found != words.end() && *found == word ? static_cast<uint32_t>(found - words.begin()) : NONE;
}

bool ContextModel::knows(std::u16string_view word) const {
    return numberOf(word) != NONE;
}

uint32_t ContextModel::rank(std::u16string_view first, std::u16string_view second) const {
    const uint32_t a = numberOf(first);
    return a == NONE ? 0 : rank(a, numberOf(second));
}

uint32_t ContextModel::rank(uint32_t first, uint32_t second) const {
    if (first == NONE || second == NONE || first + 1 >= tables.firstStart.size())
        return 0;
    const auto begin = tables.byFirst.begin() + tables.firstStart[first];
    const auto end = tables.byFirst.begin() + tables.firstStart[first + 1];
    const auto found = std::lower_bound(begin, end, second, [&](uint32_t place, uint32_t wanted) {
        return tables.wordAt(place, 1) < wanted;
    });
    return found != end && tables.wordAt(*found, 1) == second ? *found + 1 : 0;
}

void ContextModel::indexDeletions() const {
    const std::vector<std::u16string>& words = tables.words;
    for (uint32_t i = 0; i < words.size(); ++i)
        for (std::size_t k = 0; k < words[i].size(); ++k)
            deletions.emplace(std::u16string(words[i]).erase(k, 1), i);
}

void ContextModel::nearWords(std::u16string_view word, std::vector<std::u16string>& near) const {
    near.clear();
    // Every near word is at most one letter shorter: past that there are none, and
    // looking would cost the square of the word's length.
    if (word.empty() || word.size() > tables.longest + 1)
        return;
    if (deletions.empty())
        indexDeletions();
    const std::vector<std::u16string>& words = tables.words;
    const std::u16string own(word);
    const auto add = [&](uint32_t number) {
        if (words[number] != own && std::find(near.begin(), near.end(), words[number]) == near.end())
            near.push_back(words[number]);
    };
    // A letter added to the word: the word is one of theirs less a letter.
    lookedUp.fetch_add(own.size(), std::memory_order_relaxed);
    for (auto [at, end] = deletions.equal_range(own); at != end; ++at)
        add(at->second);
    for (std::size_t k = 0; k < own.size(); ++k) {
        const std::u16string less = std::u16string(own).erase(k, 1);
        // A letter dropped.
        if (const uint32_t number = numberOf(less); number != NONE)
            add(number);
        // A letter changed, or two swapped: the same word less one letter each.
        lookedUp.fetch_add(less.size(), std::memory_order_relaxed);
        for (auto [at, end] = deletions.equal_range(less); at != end; ++at)
            add(at->second);
    }
}

}  // namespace zabrel
