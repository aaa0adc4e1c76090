// SPDX-License-Identifier: MIT
#include "app/zabreldlg.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QShortcut>
#include <QSignalBlocker>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>
#include <QWheelEvent>
#include <algorithm>
#include <exception>
#include <memory>
#include <utility>

#include "app/aboutdlg.h"
#include "app/dialogtexts.h"
#include "app/dialogunits.h"
#include "app/messageboxes.h"
#include "app/misspellinghighlighter.h"
#include "app/textboxmenu.h"
#include "app/textboxtext.h"
#include "app/textfile.h"
#include "core/errors.h"

// Outside any namespace, as Q_INIT_RESOURCE requires.
static void initResources() {
    Q_INIT_RESOURCE(zabrel);
}

namespace {

using namespace dialogtexts;
// The dialog's own settings are Zabrel's (~/.config/Zabrel/Zabrel.conf), whatever the
// settings location the start-up names.
const QString SETTINGS_OWNER = QStringLiteral("Zabrel");

const QColor RED(255, 0, 0);
const QColor NORMAL(0, 0, 0);  // the text box's own colour

// The original dialog template: 286 x 100 units, the text box 154 units wide and the
// list 57. The window opens in these proportions and the two grow in this ratio.
constexpr int DIALOG_WIDTH = 286;
constexpr int DIALOG_HEIGHT = 100;
constexpr int TEXT_WIDTH = 154;
constexpr int LIST_WIDTH = 57;

constexpr int MIN_TEXT_POINTS = 8;
constexpr int MAX_TEXT_POINTS = 48;

}  // namespace

namespace {

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

}  // namespace

const QString CZabrelDlg::APP_NAME = QStringLiteral("Zabrel");

QIcon CZabrelDlg::applicationIcon() {
    // The icons live in this static library, so nothing would pull their registration in.
    static const bool registered = (initResources(), true);
    (void)registered;
    QIcon icon(QStringLiteral(":/zabrel/zabrel.png"));
    icon.addFile(QStringLiteral(":/zabrel/zabrel-32.png"));
    icon.addFile(QStringLiteral(":/zabrel/zabrel-16.png"));
    return icon;
}

CZabrelDlg::CZabrelDlg(MessageHandler messageHandler, QWidget* parent, const std::filesystem::path& folder)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint),
      messages(std::move(messageHandler)),
      dictionaryFolder(folder) {
    icon = applicationIcon();
    setModal(true);
    setWindowTitle(APP_NAME);
    setLayoutDirection(Qt::RightToLeft);
    setFont(dialogFont());
    createControls();
    placeControls();
    onInitDialog();
    fitToScreen();
}

CZabrelDlg::~CZabrelDlg() {
    // Words whose save failed get a last try; the user was told when it failed.
    try {
        speller.savePersonal();
    } catch (const zabrel::SessionError&) {
    }
}

