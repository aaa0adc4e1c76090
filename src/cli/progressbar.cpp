// SPDX-License-Identifier: MIT
#include "cli/progressbar.h"

#include <unistd.h>

namespace zabrel::cli {

namespace {
constexpr int BAR_WIDTH = 40;
}

ProgressBar::ProgressBar(std::FILE* terminal, std::string label, std::uintmax_t totalBytes)
    : terminal(terminal), label(std::move(label)), total(totalBytes) {}

bool ProgressBar::wanted(std::FILE* stream, std::uintmax_t totalBytes) {
    return totalBytes > LARGE_FILE && isatty(fileno(stream)) == 1;
}

void ProgressBar::update(std::uintmax_t bytesDone) {
    if (total == 0)
        return;
    const int percent = static_cast<int>(bytesDone >= total ? 100 : bytesDone * 100 / total);
    // Redrawing only on a new percent keeps the terminal traffic to a hundred lines.
    if (percent == shownPercent)
        return;
    shownPercent = percent;
    const int filled = percent * BAR_WIDTH / 100;
    std::fprintf(terminal, "\r%s [%s%s] %3d%%", label.c_str(), std::string(filled, '#').c_str(),
                 std::string(BAR_WIDTH - filled, ' ').c_str(), percent);
    std::fflush(terminal);
}

void ProgressBar::finish() {
    if (shownPercent < 0)
        return;
    std::fprintf(terminal, "\r\033[K");
    std::fflush(terminal);
    shownPercent = -1;
}

}  // namespace zabrel::cli
