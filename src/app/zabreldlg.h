// SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>

#include <QDialog>
#include <QHash>
#include <QIcon>
#include <QKeySequence>
#include <QString>
#include <functional>

#include "app/messageboxes.h"
#include "app/textfile.h"
#include "session/spellersession.h"
#include "text/wordwalk.h"

class QAction;
class QKeyEvent;
class QLabel;
class QMenu;
class MisspellingHighlighter;
class QLineEdit;
class QListWidget;
class QMessageBox;
class QPushButton;
class QTextEdit;
class QGridLayout;

// The checking dialog: a right-to-left text box, a check button, the suggestion list
// and Change / Leave for the highlighted word. The word walk and its positions live in
// zabrel::WordWalk; this class keeps the controls and the glue between them, the walk
// and the engine.
class CZabrelDlg : public QDialog {
    Q_OBJECT

public:
    // Control ids of the dialog template; each control also carries its id in the
    // "controlId" property and a fixed object name.
    enum ControlId {
        IDC_CHECK = 1000,
        IDC_SUGGESTIONS = 1001,
        IDC_PROMPT = 1003,
        IDC_SUGGESTIONS_CAPTION = 1004,
        IDC_INPUT = 1012,
        IDC_CHANGE = 1013,
        IDC_LEAVE = 1014,
        // Beyond the original template.
        IDC_STOP = 1015,
        IDC_REPLACEMENT = 1016,
        IDC_CHANGE_ALL = 1017,
        IDC_IGNORE_ALL = 1018,
        IDC_STATUS = 1019,
        IDC_OPEN = 1020,
        IDC_SAVE = 1021,
        IDC_ADD = 1022,
    };

    // Every message box of the dialog goes through here, so that tests can answer
    // them. The default shows a modal QMessageBox with an OK button.
    using MessageHandler = std::function<void(QWidget* parent, const QString& title, const QString& text)>;
    static void showMessageBox(QWidget* parent, const QString& title, const QString& text) {
        ::showMessageBox(parent, title, text);
    }
    static void dressMessageBox(QMessageBox& box, QWidget* parent) { ::dressMessageBox(box, parent); }
    static QFont dialogFont() { return ::dialogFont(); }

    using Answer = SaveAnswer;
    using QuestionHandler = std::function<Answer(QWidget* parent, const QString& title, const QString& text)>;
    // Picks a file to open or to save to; an empty result means the user cancelled.
    using FileChooser = std::function<QString(QWidget* parent, bool saving, const QString& current)>;

    // Builds the controls and sets up the engine from config.ini in the current
    // directory. A set-up failure is reported through `messages` and leaves the dialog
    // usable but unable to check.
    // An empty `dictionaryFolder` sets the engine up from the current directory.
    explicit CZabrelDlg(MessageHandler messages = showMessageBox, QWidget* parent = nullptr,
                        const std::filesystem::path& dictionaryFolder = {});
    ~CZabrelDlg() override;

    static const QString APP_NAME;
    static QIcon applicationIcon();

    void setQuestionHandler(QuestionHandler handler) { questions = std::move(handler); }
    void setFileChooser(FileChooser chooser) { files = std::move(chooser); }

    // Reads a UTF-8 (or byte-order-marked UTF-16) text into the text box, which starts
    // a new undo history; false (after telling the user) when it cannot.
    bool openFile(const QString& path);
    // Writes the text box in the encoding and line breaks of the file it came from
    // (UTF-8 and LF for new text); false (after telling the user) when it cannot.
    bool saveFile(const QString& path);
    const QString& currentFileName() const { return currentFile; }

    // The text box's context menu for a point of its viewport: the usual edit entries,
    // and above them, on a misspelt word while idle, its suggestions and Ignore All.
    // The caller owns the menu.
    QMenu* createTextBoxMenu(const QPoint& pos);

public slots:
    void onCheck();
    void onChange();
    void onLeave();
    void onStop();
    void onChangeAll();
    void onIgnoreAll();
    void onAdd();
    bool onSave();
    bool onSaveAs();
    void onOpen();
    void showAbout();
    // Escape during a pause ends the pass; otherwise it closes, as the close box does,
    // after asking about unsaved text.
    void reject() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createControls();
    void placeControls();
    void fitToScreen();
    void onInitDialog();

    void runPass();
    void finishPass();
    void returnToIdle();
    void reportError(const QString& text);
    void pauseOnWord();
    void updateChangeButton();
    void changeWord(bool everywhere);
    // Replaces text-box characters as one undo step and takes the result into inputText.
    void replaceText(int start, int length, const QString& replacement);
    void showStatus(const QString& pattern);
    void setCurrentFile(const QString& path);
    bool acceptFileDrop(QEvent* event);
    // Larger (1), smaller (-1) or back to the dialog's size (0).
    void zoomText(int steps);
    // The speller's verdict on a word without its suggestions; cached until the
    // personal or session words change.
    bool isMisspeltQuick(const QString& word);
    // Adds the word's letters to the personal list and saves it; false (after telling
    // the user) when the list cannot be read or written.
    bool addToPersonalList(const std::u16string& word);
    static void giveShortcut(QPushButton* button, QKeySequence key);
    // True when the dialog may drop the text box's contents.
    bool confirmDiscard();
    bool hasUnsavedText() const;

    // Data exchange: members into the controls, and the text box back into inputText.
    void refreshControls();
    void refreshMembers();

    void highlightWord(int start, int length);
    void clearHighlight();

    QIcon icon;
    QString promptText;
    QString suggestionsCaption;
    QListWidget* suggestionList = nullptr;
    // The engine, the personal and session words, the ranking and the word cutter.
    zabrel::SpellerSession speller;
    QPushButton* checkButton = nullptr;
    QString inputText;  // the text box's content, line breaks as CR LF
    QTextEdit* inputBox = nullptr;
    zabrel::WordWalk walk{speller.choices()};
    QPushButton* changeButton = nullptr;
    QPushButton* leaveButton = nullptr;
    QPushButton* stopButton = nullptr;
    QPushButton* changeAllButton = nullptr;
    QPushButton* ignoreAllButton = nullptr;
    QPushButton* addButton = nullptr;
    // Where the pass is: the pause, misspelt words so far, words checked.
    QLabel* statusLine = nullptr;
    MisspellingHighlighter* highlighter = nullptr;
    QHash<QString, bool> verdicts;  // word -> misspelt
    QPushButton* openButton = nullptr;
    QPushButton* saveButton = nullptr;
    // What Change puts in: the chosen suggestion, or the user's own spelling.
    QLineEdit* replacementEdit = nullptr;

    QGridLayout* buttonGrid = nullptr;
    QLineEdit* promptEdit = nullptr;
    QLineEdit* captionEdit = nullptr;
    QAction* aboutAction = nullptr;
    // Suggestions by the accurate ranking; remembered between runs.
    QAction* rankingAction = nullptr;
    void setAccurateRanking(bool on);
    MessageHandler messages;
    std::filesystem::path dictionaryFolder;
    QuestionHandler questions = askToSave;
    FileChooser files = chooseFile;
    QString currentFile;
    // The encoding and line breaks of the file on disk, kept when it is saved again.
    TextFile fileFormat;
    bool setUpFailed = false;
    // The text box was edited since inputText was last exchanged with it.
    bool boxEdited = false;
};
