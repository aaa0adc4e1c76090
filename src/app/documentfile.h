// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <QString>

#include "app/messageboxes.h"
#include "app/textfile.h"

class QEvent;
class QTextEdit;
class QWidget;

// The file behind the text box: which one is open, the encoding and line breaks to
// save it in, and the question before text that exists nowhere else is dropped. It
// tells the user through the handlers it is given and the dialog through its signals.
class DocumentFile : public QObject {
    Q_OBJECT

public:
    // Why the text would be dropped; the question names it.
    enum class Purpose { Close, Open, NewText };

    DocumentFile(QTextEdit& box, QWidget& parent, MessageHandler messages);

    void setQuestionHandler(QuestionHandler handler) { questions = std::move(handler); }
    void setFileChooser(FileChooser chooser) { files = std::move(chooser); }

    // Reads a UTF-8 (or byte-order-marked UTF-16) text into the text box, which starts
    // a new undo history; false (after telling the user) when it cannot, or when it is a
    // .docx or .odt document, which belongs in a word processor.
    bool open(const QString& path);
    // Asks about unsaved text, then for a file, and opens it.
    bool chooseAndOpen();
    // Asks about unsaved text, then empties the box and forgets the file.
    bool startNew();
    // Writes the text box in the encoding and line breaks of the file it came from
    // (UTF-8 and LF for new text); false (after telling the user) when it cannot.
    bool saveTo(const QString& path);
    bool save() { return fileName().isEmpty() ? saveAs() : saveTo(fileName()); }
    bool saveAs();

    // True when the box's text may go: saved, copied as a whole, or the user said so.
    bool confirmDiscard(Purpose purpose);
    const QString& fileName() const { return current; }

    // A file dragged onto the text box's viewport is opened (after the drop, and after
    // asking about unsaved text); while `busy` it is refused. True when the event was
    // a file drop, handled here.
    bool handleDrop(QEvent* event, bool busy);

signals:
    void fileNameChanged(const QString& path);
    // The box holds another text: a file was opened or a new one started.
    void textReplaced();

private:
    bool hasUnsavedText() const;
    void setFileName(const QString& path);

    QTextEdit& box;
    QWidget& parent;
    MessageHandler messages;
    QuestionHandler questions = askToSave;
    FileChooser files = chooseFile;
    QString current;
    // The encoding and line breaks of the file on disk, kept when it is saved again.
    TextFile format;
};
