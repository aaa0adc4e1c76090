// SPDX-License-Identifier: MIT
#include "app/zabreldlg.h"

#include <QAction>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QShortcut>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <memory>
#include <utility>

#include "app/aboutdlg.h"
#include "app/dialogtexts.h"
#include "app/rankingchoice.h"
#include "app/textboxkeys.h"
#include "app/textboxspelling.h"
#include "app/textboxtext.h"

namespace {

using namespace dialogtexts;

}  // namespace

const QString CZabrelDlg::APP_NAME = dialogtexts::APP_NAME;

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
    ui.setUp(*this);
    document = new DocumentFile(*ui.inputBox, *this, messages);
    connectControls();
    onInitDialog();
    restoreWindow();
}

CZabrelDlg::~CZabrelDlg() {
    // Words whose save failed get a last try; the user was told when it failed.
    try {
        speller.savePersonal();
    } catch (const zabrel::SessionError&) {
    }
}

void CZabrelDlg::connectControls() {
    QTextEdit* box = ui.inputBox;
    // Only real edits reach the document: the highlight is an extra selection.
    connect(box->document(), &QTextDocument::contentsChange, this, [this] { boxEdited = true; });
    box->viewport()->installEventFilter(this);
    ui.suggestionList->installEventFilter(this);
    connect(ui.suggestionList, &QListWidget::itemDoubleClicked, this, &CZabrelDlg::onChange);
    connect(ui.checkButton, &QPushButton::clicked, this, &CZabrelDlg::onCheck);
    connect(ui.changeButton, &QPushButton::clicked, this, &CZabrelDlg::onChange);
    connect(ui.leaveButton, &QPushButton::clicked, this, &CZabrelDlg::onLeave);
    connect(ui.stopButton, &QPushButton::clicked, this, &CZabrelDlg::onStop);
    connect(ui.changeAllButton, &QPushButton::clicked, this, &CZabrelDlg::onChangeAll);
    connect(ui.ignoreAllButton, &QPushButton::clicked, this, &CZabrelDlg::onIgnoreAll);
    connect(ui.addButton, &QPushButton::clicked, this, &CZabrelDlg::onAdd);
    connect(ui.openButton, &QPushButton::clicked, this, &CZabrelDlg::onOpen);
    connect(ui.saveButton, &QPushButton::clicked, this, &CZabrelDlg::onSave);
    connect(box->document(), &QTextDocument::modificationChanged, this, [this](bool modified) {
        // Only a file's title has the "[*]" that shows it.
        if (!document->fileName().isEmpty())
            setWindowModified(modified);
    });
    connect(document, &DocumentFile::fileNameChanged, this, &CZabrelDlg::showFileName);
    connect(document, &DocumentFile::textReplaced, this, &CZabrelDlg::forgetChoices);
    spelling = new TextBoxSpelling(
        *box, speller,
        [this](int start, int length, const QString& replacement) {
            replaceText(start, length, replacement);
        },
        messages, *this);
    box->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(box, &QWidget::customContextMenuRequested, this, [this, box](const QPoint& pos) {
        std::unique_ptr<QMenu> menu(createTextBoxMenu(pos));
        menu->exec(box->viewport()->mapToGlobal(pos));
    });
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        std::unique_ptr<QMenu> menu(createDialogMenu());
        menu->exec(mapToGlobal(pos));
    });
    connect(new TextBoxKeys(*box, *this), &TextBoxKeys::leaveRequested, this,
            [this](bool forward) { forward ? focusNextChild() : focusPreviousChild(); });
    // The chosen suggestion goes into the edit, where the user may still correct it.
    connect(ui.suggestionList, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0)
            ui.replacementEdit->setText(ui.suggestionList->item(row)->text());
    });
    connect(ui.replacementEdit, &QLineEdit::textChanged, this, &CZabrelDlg::updateChangeButton);
}

