// SPDX-License-Identifier: MIT
#include "app/textfile.h"

#include <QFile>
#include <QSaveFile>

namespace {

// "The file could not be opened", "is not UTF-8 text", "is too large", "could not be saved".
const QString CANNOT_OPEN = QStringLiteral(u"فائل کھل نہیں سکی");
const QString NOT_TEXT = QStringLiteral(u"یہ فائل UTF-8 متن نہیں ہے");
const QString TOO_LARGE = QStringLiteral(u"فائل بہت بڑی ہے");
const QString CANNOT_SAVE = QStringLiteral(u"فائل محفوظ نہیں ہو سکی");

QString describe(const QString& what, const QString& path, const QString& detail = {}) {
    QString text = what + QStringLiteral(u"۔\n") + path;
    if (!detail.isEmpty())
        text += u'\n' + detail;
    return text;
}

}  // namespace

bool TextFile::read(const QString& path, QString& error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = describe(CANNOT_OPEN, path, file.errorString());
        return false;
    }
    if (file.size() > MAX_SIZE) {
        error = describe(TOO_LARGE, path);
        return false;
    }
    const QByteArray bytes = file.readAll();
    std::optional<QStringConverter::Encoding> found = QStringConverter::encodingForData(bytes);
    const QStringConverter::Encoding chosen = found.value_or(QStringConverter::Utf8);
    if (chosen != QStringConverter::Utf8 && chosen != QStringConverter::Utf16LE &&
        chosen != QStringConverter::Utf16BE) {
        error = describe(NOT_TEXT, path);
        return false;
    }
    QStringDecoder decoder(chosen, QStringConverter::Flag::ConvertInitialBom);
    QString decoded = decoder.decode(bytes);
    if (decoder.hasError()) {
        error = describe(NOT_TEXT, path);
        return false;
    }
    byteOrderMark = decoded.startsWith(QChar::ByteOrderMark);
    if (byteOrderMark)
        decoded.remove(0, 1);
    encoding = chosen;
    lineBreak = decoded.contains(QStringLiteral("\r\n")) ? QStringLiteral("\r\n") : QStringLiteral("\n");
    decoded.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    // A lone CR is an old Mac line break; the text box knows only one kind.
    decoded.replace(u'\r', u'\n');
    text = decoded;
    return true;
}

bool TextFile::write(const QString& path, QString& error) const {
    QString out = text;
    if (lineBreak != QLatin1String("\n"))
        out.replace(u'\n', lineBreak);
    if (byteOrderMark)
        out.prepend(QChar::ByteOrderMark);
    QStringEncoder encoder(encoding);
    const QByteArray bytes = encoder.encode(out);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        error = describe(CANNOT_SAVE, path, file.errorString());
        return false;
    }
    return true;
}
