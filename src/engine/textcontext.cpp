// SPDX-License-Identifier: MIT
#include "engine/textcontext.h"

#include <algorithm>
#include <iterator>

#include "engine/spellchecker.h"

namespace zabrel {

namespace {

// Megabyte tokens would make megabyte keys: their scores are not kept.
constexpr std::size_t LONGEST_REMEMBERED = 256;
constexpr std::size_t REMEMBERED_SCORES = 200000;

// Endings that Urdu words change for agreement (کا کی کے, ہے ہیں, اچھا اچھے): a
// writer who gets one wrong writes another real word, seldom one edit away.
constexpr std::u16string_view ENDINGS[] = {u"\u0627", u"\u06D2", u"\u06CC", u"\u06CC\u06BA", u"\u0648\u06BA"};

void addInflections(const std::u16string& word, const ContextModel& model,
                    std::vector<std::u16string>& near) {
    for (std::u16string_view ending : ENDINGS) {
        if (word.size() <= ending.size() || !std::u16string_view(word).ends_with(ending))
            continue;
        const std::u16string stem = word.substr(0, word.size() - ending.size());
        for (std::u16string_view other : ENDINGS) {
            const std::u16string form = stem + std::u16string(other);
            if (other != ending && model.knows(form) &&
                std::find(near.begin(), near.end(), form) == near.end())
                near.push_back(form);
        }
    }
}

}  // namespace

bool endsSentence(std::u16string_view gap) {
    return gap.find_first_of(u".!?\n\r\u06D4\u061F") != std::u16string_view::npos;
}

void TextContext::load(const std::string& path) {
    contextModel.load(path);
}

void TextContext::setWeights(float weight, float after, float margin) {
    ranking.setWeights(weight, after);
    slipMargin = margin;
}

void TextContext::forget() {
    const std::lock_guard<std::mutex> hold(scoresLock);
    scores.clear();
}

float TextContext::accurateScore(const std::u16string& misspelt, const std::u16string& suggestion) const {
    if (misspelt.size() > LONGEST_REMEMBERED)
        return checker.accurateScore(misspelt, suggestion);
    std::u16string key = misspelt + u'\t' + suggestion;
    {
        const std::lock_guard<std::mutex> hold(scoresLock);
        if (const auto found = scores.find(key); found != scores.end())
            return found->second;
    }
    const float score = checker.accurateScore(misspelt, suggestion);
    const std::lock_guard<std::mutex> hold(scoresLock);
    if (scores.size() >= REMEMBERED_SCORES)
        scores.clear();
    scores.emplace(std::move(key), score);
    return score;
}

void TextContext::rankInContext(std::u16string_view word, const Neighbours& around,
                                std::vector<std::u16string>& suggestions, std::size_t fixed) const {
    if (suggestions.size() < 2 || (around.before1.empty() && around.after1.empty()))
        return;
    const std::u16string misspelt(word);
    // The context reorders the accurate ranking's best few: one farther down is seldom
    // the word, and scoring the whole list again is what the context costs.
    const std::size_t last = std::min(suggestions.size(), fixed + CONTEXT_CANDIDATES);
    std::vector<std::u16string> ranked(suggestions.begin() + static_cast<std::ptrdiff_t>(fixed),
                                       suggestions.begin() + static_cast<std::ptrdiff_t>(last));
    const auto accurate = [&](const std::u16string& w) { return accurateScore(misspelt, w); };
    if (ranking.rerank(around, ranked, accurate))
        std::move(ranked.begin(), ranked.end(), suggestions.begin() + static_cast<std::ptrdiff_t>(fixed));
}

void TextContext::completionsFirst(std::u16string_view word, std::vector<std::u16string>& suggestions) const {
    constexpr char16_t HAMZA_SEAT = u'\u0626';
    if (word.size() < 2 || word.back() != HAMZA_SEAT)
        return;
    const std::u16string completions[] = {std::u16string(word) + u'\u06CC', std::u16string(word) + u'\u06D2'};
    const auto isCompletion = [&](const std::u16string& s) {
        return s == completions[0] || s == completions[1];
    };
    // Those the list has move up in the order they had; a word it lacks comes after them.
    auto listed = std::stable_partition(suggestions.begin(), suggestions.end(), isCompletion);
    for (const std::u16string& form : completions)
        if (std::find(suggestions.begin(), listed, form) == listed && checker.accepts(form))
            listed = std::next(suggestions.insert(listed, form));
}

void TextContext::sureFixFirst(std::u16string_view word, std::vector<std::u16string>& suggestions) const {
    const std::u16string* found = checker.sureFix(word);
    if (found == nullptr || found->empty() || (!suggestions.empty() && suggestions.front() == *found))
        return;
    std::u16string fix = *found;
    std::erase(suggestions, fix);
    suggestions.insert(suggestions.begin(), std::move(fix));
}

bool TextContext::joins(const std::u16string& join) const {
    return checker.accepts(join);
}

bool TextContext::runTogether(const std::u16string& word, std::vector<std::u16string>& suggestions) const {
    suggestions.clear();
    if (joinEvidence < 0.0f || word.size() < 3)
        return false;
    const ContextModel& model = contextModel;
    // ln P(A B) − ln P(AB) by the model: the cut whose two words it likes best, when
    // that passes the evidence asked for.
    const float joined = model.logProbability(model.numberOf(word));
    float best = 0.0f;
    std::size_t bestCut = 0;
    // Both parts must be words of the model, so no cut leaves one longer than its longest.
    const std::size_t longest = model.longestWord();
    const std::size_t firstCut = std::max<std::size_t>(1, word.size() > longest ? word.size() - longest : 0);
    for (std::size_t cut = firstCut; cut < word.size() && cut <= longest; ++cut) {
        const uint32_t first = model.numberOf(std::u16string_view(word).substr(0, cut));
        const uint32_t second = first == ContextModel::NONE
                                    ? ContextModel::NONE
                                    : model.numberOf(std::u16string_view(word).substr(cut));
        // Only a pair the model saw together: two words apart say nothing of a join.
        if (second == ContextModel::NONE || !model.hasPair(first, second))
            continue;
        const float pair = model.logProbability(first) + model.logProbability(second, first);
        if (bestCut == 0 || pair > best) {
            best = pair;
            bestCut = cut;
        }
    }
    if (bestCut == 0 || best - joined <= joinEvidence)
        return false;
    suggestions.push_back(word.substr(0, bestCut) + u' ' + word.substr(bestCut));
    return true;
}

bool TextContext::realWordSlip(std::u16string_view word, const Neighbours& around,
                               std::vector<std::u16string>& suggestions) const {
    suggestions.clear();
    if (around.before1.empty() && around.after1.empty())
        return false;
    const std::u16string own(word);
    std::vector<std::u16string> near;
    contextModel.nearWords(own, near);
    addInflections(own, contextModel, near);
    if (near.empty())
        return false;
    const float weight = ranking.contextWeight();
    const float ownFit = ranking.fit(around, own);
    const float ownCost = checker.accurateScore(own, own) - weight * ownFit;
    std::vector<ContextRanking::Scored> better;
    for (const std::u16string& other : near) {
        const float fit = ranking.fit(around, other);
        if (fit <= ownFit)
            continue;
        const float cost = checker.accurateScore(own, other) - weight * fit;
        if (ownCost - cost > slipMargin)
            better.push_back({other, cost});
    }
    std::stable_sort(
        better.begin(), better.end(),
        [](const ContextRanking::Scored& a, const ContextRanking::Scored& b) { return a.score < b.score; });
    for (ContextRanking::Scored& s : better)
        suggestions.push_back(std::move(s.word));
    return !suggestions.empty();
}

}  // namespace zabrel
