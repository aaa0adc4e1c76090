// SPDX-License-Identifier: MIT
// Gathering a misspelt word's candidates from the posting lists and bucketing them by
// their distance from it.
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string_view>

#include "core/errors.h"
#include "engine/editdistance.h"
#include "engine/spellchecker.h"

namespace zabrel {

void SpellChecker::markSeen(Work& w, int32_t slot, std::vector<int32_t>& into) const {
    // Ids from a damaged posting-list file may point anywhere.
    if (slot < 0 || slot >= hashTable.getTableSize())
        return;
    // One bit a slot, so that the whole set stays in the nearest cache while the lists
    // are walked.
    uint64_t& bits = w.seen[static_cast<std::size_t>(slot) >> 6];
    const uint64_t bit = uint64_t{1} << (slot & 63);
    if ((bits & bit) != 0)
        return;
    bits |= bit;
    into.push_back(slot);
}

void SpellChecker::gatherCandidates(Work& w, const std::u16string& errWord) const {
    const std::size_t slots = static_cast<std::size_t>(std::max(hashTable.getTableSize(), 0));
    if (w.seen.size() != (slots + 63) / 64)
        w.seen.assign((slots + 63) / 64, 0);
    const std::size_t n = errWord.size();
    if (n >= 3) {
        gatherTranspositions(w, errWord);
        gatherFromLists(w, errWord, true);
    }
    if (n <= 3)
        gatherFromLists(w, errWord, false);
}

void SpellChecker::gatherTranspositions(Work& w, const std::u16string& errWord) const {
    std::u16string transposeWord = errWord;
    std::size_t units = 0;
    for (std::size_t i = 0; i + 1 < errWord.size(); ++i) {
        // Swapping equal neighbours gives the word itself, which the lexicon lacks.
        if (errWord[i] == errWord[i + 1])
            continue;
        std::swap(transposeWord[i], transposeWord[i + 1]);
        units += transposeWord.size();
        hashTable.find(transposeWord, w.searchResults);
        for (const HashNode& hit : w.searchResults)
            markSeen(w, hit.next, w.buckets[1]);
        std::swap(transposeWord[i], transposeWord[i + 1]);
    }
    lookedUp.fetch_add(units, std::memory_order_relaxed);
}

void SpellChecker::gatherFromLists(Work& w, const std::u16string& errWord, bool bigrams) const {
    if (!postLists.hasIndex())
        return;
    const int32_t size = postLists.getAlphabetSize();
    const std::size_t lists = bigrams ? errWord.size() - 1 : errWord.size();
    std::vector<PostingEntry> entries(lists);
    for (std::size_t i = 0; i < lists; ++i) {
        const uint16_t a = alphabetMap.getIndex(errWord[i]);
        if (a >= size)
            continue;
        if (!bigrams) {
            entries[i] = postLists.unigramRecord(a);
            continue;
        }
        const uint16_t b = alphabetMap.getIndex(errWord[i + 1]);
        if (b < size)
            entries[i] = postLists.bigramRecord(a, b);
    }
    // Ascending by count, visited from the end: longest list first and, among equal
    // counts, the later letter position first.
    std::stable_sort(entries.begin(), entries.end(),
                     [](const PostingEntry& l, const PostingEntry& r) { return l.count < r.count; });
    const ListFile list = bigrams ? ListFile::Bigrams : ListFile::Unigrams;
    uint8_t shortest = 0;
    uint8_t longest = 0xFF;
    if (slotKeys.usable()) {
        // The limit only falls as nearer words turn up, so the one known now bounds
        // every length that can be listed; the length window is never narrower.
        const int32_t n = static_cast<int32_t>(errWord.size());
        const int32_t limit = listedDistanceLimit(nearestBeforeMeasuring(w), n);
        shortest = static_cast<uint8_t>(std::clamp(n - limit, 0, 0xFF));
        longest = static_cast<uint8_t>(std::clamp(n + limit, 0, 0xFF));
    }
    for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
        if (it->count == 0)
            continue;
        readPostingList(w, list, *it);
        gatherUnseen(w, w.postingList, shortest, longest);
    }
}