void CZabrelDlg::createControls() {
    // The tab order is set in placeControls().
    inputBox = tagged(new QTextEdit(this), IDC_INPUT, "inputBox");
    inputBox->setAcceptRichText(false);
    inputBox->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QTextOption option = inputBox->document()->defaultTextOption();
    option.setTextDirection(Qt::RightToLeft);
    option.setAlignment(Qt::AlignRight | Qt::AlignAbsolute);
    inputBox->document()->setDefaultTextOption(option);
    // Tab is a character of the text; Ctrl+Tab leaves the box (eventFilter).
    inputBox->setTabChangesFocus(false);
    // Colours are absolute (red and black), so the box is always black on white.
    QPalette palette = inputBox->palette();
    palette.setColor(QPalette::Base, Qt::white);
    palette.setColor(QPalette::Text, NORMAL);
    inputBox->setPalette(palette);

    checkButton = tagged(new QPushButton(QStringLiteral("SPL Check"), this), IDC_CHECK, "checkButton");
    suggestionList = tagged(new QListWidget(this), IDC_SUGGESTIONS, "suggestionList");
    suggestionList->setSelectionMode(QAbstractItemView::SingleSelection);
    suggestionList->setSortingEnabled(false);
    suggestionList->setUniformItemSizes(true);
    changeButton = tagged(new QPushButton(QStringLiteral("Change"), this), IDC_CHANGE, "changeButton");
    leaveButton = tagged(new QPushButton(QStringLiteral("Leave"), this), IDC_LEAVE, "leaveButton");
    changeAllButton = tagged(new QPushButton(CHANGE_ALL_TEXT, this), IDC_CHANGE_ALL, "changeAllButton");
    ignoreAllButton = tagged(new QPushButton(IGNORE_ALL_TEXT, this), IDC_IGNORE_ALL, "ignoreAllButton");
    addButton = tagged(new QPushButton(ADD_TEXT, this), IDC_ADD, "addButton");
    stopButton = tagged(new QPushButton(STOP_TEXT, this), IDC_STOP, "stopButton");
    statusLine = tagged(new QLabel(this), IDC_STATUS, "statusLine");
    // A long status must not widen the window past a small screen.
    statusLine->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    openButton = tagged(new QPushButton(OPEN_TEXT, this), IDC_OPEN, "openButton");
    saveButton = tagged(new QPushButton(SAVE_TEXT, this), IDC_SAVE, "saveButton");
    replacementEdit = tagged(new QLineEdit(this), IDC_REPLACEMENT, "replacementEdit");
    promptEdit = makeCaptionEdit(this, IDC_PROMPT, "promptEdit");
    captionEdit = makeCaptionEdit(this, IDC_SUGGESTIONS_CAPTION, "captionEdit");

    // Only real edits reach the document: the highlight is an extra selection.
    connect(inputBox->document(), &QTextDocument::contentsChange, this, [this] { boxEdited = true; });
    // No default button: Return in the dialog must never start a pass by itself.
    // Enter on a focused button presses it (keyPressEvent).
    for (QPushButton* button : findChildren<QPushButton*>(Qt::FindDirectChildrenOnly)) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }
    inputBox->installEventFilter(this);
    suggestionList->installEventFilter(this);
    // The focused list shows it, also before an item is current.
    suggestionList->setStyleSheet(
        QStringLiteral("QListWidget:focus { border: 2px solid palette(highlight); }"));
    connect(suggestionList, &QListWidget::itemDoubleClicked, this, &CZabrelDlg::onChange);
    connect(checkButton, &QPushButton::clicked, this, &CZabrelDlg::onCheck);
    connect(changeButton, &QPushButton::clicked, this, &CZabrelDlg::onChange);
    connect(leaveButton, &QPushButton::clicked, this, &CZabrelDlg::onLeave);
    connect(stopButton, &QPushButton::clicked, this, &CZabrelDlg::onStop);
    connect(changeAllButton, &QPushButton::clicked, this, &CZabrelDlg::onChangeAll);
    connect(ignoreAllButton, &QPushButton::clicked, this, &CZabrelDlg::onIgnoreAll);
    connect(addButton, &QPushButton::clicked, this, &CZabrelDlg::onAdd);
    connect(openButton, &QPushButton::clicked, this, &CZabrelDlg::onOpen);
    connect(saveButton, &QPushButton::clicked, this, &CZabrelDlg::onSave);
    connect(inputBox->document(), &QTextDocument::modificationChanged, this, [this](bool modified) {
        // Only a file's title has the "[*]" that shows it.
        if (!currentFile.isEmpty())
            setWindowModified(modified);
    });
    inputBox->viewport()->installEventFilter(this);
    highlighter = new MisspellingHighlighter(
        inputBox->document(), [this](const QString& word) { return isMisspeltQuick(word); },
        [this]() -> const zabrel::WordLetters* { return speller.isOpen() ? &speller.letters() : nullptr; });
    inputBox->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(inputBox, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        std::unique_ptr<QMenu> menu(createTextBoxMenu(pos));
        menu->exec(inputBox->viewport()->mapToGlobal(pos));
    });
    for (QKeySequence zoomIn : {QKeySequence(QKeySequence::ZoomIn), QKeySequence(Qt::CTRL | Qt::Key_Equal)})
        connect(new QShortcut(zoomIn, this), &QShortcut::activated, this, [this] { zoomText(1); });
    connect(new QShortcut(QKeySequence::ZoomOut, this), &QShortcut::activated, this,
            [this] { zoomText(-1); });
    connect(new QShortcut(Qt::CTRL | Qt::Key_0, this), &QShortcut::activated, this, [this] { zoomText(0); });
    // The chosen suggestion goes into the edit, where the user may still correct it.
    connect(suggestionList, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0)
            replacementEdit->setText(suggestionList->item(row)->text());
    });
    connect(replacementEdit, &QLineEdit::textChanged, this, &CZabrelDlg::updateChangeButton);
}

