// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <filesystem>
#include <memory>
#include <string>

#include "server/connections.h"

namespace zabrel {
class SpellerSession;
}

namespace zabrel::server {

struct ServiceSettings {
    std::string version;
    // The longest text checked, in UTF-16 units (LanguageTool's maxTextLength).
    std::size_t maxTextLength = 100000;
    // The largest request body, in bytes.
    std::size_t maxBodyBytes = 4 * 1024 * 1024;
    // The page's files (index.html, zabrel.js, zabrel.css) and its font.
    std::filesystem::path webRoot;
    std::filesystem::path font;
    // Whether /v2/words/add may write the session's personal list.
    bool allowAdd = false;
    // One line per request on stderr, unless quiet.
    bool quiet = false;
    ConnectionLimits limits;
};

// The HTTP face of one loaded speller: LanguageTool's /v2/languages and /v2/check,
// /v2/words/add, and the page. Every request reads the one session; none changes how
// it checks, so any number run at once.
class Service {
public:
    Service(SpellerSession& speller, ServiceSettings settings);
    ~Service();
    Service(const Service&) = delete;
    Service& operator=(const Service&) = delete;

    // Binds `host`:`port` (0: a free port); the port bound, or -1.
    int bind(const std::string& host, int port);
    // Serves until stop(); false when listening failed.
    bool run();
    // From another thread: no new connection; those in service are answered.
    void stop();

private:
    void route();
    struct Impl;
    std::unique_ptr<Impl> impl;
};

}  // namespace zabrel::server
