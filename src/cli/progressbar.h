// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace zabrel::cli {

// A one-line progress bar on stderr for long files. It draws only when stderr is a
// terminal and the file is large, so logs and pipes never see it.
class ProgressBar {
public:
    static constexpr std::uintmax_t LARGE_FILE = 1024 * 1024;

    ProgressBar(std::FILE* terminal, std::string label, std::uintmax_t totalBytes);
    ~ProgressBar() { finish(); }
    ProgressBar(const ProgressBar&) = delete;
    ProgressBar& operator=(const ProgressBar&) = delete;

    // Whether a file of `totalBytes` gets a bar when written to `stream`.
    static bool wanted(std::FILE* stream, std::uintmax_t totalBytes);

    void update(std::uintmax_t bytesDone);
    // Wipes the bar so that what follows starts on a clean line.
    void finish();

private:
    std::FILE* terminal;
    std::string label;
    std::uintmax_t total;
    int shownPercent = -1;
};

}  // namespace zabrel::cli
