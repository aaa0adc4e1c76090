// SPDX-License-Identifier: MIT
#include "app/zabreldlg.h"

#include <QAction>
#include <QApplication>
#include <QFontDatabase>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <exception>
#include <utility>

#include "app/aboutdlg.h"
#include "app/dialogunits.h"
#include "app/textboxtext.h"
#include "core/errors.h"

// Outside any namespace, as Q_INIT_RESOURCE requires.
static void initResources() {
    Q_INIT_RESOURCE(zabrel);
}

namespace {

const QString PROMPT = QStringLiteral(u"ہجے پڑتال کرنے کے لیے متن داخل کریں");
const QString SUGGESTIONS_CAPTION = QStringLiteral(u"دستیاب تجاویز");
const QString CHECK_TEXT = QStringLiteral(u"ہجے پڑتال کریں");
const QString CHANGE_TEXT = QStringLiteral(u"تبدیل کریں");
const QString LEAVE_TEXT = QStringLiteral(u"نظرانداز کریں");
const QString TITLE = QStringLiteral(u"Tesmara-ہجے پڑتال کار");
const QString COMPLETED = QStringLiteral(u"ہجے پڑتال مکمل ہو گئی ہے۔");
// "The dictionary could not be loaded."
const QString NO_DICTIONARY = QStringLiteral(
    u"\u0644\u063A\u062A \u0644\u0648\u0688 \u0646\u06C1\u06CC\u06BA \u06C1\u0648 \u0633\u06A9\u06CC\u06D4");
const QString ABOUT_ENTRY = QStringLiteral("&About Zabrel...");

const QColor RED(255, 0, 0);
const QColor NORMAL(0, 0, 0);

constexpr int DIALOG_WIDTH = 286;
constexpr int DIALOG_HEIGHT = 100;

struct Placement {
    int id;
    int x, y, width, height;
};

// The dialog template, in tab order.
constexpr Placement PLACEMENTS[] = {
    {CZabrelDlg::IDC_INPUT, 7, 21, 154, 72},
    {CZabrelDlg::IDC_CHECK, 166, 21, 51, 11},
    {CZabrelDlg::IDC_SUGGESTIONS, 222, 21, 57, 72},
    {CZabrelDlg::IDC_CHANGE, 167, 36, 51, 11},
    {CZabrelDlg::IDC_LEAVE, 167, 51, 51, 11},
    {CZabrelDlg::IDC_PROMPT, 7, 7, 154, 12},
    {CZabrelDlg::IDC_SUGGESTIONS_CAPTION, 222, 7, 57, 12},
};

QFont dialogFont() {
    const QStringList families = QFontDatabase::families();
    QString chosen;
    if (families.contains(QStringLiteral("PakType Naskh Basic Urdu"))) {
        chosen = QStringLiteral("PakType Naskh Basic Urdu");
    } else {
        for (const QString& family : families) {
            if (family.contains(QStringLiteral("Naskh"), Qt::CaseInsensitive)) {
                chosen = family;
                break;
            }
        }
    }
    QFont font = QApplication::font();
    if (!chosen.isEmpty())
        font.setFamily(chosen);
    font.setPointSize(14);
    return font;
}

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

void CZabrelDlg::showMessageBox(QWidget* parent, const QString& title, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, parent);
    box.exec();
}

CZabrelDlg::CZabrelDlg(MessageHandler messageHandler, QWidget* parent, const std::filesystem::path& folder)
    : QDialog(parent,
              Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
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
}

CZabrelDlg::~CZabrelDlg() = default;

void CZabrelDlg::createControls() {
    // Created in tab order, which is also Qt's default focus chain.
    inputBox = tagged(new QTextEdit(this), IDC_INPUT, "inputBox");
    inputBox->setAcceptRichText(false);
    inputBox->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QTextOption option = inputBox->document()->defaultTextOption();
    option.setTextDirection(Qt::RightToLeft);
    option.setAlignment(Qt::AlignRight | Qt::AlignAbsolute);
    inputBox->document()->setDefaultTextOption(option);
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
    promptEdit = makeCaptionEdit(this, IDC_PROMPT, "promptEdit");
    captionEdit = makeCaptionEdit(this, IDC_SUGGESTIONS_CAPTION, "captionEdit");

    // Colouring also reports a change of contents; only real edits count.
    connect(inputBox->document(), &QTextDocument::contentsChange, this, [this] {
        if (!recolouring)
            boxEdited = true;
    });
    connect(checkButton, &QPushButton::clicked, this, &CZabrelDlg::onCheck);
    connect(changeButton, &QPushButton::clicked, this, &CZabrelDlg::onChange);
    connect(leaveButton, &QPushButton::clicked, this, &CZabrelDlg::onLeave);
}