void CZabrelDlg::placeControls() {
    // Column 0 is the right-hand one: the layout is mirrored with the dialog.
    auto* grid = new QGridLayout(this);
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
    grid->addLayout(fileButtons, 3, 1, 1, 2);
    grid->setColumnStretch(0, TEXT_WIDTH);
    grid->setColumnStretch(2, LIST_WIDTH);
    grid->setRowStretch(2, 1);

    QWidget::setTabOrder(inputBox, checkButton);
    QWidget::setTabOrder(checkButton, replacementEdit);
    QWidget::setTabOrder(replacementEdit, suggestionList);
    QWidget::setTabOrder(suggestionList, changeButton);
    QWidget::setTabOrder(changeButton, changeAllButton);
    QWidget::setTabOrder(changeAllButton, leaveButton);
    QWidget::setTabOrder(leaveButton, ignoreAllButton);
    QWidget::setTabOrder(ignoreAllButton, addButton);
    QWidget::setTabOrder(addButton, stopButton);
    QWidget::setTabOrder(stopButton, openButton);
    QWidget::setTabOrder(openButton, saveButton);
}

void CZabrelDlg::fitToScreen() {
    // The template's width in this font, then its proportions; the layout's minimum
    // wins where the font's tall lines need more room, and the screen has the last word.
    const DialogUnits units(font());
    const QSize minimum = minimumSizeHint();
    int width = std::max(units.toPixelsX(DIALOG_WIDTH), minimum.width());
    int height = std::max(width * DIALOG_HEIGHT / DIALOG_WIDTH, minimum.height());
    width = std::max(width, height * DIALOG_WIDTH / DIALOG_HEIGHT);
    if (const QScreen* screen = this->screen()) {
        const QRect room = screen->availableGeometry();
        width = std::min(width, room.width() * 9 / 10);
        height = std::min(height, room.height() * 9 / 10);
    }
    resize(width, height);
}

void CZabrelDlg::onInitDialog() {
    // Window managers own the system menu here, so the about entry lives in the
    // dialog's context menu and on F1.
    setContextMenuPolicy(Qt::ActionsContextMenu);
    auto* separator = new QAction(this);
    separator->setSeparator(true);
    addAction(separator);
    aboutAction = new QAction(ABOUT_ENTRY, this);
    aboutAction->setObjectName(QStringLiteral("aboutAction"));
    aboutAction->setShortcut(QKeySequence(Qt::Key_F1));
    connect(aboutAction, &QAction::triggered, this, &CZabrelDlg::showAbout);
    rankingAction = new QAction(RANKING_ENTRY, this);
    rankingAction->setObjectName(QStringLiteral("rankingAction"));
    rankingAction->setCheckable(true);
    connect(rankingAction, &QAction::toggled, this, &CZabrelDlg::setAccurateRanking);
    addAction(aboutAction);
    addAction(rankingAction);

    setWindowIcon(icon);

    QString failure;
    try {
        // Word by word, as the engine answers.
        speller.setArabicLetterForms(zabrel::SpellerSession::ArabicForms::AsTheEngine);
        if (!speller.open(dictionaryFolder))
            failure = QString::fromStdString("the dictionary in " + dictionaryFolder.string() +
                                             " could not be loaded");
        else
            walk.setLetters(&speller.letters());
        rankingAction->setChecked(QSettings(SETTINGS_OWNER, APP_NAME).value(RANKING_KEY).toString() ==
                                  QLatin1String("accurate"));
    } catch (const zabrel::SessionError& ex) {
        failure = QString::fromStdString(ex.what());
    }

    promptText = PROMPT;
    suggestionsCaption = SUGGESTIONS_CAPTION;
    checkButton->setText(CHECK_TEXT);
    changeButton->setText(CHANGE_TEXT);
    leaveButton->setText(LEAVE_TEXT);
    setWindowTitle(TITLE);
    // After the texts, which would reset them. Alt and a Latin letter: Urdu labels have
    // no letter that a Latin keyboard could reach.
    giveShortcut(checkButton, Qt::ALT | Qt::Key_K);
    giveShortcut(changeButton, Qt::ALT | Qt::Key_C);
    giveShortcut(leaveButton, Qt::ALT | Qt::Key_L);
    giveShortcut(stopButton, Qt::ALT | Qt::Key_S);
    giveShortcut(changeAllButton, Qt::ALT | Qt::Key_A);
    giveShortcut(ignoreAllButton, Qt::ALT | Qt::Key_I);
    giveShortcut(addButton, Qt::ALT | Qt::Key_D);
    giveShortcut(openButton, QKeySequence::Open);
    giveShortcut(saveButton, QKeySequence::Save);
    auto* saveAs = new QShortcut(QKeySequence::SaveAs, this);
    connect(saveAs, &QShortcut::activated, this, &CZabrelDlg::onSaveAs);

    // Nothing to change or leave until a check has found a word.
    changeButton->setEnabled(false);
    changeAllButton->setEnabled(false);
    leaveButton->setEnabled(false);
    ignoreAllButton->setEnabled(false);
    addButton->setEnabled(false);
    stopButton->setEnabled(false);
    replacementEdit->setEnabled(false);
    if (!failure.isEmpty()) {
        setUpFailed = true;
        promptText = NO_DICTIONARY;
        checkButton->setEnabled(false);
    }

    refreshControls();
    inputBox->setFocus();
    if (setUpFailed) {
        reportError(failure);
        return;
    }
    // Without its list the dialog still checks; adding then reports why it cannot.
    try {
        speller.usePersonalList(zabrel::PersonalWordList::defaultPath());
    } catch (const zabrel::SessionError& ex) {
        reportError(QString::fromStdString(ex.what()));
    }
    for (const std::string& warning : speller.takeWarnings())
        reportError(QString::fromStdString(warning));
}

