// SPDX-License-Identifier: MIT
#include "app/dialogcontrols.h"

#include <QCheckBox>
#include <QDialog>
#include <QFontMetrics>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QTextCursor>
#include <QTextEdit>
#include <algorithm>
#include <memory>

#include "app/dialogtexts.h"
#include "app/dialogunits.h"
#include "app/messageboxes.h"

namespace {

// The original dialog template: 286 x 100 units, the text box 154 units wide and the
// list 57. The window opens in these proportions and the two grow in this ratio.
constexpr int DIALOG_WIDTH = 286;
constexpr int DIALOG_HEIGHT = 100;
constexpr int TEXT_WIDTH = 154;
constexpr int LIST_WIDTH = 57;
// Suggestions the list shows without scrolling in the first window.
constexpr int LIST_ROWS = 8;

template <typename Widget>
Widget* tagged(Widget* widget, int id, const char* name) {
    widget->setProperty("controlId", id);
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QLineEdit* makeCaptionEdit(QWidget* parent, int id, const char* name) {
    auto* edit = tagged(new QLineEdit(parent), id, name);
    edit->setReadOnly(true);
    edit->setAlignment(Qt::AlignRight | Qt::AlignAbsolute | Qt::AlignVCenter);
    // A caption, not a field: no frame, no white ground, out of the tab order.
    edit->setFrame(false);
    edit->setFocusPolicy(Qt::NoFocus);
    edit->setContextMenuPolicy(Qt::NoContextMenu);
    QPalette palette = edit->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Window));
    edit->setPalette(palette);
    return edit;
}

void giveShortcut(QPushButton* button, QKeySequence key) {
    button->setShortcut(key);
    button->setToolTip(key.toString(QKeySequence::NativeText));
}

}  // namespace

void DialogControls::setUp(QDialog& dialog) {
    QDialog* parent = &dialog;
    inputBox = tagged(new QTextEdit(parent), IDC_INPUT, "inputBox");
    inputBox->setAcceptRichText(false);
    inputBox->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QTextOption option = inputBox->document()->defaultTextOption();
    option.setTextDirection(Qt::RightToLeft);
    option.setAlignment(Qt::AlignRight | Qt::AlignAbsolute);
    inputBox->document()->setDefaultTextOption(option);
    // Colours are absolute (red and black), so the box is always black on white.
    QPalette palette = inputBox->palette();
    palette.setColor(QPalette::Base, Qt::white);
    palette.setColor(QPalette::Text, Qt::black);
    inputBox->setPalette(palette);

    checkButton = tagged(new QPushButton(QStringLiteral("SPL Check"), parent), IDC_CHECK, "checkButton");
    suggestionList = tagged(new QListWidget(parent), IDC_SUGGESTIONS, "suggestionList");
    suggestionList->setSelectionMode(QAbstractItemView::SingleSelection);
    suggestionList->setSortingEnabled(false);
    suggestionList->setUniformItemSizes(true);
    // The focused list shows it, also before an item is current.
    suggestionList->setStyleSheet(
        QStringLiteral("QListWidget:focus { border: 2px solid palette(highlight); }"));
    changeButton = tagged(new QPushButton(QStringLiteral("Change"), parent), IDC_CHANGE, "changeButton");
    leaveButton = tagged(new QPushButton(QStringLiteral("Leave"), parent), IDC_LEAVE, "leaveButton");
    changeAllButton = tagged(new QPushButton(parent), IDC_CHANGE_ALL, "changeAllButton");
    ignoreAllButton = tagged(new QPushButton(parent), IDC_IGNORE_ALL, "ignoreAllButton");
    addButton = tagged(new QPushButton(parent), IDC_ADD, "addButton");
    stopButton = tagged(new QPushButton(parent), IDC_STOP, "stopButton");
    statusLine = tagged(new QLabel(parent), IDC_STATUS, "statusLine");
    // A long status must not widen the window past a small screen.
    statusLine->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    openButton = tagged(new QPushButton(parent), IDC_OPEN, "openButton");
    saveButton = tagged(new QPushButton(parent), IDC_SAVE, "saveButton");
    replacementEdit = tagged(new QLineEdit(parent), IDC_REPLACEMENT, "replacementEdit");
    // Its standard menu, in the dialog's Urdu.
    replacementEdit->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(replacementEdit, &QWidget::customContextMenuRequested, replacementEdit,
                     [edit = replacementEdit, parent](const QPoint& pos) {
                         std::unique_ptr<QMenu> menu(edit->createStandardContextMenu());
                         dressMenu(*menu, *parent);
                         menu->exec(edit->mapToGlobal(pos));
                     });
    promptEdit = makeCaptionEdit(parent, IDC_PROMPT, "promptEdit");
    captionEdit = makeCaptionEdit(parent, IDC_SUGGESTIONS_CAPTION, "captionEdit");
    rankingBox = tagged(new QCheckBox(parent), IDC_RANKING, "rankingBox");

    // No default button: Return in the dialog must never start a pass by itself.
    for (QPushButton* button : dialog.findChildren<QPushButton*>(Qt::FindDirectChildrenOnly)) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }

    // Column 0 is the right-hand one: the layout is mirrored with the dialog.
    auto* grid = new QGridLayout(parent);
    grid->addWidget(promptEdit, 0, 0);
    grid->addWidget(captionEdit, 0, 2);
    grid->addWidget(inputBox, 1, 0, 2, 1);
    // The buttons in pairs, the word's own action beside its "all" form, so that the
    // column stays short enough for a small screen.
    buttonGrid = new QGridLayout;
    buttonGrid->addWidget(checkButton, 0, 0, 1, 2);
    buttonGrid->addWidget(changeButton, 1, 0);
    buttonGrid->addWidget(changeAllButton, 1, 1);
    buttonGrid->addWidget(leaveButton, 2, 0);
    buttonGrid->addWidget(ignoreAllButton, 2, 1);
    buttonGrid->addWidget(addButton, 3, 0);
    buttonGrid->addWidget(stopButton, 3, 1);
    buttonGrid->setRowStretch(4, 1);
    grid->addLayout(buttonGrid, 1, 1, 2, 1);
    grid->addWidget(replacementEdit, 1, 2);
    grid->addWidget(suggestionList, 2, 2);
    grid->addWidget(statusLine, 3, 0);
    auto* fileButtons = new QHBoxLayout;
    fileButtons->addStretch(1);
    fileButtons->addWidget(openButton);
    fileButtons->addWidget(saveButton);
    grid->addLayout(fileButtons, 3, 1);
    grid->addWidget(rankingBox, 3, 2);
    grid->setColumnStretch(0, TEXT_WIDTH);
    grid->setColumnStretch(2, LIST_WIDTH);
    grid->setRowStretch(2, 1);

    QWidget::setTabOrder(inputBox, checkButton);
    QWidget::setTabOrder(checkButton, replacementEdit);
    QWidget::setTabOrder(replacementEdit, suggestionList);
    QWidget::setTabOrder(suggestionList, rankingBox);
    QWidget::setTabOrder(rankingBox, changeButton);
    QWidget::setTabOrder(changeButton, changeAllButton);
    QWidget::setTabOrder(changeAllButton, leaveButton);
    QWidget::setTabOrder(leaveButton, ignoreAllButton);
    QWidget::setTabOrder(ignoreAllButton, addButton);
    QWidget::setTabOrder(addButton, stopButton);
    QWidget::setTabOrder(stopButton, openButton);
    QWidget::setTabOrder(openButton, saveButton);
}