void CZabrelDlg::placeControls() {
    const DialogUnits units(font());
    setFixedSize(units.toPixels(DIALOG_WIDTH, DIALOG_HEIGHT));
    for (const Placement& p : PLACEMENTS) {
        for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (child->property("controlId").toInt() == p.id)
                child->setGeometry(units.mirroredRect(p.x, p.y, p.width, p.height, DIALOG_WIDTH));
        }
    }
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
    addAction(aboutAction);

    setWindowIcon(icon);

    QString failure;
    try {
        spellChecker.initialize(dictionaryFolder);
    } catch (const zabrel::QuelmException& ex) {
        failure = QString::fromStdString(ex.getFullMessage());
    } catch (const std::exception& ex) {
        failure = QString::fromLocal8Bit(ex.what());
    }

    promptText = PROMPT;
    suggestionsCaption = SUGGESTIONS_CAPTION;
    checkButton->setText(CHECK_TEXT);
    changeButton->setText(CHANGE_TEXT);
    leaveButton->setText(LEAVE_TEXT);
    setWindowTitle(TITLE);

    // Nothing to change or leave until a check has found a word.
    changeButton->setEnabled(false);
    leaveButton->setEnabled(false);
    if (!failure.isEmpty()) {
        setUpFailed = true;
        promptText = NO_DICTIONARY;
        checkButton->setEnabled(false);
    }

    refreshControls();
    inputBox->setFocus();
    if (setUpFailed)
        reportError(failure);
}

void CZabrelDlg::onCheck() {
    if (setUpFailed)
        return;
    checkButton->setEnabled(false);
    changeButton->setEnabled(true);
    leaveButton->setEnabled(true);
    inputBox->setReadOnly(true);
    refreshMembers();
    walk.start(inputText.toStdU16String());
    runPass();
}

void CZabrelDlg::onChange() {
    const QList<QListWidgetItem*> selected = suggestionList->selectedItems();
    if (!walk.isPaused() || selected.isEmpty())
        return;
    const QString replacement = selected.first()->text();
    walk.replaced(static_cast<int32_t>(replacement.size()));

    QTextCursor cursor(inputBox->document());
    cursor.setPosition(walk.getDisplayStart());
    cursor.setPosition(walk.getDisplayStart() + walk.getWordLength(), QTextCursor::KeepAnchor);
    QTextCharFormat normal;
    normal.setForeground(NORMAL);
    cursor.mergeCharFormat(normal);
    // Not undoable: the walk's positions assume the replacement stays.
    inputBox->document()->setUndoRedoEnabled(false);
    cursor.insertText(replacement, cursor.charFormat());
    inputBox->document()->setUndoRedoEnabled(true);
    refreshMembers();

    walk.leave();
    runPass();
}

void CZabrelDlg::onLeave() {
    if (!walk.isPaused())
        return;
    changeButton->setEnabled(true);
    colourRange(walk.getDisplayStart(), walk.getWordLength(), NORMAL);
    walk.leave();
    runPass();
}

void CZabrelDlg::showAbout() {
    CAboutDlg about(icon, this);
    about.exec();
}

void CZabrelDlg::runPass() {
    auto check = [this](std::u16string word, std::vector<std::u16string>& suggestions) {
        return spellChecker.checkWord(std::move(word), suggestions);
    };
    QString failure;
    try {
        if (walk.findMisspelt(check, [this] { refreshControls(); })) {
            colourRange(walk.getDisplayStart(), walk.getWordLength(), RED);
            coloured = true;
            refreshMembers();
            suggestionList->clear();
            for (const std::u16string& suggestion : walk.getSuggestions())
                suggestionList->addItem(QString::fromStdU16String(suggestion));
        }
    } catch (const zabrel::QuelmException& ex) {
        failure = QString::fromStdString(ex.getFullMessage());
    } catch (const std::exception& ex) {
        failure = QString::fromLocal8Bit(ex.what());
    }
    if (!failure.isEmpty()) {
        // The pass stops; the text stays as it is and can be checked again.
        returnToIdle();
        reportError(failure);
        return;
    }
    finishPass();
}

void CZabrelDlg::finishPass() {
    if (!walk.getSuggestions().empty())
        suggestionList->setCurrentRow(0);
    else
        changeButton->setEnabled(false);
    if (walk.atEnd() && !walk.isPaused()) {
        returnToIdle();
        messages(this, APP_NAME, COMPLETED);
    }
}

void CZabrelDlg::returnToIdle() {
    checkButton->setEnabled(!setUpFailed);
    changeButton->setEnabled(false);
    leaveButton->setEnabled(false);
    suggestionList->clear();
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
    // Rewriting the box would also drop the colouring; when the text is already there,
    // dropping the colouring is all that is left to do. Comparing only after an edit
    // keeps a pass linear: the walk refreshes once per word.
    if (boxEdited && textboxtext::snapshot(*inputBox->document()) != inputText) {
        inputBox->setPlainText(textboxtext::forTextBox(inputText));
        coloured = false;
    } else if (coloured) {
        clearColouring();
    }
    boxEdited = false;
}

void CZabrelDlg::refreshMembers() {
    inputText = textboxtext::snapshot(*inputBox->document());
    boxEdited = false;
}

void CZabrelDlg::colourRange(int start, int length, const QColor& colour) {
    QTextCursor cursor(inputBox->document());
    cursor.setPosition(start);
    cursor.setPosition(start + length, QTextCursor::KeepAnchor);
    QTextCharFormat format;
    format.setForeground(colour);
    recolouring = true;
    cursor.mergeCharFormat(format);
    recolouring = false;
    // Bring the word into view in a long text.
    QTextCursor caret(inputBox->document());
    caret.setPosition(start);
    inputBox->setTextCursor(caret);
    inputBox->ensureCursorVisible();
}

void CZabrelDlg::clearColouring() {
    QTextCursor cursor(inputBox->document());
    cursor.select(QTextCursor::Document);
    QTextCharFormat format;
    format.setForeground(NORMAL);
    recolouring = true;
    cursor.mergeCharFormat(format);
    recolouring = false;
    coloured = false;
}
