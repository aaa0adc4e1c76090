// SPDX-License-Identifier: MIT
#include "lsp/lspmessages.h"

namespace zabrel::lsp {

namespace {

QString qt(const std::u16string& text) {
    return QString::fromStdU16String(text);
}

QJsonObject positionJson(Position position) {
    return {{QStringLiteral("line"), static_cast<qint64>(position.line)},
            {QStringLiteral("character"), static_cast<qint64>(position.character)}};
}

QJsonObject commandAction(const QString& title, const QString& command, const QJsonArray& arguments,
                          const QJsonObject& diagnostic) {
    return {{QStringLiteral("title"), title},
            {QStringLiteral("kind"), QStringLiteral("quickfix")},
            {QStringLiteral("diagnostics"), QJsonArray{diagnostic}},
            {QStringLiteral("command"), QJsonObject{{QStringLiteral("title"), title},
                                                    {QStringLiteral("command"), command},
                                                    {QStringLiteral("arguments"), arguments}}}};
}

}  // namespace

QString ruleOf(Span::Kind kind) {
    switch (kind) {
        case Span::Kind::Broken:
            return QStringLiteral("ZABREL_UR_BROKEN_WORD");
        case Span::Kind::RunTogether:
            return QStringLiteral("ZABREL_UR_RUN_TOGETHER");
        case Span::Kind::RealWord:
            return QStringLiteral("ZABREL_UR_REAL_WORD");
        case Span::Kind::Misspelt:
            break;
    }
    return QStringLiteral("ZABREL_UR_SPELLING");
}

QString messageOf(const Finding& finding) {
    const QString word = qt(finding.word);
    switch (finding.kind) {
        case Span::Kind::Broken:
            return QStringLiteral(u"ٹوٹا ہوا لفظ: %1").arg(word);
        case Span::Kind::RunTogether:
            return QStringLiteral(u"ملا کر لکھے گئے الفاظ: %1").arg(word);
        case Span::Kind::RealWord:
            return QStringLiteral(u"یہاں شاید کوئی اور لفظ مقصود ہے: %1").arg(word);
        case Span::Kind::Misspelt:
            break;
    }
    return QStringLiteral(u"ہجے کی غلطی: %1").arg(word);
}

QJsonObject rangeOf(const Document& document, std::size_t start, std::size_t end, Encoding encoding) {
    return {{QStringLiteral("start"), positionJson(document.positionOf(start, encoding))},
            {QStringLiteral("end"), positionJson(document.positionOf(end, encoding))}};
}

QJsonObject diagnosticOf(const Document& document, const Finding& finding, Encoding encoding, int severity) {
    return {
        {QStringLiteral("range"), rangeOf(document, finding.start, finding.start + finding.length, encoding)},
        {QStringLiteral("severity"), severity},
        {QStringLiteral("source"), QStringLiteral("zabrel")},
        {QStringLiteral("code"), ruleOf(finding.kind)},
        {QStringLiteral("message"), messageOf(finding)}};
}

void appendCodeActions(QJsonArray& actions, const QString& uri, const Document& document,
                       const Finding& finding, Encoding encoding, int severity) {
    const QJsonObject diagnostic = diagnosticOf(document, finding, encoding, severity);
    const QJsonObject range = rangeOf(document, finding.start, finding.start + finding.length, encoding);
    bool first = true;
    for (const std::u16string& suggestion : finding.suggestions) {
        const QJsonObject edit{{QStringLiteral("range"), range}, {QStringLiteral("newText"), qt(suggestion)}};
        QJsonObject action{{QStringLiteral("title"), QStringLiteral(u"بدل کر لکھیں: %1").arg(qt(suggestion))},
                           {QStringLiteral("kind"), QStringLiteral("quickfix")},
                           {QStringLiteral("diagnostics"), QJsonArray{diagnostic}},
                           {QStringLiteral("edit"),
                            QJsonObject{{QStringLiteral("changes"), QJsonObject{{uri, QJsonArray{edit}}}}}}};
        if (first)
            action.insert(QStringLiteral("isPreferred"), true);
        first = false;
        actions.append(action);
    }
    const QString piece = qt(finding.piece);
    actions.append(commandAction(QStringLiteral(u"ذاتی فہرست میں شامل کریں: %1").arg(piece), ADD_WORD,
                                 QJsonArray{piece}, diagnostic));
    actions.append(commandAction(QStringLiteral(u"اس دستاویز میں نظر انداز کریں: %1").arg(piece),
                                 IGNORE_IN_DOCUMENT, QJsonArray{uri, piece}, diagnostic));
}

}  // namespace zabrel::lsp