void CZabrelDlg::onInitDialog() {
    // Window managers own the system menu here, so the about entry lives in the
    // dialog's own menu and on F1.
    auto makeAction = [this](const QString& text, const char* name, QKeySequence key) {
        auto* action = new QAction(text, this);
        action->setObjectName(QString::fromLatin1(name));
        action->setShortcut(key);
        return action;
    };
    aboutAction = makeAction(ABOUT_ENTRY, "aboutAction", Qt::Key_F1);
    connect(aboutAction, &QAction::triggered, this, &CZabrelDlg::showAbout);
    newTextAction = makeAction(NEW_TEXT_ENTRY, "newTextAction", QKeySequence::New);
    connect(newTextAction, &QAction::triggered, this, &CZabrelDlg::onNewText);
    ranking = new RankingChoice(speller, *ui.rankingBox, messages, *this);
    connect(ranking, &RankingChoice::changed, this, &CZabrelDlg::rerankPaused);
    // Shortcuts of actions work only on a widget that holds them.
    addActions({newTextAction, aboutAction});

    setWindowIcon(icon);

    QString failure;
    try {
        // Word by word, as the engine answers.
        speller.setArabicLetterForms(zabrel::SpellerSession::ArabicForms::AsTheEngine);
        if (!speller.open(dictionaryFolder)) {
            failure = QString::fromStdString(dictionaryFolder.string());
        } else {
            ranking->restore();
        }
    } catch (const zabrel::SessionError& ex) {
        failure = failureDetail(ex);
    }

    promptText = PROMPT;
    suggestionsCaption = SUGGESTIONS_CAPTION;
    ui.giveTexts();
    setWindowTitle(TITLE);
    auto* saveAs = new QShortcut(QKeySequence::SaveAs, this);
    connect(saveAs, &QShortcut::activated, this, &CZabrelDlg::onSaveAs);

    // Nothing to change or leave until a check has found a word.
    ui.showPass(false, failure.isEmpty());
    if (!failure.isEmpty()) {
        setUpFailed = true;
        spelling->setUsable(false);
        promptText = NO_DICTIONARY;
    }

    refreshControls();
    ui.inputBox->setFocus();
    if (setUpFailed) {
        reportError(NO_DICTIONARY.chopped(1), failure);
        return;
    }
    // Without its list the dialog still checks; adding then reports why it cannot.
    try {
        speller.usePersonalList(zabrel::PersonalWordList::defaultPath());
    } catch (const zabrel::SessionError& ex) {
        reportError(PERSONAL_LIST_FAILED, failureDetail(ex));
    }
    for (const std::string& warning : speller.takeWarnings())
        reportError(NOTICE, QString::fromStdString(warning));
}

void CZabrelDlg::restoreWindow() {
    // The size and place the user left it at; the first time, the template's.
    resize(ui.startSize(*this));
    const QByteArray saved = dialogSettings().value(GEOMETRY_KEY).toByteArray();
    if (!saved.isEmpty())
        restoreGeometry(saved);
}

void CZabrelDlg::rememberWindow() {
    dialogSettings().setValue(GEOMETRY_KEY, saveGeometry());
}

void CZabrelDlg::onCheck() {
    if (setUpFailed)
        return;
    ui.showPass(true, true);
    newTextAction->setEnabled(false);
    // The pass's red word is the only mark during a pass.
    spelling->setActive(false);
    refreshMembers();
    // Each misspelt word stops the pass; one that is a piece of a word broken in two
    // stops it over both pieces.
    pass.emplace(speller.pass(textboxtext::lines(*ui.inputBox->document()),
                              {zabrel::Positions::Utf16Units, zabrel::Joins::Widen}));
    runPass();
}

void CZabrelDlg::onChange() {
    changeWord(false);
}

void CZabrelDlg::onChangeAll() {
    changeWord(true);
}

void CZabrelDlg::changeWord(bool everywhere) {
    if (!paused() || !(everywhere ? ui.changeAllButton : ui.changeButton)->isEnabled())
        return;
    const QString replacement = ui.replacementEdit->text();
    ui.clearHighlight();
    const zabrel::Span& span = pass->span();
    replaceText(static_cast<int>(span.start), static_cast<int>(span.length), replacement);
    if (everywhere)
        pass->changeAll(replacement.toStdU16String());
    else
        pass->change(replacement.toStdU16String());
    runPass();
}

void CZabrelDlg::onAdd() {
    if (!paused() || !spelling->adding([this] { pass->add(); }))
        return;
    ui.clearHighlight();
    runPass();
}

void CZabrelDlg::onIgnoreAll() {
    if (!paused())
        return;
    ui.clearHighlight();
    pass->ignoreAll();
    spelling->wordsChanged();
    runPass();
}

