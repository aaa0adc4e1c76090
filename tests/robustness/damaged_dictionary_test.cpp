// SPDX-License-Identifier: MIT
// Later runs over derived files that were cut short or had bytes changed: set-up
// either raises a QuelmException or gives a checker whose answers are words of its
// lexicon. ASan watches the reads in the sanitizer build.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>

#include "core/errors.h"
#include "engine/spellchecker.h"
#include "smalldictionary.h"
#include "support/testsupport.h"

using namespace zabrel;
using namespace zabrel::test;

namespace {

using Words = std::vector<std::u16string>;

enum class Outcome { Raised, Answered };

class DamagedDictionary : public ::testing::Test {
protected:
    TempDir dir;
    CurrentDir here{dir.path()};
    std::map<std::string, Bytes> pristine;
    std::set<std::u16string> words;
    std::map<std::u16string, Words> answers;

    void SetUp() override {
        writeDictionary(".", smallDictionary());
        SpellChecker first;
        ASSERT_TRUE(first.initialize());
        for (const char* name : {"config.ini", "hashtable.dat", "bigram-index.dat", "bigram-lists.dat",
                                 "unigram-index.dat", "unigram-lists.dat"})
            pristine[name] = readFile(name);
        words = lexiconWords(first);
        ASSERT_EQ(words.size(), smallDictionary().words.size());
        for (const std::u16string& word : smallMisspellings())
            first.checkWord(word, answers[word]);
    }

    // Sets up a later run from the current files and checks every misspelling. With
    // `lexiconIntact` the suggestions must come from the undamaged word list.
    Outcome setUpAndCheck(bool lexiconIntact, const std::string& what) {
        SpellChecker checker;
        try {
            checker.initialize();
        } catch (const QuelmException&) {
            return Outcome::Raised;
        }
        const std::set<std::u16string> loaded = lexiconWords(checker);
        for (const std::u16string& word : smallMisspellings()) {
            Words suggestions;
            try {
                checker.checkWord(word, suggestions);
            } catch (const QuelmException&) {
                continue;  // a list read past a cut file end: the check is refused, not wrong
            }
            for (const std::u16string& suggestion : suggestions) {
                EXPECT_TRUE(loaded.contains(suggestion)) << what;
                if (lexiconIntact) {
                    EXPECT_TRUE(words.contains(suggestion)) << what;
                }
            }
            EXPECT_LE(suggestions.size(), words.size()) << what;
        }
        return Outcome::Answered;
    }

    void restore() {
        for (const auto& [name, bytes] : pristine)
            writeFile(name, bytes);
    }

    // Nothing a later run does may change the dictionary folder.
    void expectFolderUntouched(const std::string& damaged) {
        for (const auto& [name, bytes] : pristine)
            if (name != damaged) {
                EXPECT_EQ(readFile(name), bytes) << name << " changed by a later run";
            }
    }

    void expectAnswersAsBuilt() {
        SpellChecker checker;
        ASSERT_TRUE(checker.initialize());
        for (const auto& [word, expected] : answers) {
            Words suggestions;
            checker.checkWord(word, suggestions);
            EXPECT_EQ(suggestions, expected);
        }
    }
};

// Offsets spread over a file: every one of the first 64, then evenly to the end.
std::vector<std::size_t> spreadOffsets(std::size_t size) {
    std::vector<std::size_t> offsets;
    for (std::size_t k = 0; k < size && k < 64; ++k)
        offsets.push_back(k);
    const std::size_t step = std::max<std::size_t>(1, size / 64);
    for (std::size_t k = 64; k < size; k += step)
        offsets.push_back(k);
    if (size > 0)
        offsets.push_back(size - 1);
    return offsets;
}

const char* const DERIVED[] = {"hashtable.dat", "bigram-index.dat", "bigram-lists.dat", "unigram-index.dat",
                               "unigram-lists.dat"};

}  // namespace

TEST_F(DamagedDictionary, every_truncation_of_each_derived_file_raises_or_answers_in_bounds) {
    for (const std::string name : DERIVED) {
        const Bytes& whole = pristine[name];
        ASSERT_GT(whole.size(), 2u) << name;
        for (std::size_t length = 0; length < whole.size(); ++length) {
            writeFile(name, Bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(length)));
            const std::string what = name + " cut to " + std::to_string(length);
            const Outcome outcome = setUpAndCheck(name != "hashtable.dat", what);
            // The hash table and the index files are read whole at set-up, and the
            // index records are checked against the lists' sizes, so any cut is
            // noticed there.
            EXPECT_EQ(outcome, Outcome::Raised) << what;
        }
        expectFolderUntouched(name);
        restore();
    }
    expectAnswersAsBuilt();
}

TEST_F(DamagedDictionary, changed_bytes_anywhere_in_each_derived_file_raise_or_answer_in_bounds) {
    for (const std::string name : DERIVED) {
        const Bytes& whole = pristine[name];
        std::size_t answered = 0;
        std::size_t raised = 0;
        for (std::size_t offset : spreadOffsets(whole.size())) {
            // All bits, the sign bit, and the low bit: huge, negative and off-by-one
            // counts, offsets and slot ids.
            for (unsigned char flip : {0xFF, 0x80, 0x01}) {
                Bytes damaged = whole;
                damaged[offset] ^= flip;
                writeFile(name, damaged);
                const std::string what =
                    name + " byte " + std::to_string(offset) + " ^ " + std::to_string(flip);
                (setUpAndCheck(name != "hashtable.dat", what) == Outcome::Answered ? answered : raised) += 1;
            }
        }
        // Both outcomes occur: the mark is checked, most payload bytes are not.
        EXPECT_GT(raised, 0u) << name;
        EXPECT_GT(answered, 0u) << name;
        expectFolderUntouched(name);
        restore();
    }
    expectAnswersAsBuilt();
}

TEST_F(DamagedDictionary, damaged_table_links_and_counts_are_refused_at_set_up) {
    const Bytes& whole = pristine["hashtable.dat"];
    const int32_t slots = static_cast<int32_t>((whole.size() - 6) / SLOT_RECORD_SIZE);
    auto withInt = [&](std::size_t at, int32_t value) {
        Bytes damaged = whole;
        const Bytes bytes = littleEndian32(value);
        std::copy(bytes.begin(), bytes.end(), damaged.begin() + static_cast<std::ptrdiff_t>(at));
        return damaged;
    };
    const std::size_t firstNext = 6 + 2 * STORED_WORD_UNITS + 4;
    const std::vector<std::pair<std::string, Bytes>> cases = {
        {"count 1", withInt(2, 1)},
        {"count beyond the records", withInt(2, slots + 1)},
        {"count near the 32-bit limit", withInt(2, 0x7FFFFFFF)},
        {"link to the table size", withInt(firstNext, slots)},
        {"link below the chain end", withInt(firstNext, -3)},
        {"link to itself", withInt(firstNext, 0)},
    };
    for (const auto& [what, bytes] : cases) {
        writeFile("hashtable.dat", bytes);
        EXPECT_EQ(setUpAndCheck(false, what), Outcome::Raised) << what;
    }
    restore();
    expectAnswersAsBuilt();
}
