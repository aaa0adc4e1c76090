// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringConverter>

// A text file as the dialog opens and saves it: UTF-8 by default, UTF-16 when it
// starts with a byte-order mark, and the way it breaks lines, so that saving gives
// back the same bytes for the same text.
struct TextFile {
    QString text;  // line breaks as "\n"
    QStringConverter::Encoding encoding = QStringConverter::Utf8;
    bool byteOrderMark = false;
    QString lineBreak = QStringLiteral("\n");

    // Files this large are not texts a person checks word by word.
    static constexpr qint64 MAX_SIZE = 64 * 1024 * 1024;

    // False with `error` set (in Urdu, for the user) when the file cannot be read or
    // is not text in one of these encodings.
    bool read(const QString& path, QString& error);
    // Writes through a temporary file, so a failure leaves the old file whole.
    bool write(const QString& path, QString& error) const;
};
