// SPDX-License-Identifier: MIT
#include "app/officedocumentnotice.h"

#include <QFile>

#include "app/dialogtexts.h"
#include "documents/officedocument.h"

namespace officedocumentnotice {

bool refuse(QWidget* parent, const QString& path, const MessageHandler& messages) {
    const std::filesystem::path onDisk(QFile::encodeName(path).toStdString());
    const zabrel::OfficeDocument::Kind kind = zabrel::OfficeDocument::kindOf(onDisk);
    if (kind == zabrel::OfficeDocument::Kind::None)
        return false;
    // Read through once, so that a damaged document is named as such rather than sent on.
    try {
        zabrel::OfficeDocument::paragraphs(onDisk, kind);
        messages(parent, dialogtexts::APP_NAME, withDetail(IN_WRITER, path));
    } catch (const zabrel::DocumentError& ex) {
        messages(parent, dialogtexts::APP_NAME,
                 withDetail(UNREADABLE, path + u'\n' + QString::fromUtf8(ex.what())));
    }
    return true;
}

}  // namespace officedocumentnotice