void CZabrelDlg::onCheck() {
    if (setUpFailed)
        return;
    checkButton->setEnabled(false);
    changeButton->setEnabled(true);
    leaveButton->setEnabled(true);
    ignoreAllButton->setEnabled(true);
    addButton->setEnabled(true);
    stopButton->setEnabled(true);
    openButton->setEnabled(false);
    // The pass's red word is the only mark during a pass.
    highlighter->setActive(false);
    inputBox->setReadOnly(true);
    refreshMembers();
    walk.start(inputText.toStdU16String());
    runPass();
}

void CZabrelDlg::onChange() {
    changeWord(false);
}

void CZabrelDlg::onChangeAll() {
    changeWord(true);
}

void CZabrelDlg::changeWord(bool everywhere) {
    if (!walk.isPaused() || !changeButton->isEnabled())
        return;
    const QString replacement = replacementEdit->text();
    if (everywhere)
        walk.changeAll(replacement.toStdU16String());
    clearHighlight();
    replaceText(walk.getHighlightStart(), walk.getWordLength(), replacement);
    walk.replaced(static_cast<int32_t>(replacement.size()));
    walk.leave();
    runPass();
}

void CZabrelDlg::onAdd() {
    if (!walk.isPaused())
        return;
    if (!addToPersonalList(walk.getCurrentWord()))
        return;
    clearHighlight();
    walk.leave();
    runPass();
}

bool CZabrelDlg::addToPersonalList(const std::u16string& word) {
    // Saved next to what other programs saved since the list was read. A save that
    // fails is told and leaves the pass where it is; the word stays accepted here and
    // pending, for the next save to write.
    verdicts.clear();
    try {
        speller.addPersonal(speller.letters().lettersOf(word));
    } catch (const zabrel::SessionError& ex) {
        reportError(QString::fromStdString(ex.what()));
        return false;
    }
    return true;
}

void CZabrelDlg::setAccurateRanking(bool on) {
    try {
        speller.setRanking(on ? zabrel::Ranking::Accurate : zabrel::Ranking::Exact);
    } catch (const zabrel::SessionError& ex) {
        // A bad cost table: the exact ranking stays.
        const QSignalBlocker quiet(rankingAction);
        rankingAction->setChecked(false);
        reportError(QString::fromStdString(ex.what()));
        return;
    }
    QSettings(SETTINGS_OWNER, APP_NAME)
        .setValue(RANKING_KEY, on ? QStringLiteral("accurate") : QStringLiteral("exact"));
}

