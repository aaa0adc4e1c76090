// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "engine/contextmodel.h"

namespace zabrel {

class SpellChecker;

// The context's rules over running text, beside its ranking: a misspelt word's
// suggestions ranked by its neighbours, a correct word its neighbours want changed (a
// real-word slip), a lexicon word running text writes as two, and the join of a word
// broken in two. What counts as a correct word (the personal list, the session's
// words, the Arabic letter forms) is the caller's verdict; these rules ask only the
// engine and the model. Safe from many threads at once once set up; load() and the
// setters are for set-up.
class TextContext {
public:
    explicit TextContext(const SpellChecker& checker) : checker(checker) {}

    // Reads the context model; raises as ContextModel::load does.
    void load(const std::string& path);
    bool empty() const { return contextModel.empty(); }
    const ContextModel& model() const { return contextModel; }

    void setWeights(float weight, float after, float slipMargin);
    // How far ln P(A B) must pass ln P(AB) for a run-together word; negative: never.
    void setRunTogether(float evidence) { joinEvidence = evidence; }

    // Reorders the accurate ranking's first CONTEXT_CANDIDATES suggestions after the
    // first `fixed` (which are no guess) by the neighbours.
    void rankInContext(std::u16string_view word, const Neighbours& around,
                       std::vector<std::u16string>& suggestions, std::size_t fixed) const;
    // A word that ends in a bare ئ stops short of its ی or ے (کوئ, ہوئ): those
    // completions that are words go first, in the order they had.
    void completionsFirst(std::u16string_view word, std::vector<std::u16string>& suggestions) const;
    // The dictionary's sure fix of the word first, when it has one.
    void sureFixFirst(std::u16string_view word, std::vector<std::u16string>& suggestions) const;
    // A lexicon word the model far prefers as two (ہوسکتا): the two, as "A B".
    bool runTogether(const std::u16string& word, std::vector<std::u16string>& suggestions) const;
    // A correct word whose neighbours strongly want a word one slip away (ہے for ہیں):
    // those words, best first.
    bool realWordSlip(std::u16string_view word, const Neighbours& around,
                      std::vector<std::u16string>& suggestions) const;
    // Whether the engine takes the two pieces' join as a word.
    bool joins(const std::u16string& join) const;
    // Another dictionary: the remembered scores no longer hold.
    void forget();

    // How much a close word must be preferred for a correct word to be flagged, and
    // the run-together evidence: fitted by scripts/context-folds with the context's
    // weights, among the settings that flag something, to the most errors fixed less
    // correct words broken.
    static constexpr float SLIP_MARGIN = 4.0f;
    static constexpr float JOIN_EVIDENCE = 6.0f;
    // How many of the accurate ranking's first suggestions the context reorders.
    static constexpr std::size_t CONTEXT_CANDIDATES = 10;

private:
    float accurateScore(const std::u16string& misspelt, const std::u16string& suggestion) const;

    const SpellChecker& checker;
    ContextModel contextModel;
    ContextRanking ranking{contextModel};
    float slipMargin = SLIP_MARGIN;
    float joinEvidence = JOIN_EVIDENCE;
    // Accurate scores of suggestions, by misspelt word TAB suggestion: real texts
    // repeat their slips.
    mutable std::mutex scoresLock;
    mutable std::unordered_map<std::u16string, float> scores;
};

// Whether the text between two words ends a sentence (. ۔ ? ؟ ! or a line end).
bool endsSentence(std::u16string_view gap);

}  // namespace zabrel
