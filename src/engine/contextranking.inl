// SPDX-License-Identifier: MIT
// The templates of ContextRanking, included by contextmodel.h.
#pragma once

#include <algorithm>
#include <cmath>

namespace zabrel {

template <typename Frequency>
float ContextRanking::association(std::u16string_view first, std::u16string_view second,
                                  const Frequency& frequency) const {
    if (first.empty() || second.empty())
        return 0.0f;
    const uint32_t place = model.rank(first, second);
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
    if (space == std::u16string::npos)
        return association(left, candidate, frequency) + association(candidate, right, frequency);
    const std::u16string_view whole(candidate);
    const std::u16string_view first = whole.substr(0, space);
    const std::u16string_view second = whole.substr(space + 1);
    return association(left, first, frequency) + association(first, second, frequency) +
           association(second, right, frequency);
}

template <typename Frequency>
bool ContextRanking::rerank(std::u16string_view left, std::u16string_view right, std::vector<Scored>& scored,
                            const Frequency& frequency) const {
    bool moved = false;
    for (Scored& s : scored) {
        const float gain = fit(left, s.word, right, frequency);
        if (gain != 0.0f) {
            s.score -= weight * gain;
            moved = true;
        }
    }
    if (moved)
        std::stable_sort(scored.begin(), scored.end(),
                         [](const Scored& a, const Scored& b) { return a.score < b.score; });
    return moved;
}

}  // namespace zabrel