void CZabrelDlg::onIgnoreAll() {
    if (!walk.isPaused())
        return;
    clearHighlight();
    walk.ignoreAll();
    verdicts.clear();
    runPass();
}

void CZabrelDlg::replaceText(int start, int length, const QString& replacement) {
    QTextCursor cursor(inputBox->document());
    cursor.setPosition(start);
    cursor.setPosition(start + length, QTextCursor::KeepAnchor);
    // One undo step, which the user can take back once the pass is over.
    cursor.beginEditBlock();
    cursor.insertText(replacement);
    cursor.endEditBlock();
    refreshMembers();
}

void CZabrelDlg::onLeave() {
    if (!walk.isPaused())
        return;
    clearHighlight();
    walk.leave();
    runPass();
}

void CZabrelDlg::onStop() {
    if (!walk.isPaused())
        return;
    clearHighlight();
    walk.stop();
    returnToIdle();
    showStatus(STATUS_STOPPED);
    inputBox->setFocus();
}

bool CZabrelDlg::onSave() {
    return currentFile.isEmpty() ? onSaveAs() : saveFile(currentFile);
}

bool CZabrelDlg::onSaveAs() {
    const QString path = files(this, true, currentFile);
    return !path.isEmpty() && saveFile(path);
}

void CZabrelDlg::onOpen() {
    if (walk.isPaused() || !confirmDiscard())
        return;
    const QString path = files(this, false, currentFile);
    if (!path.isEmpty())
        openFile(path);
}

bool CZabrelDlg::openFile(const QString& path) {
    if (walk.isPaused())
        return false;
    TextFile opened;
    QString error;
    if (!opened.read(path, error)) {
        reportError(error);
        return false;
    }
    fileFormat = opened;
    inputBox->setPlainText(opened.text());
    inputBox->document()->setModified(false);
    refreshMembers();
    statusLine->clear();
    setCurrentFile(path);
    inputBox->setFocus();
    return true;
}

bool CZabrelDlg::saveFile(const QString& path) {
    const QString text = textboxtext::forTextBox(textboxtext::snapshot(*inputBox->document()));
    QString error;
    if (!fileFormat.write(path, text, error)) {
        reportError(error);
        return false;
    }
    inputBox->document()->setModified(false);
    setCurrentFile(path);
    return true;
}

void CZabrelDlg::setCurrentFile(const QString& path) {
    currentFile = path;
    // "[*]" shows as "*" while the text differs from the file.
    setWindowTitle(QFileInfo(path).fileName() + QStringLiteral("[*] — ") + TITLE);
    setWindowModified(inputBox->document()->isModified());
}

void CZabrelDlg::reject() {
    if (!confirmDiscard())
        return;
    if (walk.isPaused())
        onStop();
    QDialog::reject();
}

void CZabrelDlg::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier && walk.isPaused()) {
        onStop();
        return;
    }
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        event->modifiers() == Qt::NoModifier) {
        QWidget* focused = focusWidget();
        if (auto* button = qobject_cast<QPushButton*>(focused); button != nullptr && button->isEnabled())
            button->click();
        else if (focused == suggestionList || focused == replacementEdit)
            onChange();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool CZabrelDlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == inputBox->viewport() && acceptFileDrop(event))
        return true;
    if (watched == inputBox->viewport() && event->type() == QEvent::Wheel) {
        const auto* wheel = static_cast<QWheelEvent*>(event);
        if (wheel->modifiers() & Qt::ControlModifier) {
            if (wheel->angleDelta().y() != 0)
                zoomText(wheel->angleDelta().y() > 0 ? 1 : -1);
            return true;
        }
    }
    if (watched == inputBox && event->type() == QEvent::KeyPress) {
        // Tab is a character in the text; Ctrl+Tab leaves the box, as in other editors.
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->modifiers() & Qt::ControlModifier) &&
            (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab)) {
            if (key->key() == Qt::Key_Backtab || (key->modifiers() & Qt::ShiftModifier))
                focusPreviousChild();
            else
                focusNextChild();
            return true;
        }
    }
    if (watched == suggestionList && event->type() == QEvent::FocusIn && suggestionList->currentRow() < 0 &&
        suggestionList->count() > 0)
        suggestionList->setCurrentRow(0);
    return QDialog::eventFilter(watched, event);
}

