// SPDX-License-Identifier: MIT
#pragma once

#include <QSize>

class QCheckBox;
class QDialog;
class QGridLayout;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTextEdit;

// The checking dialog's controls, made, named and laid out in one go, as a designer
// form would be. The dialog connects them and gives them their texts; nothing here
// knows what the buttons do.
struct DialogControls {
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
        IDC_RANKING = 1023,
    };

    // Makes every control a child of `dialog` and lays them out, mirrored with it.
    void setUp(QDialog& dialog);
    // The Urdu texts of the controls and their keys (Alt and a Latin letter: Urdu
    // labels have no letter that a Latin keyboard could reach).
    void giveTexts();
    // During a pass: Check and Open off, the word's buttons on, the text read-only.
    // After it: the word's buttons off and the list and edit empty; Check on when
    // `canCheck`.
    void showPass(bool running, bool canCheck);
    // The window's first size: the template's proportions in the dialog's font, room
    // for the list, and never more than the screen.
    QSize startSize(const QDialog& dialog) const;
    // Colours the text box's characters from `start` red, the pass's mark, and brings
    // them into view; the undo history keeps the user's edits only.
    void highlight(int start, int length);
    void clearHighlight();

    QTextEdit* inputBox = nullptr;
    QPushButton* checkButton = nullptr;
    QListWidget* suggestionList = nullptr;
    QPushButton* changeButton = nullptr;
    QPushButton* leaveButton = nullptr;
    QPushButton* changeAllButton = nullptr;
    QPushButton* ignoreAllButton = nullptr;
    QPushButton* addButton = nullptr;
    QPushButton* stopButton = nullptr;
    // Where the pass is: the pause, misspelt words so far, words checked.
    QLabel* statusLine = nullptr;
    QPushButton* openButton = nullptr;
    QPushButton* saveButton = nullptr;
    // What Change puts in: the chosen suggestion, or the user's own spelling.
    QLineEdit* replacementEdit = nullptr;
    QLineEdit* promptEdit = nullptr;
    QLineEdit* captionEdit = nullptr;
    // Suggestions in the accurate order, under the list where it is seen.
    QCheckBox* rankingBox = nullptr;
    QGridLayout* buttonGrid = nullptr;
};