void CZabrelDlg::replaceText(int start, int length, const QString& replacement) {
    QTextDocument& text = *ui.inputBox->document();
    // The same edit in inputText, whose line breaks are two units where the box's are
    // one: a block's start moves by one for every break before it. Replacements never
    // hold a break, so nothing else moves.
    const QTextBlock block = text.findBlock(start);
    const QString before = block.text().left(start - block.position());
    const int snapshotStart =
        start + block.blockNumber() + static_cast<int>(before.count(QChar::LineSeparator));
    const bool inStep = !boxEdited;
    QTextCursor cursor(&text);
    cursor.setPosition(start);
    cursor.setPosition(start + length, QTextCursor::KeepAnchor);
    // One undo step, which the user can take back once the pass is over.
    cursor.beginEditBlock();
    cursor.insertText(replacement);
    cursor.endEditBlock();
    if (inStep) {
        inputText.replace(snapshotStart, length, replacement);
        boxEdited = false;
    }
}

void CZabrelDlg::onLeave() {
    if (!paused())
        return;
    ui.clearHighlight();
    pass->leave();
    runPass();
}

void CZabrelDlg::onStop() {
    if (!paused())
        return;
    ui.clearHighlight();
    pass->stop();
    returnToIdle();
    showStatus(STATUS_STOPPED);
    ui.inputBox->setFocus();
}

void CZabrelDlg::onOpen() {
    if (!paused())
        document->chooseAndOpen();
}

void CZabrelDlg::onNewText() {
    if (!paused())
        document->startNew();
}

bool CZabrelDlg::openFile(const QString& path) {
    return !paused() && document->open(path);
}

void CZabrelDlg::forgetChoices() {
    const bool hadChoices = !speller.choices().empty();
    speller.clearChoices();
    spelling->wordsChanged();
    if (hadChoices)
        ui.statusLine->setText(CHOICES_CLEARED);
    else
        ui.statusLine->clear();
}

void CZabrelDlg::showFileName(const QString& path) {
    // "[*]" shows as "*" while the text differs from the file.
    setWindowTitle(path.isEmpty() ? TITLE : QFileInfo(path).fileName() + QStringLiteral("[*] — ") + TITLE);
    setWindowModified(!path.isEmpty() && ui.inputBox->document()->isModified());
}

void CZabrelDlg::reject() {
    if (!document->confirmDiscard(DocumentFile::Purpose::Close))
        return;
    if (paused())
        onStop();
    rememberWindow();
    QDialog::reject();
}