bool CZabrelDlg::acceptFileDrop(QEvent* event) {
    const auto type = event->type();
    if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop)
        return false;
    auto* drop = static_cast<QDropEvent*>(event);
    const QMimeData* data = drop->mimeData();
    // Dropped text is the text box's business; a dropped file is opened.
    if (data == nullptr || !data->hasUrls() || data->urls().value(0).toLocalFile().isEmpty())
        return false;
    if (walk.isPaused()) {
        drop->ignore();
        return true;
    }
    drop->acceptProposedAction();
    if (type == QEvent::Drop) {
        const QString path = data->urls().value(0).toLocalFile();
        // After the drop has finished: asking about unsaved text inside it would block
        // the drag source.
        QTimer::singleShot(0, this, [this, path] {
            if (confirmDiscard())
                openFile(path);
        });
    }
    return true;
}

void CZabrelDlg::zoomText(int steps) {
    QFont font = inputBox->font();
    const int size = steps == 0 ? this->font().pointSize() : font.pointSize() + steps;
    font.setPointSize(std::clamp(size, MIN_TEXT_POINTS, MAX_TEXT_POINTS));
    inputBox->setFont(font);
}

bool CZabrelDlg::isMisspeltQuick(const QString& word) {
    if (setUpFailed)
        return false;
    auto known = verdicts.constFind(word);
    if (known == verdicts.constEnd()) {
        bool wrong = false;
        try {
            wrong = speller.isMisspelt(word.toStdU16String());
        } catch (const zabrel::SessionError&) {
            // The engine failed on this word: no line, and the pass will say why.
        }
        // A long text has a few thousand distinct words; this only guards against
        // a pathological one.
        if (verdicts.size() > 200000)
            verdicts.clear();
        known = verdicts.insert(word, wrong);
    }
    return known.value();
}

QMenu* CZabrelDlg::createTextBoxMenu(const QPoint& pos) {
    TextBoxMenuActions actions;
    actions.isMisspelt = [this](const QString& word) { return isMisspeltQuick(word); };
    actions.replace = [this](int start, int length, const QString& replacement) {
        replaceText(start, length, replacement);
    };
    actions.ignoreAll = [this](const std::u16string& word) {
        speller.accept(word);
        verdicts.clear();
        highlighter->rehighlight();
    };
    actions.add = [this](const std::u16string& word) {
        if (addToPersonalList(word))
            highlighter->rehighlight();
    };
    const bool withWord = !walk.isPaused() && highlighter->isActive() && !setUpFailed;
    return ::createTextBoxMenu(*inputBox, pos, speller, withWord, actions);
}

void CZabrelDlg::giveShortcut(QPushButton* button, QKeySequence key) {
    button->setShortcut(key);
    button->setToolTip(key.toString(QKeySequence::NativeText));
}

bool CZabrelDlg::hasUnsavedText() const {
    const QTextDocument& document = *inputBox->document();
    if (!document.isModified() || document.isEmpty())
        return false;
    // Copied as a whole, the text lives on outside the dialog.
    const QClipboard* clipboard = QGuiApplication::clipboard();
    return clipboard == nullptr || clipboard->text() != inputBox->toPlainText();
}

bool CZabrelDlg::confirmDiscard() {
    if (!hasUnsavedText())
        return true;
    switch (questions(this, APP_NAME, UNSAVED_QUESTION)) {
        case Answer::Save:
            return onSave();
        case Answer::Discard:
            return true;
        case Answer::Cancel:
            break;
    }
    return false;
}

void CZabrelDlg::showAbout() {
    CAboutDlg about(icon, this);
    about.exec();
}

void CZabrelDlg::runPass() {
    auto check = [this](std::u16string word, std::vector<std::u16string>& suggestions) {
        return speller.check(word, suggestions);
    };
    QString failure;
    try {
        auto replace = [this](int32_t start, int32_t length, const std::u16string& replacement) {
            replaceText(start, length, QString::fromStdU16String(replacement));
        };
        if (walk.findMisspelt(
                check, [this] { refreshControls(); }, replace)) {
            highlightWord(walk.getHighlightStart(), walk.getWordLength());
            refreshMembers();
            pauseOnWord();
        }
    } catch (const std::exception& ex) {
        // The speller's errors, and running out of memory in the walk itself.
        failure = QString::fromStdString(ex.what());
    }
    if (!failure.isEmpty()) {
        // The pass stops; the text stays as it is and can be checked again.
        returnToIdle();
        statusLine->clear();
        reportError(failure);
        return;
    }
    finishPass();
}

