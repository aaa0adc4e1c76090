// SPDX-License-Identifier: MIT
#include "postings/postlistresources.h"

#include <algorithm>
#include <new>

#include "core/configmanager.h"
#include "core/errors.h"
#include "core/filereader.h"
#include "core/filewriter.h"
#include "lexicon/hashtable.h"
#include "lexicon/unichar2indexmap.h"

namespace zabrel {

namespace {

void putRecord(unsigned char* bytes, const PostingEntry& entry) {
    const uint32_t offset = static_cast<uint32_t>(entry.offset);
    bytes[0] = static_cast<unsigned char>(offset);
    bytes[1] = static_cast<unsigned char>(offset >> 8);
    bytes[2] = static_cast<unsigned char>(offset >> 16);
    bytes[3] = static_cast<unsigned char>(offset >> 24);
    bytes[4] = static_cast<unsigned char>(entry.count);
    bytes[5] = static_cast<unsigned char>(entry.count >> 8);
}

PostingEntry takeRecord(const unsigned char* bytes) {
    PostingEntry entry;
    entry.offset = static_cast<int32_t>(
        static_cast<uint32_t>(bytes[0]) | (static_cast<uint32_t>(bytes[1]) << 8) |
        (static_cast<uint32_t>(bytes[2]) << 16) | (static_cast<uint32_t>(bytes[3]) << 24));
    entry.count = static_cast<uint16_t>(bytes[4] | (bytes[5] << 8));
    return entry;
}

}  // namespace

bool PostListResources::build(const HashTable& table, const UniChar2IndexMap& alphabet) {
    alphabetSize = alphabet.getAlphabetSize();
    const std::size_t n = static_cast<std::size_t>(std::max(alphabetSize, 0));
    bigramMatrix.assign(n * n, PostingEntry{});
    bigramLists.assign(n * n, {});
    unigramIndex.assign(n, PostingEntry{});
    unigramLists.assign(n, {});

    // Every slot, in slot order: the same slots the hash-table file stores.
    for (int32_t i = 0; i < table.getTableSize(); ++i) {
        const std::u16string& tword = table.nodeAt(i).word;
        const std::size_t length = tword.size();
        if (length >= 3) {
            for (std::size_t k = 0; k + 1 < length; ++k) {
                const uint16_t a = alphabet.getIndex(tword[k]);
                const uint16_t b = alphabet.getIndex(tword[k + 1]);
                if (a != NO_INDEX && b != NO_INDEX)
                    bigramLists[a * n + b].push_back(i);
            }
        }
        if (length <= 3) {
            for (std::size_t k = 0; k < length; ++k) {
                const uint16_t a = alphabet.getIndex(tword[k]);
                if (a != NO_INDEX)
                    unigramLists[a].push_back(i);
            }
        }
    }
    assignOffsets(bigramMatrix, bigramLists);
    assignOffsets(unigramIndex, unigramLists);
    return true;
}

void PostListResources::assignOffsets(std::vector<PostingEntry>& records,
                                      const std::vector<std::vector<int32_t>>& lists) {
    int64_t offset = 0;
    for (std::size_t k = 0; k < lists.size(); ++k) {
        const std::size_t size = lists[k].size();
        if (size == 0)
            continue;
        // A list too long for its 16-bit count is stored whole; readers take the
        // first 65,535 entries.
        records[k].count = static_cast<uint16_t>(std::min<std::size_t>(size, MAX_STORED_COUNT));
        records[k].offset = static_cast<int32_t>(offset);
        offset += 4 * static_cast<int64_t>(size);
    }
}

std::string PostListResources::listBytes(const std::vector<std::vector<int32_t>>& lists) {
    // The mark, then every list in record order, as the list file holds them.
    std::string bytes = "\xFF\xFE";
    for (const std::vector<int32_t>& list : lists)
        for (const int32_t slot : list) {
            const uint32_t id = static_cast<uint32_t>(slot);
            for (int shift = 0; shift < 32; shift += 8)
                bytes.push_back(static_cast<char>(static_cast<unsigned char>(id >> shift)));
        }
    return bytes;
}

bool PostListResources::writeFiles(const std::vector<PostingEntry>& records,
                                   const std::vector<std::vector<int32_t>>& lists,
                                   const std::string& indexPath, const std::string& listPath,
                                   std::string& unwritten, std::string& reason) {
    FileWriter indexWriter;
    FileWriter listWriter;
    const bool indexOpen = indexWriter.openReplacing(indexPath, false);
    const bool listOpen = listWriter.openReplacing(listPath, false);
    std::vector<unsigned char> bytes;
    unsigned char record[PostingEntry::recordSize()];
    for (std::size_t k = 0; k < records.size(); ++k) {
        putRecord(record, records[k]);
        indexWriter.writeBytes(record, PostingEntry::recordSize());
        const std::vector<int32_t>& list = k < lists.size() ? lists[k] : std::vector<int32_t>{};
        if (list.empty())
            continue;
        bytes.resize(list.size() * 4);
        for (std::size_t e = 0; e < list.size(); ++e) {
            const uint32_t id = static_cast<uint32_t>(list[e]);
            bytes[4 * e] = static_cast<unsigned char>(id);
            bytes[4 * e + 1] = static_cast<unsigned char>(id >> 8);
            bytes[4 * e + 2] = static_cast<unsigned char>(id >> 16);
            bytes[4 * e + 3] = static_cast<unsigned char>(id >> 24);
        }
        listWriter.writeBytes(bytes.data(), static_cast<int32_t>(bytes.size()));
    }
    const bool indexWritten = indexOpen && indexWriter.good() && indexWriter.close();
    const bool listWritten = listOpen && listWriter.good() && listWriter.close();
    if (!indexWritten && unwritten.empty()) {
        unwritten = indexPath;
        reason = indexWriter.failureReason();
    }
    if (!listWritten && unwritten.empty()) {
        unwritten = listPath;
        reason = listWriter.failureReason();
    }
    return indexWritten && listWritten;
}

bool PostListResources::writeBigramFiles(const std::string& matrixPath, const std::string& listPath) {
    return writeFiles(bigramMatrix, bigramLists, matrixPath, listPath, unwritten, unwrittenReason);
}

bool PostListResources::writeUnigramFiles(const std::string& indexPath, const std::string& listPath) {
    const bool written =
        writeFiles(unigramIndex, unigramLists, indexPath, listPath, unwritten, unwrittenReason);
    releaseBigramLists();
    releaseUnigramLists();
    return written;
}

bool PostListResources::save(const ConfigManager& config) {
    unwritten.clear();
    unwrittenReason.clear();
    const bool bigrams = writeBigramFiles(config.bigramMatrixFilePath, config.bigramPLFilePath);
    const bool unigrams = writeUnigramFiles(config.unigramListsFilePath, config.unigramPLFilePath);
    return bigrams && unigrams;
}

void PostListResources::readRecords(const DictionaryFiles& from, const std::string& path,
                                    std::vector<PostingEntry>& records, std::size_t rows,
                                    const char* indexName) {
    const std::size_t n = static_cast<std::size_t>(alphabetSize);
    std::vector<unsigned char> buffer;
    try {
        try {
            records.assign(rows * n, PostingEntry{});
            buffer.resize(n * PostingEntry::recordSize());
        } catch (const std::bad_alloc&) {
            throw MemoryAllocationException(
                ZABREL_HERE, ERR_MEMORY_ALLOCATION,
                "Could not allocate memory for '" + std::string(indexName) + "'.");
        }
        FileReader fr;
        from.open(fr, path, false);
        const int32_t rowBytes = static_cast<int32_t>(buffer.size());
        for (std::size_t i = 0; i < rows; ++i) {
            // A short row means the file ends before its last record: nothing is
            // taken from bytes that were not read.
            if (!fr.readBytes(buffer.data(), rowBytes) || fr.lastReadSize() != buffer.size())
                throw IOException(ZABREL_HERE, ERR_FILE_READ, "End of file encountered.");
            for (std::size_t j = 0; j < n; ++j)
                records[i * n + j] = takeRecord(buffer.data() + j * PostingEntry::recordSize());
        }
        fr.close();
    } catch (IOException& ex) {
        annotate(ex, ZABREL_HERE,
                 " " + std::string(indexName) + " file could not be opened or read sucessfully.");
        throw;
    }
}

bool PostListResources::loadBigramMatrix(const std::string& path, const DictionaryFiles& from) {
    if (alphabetSize <= 0)
        return false;
    releaseBigramMatrix();
    readRecords(from, path, bigramMatrix, static_cast<std::size_t>(alphabetSize), "Bigram Matrix Index");
    return true;
}

bool PostListResources::loadBigramMatrixBytes(std::string_view bytes, const std::string& label) {
    return loadBigramMatrix(label, DictionaryFiles::inMemory({{label, std::string(bytes)}}));
}

bool PostListResources::loadUnigramIndex(const std::string& path, const DictionaryFiles& from) {
    if (alphabetSize < 1)
        throw QuelmException(ZABREL_HERE, ERR_GENERAL, "Alphabet size not set");
    releaseUnigramIndex();
    readRecords(from, path, unigramIndex, 1, "Unigram List Index");
    return true;
}

bool PostListResources::loadUnigramIndexBytes(std::string_view bytes, const std::string& label) {
    return loadUnigramIndex(label, DictionaryFiles::inMemory({{label, std::string(bytes)}}));
}

bool PostListResources::load(const ConfigManager& config) {
    loadBigramMatrix(config.bigramMatrixFilePath);
    loadUnigramIndex(config.unigramListsFilePath);
    return true;
}

void PostListResources::release() {
    releaseBigramMatrix();
    releaseUnigramIndex();
    releaseBigramLists();
    releaseUnigramLists();
}

}  // namespace zabrel
