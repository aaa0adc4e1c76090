// SPDX-License-Identifier: MIT
#include "engine/editdistance.h"

#include <algorithm>
#include <vector>

namespace zabrel {

int32_t editDistance(const std::u16string& x, const std::u16string& y) {
    if (x.empty())
        return static_cast<int32_t>(y.size());
    if (y.empty())
        return static_cast<int32_t>(x.size());
    std::vector<int32_t> row(x.size() + 1);
    for (std::size_t j = 0; j <= x.size(); ++j)
        row[j] = static_cast<int32_t>(j);
    for (std::size_t i = 1; i <= y.size(); ++i) {
        int32_t diagonal = row[0];
        row[0] = static_cast<int32_t>(i);
        for (std::size_t j = 1; j <= x.size(); ++j) {
            const int32_t above = row[j];
            row[j] = std::min({above + 1, row[j - 1] + 1, diagonal + (y[i - 1] == x[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[x.size()];
}

int32_t editDistanceWithin(std::u16string_view x, std::u16string_view y, int32_t limit) {
    const int32_t over = limit + 1;
    const std::size_t band = static_cast<std::size_t>(std::max(limit, 0));
    if ((x.size() > y.size() ? x.size() - y.size() : y.size() - x.size()) > band)
        return over;
    // Only the cells within `band` of the diagonal can hold a distance up to the
    // limit; the others stay at `over`.
    std::vector<int32_t> previous(x.size() + 1, over);
    std::vector<int32_t> current(x.size() + 1, over);
    for (std::size_t j = 0; j <= std::min(x.size(), band); ++j)
        previous[j] = static_cast<int32_t>(j);
    for (std::size_t i = 1; i <= y.size(); ++i) {
        const std::size_t low = i > band ? i - band : 0;
        const std::size_t high = std::min(x.size(), i + band);
        if (low > 0)
            current[low - 1] = over;
        for (std::size_t j = low; j <= high; ++j) {
            int32_t best = previous[j] + 1;
            if (j > 0)
                best = std::min({best, current[j - 1] + 1, previous[j - 1] + (y[i - 1] == x[j - 1] ? 0 : 1)});
            current[j] = std::min(best, over);
        }
        std::swap(previous, current);
    }
    return std::min(previous[x.size()], over);
}

}  // namespace zabrel
