// SPDX-License-Identifier: MIT
// The server's open documents: their sync, checks, diagnostics and code actions.
#include <QJsonArray>

#include "lsp/lspmessages.h"
#include "lsp/lspserver.h"

namespace zabrel::lsp {

namespace {

constexpr int INVALID_PARAMS = -32602;
constexpr int INTERNAL_ERROR = -32603;
constexpr int MESSAGE_WARNING = 2;

QString uriOf(const QJsonObject& params) {
    return params.value(QStringLiteral("textDocument")).toObject().value(QStringLiteral("uri")).toString();
}

Position positionFrom(const QJsonValue& value) {
    const QJsonObject object = value.toObject();
    const auto count = [](const QJsonValue& number) {
        const double n = number.toDouble(0);
        return n > 0 ? static_cast<std::size_t>(n) : std::size_t{0};
    };
    return {count(object.value(QStringLiteral("line"))), count(object.value(QStringLiteral("character")))};
}

bool ignoredIn(const std::set<std::u16string>& ignored, const Finding& finding) {
    return ignored.count(finding.piece) || ignored.count(finding.word);
}

}  // namespace

Server::OpenDocument* Server::find(const QJsonObject& params) {
    const auto found = documents.find(uriOf(params));
    return found == documents.end() ? nullptr : found->second.get();
}

void Server::didOpen(const QJsonObject& params) {
    const QJsonObject item = params.value(QStringLiteral("textDocument")).toObject();
    const QString uri = item.value(QStringLiteral("uri")).toString();
    auto open = std::make_unique<OpenDocument>(
        OpenDocument{Document(item.value(QStringLiteral("text")).toString().toStdU16String(),
                              item.value(QStringLiteral("version")).toInteger(0),
                              item.value(QStringLiteral("languageId")).toString().toStdString()),
                     {},
                     {},
                     {},
                     -1,
                     std::make_unique<QTimer>()});
    OpenDocument* document = open.get();
    open->timer->setSingleShot(true);
    QObject::connect(open->timer.get(), &QTimer::timeout, &context, [this, document] {
        document->running = std::make_unique<DocumentCheck>(
            document->document.version(), TextMask::forLanguage(document->document.languageId()));
        if (!stepper->isActive())
            stepper->start(0);
    });
    documents[uri] = std::move(open);
    scheduleCheck(*document, 0);
}

void Server::didChange(const QJsonObject& params) {
    OpenDocument* open = find(params);
    if (!open) {
        showMessage(MESSAGE_WARNING,
                    QStringLiteral("zabrel-lsp: a change to a document that is not open: ") + uriOf(params));
        return;
    }
    Document& document = open->document;
    for (const QJsonValue& change : params.value(QStringLiteral("contentChanges")).toArray()) {
        const QJsonObject edit = change.toObject();
        std::u16string text = edit.value(QStringLiteral("text")).toString().toStdU16String();
        if (edit.contains(QStringLiteral("range"))) {
            const QJsonObject range = edit.value(QStringLiteral("range")).toObject();
            const std::size_t start =
                document.offsetOf(positionFrom(range.value(QStringLiteral("start"))), encoding);
            const std::size_t end =
                document.offsetOf(positionFrom(range.value(QStringLiteral("end"))), encoding);
            document.replace(start, std::max(start, end), text);
        } else {
            document.setText(std::move(text));
        }
    }
    document.setVersion(params.value(QStringLiteral("textDocument"))
                            .toObject()
                            .value(QStringLiteral("version"))
                            .toInteger(document.version() + 1));
    // The check of the version before is of no use now.
    open->running.reset();
    scheduleCheck(*open, settings.debounceMs);
}

void Server::didClose(const QJsonObject& params) {
    const auto found = documents.find(uriOf(params));
    if (found == documents.end())
        return;
    documents.erase(found);
    notify(QStringLiteral("textDocument/publishDiagnostics"),
           {{QStringLiteral("uri"), uriOf(params)}, {QStringLiteral("diagnostics"), QJsonArray{}}});
}

void Server::scheduleCheck(OpenDocument& open, int delayMs) {
    open.timer->start(delayMs);
}

void Server::checkAgainAll() {
    for (auto& [uri, open] : documents) {
        open->running.reset();
        scheduleCheck(*open, 0);
    }
}

void Server::stepChecks() {
    bool more = false;
    for (auto& [uri, open] : documents) {
        if (!open->running)
            continue;
        try {
            if (!open->running->step(*speller, open->document.text(), open->ignored)) {
                more = true;
                continue;
            }
        } catch (const SessionError& ex) {
            showMessage(MESSAGE_WARNING, QStringLiteral("zabrel-lsp: ") + QString::fromUtf8(ex.what()));
        }
        open->findings = std::move(open->running->findings());
        open->findingsVersion = open->running->version();
        open->running.reset();
        publish(uri, *open);
    }
    if (more)
        stepper->start(0);
}

void Server::publish(const QString& uri, OpenDocument& open) {
    if (open.findingsVersion != open.document.version())
        return;
    QJsonArray diagnostics;
    for (const Finding& finding : open.findings)
        if (!ignoredIn(open.ignored, finding))
            diagnostics.append(diagnosticOf(open.document, finding, encoding, settings.severity));
    notify(QStringLiteral("textDocument/publishDiagnostics"),
           {{QStringLiteral("uri"), uri},
            {QStringLiteral("version"), static_cast<qint64>(open.document.version())},
            {QStringLiteral("diagnostics"), diagnostics}});
}

QJsonValue Server::codeActions(const QJsonObject& params, Failure& failure) {
    OpenDocument* open = find(params);
    if (!open) {
        failure = {INVALID_PARAMS, QStringLiteral("Unknown document: ") + uriOf(params)};
        return {};
    }
    const Document& document = open->document;
    const QJsonObject range = params.value(QStringLiteral("range")).toObject();
    const std::size_t start = document.offsetOf(positionFrom(range.value(QStringLiteral("start"))), encoding);
    const std::size_t end = document.offsetOf(positionFrom(range.value(QStringLiteral("end"))), encoding);
    QJsonArray actions;
    // Findings of an older version would put their fixes in the wrong place.
    if (open->findingsVersion != document.version())
        return actions;
    for (const Finding& finding : open->findings) {
        if (finding.start > end || finding.start + finding.length < start ||
            ignoredIn(open->ignored, finding))
            continue;
        appendCodeActions(actions, uriOf(params), document, finding, encoding, settings.severity);
    }
    return actions;
}

QJsonValue Server::executeCommand(const QJsonObject& params, Failure& failure) {
    const QString command = params.value(QStringLiteral("command")).toString();
    const QJsonArray arguments = params.value(QStringLiteral("arguments")).toArray();
    if (command == ADD_WORD) {
        const std::u16string word = arguments.at(0).toString().toStdU16String();
        if (word.empty()) {
            failure = {INVALID_PARAMS, QStringLiteral("zabrel.addWord needs the word")};
            return {};
        }
        try {
            speller->addPersonal(word);
        } catch (const SessionError& ex) {
            failure = {INTERNAL_ERROR, QStringLiteral("zabrel-lsp: ") + QString::fromUtf8(ex.what())};
            return {};
        }
        checkAgainAll();
        return QJsonValue::Null;
    }
    if (command == IGNORE_IN_DOCUMENT) {
        const QString uri = arguments.at(0).toString();
        const std::u16string word = arguments.at(1).toString().toStdU16String();
        const auto found = documents.find(uri);
        if (found == documents.end() || word.empty()) {
            failure = {INVALID_PARAMS, found == documents.end()
                                           ? QStringLiteral("Unknown document: ") + uri
                                           : QStringLiteral("zabrel.ignoreInDocument needs the word")};
            return {};
        }
        found->second->ignored.insert(word);
        publish(uri, *found->second);
        return QJsonValue::Null;
    }
    failure = {INVALID_PARAMS, QStringLiteral("Unknown command: ") + command};
    return {};
}

}  // namespace zabrel::lsp
