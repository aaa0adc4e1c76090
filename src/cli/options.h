// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "session/spellersession.h"

namespace zabrel::cli {

constexpr const char* PROGRAM = "zabrel-check";
constexpr int EXIT_CLEAN = 0;
constexpr int EXIT_MISSPELT = 1;
constexpr int EXIT_TROUBLE = 2;

enum class Mode { Report, List, Pipe, Correct };

// What the command line asked for.
struct Settings {
    Mode mode = Mode::Report;
    bool allSuggestions = false;
    std::optional<Ranking> ranking;
    bool context = false;
    bool realWordSlips = false;
    std::optional<std::array<float, 4>> contextWeights;
    std::string dictionary;
    std::filesystem::path personal;
    std::vector<std::string> files;

    // The order asked for; none: the best the dictionary offers.
    std::optional<SpellerSession::Order> order() const;
};

// Reads the options into `settings`. Returns the exit status to leave with when they
// end the run (help, version, a bad option).
std::optional<int> parseOptions(int argc, char** argv, Settings& settings);

}  // namespace zabrel::cli
