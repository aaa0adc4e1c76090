// SPDX-License-Identifier: MIT
#include "engine/contextmodel.h"

#include <algorithm>
#include <iterator>

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

uint64_t key(uint32_t first, uint32_t second) {
    return (static_cast<uint64_t>(first) << 32) | second;
}

}  // namespace

void ContextModel::load(const std::string& path) {
    std::string bytes;
    std::string reason;
    switch (UserFile::read(path, LARGEST_FILE, bytes, reason)) {
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
    std::size_t at = 0;
    const auto take = [&](std::size_t size) {
        if (bytes.size() - at < size)
            damaged(path, "cut short");
        const std::size_t from = at;
        at += size;
        return reinterpret_cast<const unsigned char*>(bytes.data()) + from;
    };
    const auto u32 = [&] {
        const unsigned char* p = take(4);
        return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
               static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
    };
    const auto u16 = [&] {
        const unsigned char* p = take(2);
        return static_cast<uint32_t>(p[0] | p[1] << 8);
    };
    if (bytes.size() < 4 || !std::equal(MAGIC, MAGIC + 4, bytes.begin()))
        damaged(path, "no ZBLM mark");
    at = 4;
    const uint32_t wordCount = u32();
    const uint32_t pairCount = u32();
    if (wordCount > 0xFFFF || pairCount > bytes.size() / 4)
        damaged(path, "impossible counts");
    std::vector<std::u16string> words;
    words.reserve(wordCount);
    for (uint32_t i = 0; i < wordCount; ++i) {
        const std::size_t length = *take(1);
        std::u16string word;
        for (std::size_t k = 0; k < length; ++k)
            word.push_back(static_cast<char16_t>(u16()));
        if (word.empty() || (!words.empty() && !(words.back() < word)))
            damaged(path, "words not in order");
        words.push_back(std::move(word));
    }
    if (bytes.size() - at != 4 * static_cast<std::size_t>(pairCount))
        damaged(path, "pairs do not match their count");
    numbers.clear();
    ranks.clear();
    deletions.clear();
    for (uint32_t i = 0; i < wordCount; ++i)
        numbers.emplace(words[i], i);
    this->words = std::move(words);
    for (uint32_t place = 1; place <= pairCount; ++place) {
        const uint32_t first = u16();
        const uint32_t second = u16();
        if (first >= wordCount || second >= wordCount)
            damaged(path, "a pair names no word");
        ranks.emplace(key(first, second), place);
    }
}

void ContextModel::assign(const std::vector<Pair>& pairs) {
    numbers.clear();
    ranks.clear();
    deletions.clear();
    words.clear();
    const auto number = [&](const std::u16string& word) {
        const auto [at, added] = numbers.emplace(word, static_cast<uint32_t>(numbers.size()));
        if (added)
            words.push_back(word);
        return at->second;
    };
    uint32_t place = 0;
    for (const auto& [first, second] : pairs) {
        const uint32_t a = number(first);
        ranks.emplace(key(a, number(second)), ++place);
    }
}

uint32_t ContextModel::numberOf(std::u16string_view word) const {
    const auto found = numbers.find(word);
    return found == numbers.end() ? UINT32_MAX : found->second;
}

bool ContextModel::knows(std::u16string_view word) const {
    return numberOf(word) != UINT32_MAX;
}

uint32_t ContextModel::rank(std::u16string_view first, std::u16string_view second) const {
    const uint32_t a = numberOf(first);
    return a == NONE ? 0 : rank(a, numberOf(second));
}

uint32_t ContextModel::rank(uint32_t first, uint32_t second) const {
    if (first == NONE || second == NONE)
        return 0;
    const auto found = ranks.find(key(first, second));
    return found == ranks.end() ? 0 : found->second;
}

void ContextModel::indexDeletions() const {
    for (uint32_t i = 0; i < words.size(); ++i)
        for (std::size_t k = 0; k < words[i].size(); ++k)
            deletions.emplace(std::u16string(words[i]).erase(k, 1), i);
}

void ContextModel::nearWords(std::u16string_view word, std::vector<std::u16string>& near) const {
    near.clear();
    if (deletions.empty())
        indexDeletions();
    const std::u16string own(word);
    const auto add = [&](uint32_t number) {
        if (words[number] != own && std::find(near.begin(), near.end(), words[number]) == near.end())
            near.push_back(words[number]);
    };
    // A letter added to the word: the word is one of theirs less a letter.
    for (auto [at, end] = deletions.equal_range(own); at != end; ++at)
        add(at->second);
    for (std::size_t k = 0; k < own.size(); ++k) {
        const std::u16string less = std::u16string(own).erase(k, 1);
        // A letter dropped.
        if (const uint32_t number = numberOf(less); number != UINT32_MAX)
            add(number);
        // A letter changed, or two swapped: the same word less one letter each.
        for (auto [at, end] = deletions.equal_range(less); at != end; ++at)
            add(at->second);
    }
}

}  // namespace zabrel
