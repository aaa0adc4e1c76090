// SPDX-License-Identifier: MIT
#include "engine/contextmodel.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <set>
#include <stdexcept>

#include "core/errors.h"
#include "core/userfile.h"

namespace zabrel {

namespace {

constexpr char MAGIC[4] = {'Z', 'B', 'L', 'C'};
constexpr char OLD_MAGIC[4] = {'Z', 'B', 'L', 'M'};
constexpr uint32_t VERSION = 2;
constexpr std::size_t HEADER = 24;
constexpr std::size_t PAIR_BYTES = 6;
constexpr std::size_t TRIPLE_BYTES = 7;
constexpr double STEP = 8.0;  // a cost is −ln p times this, rounded
// As the builder estimates: the discount of a seen n-gram's count.
constexpr double DISCOUNT = 0.8;
// The model is a few megabytes; a file far past that is not one.
constexpr std::size_t LARGEST_FILE = 64u * 1024 * 1024;

[[noreturn]] void damaged(const std::string& path, const std::string& what) {
    throw IOException(ZABREL_HERE, ERR_FILE_READ,
                      "Context model file is damaged (" + what + "): " + path + ".");
}

uint32_t littleEndian32(const unsigned char* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

uint32_t littleEndian16(const unsigned char* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8;
}

float logOf(uint8_t cost) {
    return static_cast<float>(-cost / STEP);
}

uint8_t costOf(double p) {
    const double c = std::round(-std::log(p) * STEP);
    return static_cast<uint8_t>(std::clamp(c, 0.0, 255.0));
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

void ContextModel::loadBytes(std::string_view bytes, const std::string& label) {
    if (bytes.size() > LARGEST_FILE)
        damaged(label, "too large");
    std::string owned(bytes);
    Tables made = read(reinterpret_cast<const unsigned char*>(owned.data()), owned.size(), label);
    // A model is never shorter than its header, so its bytes live on the heap and move
    // with the string.
    made.owned = std::move(owned);
    take(std::move(made));
}

ContextModel::Tables ContextModel::read(const unsigned char* bytes, std::size_t size,
                                        const std::string& path) {
    Tables made;
    if (size >= 4 && std::equal(OLD_MAGIC, OLD_MAGIC + 4, bytes))
        damaged(path, "a model of an older kind: rebuild it with tools/make-dictionary");
    if (size < 4 || !std::equal(MAGIC, MAGIC + 4, bytes))
        damaged(path, "no ZBLC mark");
    if (size < HEADER)
        damaged(path, "cut short");
    if (littleEndian32(bytes + 4) != VERSION)
        damaged(path,
                "version " + std::to_string(littleEndian32(bytes + 4)) + ", not " + std::to_string(VERSION));
    const uint32_t wordCount = littleEndian32(bytes + 8);
    const uint32_t pairCount = littleEndian32(bytes + 12);
    const uint32_t tripleCount = littleEndian32(bytes + 16);
    made.unknown = logOf(bytes[20]);
    if (bytes[21] != 0 || bytes[22] != 0 || bytes[23] != 0 || wordCount > 0xFFFF ||
        pairCount > size / PAIR_BYTES || tripleCount > size / TRIPLE_BYTES)
        damaged(path, "impossible counts");
    std::size_t at = HEADER;
    made.words.reserve(wordCount);
    made.alone.reserve(wordCount);
    made.backOff.reserve(wordCount);
    for (uint32_t i = 0; i < wordCount; ++i) {
        if (at >= size || size - at < 3 + 2 * static_cast<std::size_t>(bytes[at]))
            damaged(path, "cut short");
        const std::size_t length = bytes[at];
        const unsigned char* units = bytes + at + 1;
        std::u16string word(length, u'\0');
        for (std::size_t k = 0; k < length; ++k)
            word[k] = static_cast<char16_t>(littleEndian16(units + 2 * k));
        if (word.empty() || (!made.words.empty() && !(made.words.back() < word)))
            damaged(path, "words not in order");
        made.longest = std::max(made.longest, length);
        made.words.push_back(std::move(word));
        made.alone.push_back(units[2 * length]);
        made.backOff.push_back(units[2 * length + 1]);
        at += 3 + 2 * length;
    }
    if (size - at != PAIR_BYTES * pairCount + TRIPLE_BYTES * tripleCount)
        damaged(path, "n-grams do not match their counts");
    made.pairs = bytes + at;
    made.triples = made.pairs + PAIR_BYTES * pairCount;
    made.pairCount = pairCount;
    made.tripleCount = tripleCount;
    // Every id and the order are checked once here, so lookups may search the bytes.
    uint64_t last = 0;
    for (uint32_t i = 0; i < pairCount; ++i) {
        const unsigned char* p = made.pairs + PAIR_BYTES * i;
        const uint32_t first = littleEndian16(p);
        const uint32_t second = littleEndian16(p + 2);
        if (first >= wordCount || second >= wordCount)
            damaged(path, "a pair names no word");
        const uint64_t key = static_cast<uint64_t>(first) << 16 | second;
        if (i > 0 && key <= last)
            damaged(path, "pairs not in order");
        last = key;
    }
    for (uint32_t i = 0; i < tripleCount; ++i) {
        const unsigned char* p = made.triples + TRIPLE_BYTES * i;
        const uint32_t a = littleEndian16(p), b = littleEndian16(p + 2), c = littleEndian16(p + 4);
        if (a >= wordCount || b >= wordCount || c >= wordCount)
            damaged(path, "a triple names no word");
        const uint64_t key = static_cast<uint64_t>(a) << 32 | static_cast<uint64_t>(b) << 16 | c;
        if (i > 0 && key <= last)
            damaged(path, "triples not in order");
        last = key;
    }
    return made;
}

void ContextModel::take(Tables&& made) {
    tables = std::move(made);
    deletions.clear();
    deletionsMade = std::make_unique<std::once_flag>();
}

ContextModel::Counts ContextModel::countsOf(const std::vector<Pair>& pairs) {
    Counts counts;
    for (std::size_t place = 0; place < pairs.size(); ++place) {
        const double count = 1000.0 / static_cast<double>(place + 1);
        if (!counts.pairs.emplace(pairs[place], count).second)
            continue;
        counts.words[pairs[place].first] += count;
        counts.words[pairs[place].second] += count;
    }
    // The pairs are what a long text writes, a million words: their words are rare
    // alone and common together.
    counts.tokens = 1e6;
    return counts;
}

std::string ContextModel::encode(const Counts& counts) {
    // As tools/contextmodel.py estimates: interpolated absolute discounting, whose
    // back-off takes what a context's own count leaves to its seen n-grams.
    std::set<std::u16string> vocabulary;
    for (const auto& [pair, count] : counts.pairs)
        vocabulary.insert({pair.first, pair.second});
    for (const auto& [triple, count] : counts.triples)
        vocabulary.insert(triple.begin(), triple.end());
    const std::vector<std::u16string> words(vocabulary.begin(), vocabulary.end());
    if (words.size() > 0xFFFF || std::any_of(words.begin(), words.end(), [](const std::u16string& w) {
            return w.empty() || w.size() > 0xFF;
        }))
        throw std::invalid_argument("a context model holds at most 65535 words of 1 to 255 units");
    const auto number = [&](const std::u16string& word) {
        return static_cast<uint32_t>(std::lower_bound(words.begin(), words.end(), word) - words.begin());
    };
    const auto countOf = [](const auto& table, const auto& key) {
        const auto found = table.find(key);
        return found == table.end() ? 0.0 : found->second;
    };
    const double total = std::max(counts.tokens, 1.0) + static_cast<double>(words.size());
    const auto alone = [&](const std::u16string& w) { return (countOf(counts.words, w) + 1) / total; };
    // A context's count and the mass its seen n-grams keep.
    std::map<std::u16string, std::pair<double, double>> afterWord;
    for (const auto& [pair, count] : counts.pairs) {
        auto& [seen, kept] = afterWord[pair.first];
        seen += count;
        kept += std::max(count - DISCOUNT, 0.0);
    }
    for (auto& [word, context] : afterWord)
        context.first = std::max(context.first, countOf(counts.words, word));
    std::map<Pair, std::pair<double, double>> afterPair;
    for (const auto& [triple, count] : counts.triples) {
        auto& [seen, kept] = afterPair[{triple[0], triple[1]}];
        seen += count;
        kept += std::max(count - DISCOUNT, 0.0);
    }
    for (auto& [pair, context] : afterPair)
        context.first = std::max(context.first, countOf(counts.pairs, pair));
    const auto backOff = [](const auto& contexts, const auto& key) {
        const auto found = contexts.find(key);
        return found == contexts.end() ? 1.0 : 1.0 - found->second.second / found->second.first;
    };
    const auto second = [&](const std::u16string& a, const std::u16string& b) {
        const auto found = afterWord.find(a);
        const double seen =
            found == afterWord.end()
                ? 0.0
                : std::max(countOf(counts.pairs, Pair{a, b}) - DISCOUNT, 0.0) / found->second.first;
        return seen + backOff(afterWord, a) * alone(b);
    };
    // Every pair of a triple is a pair of the model.
    std::map<Pair, double> pairs = counts.pairs;
    for (const auto& [triple, count] : counts.triples)
        pairs.emplace(Pair{triple[0], triple[1]}, count);

    std::string out(MAGIC, 4);
    const auto u32 = [&](std::size_t value) {
        for (int shift = 0; shift < 32; shift += 8)
            out.push_back(static_cast<char>((value >> shift) & 0xFF));
    };
    const auto u16 = [&](uint32_t value) {
        out.push_back(static_cast<char>(value & 0xFF));
        out.push_back(static_cast<char>((value >> 8) & 0xFF));
    };
    const auto u8 = [&](uint8_t value) { out.push_back(static_cast<char>(value)); };
    u32(VERSION);
    u32(words.size());
    u32(pairs.size());
    u32(counts.triples.size());
    u8(costOf(1 / total));
    out.append(3, '\0');
    for (const std::u16string& word : words) {
        u8(static_cast<uint8_t>(word.size()));
        for (char16_t unit : word)
            u16(unit);
        u8(costOf(alone(word)));
        u8(costOf(backOff(afterWord, word)));
    }
    // std::map orders by the words, and the numbers keep that order.
    for (const auto& [pair, count] : pairs) {
        u16(number(pair.first));
        u16(number(pair.second));
        u8(costOf(second(pair.first, pair.second)));
        u8(costOf(backOff(afterPair, pair)));
    }
    for (const auto& [triple, count] : counts.triples) {
        const auto& [seen, kept] = afterPair.at({triple[0], triple[1]});
        const double p = std::max(count - DISCOUNT, 0.0) / seen +
                         backOff(afterPair, Pair{triple[0], triple[1]}) * second(triple[1], triple[2]);
        for (const std::u16string& word : triple)
            u16(number(word));
        u8(costOf(p));
    }
    return out;
}

void ContextModel::assign(const Counts& counts) {
    // Laid out as a file is, and read the same way.
    std::string bytes = encode(counts);
    Tables made = read(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), "(in memory)");
    made.owned = std::move(bytes);
    take(std::move(made));
}

void ContextModel::assign(const std::vector<Pair>& pairs) {
    assign(countsOf(pairs));
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

namespace {

// The record whose key is `wanted` among `count` records of `stride` bytes in key order,
// or null.
template <typename KeyOf>
const unsigned char* findRecord(const unsigned char* records, uint32_t count, std::size_t stride,
                                uint64_t wanted, const KeyOf& keyOf) {
    uint32_t low = 0, high = count;
    while (low < high) {
        const uint32_t mid = low + (high - low) / 2;
        const unsigned char* p = records + stride * mid;
        const uint64_t key = keyOf(p);
        if (key == wanted)
            return p;
        if (key < wanted)
            low = mid + 1;
        else
            high = mid;
    }
    return nullptr;
}

}  // namespace

const unsigned char* ContextModel::findPair(uint32_t first, uint32_t second) const {
    if (first == NONE || second == NONE)
        return nullptr;
    return findRecord(tables.pairs, tables.pairCount, PAIR_BYTES, static_cast<uint64_t>(first) << 16 | second,
                      [](const unsigned char* p) {
                          return static_cast<uint64_t>(littleEndian16(p)) << 16 | littleEndian16(p + 2);
                      });
}

const unsigned char* ContextModel::findTriple(uint32_t first, uint32_t second, uint32_t third) const {
    if (first == NONE || second == NONE || third == NONE)
        return nullptr;
    const uint64_t wanted = static_cast<uint64_t>(first) << 32 | static_cast<uint64_t>(second) << 16 | third;
    return findRecord(tables.triples, tables.tripleCount, TRIPLE_BYTES, wanted, [](const unsigned char* p) {
        return static_cast<uint64_t>(littleEndian16(p)) << 32 |
               static_cast<uint64_t>(littleEndian16(p + 2)) << 16 | littleEndian16(p + 4);
    });
}

float ContextModel::logProbability(uint32_t word) const {
    return word == NONE ? tables.unknown : logOf(tables.alone[word]);
}

float ContextModel::logProbability(uint32_t word, uint32_t before) const {
    if (before == NONE)
        return logProbability(word);
    if (const unsigned char* pair = findPair(before, word))
        return logOf(pair[4]);
    return logOf(tables.backOff[before]) + logProbability(word);
}

float ContextModel::logProbability(uint32_t word, uint32_t before2, uint32_t before1) const {
    if (before1 == NONE)
        return logProbability(word);
    if (before2 == NONE)
        return logProbability(word, before1);
    if (const unsigned char* triple = findTriple(before2, before1, word))
        return logOf(triple[6]);
    const unsigned char* pair = findPair(before2, before1);
    return (pair ? logOf(pair[5]) : 0.0f) + logProbability(word, before1);
}

float ContextModel::logProbability(std::u16string_view word, std::u16string_view before2,
                                   std::u16string_view before1) const {
    const uint32_t second = before1.empty() ? NONE : numberOf(before1);
    return logProbability(numberOf(word), second == NONE ? NONE : numberOf(before2), second);
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
    std::call_once(*deletionsMade, [this] { indexDeletions(); });
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

float ContextRanking::fit(const Neighbours& around, const std::u16string& candidate) const {
    const auto id = [&](std::u16string_view w) { return w.empty() ? ContextModel::NONE : model.numberOf(w); };
    const uint32_t b2 = id(around.before2), b1 = id(around.before1);
    const uint32_t a1 = id(around.after1), a2 = id(around.after2);
    // The candidate's words, and what they do to the words after them.
    std::vector<uint32_t> own;
    for (std::size_t from = 0;;) {
        const std::size_t space = candidate.find(u' ', from);
        own.push_back(id(std::u16string_view(candidate).substr(from, space - from)));
        if (space == std::u16string::npos)
            break;
        from = space + 1;
    }
    float before = 0.0f;
    uint32_t p2 = b2, p1 = b1;
    for (uint32_t w : own) {
        before += model.logProbability(w, p2, p1) - model.logProbability(w);
        p2 = p1;
        p1 = w;
    }
    float next = 0.0f;
    if (!around.after1.empty()) {
        next += model.logProbability(a1, p2, p1) - model.logProbability(a1, b2, b1);
        if (!around.after2.empty())
            next += model.logProbability(a2, p1, a1) - model.logProbability(a2, b1, a1);
    }
    return before + after * next;
}

}  // namespace zabrel
