// SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>

#include <QDialog>
#include <QIcon>
#include <QString>
#include <functional>

#include "engine/spellchecker.h"
#include "text/wordwalk.h"

class QAction;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTextEdit;

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
    };

    // Every message box of the dialog goes through here, so that tests can answer
    // them. The default shows a modal QMessageBox with an OK button.
    using MessageHandler = std::function<void(QWidget* parent, const QString& title, const QString& text)>;
    static void showMessageBox(QWidget* parent, const QString& title, const QString& text);

    // Builds the controls and sets up the engine from config.ini in the current
    // directory. A set-up failure is reported through `messages` and leaves the dialog
    // usable but unable to check.
    // An empty `dictionaryFolder` sets the engine up from the current directory.
    explicit CZabrelDlg(MessageHandler messages = showMessageBox, QWidget* parent = nullptr,
                        const std::filesystem::path& dictionaryFolder = {});
    ~CZabrelDlg() override;

    static const QString APP_NAME;
    static QIcon applicationIcon();

public slots:
    void onCheck();
    void onChange();
    void onLeave();
    void showAbout();

private:
    void createControls();
    void placeControls();
    void onInitDialog();

    void runPass();
    void finishPass();
    void returnToIdle();
    void reportError(const QString& text);

    // Data exchange: members into the controls, and the text box back into inputText.
    void refreshControls();
    void refreshMembers();

    void colourRange(int start, int length, const QColor& colour);
    void clearColouring();

    QIcon icon;
    QString promptText;
    QString suggestionsCaption;
    QListWidget* suggestionList = nullptr;
    zabrel::SpellChecker spellChecker;
    QPushButton* checkButton = nullptr;
    QString inputText;  // the text box's content, line breaks as CR LF
    QTextEdit* inputBox = nullptr;
    zabrel::WordWalk walk;
    QPushButton* changeButton = nullptr;
    QPushButton* leaveButton = nullptr;

    QLineEdit* promptEdit = nullptr;
    QLineEdit* captionEdit = nullptr;
    QAction* aboutAction = nullptr;
    MessageHandler messages;
    std::filesystem::path dictionaryFolder;
    bool setUpFailed = false;
    // Something in the text box may be red; clearing the colouring of a long text on
    // every word would make a pass quadratic.
    bool coloured = false;
    // The text box was edited since inputText was last exchanged with it.
    bool boxEdited = false;
    bool recolouring = false;
};
