// SPDX-License-Identifier: MIT
#include "app/textfile.h"

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>

#include "app/messageboxes.h"
#include "core/userfile.h"

namespace {

// "The file could not be opened", "is not UTF-8 text", "is too large", "could not be saved".
const QString CANNOT_OPEN = QStringLiteral(u"فائل کھل نہیں سکی");
const QString NOT_TEXT = QStringLiteral(u"یہ فائل UTF-8 متن نہیں ہے");
const QString TOO_LARGE = QStringLiteral(u"فائل بہت بڑی ہے");
const QString CANNOT_SAVE = QStringLiteral(u"فائل محفوظ نہیں ہو سکی");

// The Urdu sentence, the file, and the system's reason when there is one.
QString describe(const QString& what, const QString& path, const QString& detail = {}) {
    return withDetail(what, detail.isEmpty() ? path : path + u'\n' + detail);
}

std::filesystem::path onDisk(const QString& path) {
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

bool isBreak(QChar c) {
    return c == u'\n' || c == u'\r' || c == QChar::LineSeparator || c == QChar::ParagraphSeparator;
}

// Cuts `text` into lines and the break after each but the last.
QStringList splitLines(const QString& text, QStringList& breaks) {
    QStringList lines;
    breaks.clear();
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!isBreak(text[i]))
            continue;
        lines << text.mid(start, i - start);
        const qsizetype length = text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n' ? 2 : 1;
        breaks << text.mid(i, length);
        i += length - 1;
        start = i + 1;
    }
    lines << text.mid(start);
    return lines;
}

}  // namespace

bool TextFile::read(const QString& path, QString& error) {
    std::string bytes;
    std::string reason;
    switch (zabrel::UserFile::read(onDisk(path), MAX_SIZE, bytes, reason)) {
        case zabrel::UserFile::Read::Missing:
            error = describe(CANNOT_OPEN, path, QString::fromLocal8Bit(std::strerror(ENOENT)));
            return false;
        case zabrel::UserFile::Read::TooLarge:
            error = describe(TOO_LARGE, path);
            return false;
        case zabrel::UserFile::Read::Failed:
            error = describe(CANNOT_OPEN, path, QString::fromStdString(reason));
            return false;
        case zabrel::UserFile::Read::Done:
            break;
    }
    const QByteArray data = QByteArray::fromStdString(bytes);
    const QStringConverter::Encoding chosen =
        QStringConverter::encodingForData(data).value_or(QStringConverter::Utf8);
    const bool utf16 = chosen == QStringConverter::Utf16LE || chosen == QStringConverter::Utf16BE;
    // An odd byte count is a UTF-16 file cut short: its last byte would be lost.
    if ((chosen != QStringConverter::Utf8 && !utf16) || (utf16 && data.size() % 2 != 0)) {
        error = describe(NOT_TEXT, path);
        return false;
    }
    QStringDecoder decoder(chosen, QStringConverter::Flag::ConvertInitialBom);
    QString decoded = decoder.decode(data);
    if (decoder.hasError()) {
        error = describe(NOT_TEXT, path);
        return false;
    }
    encoding = chosen;
    byteOrderMark = decoded.startsWith(QChar::ByteOrderMark);
    if (byteOrderMark)
        decoded.remove(0, 1);
    original = data;
    shown = splitLines(decoded, breaks).join(u'\n');
    return true;
}

QString TextFile::commonestBreak() const {
    QString best = QStringLiteral("\n");
    qsizetype bestCount = 0;
    for (const QString& kind : {QStringLiteral("\n"), QStringLiteral("\r\n"), QStringLiteral("\r"),
                                QString(QChar::LineSeparator), QString(QChar::ParagraphSeparator)}) {
        const qsizetype count = breaks.count(kind);
        if (count > bestCount) {
            best = kind;
            bestCount = count;
        }
    }
    return best;
}

QStringList TextFile::breaksFor(const QStringList& lines) const {
    QStringList ignored;
    const QStringList old = splitLines(shown, ignored);
    const qsizetype n = lines.size() - 1;
    const qsizetype k = old.size() - 1;
    if (n == k)
        return breaks;  // words changed, lines did not: every line keeps its break
    QStringList out;
    // Lines added or taken away: the unchanged lines before and after them keep theirs.
    qsizetype prefix = 0;
    while (prefix <= std::min(n, k) && lines[prefix] == old[prefix])
        ++prefix;
    qsizetype suffix = 0;
    while (suffix <= std::min(n, k) - prefix && lines[n - suffix] == old[k - suffix])
        ++suffix;
    const QString common = commonestBreak();
    for (qsizetype i = 0; i < n; ++i) {
        if (i < prefix && i < k)
            out << breaks[i];
        else if (i >= n - suffix && i - n + k >= 0)
            out << breaks[i - n + k];
        else
            out << common;
    }
    return out;
}

QByteArray TextFile::encoded(const QString& text) const {
    const QStringList lines = text.split(u'\n');
    const QStringList after = breaksFor(lines);
    QString out;
    out.reserve(text.size() + (byteOrderMark ? 1 : 0));
    if (byteOrderMark)
        out += QChar::ByteOrderMark;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        out += lines[i];
        if (i < after.size())
            out += after[i];
    }
    QStringEncoder encoder(encoding);
    return encoder.encode(out);
}

bool TextFile::write(const QString& path, const QString& text, QString& error) {
    const QByteArray bytes = text == shown && !original.isEmpty() ? original : encoded(text);
    std::string reason;
    const std::filesystem::path target = zabrel::UserFile::saveTarget(onDisk(path), reason);
    if (target.empty() ||
        !zabrel::UserFile::replace(target, std::string_view(bytes.data(), bytes.size()), reason)) {
        error = describe(CANNOT_SAVE, path, QString::fromStdString(reason));
        return false;
    }
    // What was written is now the file: its breaks are the ones just put there.
    original = bytes;
    QString written = QStringDecoder(encoding, QStringConverter::Flag::ConvertInitialBom).decode(bytes);
    if (byteOrderMark)
        written.remove(0, 1);
    shown = splitLines(written, breaks).join(u'\n');
    return true;
}
