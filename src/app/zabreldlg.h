// SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include <QDialog>
#include <QIcon>
#include <QKeySequence>
#include <QString>

#include "app/dialogcontrols.h"
#include "app/documentfile.h"
#include "app/messageboxes.h"
#include "session/spellersession.h"

class QAction;
class QKeyEvent;
class QMenu;
class RankingChoice;
class TextBoxSpelling;

// The checking dialog: a right-to-left text box, a check button, the suggestion list
// and Change / Leave for the highlighted word. The walk over the text is the session's
// pass (zabrel::CheckPass), the controls live in DialogControls, the file in
// DocumentFile; this class wires them to each other and to the speller session.
class CZabrelDlg : public QDialog {
    Q_OBJECT

public:
    using ControlId = DialogControls::ControlId;
    using enum DialogControls::ControlId;

    // Every message box of the dialog goes through here, so that tests can answer
    // them. The default shows a modal QMessageBox with an OK button.
    using MessageHandler = ::MessageHandler;
    static void showMessageBox(QWidget* parent, const QString& title, const QString& text) {
        ::showMessageBox(parent, title, text);
    }
    static void dressMessageBox(QMessageBox& box, QWidget* parent) { ::dressMessageBox(box, parent); }
    static QFont dialogFont() { return ::dialogFont(); }

    using Answer = SaveAnswer;
    using QuestionHandler = ::QuestionHandler;
    // Picks a file to open or to save to; an empty result means the user cancelled.
    using FileChooser = ::FileChooser;

    // Builds the controls and sets up the engine from the dictionary folder (the
    // current directory when empty). A set-up failure is reported through `messages`
    // and leaves the dialog usable but unable to check.
    explicit CZabrelDlg(MessageHandler messages = showMessageBox, QWidget* parent = nullptr,
                        const std::filesystem::path& dictionaryFolder = {});
    ~CZabrelDlg() override;

    static const QString APP_NAME;
    static QIcon applicationIcon() { return ::applicationIcon(); }

    void setQuestionHandler(QuestionHandler handler) { document->setQuestionHandler(std::move(handler)); }
    void setFileChooser(FileChooser chooser) { document->setFileChooser(std::move(chooser)); }

    // Opens a file into the text box (see DocumentFile::open); refused during a pass.
    bool openFile(const QString& path);
    bool saveFile(const QString& path) { return document->saveTo(path); }
    const QString& currentFileName() const { return document->fileName(); }

    // The text box's context menu for a point of its viewport: the usual edit entries,
    // and above them, on a misspelt word while idle, its suggestions and Ignore All.
    // The caller owns the menu.
    QMenu* createTextBoxMenu(const QPoint& pos);
    // The dialog's own menu (right-click outside the controls): new text, the
    // ranking, about. The caller owns the menu.
    QMenu* createDialogMenu();

public slots:
    void onCheck();
    void onChange();
    void onLeave();
    void onStop();
    void onChangeAll();
    void onIgnoreAll();
    void onAdd();
    bool onSave() { return document->save(); }
    bool onSaveAs() { return document->saveAs(); }
    void onOpen();
    void onNewText();
    void showAbout();
    // Escape during a pause ends the pass; otherwise it closes, as the close box does,
    // after asking about unsaved text.
    void reject() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void connectControls();
    void onInitDialog();
    void restoreWindow();
    void rememberWindow();

    void runPass();
    void finishPass();
    void returnToIdle();
    void reportError(const QString& sentence, const QString& detail = {});
    void pauseOnWord();
    // Highlights the span the pass stopped at and lists its suggestions.
    void showSuggestions();
    // The paused word's list again, in the ranking now chosen.
    void rerankPaused();
    // Whether a pass stands at a span.
    bool paused() const { return pass && pass->paused(); }
    // The text the pause covers: the word, or both pieces of a broken one.
    QString pausedText() const;
    void updateChangeButton();
    void changeWord(bool everywhere);
    // Replaces text-box characters as one undo step; inputText follows the same edit.
    void replaceText(int start, int length, const QString& replacement);
    void showStatus(const QString& pattern);
    void showFileName(const QString& path);
    // A new text: the last one's Ignore All and Change All no longer hold.
    void forgetChoices();

    // Data exchange: members into the controls, and the text box back into inputText.
    void refreshControls();
    void refreshMembers();

    QIcon icon;
    QString promptText;
    QString suggestionsCaption;
    // The engine, the personal and session words, the ranking and the word cutter.
    zabrel::SpellerSession speller;
    QString inputText;  // the text box's content, line breaks as CR LF
    // The pass over the text as it stood at Check; it follows the changes made through it.
    std::optional<zabrel::CheckPass> pass;
    DialogControls ui;
    DocumentFile* document = nullptr;
    TextBoxSpelling* spelling = nullptr;
    QAction* aboutAction = nullptr;
    QAction* newTextAction = nullptr;
    RankingChoice* ranking = nullptr;
    MessageHandler messages;
    std::filesystem::path dictionaryFolder;
    bool setUpFailed = false;
    // The text box was edited since inputText was last exchanged with it.
    bool boxEdited = false;
};
