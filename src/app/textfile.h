// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringConverter>
#include <QStringList>

// A text file as the dialog opens and saves it: UTF-8 by default, UTF-16 when it
// starts with a byte-order mark. Saving gives back the bytes that were read wherever
// the user changed nothing: the whole file when the text is as opened, and each line's
// own break (LF, CR LF, CR, U+2028, U+2029) on the lines that stayed where they were.
class TextFile {
public:
    // Files this large are not texts a person checks word by word.
    static constexpr qint64 MAX_SIZE = 64 * 1024 * 1024;

    // False with `error` set (in Urdu, for the user, with the file and the system's
    // reason) when the file cannot be read, is no regular file, is too large or is not
    // text in one of these encodings.
    bool read(const QString& path, QString& error);
    // The text for the text box: every line break as "\n".
    const QString& text() const { return shown; }

    // Writes `text` (breaks as "\n") through a synced temporary file, never to a device,
    // a FIFO or a read-only file, so that a failure leaves the old file whole. True
    // only when every byte is on disk; then this file is what was written.
    bool write(const QString& path, const QString& text, QString& error);

private:
    QByteArray encoded(const QString& text) const;
    // The break to put after each line of `lines` but the last.
    QStringList breaksFor(const QStringList& lines) const;
    QString commonestBreak() const;

    QStringConverter::Encoding encoding = QStringConverter::Utf8;
    bool byteOrderMark = false;
    QByteArray original;  // the bytes as read or last written
    QString shown;
    QStringList breaks;  // after each line of `shown` but the last
};
