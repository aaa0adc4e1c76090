// SPDX-License-Identifier: MIT
#pragma once

#include <QJsonObject>
#include <QString>
#include <optional>
#include <string>

#include "session/spellersession.h"

namespace zabrel::lsp {

// The settings a client gives, as {"zabrel": {...}} in initializationOptions and in
// workspace/didChangeConfiguration.
struct Settings {
    SpellerSession::Order ranking = SpellerSession::Order::Context;
    // Empty: the folder the command line named, or else the usual choice.
    std::string dictionary;
    // The protocol's DiagnosticSeverity: 1 error, 2 warning, 3 information, 4 hint.
    int severity = 3;
    bool realWordSlips = false;
    int debounceMs = 200;

    // Takes what `options` sets (either {"zabrel": {...}} or the inner object) over
    // these; a value of the wrong kind is left out, and `problems` says which.
    void update(const QJsonObject& options, QString& problems);
};

}  // namespace zabrel::lsp
