// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <filesystem>
#include <optional>
#include <string>

#include "server/service.h"
#include "session/spellersession.h"

namespace zabrel::server {

constexpr const char* PROGRAM = "zabrel-server";
constexpr int EXIT_TROUBLE = 2;

// What the command line asked for.
struct Options {
    std::string host = "127.0.0.1";
    int port = 8081;
    std::string dictionary;
    std::filesystem::path personal;
    std::optional<SpellerSession::Order> order;
    // The context's weights W, R, M and the run-together evidence J, as zabrel-check
    // takes them.
    std::optional<std::array<float, 4>> contextWeights;
    ServiceSettings service;
};

// Reads the options. Returns the exit status to leave with when they end the run
// (help, version, a bad option).
std::optional<int> parseOptions(int argc, char** argv, Options& options);

}  // namespace zabrel::server