void SpellChecker::gatherUnseen(Work& w, const std::vector<int32_t>& list, uint8_t shortest,
                                uint8_t longest) const {
    std::vector<int32_t>& candidates = w.candidates;
    // The same as marking each slot in turn, written without a branch on the seen bit
    // (which is as good as random): every slot is stored, and the end moves on only
    // past one not seen before. A word whose length is outside [shortest, longest]
    // is marked but not kept: it could only go to a bucket that is never listed.
    std::size_t kept = candidates.size();
    candidates.resize(kept + list.size());
    const uint32_t slots = static_cast<uint32_t>(std::max(hashTable.getTableSize(), 0));
    const uint8_t* lengths = slotKeys.lengths();
    for (int32_t slot : list) {
        // Ids from a damaged posting-list file may point anywhere.
        if (static_cast<uint32_t>(slot) >= slots)
            continue;
        uint64_t& bits = w.seen[static_cast<std::size_t>(slot) >> 6];
        const uint64_t bit = uint64_t{1} << (slot & 63);
        const uint8_t length = lengths[slot];
        candidates[kept] = slot;
        kept += ((bits & bit) == 0 && length >= shortest && length <= longest) ? 1 : 0;
        bits |= bit;
    }
    candidates.resize(kept);
}

void SpellChecker::readPostingList(Work& w, ListFile list, const PostingEntry& entry) const {
    // Positioned reads, which share no file position between threads. The records were
    // checked against the files' sizes at set-up; a file cut short since yields the
    // entries that were read, and every later read of it fails as the end it met.
    // Lists held in memory are read the same way, from the bytes.
    const std::size_t file = static_cast<std::size_t>(list);
    const FileReader& reader = list == ListFile::Bigrams ? bigramPLReader : unigramPLReader;
    const int fd = reader.descriptor();
    w.postingList.clear();
    if (listEnded[file].load(std::memory_order_acquire))
        throw IOException(ZABREL_HERE, ERR_FILE_READ, "End of file encountered.");
    std::vector<unsigned char>& raw = w.rawList;
    raw.resize(static_cast<std::size_t>(entry.count) * 4);
    std::size_t bytes = 0;
    const std::string_view held = fd < 0 ? reader.heldBytes() : std::string_view();
    if (!held.empty() && entry.offset >= 0) {
        const std::size_t from = std::min(held.size(), static_cast<std::size_t>(entry.offset) + 2);
        bytes = std::min(raw.size(), held.size() - from);
        if (bytes < raw.size())
            listEnded[file].store(true, std::memory_order_release);
        std::copy_n(held.data() + from, bytes, raw.data());
    }
    while (fd >= 0 && entry.offset >= 0 && bytes < raw.size()) {
        const ssize_t got = ::pread(fd, raw.data() + bytes, raw.size() - bytes,
                                    static_cast<off_t>(entry.offset) + 2 + static_cast<off_t>(bytes));
        if (got < 0 && errno == EINTR)
            continue;
        if (got == 0)
            listEnded[file].store(true, std::memory_order_release);
        if (got <= 0)
            break;
        bytes += static_cast<std::size_t>(got);
    }
    const std::size_t entries = bytes / 4;
    w.postingList.resize(entries);
    for (std::size_t e = 0; e < entries; ++e)
        w.postingList[e] = static_cast<int32_t>(
            static_cast<uint32_t>(raw[4 * e]) | (static_cast<uint32_t>(raw[4 * e + 1]) << 8) |
            (static_cast<uint32_t>(raw[4 * e + 2]) << 16) | (static_cast<uint32_t>(raw[4 * e + 3]) << 24));
}

int32_t SpellChecker::nearestBeforeMeasuring(const Work& w) {
    // A transposition found is a word at distance 1 as far as the levels go.
    return w.buckets[1].empty() ? DISTANCE_BUCKETS : 1;
}

void SpellChecker::bucketCandidates(Work& w, const std::u16string& errWord) const {
    int32_t nearest = nearestBeforeMeasuring(w);
    if (slotKeys.usable() && w.probe.prepare(errWord, alphabetMap))
        measureCandidates(slotKeys, w.probe, w.candidates.data(), w.candidates.size(), nearest, w.buckets);
    else
        bucketPlainly(w, errWord, nearest);
}

void SpellChecker::bucketPlainly(Work& w, const std::u16string& errWord, int32_t& nearest) const {
    const int32_t n = static_cast<int32_t>(errWord.size());
    for (int32_t s : w.candidates) {
        const std::u16string& word = hashTable.nodeAt(s).word;
        const int32_t length = static_cast<int32_t>(word.size());
        // Outside the length window is the far bucket, which is never listed; so is
        // everything past the limit, which lies beyond the nearest level.
        if (length > n + LENGTH_WINDOW || length < n - LENGTH_WINDOW)
            continue;
        const int32_t d = editDistance(errWord, word);
        if (d > listedDistanceLimit(nearest, n))
            continue;
        w.buckets[static_cast<std::size_t>(d)].push_back(s);
        nearest = std::min(nearest, d);
    }
}

}  // namespace zabrel