void DialogControls::giveTexts() {
    using namespace dialogtexts;
    checkButton->setText(CHECK_TEXT);
    changeButton->setText(CHANGE_TEXT);
    leaveButton->setText(LEAVE_TEXT);
    changeAllButton->setText(CHANGE_ALL_TEXT);
    ignoreAllButton->setText(IGNORE_ALL_TEXT);
    addButton->setText(ADD_TEXT);
    stopButton->setText(STOP_TEXT);
    openButton->setText(OPEN_TEXT);
    saveButton->setText(SAVE_TEXT);
    rankingBox->setText(RANKING_BOX);
    // After the texts, which would reset them.
    giveShortcut(checkButton, Qt::ALT | Qt::Key_K);
    giveShortcut(changeButton, Qt::ALT | Qt::Key_C);
    giveShortcut(leaveButton, Qt::ALT | Qt::Key_L);
    giveShortcut(stopButton, Qt::ALT | Qt::Key_S);
    giveShortcut(changeAllButton, Qt::ALT | Qt::Key_A);
    giveShortcut(ignoreAllButton, Qt::ALT | Qt::Key_I);
    giveShortcut(addButton, Qt::ALT | Qt::Key_D);
    giveShortcut(openButton, QKeySequence::Open);
    giveShortcut(saveButton, QKeySequence::Save);
}

void DialogControls::showPass(bool running, bool canCheck) {
    checkButton->setEnabled(!running && canCheck);
    openButton->setEnabled(!running);
    for (QPushButton* button : {changeButton, leaveButton, ignoreAllButton, addButton, stopButton})
        button->setEnabled(running);
    // Change All follows Change, once there is a replacement to put in.
    changeAllButton->setEnabled(false);
    inputBox->setReadOnly(running);
    if (!running) {
        suggestionList->clear();
        replacementEdit->clear();
        replacementEdit->setEnabled(false);
    }
}

QSize DialogControls::startSize(const QDialog& dialog) const {
    // The template's width in this font, then its proportions; the layout's minimum
    // wins where the font's tall lines need more room, and so does a list of
    // LIST_ROWS suggestions. The screen has the last word.
    const DialogUnits units(dialog.font());
    const QSize minimum = dialog.minimumSizeHint();
    const int row = QFontMetrics(suggestionList->font()).height() + 4;
    const int listRoom = LIST_ROWS * row + 2 * suggestionList->frameWidth();
    const int withList = minimum.height() - suggestionList->minimumSizeHint().height() + listRoom;
    int width = std::max(units.toPixelsX(DIALOG_WIDTH), minimum.width());
    int height = std::max(width * DIALOG_HEIGHT / DIALOG_WIDTH, minimum.height());
    width = std::max(width, height * DIALOG_WIDTH / DIALOG_HEIGHT);
    // Taller for the list, not wider.
    height = std::max(height, withList);
    if (const QScreen* screen = dialog.screen()) {
        const QRect room = screen->availableGeometry();
        width = std::min(width, room.width() * 9 / 10);
        height = std::min(height, room.height() * 9 / 10);
    }
    return {width, height};
}

void DialogControls::highlight(int start, int length) {
    // An extra selection colours the word without touching the document, so the undo
    // history holds the user's edits only.
    QTextEdit::ExtraSelection word;
    word.cursor = QTextCursor(inputBox->document());
    word.cursor.setPosition(start);
    word.cursor.setPosition(start + length, QTextCursor::KeepAnchor);
    word.format.setForeground(QColor(255, 0, 0));
    inputBox->setExtraSelections({word});
    // Bring the word into view in a long text.
    QTextCursor caret(inputBox->document());
    caret.setPosition(start);
    inputBox->setTextCursor(caret);
    inputBox->ensureCursorVisible();
}

void DialogControls::clearHighlight() {
    if (!inputBox->extraSelections().isEmpty())
        inputBox->setExtraSelections({});
}
