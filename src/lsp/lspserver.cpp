// SPDX-License-Identifier: MIT
#include "lsp/lspserver.h"

#include <QJsonArray>
#include <cstdio>
#include <filesystem>

#include "lsp/lspmessages.h"
#include "session/opendictionary.h"

namespace zabrel::lsp {

namespace {

// The protocol's error codes.
constexpr int PARSE_ERROR = -32700;
constexpr int INVALID_REQUEST = -32600;
constexpr int METHOD_NOT_FOUND = -32601;
constexpr int INTERNAL_ERROR = -32603;
constexpr int SERVER_NOT_INITIALIZED = -32002;

// window/showMessage types.
constexpr int MESSAGE_ERROR = 1;
constexpr int MESSAGE_WARNING = 2;

}  // namespace

Server::Server(Options options, std::function<void(const QByteArray&)> write)
    : options(std::move(options)), write(std::move(write)), stepper(new QTimer(&context)) {
    transport.setDataHandler([this](const QByteArray& data) { this->write(data); });
    transport.setMessageHandler(
        [this](const QJsonDocument& message, const QJsonParseError& error) { handle(message, error); });
    // What the framing met on the way. Clients name the charset in many spellings
    // ("charset=utf8" from several): the protocol's is UTF-8 whatever they say.
    transport.setDiagnosticHandler([](QJsonRpcTransport::DiagnosticLevel, const QString& message) {
        if (!message.startsWith(QStringLiteral("Invalid Content-Type")))
            std::fprintf(stderr, "zabrel-lsp: %s\n", message.toLocal8Bit().constData());
    });
    stepper->setSingleShot(true);
    QObject::connect(stepper, &QTimer::timeout, &context, [this] { stepChecks(); });
}

Server::~Server() = default;

void Server::receive(const QByteArray& data) {
    transport.receiveData(data);
}

void Server::endOfInput() {
    if (onExit)
        onExit(shuttingDown ? 0 : 1);
}

void Server::handle(const QJsonDocument& message, const QJsonParseError& error) {
    if (error.error != QJsonParseError::NoError) {
        respondError(QJsonValue::Null, PARSE_ERROR, QStringLiteral("Parse error: ") + error.errorString());
        return;
    }
    if (!message.isObject()) {
        respondError(QJsonValue::Null, INVALID_REQUEST, QStringLiteral("Invalid request: not a JSON object"));
        return;
    }
    const QJsonObject object = message.object();
    const QJsonValue id = object.value(QStringLiteral("id"));
    const QJsonValue method = object.value(QStringLiteral("method"));
    const bool hasId = object.contains(QStringLiteral("id"));
    if (hasId && !id.isString() && !id.isDouble()) {
        respondError(QJsonValue::Null, INVALID_REQUEST,
                     QStringLiteral("Invalid request: the id must be a number or a string"));
        return;
    }
    if (!method.isString()) {
        // A client's answer to us: we ask nothing that needs one.
        if (object.contains(QStringLiteral("result")) || object.contains(QStringLiteral("error")))
            return;
        respondError(hasId ? id : QJsonValue::Null, INVALID_REQUEST,
                     QStringLiteral("Invalid request: no method"));
        return;
    }
    const QJsonObject params = object.value(QStringLiteral("params")).toObject();
    if (hasId)
        request(id, method.toString(), params);
    else
        notification(method.toString(), params);
}

void Server::request(const QJsonValue& id, const QString& method, const QJsonObject& params) {
    if (shuttingDown) {
        respondError(id, INVALID_REQUEST, QStringLiteral("The server is shutting down"));
        return;
    }
    if (!initialized && method != QStringLiteral("initialize")) {
        respondError(id, SERVER_NOT_INITIALIZED, QStringLiteral("The server is not initialized"));
        return;
    }
    Failure failure;
    QJsonValue result;
    if (method == QStringLiteral("initialize")) {
        if (initialized)
            failure = {INVALID_REQUEST, QStringLiteral("The server is initialized already")};
        else
            result = initialize(params, failure);
    } else if (method == QStringLiteral("shutdown")) {
        shuttingDown = true;
        for (auto& [uri, open] : documents) {
            open->timer->stop();
            open->running.reset();
        }
    } else if (method == QStringLiteral("textDocument/codeAction")) {
        result = codeActions(params, failure);
    } else if (method == QStringLiteral("workspace/executeCommand")) {
        result = executeCommand(params, failure);
    } else {
        failure = {METHOD_NOT_FOUND, QStringLiteral("Unknown method: ") + method};
    }
    if (failure.code)
        respondError(id, failure.code, failure.message);
    else
        respond(id, result);
}

void Server::notification(const QString& method, const QJsonObject& params) {
    if (method == QStringLiteral("exit")) {
        if (onExit)
            onExit(shuttingDown ? 0 : 1);
        return;
    }
    if (!initialized || shuttingDown)
        return;
    if (method == QStringLiteral("textDocument/didOpen"))
        didOpen(params);
    else if (method == QStringLiteral("textDocument/didChange"))
        didChange(params);
    else if (method == QStringLiteral("textDocument/didClose"))
        didClose(params);
    else if (method == QStringLiteral("workspace/didChangeConfiguration"))
        configure(params.value(QStringLiteral("settings")).toObject());
    // Every other notification ($/cancelRequest, initialized, didSave...) needs nothing.
}

QJsonObject Server::initialize(const QJsonObject& params, Failure& failure) {
    const QJsonArray encodings = params.value(QStringLiteral("capabilities"))
                                     .toObject()
                                     .value(QStringLiteral("general"))
                                     .toObject()
                                     .value(QStringLiteral("positionEncodings"))
                                     .toArray();
    encoding = encodings.contains(QStringLiteral("utf-8")) ? Encoding::Utf8 : Encoding::Utf16;
    QString problems;
    settings.update(params.value(QStringLiteral("initializationOptions")).toObject(), problems);
    if (!problems.isEmpty())
        showMessage(MESSAGE_WARNING, QStringLiteral("zabrel-lsp: ") + problems);
    QString why;
    if (!startSpeller(why)) {
        failure = {INTERNAL_ERROR, why};
        return {};
    }
    initialized = true;
    const QJsonObject capabilities{
        {QStringLiteral("positionEncoding"),
         encoding == Encoding::Utf8 ? QStringLiteral("utf-8") : QStringLiteral("utf-16")},
        {QStringLiteral("textDocumentSync"),
         QJsonObject{{QStringLiteral("openClose"), true}, {QStringLiteral("change"), 2}}},
        {QStringLiteral("codeActionProvider"),
         QJsonObject{{QStringLiteral("codeActionKinds"), QJsonArray{QStringLiteral("quickfix")}}}},
        {QStringLiteral("executeCommandProvider"),
         QJsonObject{{QStringLiteral("commands"), QJsonArray{ADD_WORD, IGNORE_IN_DOCUMENT}}}}};
    return {{QStringLiteral("capabilities"), capabilities},
            {QStringLiteral("serverInfo"),
             QJsonObject{{QStringLiteral("name"), QStringLiteral("zabrel-lsp")},
                         {QStringLiteral("version"), QStringLiteral(ZABREL_VERSION)}}}};
}

bool Server::startSpeller(QString& failure) {
    const std::string requested = settings.dictionary.empty() ? options.dictionary : settings.dictionary;
    auto made = std::make_unique<SpellerSession>();
    try {
        std::string notOpened;
        if (!openDictionary(*made, requested, notOpened, [this](const std::string& warning) {
                showMessage(MESSAGE_WARNING,
                            QStringLiteral("zabrel-lsp: ") + QString::fromStdString(warning));
            })) {
            failure = QStringLiteral("zabrel-lsp: ") + QString::fromStdString(notOpened);
            return false;
        }
        try {
            made->setOrder(settings.ranking);
        } catch (const SessionError& ex) {
            // No context model, or a bad cost table: the next best order.
            made->useBestRanking();
            showMessage(MESSAGE_WARNING, QStringLiteral("zabrel-lsp: ") + QString::fromUtf8(ex.what()));
        }
        made->setRealWordSlips(settings.realWordSlips);
    } catch (const SessionError& ex) {
        failure = QStringLiteral("zabrel-lsp: ") + QString::fromUtf8(ex.what());
        return false;
    }
    try {
        made->usePersonalList(options.personal.empty() ? PersonalWordList::defaultPath()
                                                       : std::filesystem::path(options.personal));
    } catch (const SessionError& ex) {
        showMessage(MESSAGE_WARNING, QStringLiteral("zabrel-lsp: ") + QString::fromUtf8(ex.what()));
    }
    speller = std::move(made);
    openedFolder = requested;
    return true;
}

void Server::configure(const QJsonObject& given) {
    const Settings before = settings;
    QString problems;
    settings.update(given, problems);
    if (!problems.isEmpty())
        showMessage(MESSAGE_WARNING, QStringLiteral("zabrel-lsp: ") + problems);
    const std::string requested = settings.dictionary.empty() ? options.dictionary : settings.dictionary;
    if (requested != openedFolder) {
        QString failure;
        if (!startSpeller(failure)) {
            settings.dictionary = before.dictionary;
            showMessage(MESSAGE_ERROR, failure);
        }
    } else {
        try {
            if (settings.ranking != before.ranking)
                speller->setOrder(settings.ranking);
        } catch (const SessionError& ex) {
            settings.ranking = before.ranking;
            showMessage(MESSAGE_WARNING, QStringLiteral("zabrel-lsp: ") + QString::fromUtf8(ex.what()));
        }
        speller->setRealWordSlips(settings.realWordSlips);
    }
    checkAgainAll();
}

void Server::send(const QJsonObject& message) {
    transport.sendMessage(QJsonDocument(message));
}

void Server::respond(const QJsonValue& id, const QJsonValue& result) {
    send({{QStringLiteral("jsonrpc"), QStringLiteral("2.0")},
          {QStringLiteral("id"), id},
          {QStringLiteral("result"), result}});
}

void Server::respondError(const QJsonValue& id, int code, const QString& message) {
    send({{QStringLiteral("jsonrpc"), QStringLiteral("2.0")},
          {QStringLiteral("id"), id},
          {QStringLiteral("error"),
           QJsonObject{{QStringLiteral("code"), code}, {QStringLiteral("message"), message}}}});
}

void Server::notify(const QString& method, const QJsonObject& params) {
    send({{QStringLiteral("jsonrpc"), QStringLiteral("2.0")},
          {QStringLiteral("method"), method},
          {QStringLiteral("params"), params}});
}

void Server::showMessage(int type, const QString& message) {
    notify(QStringLiteral("window/showMessage"),
           {{QStringLiteral("type"), type}, {QStringLiteral("message"), message}});
}

}  // namespace zabrel::lsp
