// SPDX-License-Identifier: MIT
#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QString>

#include "lsp/documentcheck.h"
#include "lsp/lspdocument.h"

namespace zabrel::lsp {

// The commands the server runs for its code actions.
inline const QString ADD_WORD = QStringLiteral("zabrel.addWord");
inline const QString IGNORE_IN_DOCUMENT = QStringLiteral("zabrel.ignoreInDocument");

// The rule id of a finding, the same as the LanguageTool server gives.
QString ruleOf(Span::Kind kind);
// What the editor shows, in Urdu.
QString messageOf(const Finding& finding);

QJsonObject rangeOf(const Document& document, std::size_t start, std::size_t end, Encoding encoding);
QJsonObject diagnosticOf(const Document& document, const Finding& finding, Encoding encoding, int severity);
// A quick fix for each suggestion (the first preferred), then adding the word to the
// personal list and ignoring it in this document.
void appendCodeActions(QJsonArray& actions, const QString& uri, const Document& document,
                       const Finding& finding, Encoding encoding, int severity);

}  // namespace zabrel::lsp
