// SPDX-License-Identifier: MIT
#include "lsp/lspsettings.h"

#include <QJsonValue>
#include <algorithm>

namespace zabrel::lsp {

namespace {

void note(QString& problems, const QString& what) {
    if (!problems.isEmpty())
        problems += QStringLiteral("; ");
    problems += what;
}

}  // namespace

void Settings::update(const QJsonObject& options, QString& problems) {
    const QJsonObject given = options.value(QStringLiteral("zabrel")).isObject()
                                  ? options.value(QStringLiteral("zabrel")).toObject()
                                  : options;
    if (const QJsonValue value = given.value(QStringLiteral("ranking"));
        !value.isUndefined() && !value.isNull()) {
        const QString name = value.toString();
        if (name == QStringLiteral("context"))
            ranking = SpellerSession::Order::Context;
        else if (name == QStringLiteral("accurate"))
            ranking = SpellerSession::Order::Accurate;
        else if (name == QStringLiteral("exact"))
            ranking = SpellerSession::Order::Exact;
        else
            note(problems, QStringLiteral("ranking must be context, accurate or exact"));
    }
    if (const QJsonValue value = given.value(QStringLiteral("dictionary"));
        !value.isUndefined() && !value.isNull()) {
        if (value.isString())
            dictionary = value.toString().toStdString();
        else
            note(problems, QStringLiteral("dictionary must be a folder"));
    }
    if (const QJsonValue value = given.value(QStringLiteral("severity"));
        !value.isUndefined() && !value.isNull()) {
        static const QString names[] = {QStringLiteral("error"), QStringLiteral("warning"),
                                        QStringLiteral("information"), QStringLiteral("hint")};
        const auto found = std::find(std::begin(names), std::end(names), value.toString());
        if (found != std::end(names))
            severity = static_cast<int>(found - std::begin(names)) + 1;
        else
            note(problems, QStringLiteral("severity must be error, warning, information or hint"));
    }
    if (const QJsonValue value = given.value(QStringLiteral("realWordSlips"));
        !value.isUndefined() && !value.isNull()) {
        if (value.isBool())
            realWordSlips = value.toBool();
        else
            note(problems, QStringLiteral("realWordSlips must be true or false"));
    }
    if (const QJsonValue value = given.value(QStringLiteral("debounce"));
        !value.isUndefined() && !value.isNull()) {
        const double ms = value.toDouble(-1);
        if (value.isDouble() && ms >= 0 && ms <= 60000)
            debounceMs = static_cast<int>(ms);
        else
            note(problems, QStringLiteral("debounce must be milliseconds from 0 to 60000"));
    }
}

}  // namespace zabrel::lsp
