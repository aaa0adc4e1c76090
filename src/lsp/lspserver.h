// SPDX-License-Identifier: MIT
#pragma once

#include <QtLanguageServer/private/qlanguageserverjsonrpctransport_p.h>
#include <QByteArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QObject>
#include <QString>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "lsp/documentcheck.h"
#include "lsp/lspdocument.h"
#include "lsp/lspsettings.h"
#include "session/spellersession.h"

#include <QTimer>

namespace zabrel::lsp {

// The language server: messages in, through Qt's framing of the protocol, and out
// through `write`. One thread: a document is checked a piece at a time from the event
// loop, so that input is read between pieces, a change drops the check of the version
// before it, and nothing needs a lock.
class Server {
public:
    struct Options {
        std::string dictionary;  // -d: the folder, unless a client's setting names one
        std::string personal;    // --personal: the list, else the one all programs share
    };
    Server(Options options, std::function<void(const QByteArray&)> write);
    ~Server();

    // Bytes from the client, in any pieces.
    void receive(const QByteArray& data);
    // Called once with the exit code when the client asks us to exit.
    std::function<void(int)> onExit;
    // The input ended without an exit: as an exit without shutdown.
    void endOfInput();

private:
    struct OpenDocument {
        Document document;
        std::set<std::u16string> ignored;
        std::unique_ptr<DocumentCheck> running;
        std::vector<Finding> findings;
        long findingsVersion = -1;
        std::unique_ptr<QTimer> timer;
    };
    // A failed request: the protocol's error code and our message.
    struct Failure {
        int code = 0;
        QString message;
    };

    void handle(const QJsonDocument& message, const QJsonParseError& error);
    void request(const QJsonValue& id, const QString& method, const QJsonObject& params);
    void notification(const QString& method, const QJsonObject& params);

    QJsonObject initialize(const QJsonObject& params, Failure& failure);
    QJsonValue codeActions(const QJsonObject& params, Failure& failure);
    QJsonValue executeCommand(const QJsonObject& params, Failure& failure);
    void didOpen(const QJsonObject& params);
    void didChange(const QJsonObject& params);
    void didClose(const QJsonObject& params);
    void configure(const QJsonObject& options);

    // Sets the speller up as the settings say; false and `failure` when it cannot be.
    bool startSpeller(QString& failure);
    void scheduleCheck(OpenDocument& open, int delayMs);
    void checkAgainAll();
    void stepChecks();
    void publish(const QString& uri, OpenDocument& open);
    OpenDocument* find(const QJsonObject& params);

    void send(const QJsonObject& message);
    void respond(const QJsonValue& id, const QJsonValue& result);
    void respondError(const QJsonValue& id, int code, const QString& message);
    void notify(const QString& method, const QJsonObject& params);
    void showMessage(int type, const QString& message);

    Options options;
    std::function<void(const QByteArray&)> write;
    QLanguageServerJsonRpcTransport transport;
    QObject context;
    QTimer* stepper;
    Settings settings;
    Encoding encoding = Encoding::Utf16;
    std::unique_ptr<SpellerSession> speller;
    std::string openedFolder;
    bool initialized = false;
    bool shuttingDown = false;
    std::map<QString, std::unique_ptr<OpenDocument>> documents;
};

}  // namespace zabrel::lsp
