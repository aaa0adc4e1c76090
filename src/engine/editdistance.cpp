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

}  // namespace zabrel
