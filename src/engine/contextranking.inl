// SPDX-License-Identifier: MIT
// The templates of ContextRanking, included by contextmodel.h.
#pragma once

#include <algorithm>
#include <cmath>

namespace zabrel {

template <typename Frequency>
float ContextRanking::association(std::u16string_view first, std::u16string_view second,
                                  const Frequency& frequency) const {
    return association(model.rank(first, second), first, second, frequency);
}

template <typename Frequency>
float ContextRanking::association(uint32_t place, std::u16string_view first, std::u16string_view second,
                                  const Frequency& frequency) const {
    if (place == 0)
        return 0.0f;
    const double f1 = std::max<int32_t>(frequency(std::u16string(first)), 1);
    const double f2 = std::max<int32_t>(frequency(std::u16string(second)), 1);
    const double logRatio = logAssociation - std::log(static_cast<double>(place)) - std::log(f1) - std::log(f2);
    // ln(1 + e^x) without overflow for a large x.
    return static_cast<float>(logRatio > 30.0 ? logRatio : std::log1p(std::exp(logRatio)));
}

template <typename Frequency>
float ContextRanking::fit(std::u16string_view left, const std::u16string& candidate, std::u16string_view right,
                          const Frequency& frequency) const {
    const std::size_t space = candidate.find(u' ');
    if (space == std::u16string::npos) {
        const uint32_t word = model.numberOf(candidate);
        if (word == ContextModel::NONE)
            return 0.0f;
        const uint32_t before = left.empty() ? ContextModel::NONE : model.numberOf(left);
        const uint32_t after = right.empty() ? ContextModel::NONE : model.numberOf(right);
        return association(model.rank(before, word), left, candidate, frequency) +
               association(model.rank(word, after), candidate, right, frequency);
    }
    const std::u16string_view whole(candidate);
    const std::u16string_view first = whole.substr(0, space);
    const std::u16string_view second = whole.substr(space + 1);
    return association(left, first, frequency) + association(first, second, frequency) +
           association(second, right, frequency);
}

template <typename Score, typename Frequency>
bool ContextRanking::rerank(std::u16string_view left, std::u16string_view right, std::vector<std::u16string>& words,
                            const Score& score, const Frequency& frequency) const {
    // The model's lookups are cheap and the scores are not: a list the neighbours say
    // nothing about is left as it is without scoring it.
    std::vector<float> gains(words.size(), 0.0f);
    bool informed = false;
    for (std::size_t i = 0; i < words.size(); ++i) {
        gains[i] = fit(left, words[i], right, frequency);
        informed = informed || gains[i] != 0.0f;
    }
    if (!informed)
        return false;
    std::vector<Scored> scored;
    scored.reserve(words.size());
    for (std::size_t i = 0; i < words.size(); ++i) {
        const float accurate = score(words[i]);
        scored.push_back({std::move(words[i]), accurate - weight * gains[i]});
    }
    std::stable_sort(scored.begin(), scored.end(), [](const Scored& a, const Scored& b) { return a.score < b.score; });
    for (std::size_t i = 0; i < words.size(); ++i)
        words[i] = std::move(scored[i].word);
    return true;
}

}  // namespace zabrel