void CZabrelDlg::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier && paused()) {
        onStop();
        return;
    }
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        event->modifiers() == Qt::NoModifier) {
        QWidget* focused = focusWidget();
        if (auto* button = qobject_cast<QPushButton*>(focused); button != nullptr && button->isEnabled())
            button->click();
        else if (focused == ui.suggestionList || focused == ui.replacementEdit)
            onChange();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool CZabrelDlg::eventFilter(QObject* watched, QEvent* event) {
    QTextEdit* box = ui.inputBox;
    if (watched == box->viewport() && document->handleDrop(event, paused()))
        return true;
    QListWidget* list = ui.suggestionList;
    if (watched == list && event->type() == QEvent::FocusIn && list->currentRow() < 0 && list->count() > 0)
        list->setCurrentRow(0);
    return QDialog::eventFilter(watched, event);
}

QMenu* CZabrelDlg::createTextBoxMenu(const QPoint& pos) {
    return spelling->createMenu(pos, !paused());
}

QMenu* CZabrelDlg::createDialogMenu() {
    auto* menu = new QMenu(this);
    menu->addAction(newTextAction);
    menu->addAction(ranking->accurate());
    menu->addAction(ranking->context());
    menu->addSeparator();
    menu->addAction(aboutAction);
    dressMenu(*menu, *this);
    return menu;
}

void CZabrelDlg::showAbout() {
    CAboutDlg about(icon, this);
    about.exec();
}

void CZabrelDlg::runPass() {
    refreshControls();
    QString failure;
    try {
        while (pass->next()) {
            const zabrel::Span& span = pass->span();
            if (!span.decided) {
                refreshMembers();
                pauseOnWord();
                break;
            }
            // Changed everywhere earlier in this session: changed here without a stop.
            replaceText(static_cast<int>(span.start), static_cast<int>(span.length),
                        QString::fromStdU16String(*span.decided));
            pass->change(*span.decided);
        }
    } catch (const std::exception& ex) {
        // The speller's errors, and running out of memory in the pass itself.
        failure = failureDetail(ex);
    }
    if (!failure.isEmpty()) {
        // The pass stops; the text stays as it is and can be checked again.
        returnToIdle();
        ui.statusLine->clear();
        reportError(PASS_FAILED, failure);
        return;
    }
    finishPass();
}

void CZabrelDlg::pauseOnWord() {
    showSuggestions();
    ui.replacementEdit->setEnabled(true);
    // With nothing to offer, the user may still type the right spelling over the word.
    ui.replacementEdit->setText(pausedText());
}

void CZabrelDlg::showSuggestions() {
    ui.suggestionList->clear();
    const zabrel::Span& span = pass->span();
    ui.highlight(static_cast<int>(span.start), static_cast<int>(span.length));
    for (const std::u16string& suggestion : span.suggestions)
        ui.suggestionList->addItem(QString::fromStdU16String(suggestion));
}

void CZabrelDlg::rerankPaused() {
    if (!paused())
        return;
    try {
        pass->rerank();
    } catch (const std::exception& ex) {
        reportError(PASS_FAILED, failureDetail(ex));
        return;
    }
    showSuggestions();
    if (ui.suggestionList->count() > 0)
        ui.suggestionList->setCurrentRow(0);
    updateChangeButton();
}

QString CZabrelDlg::pausedText() const {
    return paused() ? QString::fromStdU16String(pass->span().word) : QString();
}

void CZabrelDlg::updateChangeButton() {
    const QString text = ui.replacementEdit->text();
    const bool canChange = paused() && !text.isEmpty() && text != pausedText();
    ui.changeButton->setEnabled(canChange);
    // Change All keys on one word; a span of two is changed where it stands.
    ui.changeAllButton->setEnabled(canChange && pass->span().kind != zabrel::Span::Kind::Broken);
}

void CZabrelDlg::showStatus(const QString& pattern) {
    // Not arg(): it numbers by the placeholders present, and not every pattern has all three.
    auto counted = [](std::size_t n, const QString& one, const QString& many) {
        return n == 1 ? one : QString(many).replace(QStringLiteral("%1"), QString::number(n));
    };
    QString text = pattern;
    text.replace(QStringLiteral("%1"), QString::number(pass->stopCount()));
    text.replace(QStringLiteral("%2"), counted(pass->misspeltCount(), ONE_MISSPELT, MISSPELT_COUNT));
    text.replace(QStringLiteral("%3"), counted(pass->wordsChecked(), ONE_WORD, WORDS_COUNT));
    ui.statusLine->setText(text);
}

void CZabrelDlg::finishPass() {
    if (ui.suggestionList->count() > 0)
        ui.suggestionList->setCurrentRow(0);
    updateChangeButton();
    if (paused())
        showStatus(STATUS_PAUSED);
    if (pass->atEnd() && !paused()) {
        returnToIdle();
        showStatus(STATUS_DONE);
        // Back to the text before the message, so that closing it lands there too.
        ui.inputBox->setFocus();
        messages(this, APP_NAME, COMPLETED);
        ui.inputBox->setFocus();
    }
}

void CZabrelDlg::returnToIdle() {
    ui.showPass(false, !setUpFailed);
    newTextAction->setEnabled(true);
    spelling->setActive(true);
}

void CZabrelDlg::reportError(const QString& sentence, const QString& detail) {
    messages(this, APP_NAME, withDetail(sentence, detail));
}

void CZabrelDlg::refreshControls() {
    if (ui.promptEdit->text() != promptText)
        ui.promptEdit->setText(promptText);
    if (ui.captionEdit->text() != suggestionsCaption)
        ui.captionEdit->setText(suggestionsCaption);
    // Rewriting the box would drop its undo history and, on every word of a pass, make
    // the pass quadratic. The box is read-only during a pass, so it only happens when
    // the text really differs.
    if (boxEdited && textboxtext::snapshot(*ui.inputBox->document()) != inputText)
        ui.inputBox->setPlainText(textboxtext::forTextBox(inputText));
    boxEdited = false;
    ui.clearHighlight();
}

void CZabrelDlg::refreshMembers() {
    // Unedited since the last exchange, inputText already holds the box's text: the
    // dialog's own replacements keep it in step.
    if (boxEdited)
        inputText = textboxtext::snapshot(*ui.inputBox->document());
    boxEdited = false;
}
