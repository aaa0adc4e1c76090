// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/dictionaryfiles.h"

namespace zabrel {

class ConfigManager;
class HashTable;
class UniChar2IndexMap;

// Index record of one posting list: where it lies in its posting-list file (counted
// after the FF FE mark) and how many word ids it holds. Stored in 6 bytes.
struct PostingEntry {
    int32_t offset = -1;
    uint16_t count = 0;

    static constexpr int32_t recordSize() { return 6; }
};

// Stored counts are 16 bits: a longer list is stored whole but its record says this.
constexpr uint32_t MAX_STORED_COUNT = 0xFFFF;

// Bigram (letter pair) and unigram (letter) posting lists over the lexicon. The lists
// live in memory only between build() and save(); afterwards, and after load(), only
// the index records stay, and the checker reads single lists from the files.
class PostListResources {
public:
    PostListResources() = default;
    ~PostListResources() { release(); }
    PostListResources(const PostListResources&) = delete;
    PostListResources& operator=(const PostListResources&) = delete;

    void setAlphabetSize(int32_t n) { alphabetSize = n; }
    int32_t getAlphabetSize() const { return alphabetSize; }

    bool build(const HashTable& table, const UniChar2IndexMap& alphabet);

    // Both return false when a file could not be written completely.
    bool save(const ConfigManager& config);
    bool writeBigramFiles(const std::string& matrixPath, const std::string& listPath);
    bool writeUnigramFiles(const std::string& indexPath, const std::string& listPath);
    // What writeBigramFiles and writeUnigramFiles would write as the list file, for a
    // dictionary kept in memory; between build() and save().
    std::string bigramListBytes() const { return listBytes(bigramLists); }
    std::string unigramListBytes() const { return listBytes(unigramLists); }
    // The path of the first file that could not be written by the last save.
    const std::string& failedPath() const { return unwritten; }
    // The system's reason for that failure, when it gave one.
    const std::string& failureReason() const { return unwrittenReason; }

    bool load(const ConfigManager& config);
    bool loadBigramMatrix(const std::string& path, const DictionaryFiles& from = DictionaryFiles());
    bool loadUnigramIndex(const std::string& path, const DictionaryFiles& from = DictionaryFiles());
    // The same from a file's bytes; `label` stands for the file in messages.
    bool loadBigramMatrixBytes(std::string_view bytes, const std::string& label);
    bool loadUnigramIndexBytes(std::string_view bytes, const std::string& label);

    const PostingEntry& bigramRecord(int32_t i, int32_t j) const {
        return bigramMatrix[static_cast<std::size_t>(i) * static_cast<std::size_t>(alphabetSize) +
                            static_cast<std::size_t>(j)];
    }
    const PostingEntry& unigramRecord(int32_t i) const { return unigramIndex[static_cast<std::size_t>(i)]; }
    bool hasIndex() const { return !bigramMatrix.empty() && !unigramIndex.empty(); }

    // In-memory lists, present between build() and save().
    const std::vector<int32_t>& bigramList(int32_t i, int32_t j) const {
        return bigramLists[static_cast<std::size_t>(i) * static_cast<std::size_t>(alphabetSize) +
                           static_cast<std::size_t>(j)];
    }
    const std::vector<int32_t>& unigramList(int32_t i) const {
        return unigramLists[static_cast<std::size_t>(i)];
    }

    void release();
    void releaseBigramMatrix() { std::vector<PostingEntry>().swap(bigramMatrix); }
    void releaseUnigramIndex() { std::vector<PostingEntry>().swap(unigramIndex); }
    void releaseBigramLists() { std::vector<std::vector<int32_t>>().swap(bigramLists); }
    void releaseUnigramLists() { std::vector<std::vector<int32_t>>().swap(unigramLists); }

private:
    static bool writeFiles(const std::vector<PostingEntry>& records,
                           const std::vector<std::vector<int32_t>>& lists, const std::string& indexPath,
                           const std::string& listPath, std::string& unwritten, std::string& reason);
    static std::string listBytes(const std::vector<std::vector<int32_t>>& lists);
    static void assignOffsets(std::vector<PostingEntry>& records,
                              const std::vector<std::vector<int32_t>>& lists);
    void readRecords(const DictionaryFiles& from, const std::string& path, std::vector<PostingEntry>& records,
                     std::size_t rows, const char* indexName);

    // Row-major n × n, record (i, j) at i × n + j.
    std::vector<std::vector<int32_t>> bigramLists;
    std::vector<std::vector<int32_t>> unigramLists;
    int32_t alphabetSize = 0;
    std::vector<PostingEntry> bigramMatrix;
    std::vector<PostingEntry> unigramIndex;
    std::string unwritten;
    std::string unwrittenReason;
};

}  // namespace zabrel
