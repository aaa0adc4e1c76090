// SPDX-License-Identifier: MIT
#include "lexicon/hashtable.h"

#include <limits>
#include <new>

#include "core/errors.h"
#include "core/filereader.h"
#include "core/filewriter.h"
#include "lexicon/unichar2indexmap.h"

namespace zabrel {

namespace {

int32_t readInt32(const unsigned char* bytes) {
    uint32_t value = static_cast<uint32_t>(bytes[0]) | (static_cast<uint32_t>(bytes[1]) << 8) |
                     (static_cast<uint32_t>(bytes[2]) << 16) | (static_cast<uint32_t>(bytes[3]) << 24);
    return static_cast<int32_t>(value);
}

void putInt32(unsigned char* bytes, int32_t value) {
    uint32_t v = static_cast<uint32_t>(value);
    bytes[0] = static_cast<unsigned char>(v);
    bytes[1] = static_cast<unsigned char>(v >> 8);
    bytes[2] = static_cast<unsigned char>(v >> 16);
    bytes[3] = static_cast<unsigned char>(v >> 24);
}

[[noreturn]] void damaged(const char* file, int line) {
    throw IOException(file, line, ERR_FILE_READ, "Hash table file is damaged.");
}

}  // namespace

int32_t toInt(const std::u16string& text) {
    std::size_t i = 0;
    auto low = [&](std::size_t k) { return static_cast<unsigned char>(text[k] & 0xFF); };
    // atoi skips what isspace() accepts in the C locale.
    while (i < text.size() && (low(i) == ' ' || (low(i) >= '\t' && low(i) <= '\r')))
        ++i;
    bool negative = false;
    if (i < text.size() && (low(i) == '+' || low(i) == '-')) {
        negative = low(i) == '-';
        ++i;
    }
    int64_t value = 0;
    const int64_t limit = int64_t{std::numeric_limits<int32_t>::max()} + 1;
    for (; i < text.size() && low(i) >= '0' && low(i) <= '9'; ++i)
        if (value < limit)
            value = value * 10 + (low(i) - '0');
    if (negative)
        value = -value;
    if (value > std::numeric_limits<int32_t>::max())
        return std::numeric_limits<int32_t>::max();
    if (value < std::numeric_limits<int32_t>::min())
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(value);
}

bool HashTable::init(int32_t size, int32_t address) {
    clear();
    if (size < 1 || address < 1)
        return false;
    try {
        nodes.assign(static_cast<std::size_t>(size), HashNode{});
    } catch (const std::bad_alloc&) {
        clear();
        return false;
    }
    tableSize = size;
    addressSize = address < size ? address : size;
    return true;
}

void HashTable::forgetChains() {
    std::vector<int32_t>().swap(chainHead);
    std::vector<int32_t>().swap(chainTail);
}

void HashTable::clear() {
    forgetChains();
    std::vector<HashNode>().swap(nodes);
    tableSize = 0;
    addressSize = 0;
    wordCount = 0;
    freeCursor = -1;
}

uint32_t HashTable::hash(const std::u16string& word) const {
    uint32_t h = 0;
    uint32_t a = HASH_MULTIPLIER;
    if (tableSize <= 0)
        return 0;
    const uint32_t modulus = static_cast<uint32_t>(addressSize);
    // With one home slot every word hashes to 0 whatever the factor.
    const uint32_t stepModulus = modulus > 1 ? modulus - 1 : 1;
    for (char16_t c : word) {
        h = (a * h + c) % modulus;
        a = (a * HASH_STEP) % stepModulus;
    }
    return h;
}

int32_t HashTable::insertAtHome(const std::u16string& word, int32_t frequency) {
    if (nodes.empty())
        return -1;
    const int32_t s = static_cast<int32_t>(hash(word));
    HashNode& node = nodes[static_cast<std::size_t>(s)];
    if (node.next != EMPTY_SLOT)
        return -1;
    node.word = word;
    node.frequency = frequency;
    node.next = CHAIN_END;
    ++wordCount;
    if (!chainHead.empty()) {
        chainHead[static_cast<std::size_t>(s)] = s;
        chainTail[static_cast<std::size_t>(s)] = s;
    }
    return s;
}

int32_t HashTable::chainTailFrom(uint32_t home) const {
    // During a build every occupied slot knows the head of its chain, and every head
    // its tail: chains only ever grow at the tail, so this is the slot the walk below
    // would reach, found without walking a chain that may hold most of the table.
    if (!chainHead.empty()) {
        const int32_t head = chainHead[home];
        if (head >= 0)
            return chainTail[static_cast<std::size_t>(head)];
    }
    int32_t tail = static_cast<int32_t>(home);
    for (int32_t steps = 0; nodes[static_cast<std::size_t>(tail)].next != CHAIN_END; ++steps) {
        int32_t next = nodes[static_cast<std::size_t>(tail)].next;
        if (next < 0 || next >= tableSize || steps >= tableSize)
            return -1;
        tail = next;
    }
    return tail;
}

int32_t HashTable::insertCollision(const std::u16string& word, int32_t frequency, uint32_t home) {
    if (nodes.empty() || home >= static_cast<uint32_t>(addressSize))
        return -1;
    if (nodes[home].next == EMPTY_SLOT)
        return -1;  // nothing to collide with: the word belongs at its home slot
    const int32_t tail = chainTailFrom(home);
    if (tail < 0)
        return -1;
    int32_t f = freeCursor + 1;
    while (f < tableSize && nodes[static_cast<std::size_t>(f)].next != EMPTY_SLOT)
        ++f;
    if (f >= tableSize)
        return -1;
    nodes[static_cast<std::size_t>(tail)].next = f;
    HashNode& node = nodes[static_cast<std::size_t>(f)];
    node.word = word;
    node.frequency = frequency;
    node.next = CHAIN_END;
    ++wordCount;
    freeCursor = f;
    if (!chainHead.empty()) {
        const int32_t head = chainHead[home];
        chainHead[static_cast<std::size_t>(f)] = head;
        chainTail[static_cast<std::size_t>(head)] = f;
    }
    return f;
}

bool HashTable::isListed(const HashNode& node, const std::u16string& word) {
    // A leading '@' marks a withdrawn word.
    return !node.word.empty() && node.word[0] != u'@' && node.word == word;
}

template <typename OnMatch>
HashTable::WalkEnd HashTable::walkChain(const std::u16string& word, OnMatch onMatch) const {
    if (nodes.empty())
        return WalkEnd::Broken;
    int32_t s = static_cast<int32_t>(hash(word));
    if (nodes[static_cast<std::size_t>(s)].next == EMPTY_SLOT)
        return WalkEnd::Broken;
    while (true) {
        if (s == CHAIN_END)
            return WalkEnd::ChainEnd;
        const HashNode& node = nodes[static_cast<std::size_t>(s)];
        if (isListed(node, word) && onMatch(s, node))
            return WalkEnd::Matched;
        s = node.next;
        if (s == EMPTY_SLOT)
            return WalkEnd::Broken;
    }
}

bool HashTable::contains(const std::u16string& word) const {
    return walkChain(word, [](int32_t, const HashNode&) { return true; }) == WalkEnd::Matched;
}

bool HashTable::find(const std::u16string& word, std::vector<HashNode>& results) const {
    results.clear();
    const WalkEnd end = walkChain(word, [&](int32_t slot, const HashNode& node) {
        results.push_back(HashNode{node.word, node.frequency, slot});
        return false;
    });
    return end == WalkEnd::ChainEnd && !results.empty();
}

bool HashTable::getNode(int32_t slot, HashNode& node) const {
    if (nodes.empty() || slot < 0 || slot >= tableSize)
        return false;
    node = nodes[static_cast<std::size_t>(slot)];
    return true;
}

bool HashTable::setNode(int32_t slot, const HashNode& node) {
    if (nodes.empty() || slot < 0 || slot >= tableSize)
        return false;
    forgetChains();  // the links may change: fall back to walking
    nodes[static_cast<std::size_t>(slot)] = node;
    return true;
}

bool HashTable::build(const std::string& wordListFileName, const UniChar2IndexMap& alphabetMap,
                      const DictionaryFiles& from) {
    clear();
    FileReader wordlistReader;
    std::u16string tempwordcount;
    std::u16string tempword;
    std::u16string wfreq;
    uint32_t i = 0;
    try {
        from.open(wordlistReader, wordListFileName, false);
    } catch (IOException& ex) {
        annotate(ex, ZABREL_HERE, " Config file not opened sucessfully.");
        throw;
    }
    try {
        wordlistReader.readUnicode(tempwordcount, 7, u'\n');
        const int32_t n = toInt(tempwordcount);
        if (n < 3)
            return false;
        // The count line says one more than the slots: the last record is read
        // ahead and never inserted.
        const int32_t m = n - 1;
        if (!init(m, m))
            return false;
        chainHead.assign(static_cast<std::size_t>(m), -1);
        chainTail.assign(static_cast<std::size_t>(m), -1);
        int32_t frequency = 0;
        auto readRecord = [&] {
            wordlistReader.readUnicode(tempword, 22, u'\t');
            wordlistReader.readUnicode(wfreq, 8, u'\n');
            frequency = toInt(wfreq);
            tempword = alphabetMap.filterWord(tempword);
        };
        readRecord();
        while (!wordlistReader.eof() && i < static_cast<uint32_t>(m)) {
            if (insertAtHome(tempword, frequency) == -1)
                insertCollision(tempword, frequency, hash(tempword));
            ++i;
            readRecord();
        }
        forgetChains();
        wordlistReader.close();
    } catch (IOException& ex) {
        annotate(ex, ZABREL_HERE, " Config file not opened sucessfully.");
        throw;
    }
    return true;
}

bool HashTable::save(const char* fileName) const {
    FileWriter hashWriter;
    saveFailure.clear();
    if (fileName == nullptr || !hashWriter.openReplacing(fileName, false)) {
        saveFailure = hashWriter.failureReason();
        return false;
    }
    // Every slot is stored, so that a table that is not full comes back with the
    // same slots, links and address size.
    unsigned char count[4];
    putInt32(count, tableSize);
    hashWriter.writeBytes(count, 4);
    unsigned char record[SLOT_RECORD_SIZE];
    for (int32_t k = 0; k < tableSize; ++k) {
        const HashNode& hnode = nodes[static_cast<std::size_t>(k)];
        for (int32_t j = 0; j < STORED_WORD_UNITS; ++j) {
            char16_t unit = j < static_cast<int32_t>(hnode.word.size()) ? hnode.word[j] : u'\0';
            record[2 * j] = static_cast<unsigned char>(unit & 0xFF);
            record[2 * j + 1] = static_cast<unsigned char>(unit >> 8);
        }
        putInt32(record + 2 * STORED_WORD_UNITS, hnode.frequency);
        putInt32(record + 2 * STORED_WORD_UNITS + 4, hnode.next);
        hashWriter.writeBytes(record, SLOT_RECORD_SIZE);
    }
    const bool written = hashWriter.good();
    if (hashWriter.close() && written)
        return true;
    saveFailure = hashWriter.failureReason();
    return false;
}

bool HashTable::chainsAreSound() const {
    // A coalesced chain only ever links to a slot that was free, so no slot has two
    // predecessors; a loop or a link into a free slot means the file is damaged.
    std::vector<unsigned char> linkedTo(nodes.size(), 0);
    for (const HashNode& node : nodes) {
        if (node.next < 0)
            continue;
        const std::size_t target = static_cast<std::size_t>(node.next);
        if (nodes[target].next == EMPTY_SLOT || linkedTo[target]++ != 0)
            return false;
    }
    std::vector<unsigned char> reached(nodes.size(), 0);
    for (std::size_t k = 0; k < nodes.size(); ++k) {
        if (nodes[k].next == EMPTY_SLOT || linkedTo[k] != 0)
            continue;
        for (int32_t s = static_cast<int32_t>(k); s >= 0; s = nodes[static_cast<std::size_t>(s)].next)
            reached[static_cast<std::size_t>(s)] = 1;
    }
    for (std::size_t k = 0; k < nodes.size(); ++k)
        if (nodes[k].next != EMPTY_SLOT && !reached[k])
            return false;
    return true;
}

bool HashTable::load(const std::string& fileName, const DictionaryFiles& from) {
    clear();
    FileReader hashReader;
    try {
        from.open(hashReader, fileName, false);
    } catch (IOException& ex) {
        annotate(ex, ZABREL_HERE, " Config file not opened sucessfully.");
        throw;
    }
    return readFrom(hashReader);
}

bool HashTable::loadBytes(std::string_view bytes, const std::string& label) {
    return load(label, DictionaryFiles::inMemory({{label, std::string(bytes)}}));
}

bool HashTable::readFrom(FileReader& hashReader) {
    try {
        unsigned char countBytes[4];
        if (!hashReader.readBytes(countBytes, 4) || hashReader.lastReadSize() != 4)
            damaged(ZABREL_HERE);
        const int32_t hashArrayCount = readInt32(countBytes);
        if (hashArrayCount < 1)
            return false;
        // One home slot would make the hash divide by zero; a file shorter than its
        // records would leave slots unread.
        const int64_t needed = 6 + int64_t{SLOT_RECORD_SIZE} * hashArrayCount;
        if (hashArrayCount == 1 || hashReader.getFileSize() < needed)
            damaged(ZABREL_HERE);
        if (!init(hashArrayCount, hashArrayCount))
            return false;
        constexpr int32_t RECORDS_PER_READ = 4096;
        std::vector<unsigned char> buffer(static_cast<std::size_t>(SLOT_RECORD_SIZE) * RECORDS_PER_READ);
        int32_t occupied = 0;
        for (int32_t k = 0; k < hashArrayCount;) {
            const int32_t records = std::min(RECORDS_PER_READ, hashArrayCount - k);
            const int32_t bytes = records * SLOT_RECORD_SIZE;
            if (!hashReader.readBytes(buffer.data(), bytes) ||
                hashReader.lastReadSize() != static_cast<std::size_t>(bytes))
                damaged(ZABREL_HERE);
            for (int32_t r = 0; r < records; ++r, ++k) {
                const unsigned char* record = buffer.data() + static_cast<std::size_t>(r) * SLOT_RECORD_SIZE;
                HashNode& hnode = nodes[static_cast<std::size_t>(k)];
                for (int32_t j = 0; j < STORED_WORD_UNITS; ++j) {
                    char16_t unit = static_cast<char16_t>(record[2 * j] | (record[2 * j + 1] << 8));
                    if (unit == u'\0')
                        break;
                    hnode.word.push_back(unit);
                }
                hnode.frequency = readInt32(record + 2 * STORED_WORD_UNITS);
                hnode.next = readInt32(record + 2 * STORED_WORD_UNITS + 4);
                if (hnode.next < CHAIN_END || hnode.next >= hashArrayCount) {
                    clear();
                    damaged(ZABREL_HERE);
                }
                if (hnode.next != EMPTY_SLOT)
                    ++occupied;
            }
        }
        if (!chainsAreSound()) {
            clear();
            damaged(ZABREL_HERE);
        }
        wordCount = occupied;
        hashReader.close();
    } catch (IOException& ex) {
        clear();
        annotate(ex, ZABREL_HERE, " Config file not opened sucessfully.");
        throw;
    }
    return true;
}

}  // namespace zabrel
