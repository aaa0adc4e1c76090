// SPDX-License-Identifier: MIT
// The templates of ContextRanking, included by contextmodel.h.
#pragma once

#include <algorithm>

namespace zabrel {

template <typename Score>
bool ContextRanking::rerank(const Neighbours& around, std::vector<std::u16string>& words,
                            const Score& score) const {
    // The model's lookups are cheap and the scores are not: a list the neighbours say
    // nothing about is left as it is without scoring it.
    std::vector<float> gains(words.size(), 0.0f);
    bool informed = false;
    for (std::size_t i = 0; i < words.size(); ++i) {
        gains[i] = fit(around, words[i]);
        informed = informed || gains[i] != gains[0];
    }
    if (!informed)
        return false;
    std::vector<Scored> scored;
    scored.reserve(words.size());
    for (std::size_t i = 0; i < words.size(); ++i) {
        const float accurate = score(words[i]);
        scored.push_back({std::move(words[i]), accurate - weight * gains[i]});
    }
    std::stable_sort(scored.begin(), scored.end(),
                     [](const Scored& a, const Scored& b) { return a.score < b.score; });
    for (std::size_t i = 0; i < words.size(); ++i)
        words[i] = std::move(scored[i].word);
    return true;
}

}  // namespace zabrel
