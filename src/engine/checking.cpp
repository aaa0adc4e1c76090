// SPDX-License-Identifier: MIT
// Checking a word and ranking its suggestions.
#include "engine/spellchecker.h"

#include <algorithm>

#include "engine/accurateranking.h"

namespace zabrel {

static_assert(std::tuple_size_v<DistanceBuckets> == SpellChecker::DISTANCE_BUCKETS);

SpellChecker::Work& SpellChecker::work() {
    // A check calls nothing that checks again, so one set of buffers a thread serves
    // every checker it uses.
    thread_local Work own;
    return own;
}

int32_t SpellChecker::frequencyOf(const std::u16string& word) const {
    int32_t best = -1;
    std::vector<HashNode>& searchResults = work().searchResults;
    hashTable.find(word, searchResults);
    for (const HashNode& hit : searchResults)
        best = std::max(best, hit.frequency);
    return best;
}

std::size_t SpellChecker::lookedUpUnits() const {
    const AccurateRanking* made = accurateMade.load(std::memory_order_acquire);
    return lookedUp.load(std::memory_order_relaxed) + (made ? made->lookedUpUnits() : 0);
}

float SpellChecker::accurateScore(const std::u16string& misspelt, const std::u16string& suggestion) const {
    const AccurateRanking& accurate = accurateRanking();
    if (const std::size_t space = suggestion.find(u' '); space != std::u16string::npos) {
        const std::u16string left = suggestion.substr(0, space);
        return accurate.splitScore(left, frequencyOf(left), frequencyOf(suggestion.substr(space + 1)));
    }
    const std::u16string errWord = alphabetMap.filterWord(misspelt);
    thread_local WeightedDistance measure;
    measure.use(accurate.costs());
    measure.setWord(errWord);
    // As the ranking prices it: a word the lexicon lacks (a personal word) has the
    // least frequency.
    float score = accurate.score(measure, suggestion, std::max(frequencyOf(suggestion), 1));
    if (const float codesWeight = accurate.costs().codesWeight(); codesWeight != 0.0f)
        score -=
            codesWeight * static_cast<float>((codes.soundex.code(suggestion) == codes.soundex.code(errWord)) +
                                             (codes.shapex.code(suggestion) == codes.shapex.code(errWord)));
    return score;
}

// ---- checking --------------------------------------------------------------------

namespace {

bool acceptsFiltered(const std::u16string& errWord, const HashTable& lexicon) {
    return errWord.empty() || lexicon.contains(errWord) || errWord.size() == 1;
}

}  // namespace

bool SpellChecker::accepts(std::u16string_view word) const {
    return acceptsFiltered(alphabetMap.filterWord(std::u16string(word)), hashTable);
}

const std::u16string* SpellChecker::sureFix(std::u16string_view word) const {
    if (sureFixes.size() == 0)
        return nullptr;
    return sureFixes.find(alphabetMap.filterWord(std::u16string(word)));
}

bool SpellChecker::checkWord(std::u16string word, std::vector<std::u16string>& suggestions,
                             Ranking ranking) const {
    // A bad cost table is reported for any word, not only for the first misspelt one.
    const AccurateRanking* accurate = ranking == Ranking::Accurate ? &accurateRanking() : nullptr;
    suggestions.clear();
    const std::u16string errWord = alphabetMap.filterWord(std::move(word));
    if (acceptsFiltered(errWord, hashTable))
        return false;

    // The working state is reset however the check ends.
    Work& w = work();
    struct Reset {
        Work& w;
        ~Reset() {
            std::fill(w.seen.begin(), w.seen.end(), 0);
            w.candidates.clear();
            for (auto& bucket : w.buckets)
                bucket.clear();
        }
    } reset{w};

    if (indexedSlots.load(std::memory_order_acquire) != hashTable.getTableSize()) {
        const std::lock_guard hold(indexing);
        if (indexedSlots.load(std::memory_order_relaxed) != hashTable.getTableSize())
            indexLexicon();
    }
    // No lexicon word comes within the length window of a word this long, and no
    // transposition of it can be stored: the buckets stay empty, so skip the work
    // (which grows with the square of the word's length).
    if (errWord.size() <= longestWord + LENGTH_WINDOW) {
        gatherCandidates(w, errWord);
        bucketCandidates(w, errWord);
    }
    if (accurate) {
        accurate->rank(errWord, w.buckets, hashTable, codes, longestWord, suggestions);
        // A slip whose word is certain: that word first, whatever the prices say.
        if (const std::u16string* fix = sureFixes.find(errWord)) {
            std::erase(suggestions, *fix);
            suggestions.insert(suggestions.begin(), *fix);
            if (suggestions.size() > AccurateRanking::MAX_SUGGESTIONS)
                suggestions.pop_back();
        }
    } else {
        rankBuckets(w, errWord, suggestions);
    }
    return true;
}

int32_t SpellChecker::slotCode(int32_t slot, const CodeTable& table, const LetterDigits& digits) const {
    if (!slotKeys.usable())
        return table.code(hashTable.nodeAt(slot).word);
    // The key's letters stand for the word's units one for one and `digits` holds each
    // letter's table value, so the code comes out the same without touching the word;
    // a unit outside the alphabet has no letter, and then the word itself is read.
    const SlotKey& key = slotKeys.data()[slot];
    const uint8_t* letters = slotKeys.lettersOf(key);
    uint32_t code = 0;
    for (int32_t k = 0; k < key.length; ++k) {
        if (letters[k] == NO_LETTER)
            return table.code(hashTable.nodeAt(slot).word);
        CodeTable::append(code, digits[letters[k]]);
    }
    return CodeTable::finish(code);
}

SpellChecker::LetterDigits SpellChecker::letterDigits(const CodeTable& table) const {
    LetterDigits digits{};
    const int32_t letters = std::min(alphabetMap.getAlphabetSize(), static_cast<int32_t>(NO_LETTER));
    for (int32_t letter = 0; letter < letters; ++letter)
        digits[static_cast<std::size_t>(letter)] = table.digit(slotKeys.unitOf(static_cast<uint8_t>(letter)));
    return digits;
}

void SpellChecker::rankBuckets(Work& w, const std::u16string& errWord,
                               std::vector<std::u16string>& suggestions) const {
    const DistanceBuckets& buckets = w.buckets;
    auto& rankResult = w.rankResult;
    auto& res = w.res;
    const int32_t n = static_cast<int32_t>(errWord.size());
    int32_t firstLevel = DISTANCE_BUCKETS;
    for (int32_t d = 0; d < DISTANCE_BUCKETS; ++d)
        if (!buckets[static_cast<std::size_t>(d)].empty()) {
            firstLevel = d;
            break;
        }
    const int32_t maxLevel = fullListedLevel(firstLevel, n);
    const int32_t errSoundex = codes.soundex.code(errWord);
    const int32_t errShapex = codes.shapex.code(errWord);
    const LetterDigits soundexDigits = letterDigits(codes.soundex);
    const LetterDigits shapexDigits = letterDigits(codes.shapex);

    // Stable ascending by frequency, then listed from the end: most frequent first
    // and, among equal frequencies, the later-gathered word first.
    auto listByFrequency = [&](std::vector<RankedSlot>& slots) {
        std::stable_sort(slots.begin(), slots.end(),
                         [](const RankedSlot& l, const RankedSlot& r) { return l.frequency < r.frequency; });
        for (auto it = slots.rbegin(); it != slots.rend(); ++it)
            suggestions.push_back(hashTable.nodeAt(it->slot).word);
    };
    auto ranked = [&](int32_t slot) { return RankedSlot{hashTable.nodeAt(slot).frequency, slot}; };

    for (int32_t d = 1; d <= maxLevel; ++d) {
        for (auto& group : rankResult)
            group.clear();
        for (int32_t slot : buckets[static_cast<std::size_t>(d)]) {
            const int agreeing = (slotCode(slot, codes.soundex, soundexDigits) == errSoundex) +
                                 (slotCode(slot, codes.shapex, shapexDigits) == errShapex);
            rankResult[static_cast<std::size_t>(2 - agreeing)].push_back(ranked(slot));
        }
        for (auto& group : rankResult)
            listByFrequency(group);
    }
    res.clear();
    for (int32_t slot : buckets[static_cast<std::size_t>(maxLevel + 1)])
        if (slotCode(slot, codes.soundex, soundexDigits) == errSoundex)
            res.push_back(ranked(slot));
    listByFrequency(res);
}

}  // namespace zabrel
