// SPDX-License-Identifier: MIT
#include "app/documentfile.h"

#include <QClipboard>
#include <QDropEvent>
#include <QGuiApplication>
#include <QMimeData>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>

#include "app/dialogtexts.h"
#include "app/officedocumentnotice.h"
#include "app/textboxtext.h"

using namespace dialogtexts;

DocumentFile::DocumentFile(QTextEdit& textBox, QWidget& owner, MessageHandler messageHandler)
    : QObject(&owner), box(textBox), parent(owner), messages(std::move(messageHandler)) {}

bool DocumentFile::open(const QString& path) {
    if (officedocumentnotice::refuse(&parent, path, messages))
        return false;
    TextFile opened;
    QString error;
    if (!opened.read(path, error)) {
        messages(&parent, APP_NAME, error);
        return false;
    }
    format = opened;
    box.setPlainText(opened.text());
    box.document()->setModified(false);
    setFileName(path);
    box.setFocus();
    emit textReplaced();
    return true;
}

bool DocumentFile::chooseAndOpen() {
    if (!confirmDiscard(Purpose::Open))
        return false;
    const QString path = files(&parent, false, current);
    return !path.isEmpty() && open(path);
}

bool DocumentFile::startNew() {
    if (!confirmDiscard(Purpose::NewText))
        return false;
    format = TextFile();
    box.clear();
    box.document()->setModified(false);
    setFileName({});
    box.setFocus();
    emit textReplaced();
    return true;
}

bool DocumentFile::saveTo(const QString& path) {
    const QString text = textboxtext::forTextBox(textboxtext::snapshot(*box.document()));
    QString error;
    if (!format.write(path, text, error)) {
        messages(&parent, APP_NAME, error);
        return false;
    }
    box.document()->setModified(false);
    setFileName(path);
    return true;
}

bool DocumentFile::saveAs() {
    const QString path = files(&parent, true, current);
    return !path.isEmpty() && saveTo(path);
}

void DocumentFile::setFileName(const QString& path) {
    current = path;
    emit fileNameChanged(current);
}

bool DocumentFile::hasUnsavedText() const {
    const QTextDocument& document = *box.document();
    if (!document.isModified() || document.isEmpty())
        return false;
    // Copied as a whole, the text lives on outside the dialog.
    const QClipboard* clipboard = QGuiApplication::clipboard();
    return clipboard == nullptr || clipboard->text() != box.toPlainText();
}

bool DocumentFile::confirmDiscard(Purpose purpose) {
    if (!hasUnsavedText())
        return true;
    const QString& question = purpose == Purpose::Close  ? UNSAVED_QUESTION
                              : purpose == Purpose::Open ? UNSAVED_BEFORE_OPENING
                                                         : UNSAVED_BEFORE_NEW;
    switch (questions(&parent, APP_NAME, question)) {
        case SaveAnswer::Save:
            return save();
        case SaveAnswer::Discard:
            return true;
        case SaveAnswer::Cancel:
            break;
    }
    return false;
}

bool DocumentFile::handleDrop(QEvent* event, bool busy) {
    const auto type = event->type();
    if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop)
        return false;
    auto* drop = static_cast<QDropEvent*>(event);
    const QMimeData* data = drop->mimeData();
    // Dropped text is the text box's business; a dropped file is opened.
    if (data == nullptr || !data->hasUrls() || data->urls().value(0).toLocalFile().isEmpty())
        return false;
    if (busy) {
        drop->ignore();
        return true;
    }
    drop->acceptProposedAction();
    if (type == QEvent::Drop) {
        const QString path = data->urls().value(0).toLocalFile();
        // After the drop has finished: asking about unsaved text inside it would block
        // the drag source.
        QTimer::singleShot(0, this, [this, path] {
            if (confirmDiscard(Purpose::Open))
                open(path);
        });
    }
    return true;
}