void CZabrelDlg::pauseOnWord() {
    suggestionList->clear();
    for (const std::u16string& suggestion : walk.getSuggestions())
        suggestionList->addItem(QString::fromStdU16String(suggestion));
    replacementEdit->setEnabled(true);
    // With nothing to offer, the user may still type the right spelling over the word.
    replacementEdit->setText(QString::fromStdU16String(walk.getCurrentWord()));
}

void CZabrelDlg::updateChangeButton() {
    const QString text = replacementEdit->text();
    const bool canChange =
        walk.isPaused() && !text.isEmpty() && text != QString::fromStdU16String(walk.getCurrentWord());
    changeButton->setEnabled(canChange);
    changeAllButton->setEnabled(canChange);
}

void CZabrelDlg::showStatus(const QString& pattern) {
    // Not arg(): it numbers by the placeholders present, and not every pattern has all three.
    QString text = pattern;
    text.replace(QStringLiteral("%1"), QString::number(walk.getStopCount()));
    text.replace(QStringLiteral("%2"), QString::number(walk.getMisspeltCount()));
    text.replace(QStringLiteral("%3"), QString::number(walk.getWordsChecked()));
    statusLine->setText(text);
}

void CZabrelDlg::finishPass() {
    if (!walk.getSuggestions().empty())
        suggestionList->setCurrentRow(0);
    updateChangeButton();
    if (walk.isPaused())
        showStatus(STATUS_PAUSED);
    if (walk.atEnd() && !walk.isPaused()) {
        returnToIdle();
        showStatus(STATUS_DONE);
        // Back to the text before the message, so that closing it lands there too.
        inputBox->setFocus();
        messages(this, APP_NAME, COMPLETED);
        inputBox->setFocus();
    }
}

void CZabrelDlg::returnToIdle() {
    checkButton->setEnabled(!setUpFailed);
    changeButton->setEnabled(false);
    changeAllButton->setEnabled(false);
    leaveButton->setEnabled(false);
    ignoreAllButton->setEnabled(false);
    addButton->setEnabled(false);
    stopButton->setEnabled(false);
    openButton->setEnabled(true);
    highlighter->setActive(!setUpFailed);
    suggestionList->clear();
    replacementEdit->clear();
    replacementEdit->setEnabled(false);
    inputBox->setReadOnly(false);
}

void CZabrelDlg::reportError(const QString& text) {
    messages(this, APP_NAME, text);
}

void CZabrelDlg::refreshControls() {
    if (promptEdit->text() != promptText)
        promptEdit->setText(promptText);
    if (captionEdit->text() != suggestionsCaption)
        captionEdit->setText(suggestionsCaption);
    // Rewriting the box would drop its undo history and, on every word of a pass, make
    // the pass quadratic. The box is read-only during a pass, so it only happens when
    // the text really differs.
    if (boxEdited && textboxtext::snapshot(*inputBox->document()) != inputText)
        inputBox->setPlainText(textboxtext::forTextBox(inputText));
    boxEdited = false;
    clearHighlight();
}

void CZabrelDlg::refreshMembers() {
    inputText = textboxtext::snapshot(*inputBox->document());
    boxEdited = false;
}

void CZabrelDlg::highlightWord(int start, int length) {
    // An extra selection colours the word without touching the document, so the undo
    // history holds the user's edits only.
    QTextEdit::ExtraSelection word;
    word.cursor = QTextCursor(inputBox->document());
    word.cursor.setPosition(start);
    word.cursor.setPosition(start + length, QTextCursor::KeepAnchor);
    word.format.setForeground(RED);
    inputBox->setExtraSelections({word});
    // Bring the word into view in a long text.
    QTextCursor caret(inputBox->document());
    caret.setPosition(start);
    inputBox->setTextCursor(caret);
    inputBox->ensureCursorVisible();
}

void CZabrelDlg::clearHighlight() {
    if (!inputBox->extraSelections().isEmpty())
        inputBox->setExtraSelections({});
}
