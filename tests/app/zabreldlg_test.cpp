// SPDX-License-Identifier: MIT
#include <sys/stat.h>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QHeaderView>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QPushButton>
#include <QRawFont>
#include <QRegularExpression>
#include <QScreen>
#include <QSettings>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextLayout>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <QWheelEvent>
#include <algorithm>
#include <cstdlib>
#include <functional>
#include <memory>
#include <utility>

#include "app/dialogunits.h"
#include "app/messageboxes.h"
#include "app/misspellinghighlighter.h"
#include "app/textboxtext.h"
#include "app/textfile.h"
#include "app/zabrelapp.h"
#include "app/zabreldlg.h"
#include "engine/spellchecker.h"
#include "support/dictionary.h"
#include "support/testsupport.h"

namespace {

const QString COMPLETED = QStringLiteral(u"ہجے پڑتال مکمل ہو گئی ہے۔");

// Words of the test dictionary; misspellings below are one edit away from them.
const QString KITAB = QStringLiteral(u"کتاب");
const QString DOST = QStringLiteral(u"دوست");
const QString SHEHAR = QStringLiteral(u"شہر");
const QString BAZAR = QStringLiteral(u"بازار");
const QString JAWAB = QStringLiteral(u"جواب");
const QString KITAB_SWAPPED = QStringLiteral(u"کتبا");
const QString JAWAB_SWAPPED = QStringLiteral(u"جاوب");
const QString BAZAR_SHORT = QStringLiteral(u"بزار");
const QString KITABAN = QStringLiteral(u"کتابن");  // two suggestions

zabrel::test::DictionaryContents testDictionary() {
    zabrel::test::DictionaryContents dict;
    dict.alphabet = zabrel::test::urduLetters();
    int frequency = 900;
    for (const char16_t* word :
         {u"کتاب", u"دوست", u"شہر", u"بازار", u"جواب", u"سخت", u"خیریت", u"محلے", u"ہفتے", u"لاہور",
          u"پاکستان", u"مطالعہ", u"کتابیں", u"بات", u"ہزار", u"خیر"})
        dict.words.push_back({word, frequency -= 50});
    // Same-sounding and same-shaped letters share a class; the rest get one each.
    int next = 1;
    for (char16_t letter : dict.alphabet) {
        dict.soundex.push_back({letter, next % 9 + 1});
        dict.shapex.push_back({letter, (next / 2) % 9 + 1});
        ++next;
    }
    return dict;
}

// The widest blank stretch, in pixels, between the inked parts of `text` above the
// baseline: inside one word, the gap a letter that does not join on leaves before the
// next. Below the baseline the tails of ر and و run under the next letter, which the
// eye does not take for a gap.
int widestGapAboveBaseline(const QFont& font, const QString& text) {
    const QFontMetricsF metrics(font);
    const int margin = 30;
    const int width = static_cast<int>(metrics.horizontalAdvance(text)) + 2 * margin;
    const int baseline = margin + static_cast<int>(metrics.ascent());
    QImage image(width, baseline + 1, QImage::Format_Grayscale8);
    image.fill(255);
    QPainter painter(&image);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.setLayoutDirection(Qt::RightToLeft);
    painter.drawText(QPointF(margin, baseline), text);
    painter.end();
    QList<bool> inked(width, false);
    for (int x = 0; x < width; ++x)
        for (int y = 0; y < baseline && !inked[x]; ++y)
            inked[x] = qGray(image.pixel(x, y)) < 128;
    const qsizetype first = inked.indexOf(true);
    const qsizetype last = inked.lastIndexOf(true);
    int widest = 0;
    int run = 0;
    for (qsizetype x = first; first >= 0 && x <= last; ++x) {
        run = inked[x] ? 0 : run + 1;
        widest = std::max(widest, run);
    }
    return widest;
}

// How many times the face's space is as wide as the widest gap that ا د ر و leave
// inside a word, whichever letter follows them.
double spaceOverGap(const QString& family) {
    QFont font(family);
    font.setPixelSize(100);  // large, so that rounding to pixels does not count
    int gap = 1;
    for (const QChar letter : QStringLiteral(u"ادرو"))
        for (const QChar next : QStringLiteral(u"بمک"))
            gap = std::max(gap, widestGapAboveBaseline(font, QString(u'ب') + letter + next + u'ا'));
    return QFontMetricsF(font).horizontalAdvance(u' ') / gap;
}

struct Range {
    int start;
    int end;
    bool operator==(const Range&) const = default;
};

// The ranges of the text box shown in red, merged where they touch: red text in the
// document, or a red extra selection over it.
QList<Range> redRanges(const QTextEdit& box) {
    QList<Range> ranges;
    auto add = [&](int start, int end) {
        if (!ranges.isEmpty() && ranges.back().end == start)
            ranges.back().end = end;
        else
            ranges.push_back({start, end});
    };
    const QTextDocument& document = *box.document();
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (fragment.charFormat().foreground().color() == QColor(255, 0, 0))
                add(fragment.position(), fragment.position() + fragment.length());
        }
    }
    for (const QTextEdit::ExtraSelection& selection : box.extraSelections()) {
        if (selection.format.foreground().color() == QColor(255, 0, 0))
            add(selection.cursor.selectionStart(), selection.cursor.selectionEnd());
    }
    return ranges;
}

// QTest::keyClicks only types Latin-1; Urdu goes in as the text of one key event.
void typeText(QWidget* widget, const QString& text) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, text);
    QApplication::sendEvent(widget, &press);
}

// The ranges of the text box with a spelling underline, in document positions.
QList<Range> underlined(const QTextEdit& box) {
    QList<Range> ranges;
    const QTextDocument& document = *box.document();
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (const QTextLayout::FormatRange& range : block.layout()->formats()) {
            if (range.format.underlineStyle() == QTextCharFormat::SpellCheckUnderline)
                ranges.push_back(
                    {block.position() + range.start, block.position() + range.start + range.length});
        }
    }
    std::sort(ranges.begin(), ranges.end(), [](const Range& a, const Range& b) { return a.start < b.start; });
    return ranges;
}

QStringList itemsOf(const QListWidget& list) {
    QStringList items;
    for (int row = 0; row < list.count(); ++row)
        items << list.item(row)->text();
    return items;
}

// A dialog whose message boxes are recorded instead of shown.
struct Harness {
    QStringList messages;
    std::unique_ptr<CZabrelDlg> dialog;
    QTextEdit* box = nullptr;
    QListWidget* list = nullptr;
    QPushButton* check = nullptr;
    QPushButton* change = nullptr;
    QPushButton* leave = nullptr;
    QPushButton* stop = nullptr;
    QLineEdit* replacement = nullptr;
    // Answers to give to "save before closing?", in order; each question is recorded.
    QList<CZabrelDlg::Answer> answers;
    QStringList questions;
    QString chosenFile;

    Harness() {
        dialog = std::make_unique<CZabrelDlg>(
            [this](QWidget*, const QString& title, const QString& text) { messages << title + u'|' + text; });
        box = dialog->findChild<QTextEdit*>(QStringLiteral("inputBox"));
        list = dialog->findChild<QListWidget*>(QStringLiteral("suggestionList"));
        check = dialog->findChild<QPushButton*>(QStringLiteral("checkButton"));
        change = dialog->findChild<QPushButton*>(QStringLiteral("changeButton"));
        leave = dialog->findChild<QPushButton*>(QStringLiteral("leaveButton"));
        stop = dialog->findChild<QPushButton*>(QStringLiteral("stopButton"));
        replacement = dialog->findChild<QLineEdit*>(QStringLiteral("replacementEdit"));
        dialog->setQuestionHandler([this](QWidget*, const QString&, const QString& text) {
            questions << text;
            return answers.isEmpty() ? CZabrelDlg::Answer::Cancel : answers.takeFirst();
        });
        dialog->setFileChooser([this](QWidget*, bool, const QString&) { return chosenFile; });
    }

    void checkText(const QString& text) {
        box->setPlainText(text);
        check->click();
    }

    bool paused() const { return !check->isEnabled() && leave->isEnabled() && box->isReadOnly(); }
    bool idle() const {
        return check->isEnabled() && !change->isEnabled() && !leave->isEnabled() && !box->isReadOnly() &&
               list->count() == 0;
    }
};

QStringList engineSuggestions(const QString& word) {
    zabrel::SpellChecker reference;
    reference.initialize();
    std::vector<std::u16string> suggestions;
    reference.checkWord(word.toStdU16String(), suggestions);
    QStringList list;
    for (const auto& s : suggestions)
        list << QString::fromStdU16String(s);
    return list;
}

}  // namespace

class DialogTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void startState();
    void layoutIsTheMirroredTemplate();
    void passStopsAtEachMisspeltWord();
    void changeShiftsLaterHighlights();
    void leaveReportsTheSameWordAgain();
    void emptyTextCompletesAtOnce();
    void closingAsksBeforeLosingText();
    void undoTakesBackAChangeAndKeepsTheUsersEdits();
    void stopEndsThePassAndTheWordCanBeTypedByHand();
    void setUpFailureIsReportedAndSurvived();
    void aboutBoxFromContextMenuAndF1();
    void messageBoxesAreDressedLikeTheDialog();
    void focusReturnsToTheTextAfterAPass();
    void everyActionWorksFromTheKeyboard();
    void ignoreAllAndChangeAllLastTheSession();
    void openCheckAndSaveKeepTheFilesForm();
    void droppedFileOpensAndBadFilesAreRefused();
    void filesComeBackByteForByteAndUnsafeOnesAreRefused();
    void misspeltWordsAreUnderlinedWhileIdle();
    void textSizeFollowsCtrlWheelAndKeys();
    void addedWordsGoToThePersonalList();
    void accurateRankingIsAChoiceTheDialogRemembers();
    void everythingShownIsUrduAndRightToLeft();
    void aNewTextStartsWithoutTheLastOnesChoices();
    void theFaceSetsABrokenWordApart();
    void everyCountStartsAgainWithANewCheck();
    void aLineOfAFileIsCheckedButNotUnderlinedWhenHuge();

private:
    QTemporaryDir dictionary;
    // Where the personal word list goes: never the user's own.
    QTemporaryDir dataHome;
};

void DialogTest::initTestCase() {
    QVERIFY(dictionary.isValid() && dataHome.isValid());
    qputenv("XDG_DATA_HOME", dataHome.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", dataHome.path().toLocal8Bit());
    // As the program's start-up names it.
    QCoreApplication::setOrganizationName(QStringLiteral("Local AppWizard-Generated Applications"));
    QCoreApplication::setApplicationName(QStringLiteral("Zabrel"));
    zabrel::test::writeDictionary(dictionary.path().toStdString(), testDictionary());
    // Running text writes سخت ہزار: the context's one pair.
    zabrel::test::writeContextModel(dictionary.path().toStdString(), {{u"سخت", u"ہزار"}});
    QVERIFY(QDir::setCurrent(dictionary.path()));
    // The first set-up builds the derived files; every dialog after it loads them.
    QCOMPARE(engineSuggestions(KITAB_SWAPPED).value(0), KITAB);
}

void DialogTest::startState() {
    Harness h;
    CZabrelDlg& d = *h.dialog;
    QCOMPARE(d.windowTitle(), QStringLiteral(u"Tesmara-ہجے پڑتال کار"));
    QCOMPARE(h.check->text(), QStringLiteral(u"ہجے پڑتال کریں"));
    QCOMPARE(h.change->text(), QStringLiteral(u"تبدیل کریں"));
    QCOMPARE(h.leave->text(), QStringLiteral(u"نظرانداز کریں"));
    auto* prompt = d.findChild<QLineEdit*>(QStringLiteral("promptEdit"));
    auto* caption = d.findChild<QLineEdit*>(QStringLiteral("captionEdit"));
    QCOMPARE(prompt->text(), QStringLiteral(u"ہجے پڑتال کرنے کے لیے متن داخل کریں"));
    QCOMPARE(caption->text(), QStringLiteral(u"دستیاب تجاویز"));
    QVERIFY(prompt->isReadOnly() && caption->isReadOnly());
    QCOMPARE(h.box->property("controlId").toInt(), 1012);
    QVERIFY(h.box->toPlainText().isEmpty());
    QVERIFY(!h.box->isReadOnly());
    QCOMPARE(h.list->count(), 0);
    QCOMPARE(h.list->selectionMode(), QAbstractItemView::SingleSelection);
    QVERIFY(!h.list->isSortingEnabled());
    QVERIFY(h.check->isEnabled());
    QVERIFY(!h.change->isEnabled() && !h.leave->isEnabled());
    QVERIFY(!d.windowIcon().isNull());
    QVERIFY(d.font().family().contains(QStringLiteral("Naskh")));
    QCOMPARE(d.font().pointSize(), 14);
    QVERIFY(h.messages.isEmpty());

    // Return in the text box is a line break, not the end of the dialog.
    d.show();
    QVERIFY(QTest::qWaitForWindowExposed(&d));
    h.box->setFocus();
    typeText(h.box, KITAB);
    QTest::keyClick(h.box, Qt::Key_Return);
    typeText(h.box, DOST);
    QVERIFY(d.isVisible());
    QCOMPARE(h.box->document()->blockCount(), 2);
    QCOMPARE(textboxtext::snapshot(*h.box->document()), KITAB + QStringLiteral(u"\r\n") + DOST);
    // A line separator (Shift+Return) is a break too; no-break spaces stay as they are.
    QTextDocument shifted;
    shifted.setPlainText(QStringLiteral(u"ا\u2028ب\u00A0ت"));
    QCOMPARE(textboxtext::snapshot(shifted), QStringLiteral(u"ا\r\nب\u00A0ت"));
    QCOMPARE(textboxtext::forTextBox(QStringLiteral(u"ا\r\nب")), QStringLiteral(u"ا\nب"));
    QCOMPARE(h.box->document()->defaultTextOption().textDirection(), Qt::RightToLeft);
}

void DialogTest::layoutIsTheMirroredTemplate() {
    // The window used to be locked at the template's size in dialog units, which the
    // Naskh font's tall lines made 644 x 600: taller than a 1366 x 768 screen at 125 %.
    Harness h;
    CZabrelDlg& d = *h.dialog;
    d.show();
    QVERIFY(QTest::qWaitForWindowExposed(&d));
    QVERIFY(d.minimumSize() != d.maximumSize());
    QVERIFY(d.windowFlags() & Qt::WindowMaximizeButtonHint);
    const QRect screen = d.screen()->availableGeometry();
    QVERIFY(d.width() <= screen.width() && d.height() <= screen.height());
    // Opened at the template's width for its height, 286 : 100, or taller for the list,
    // unless the screen is too small.
    if (d.width() < screen.width() * 9 / 10)
        QVERIFY2(d.height() * 286 - d.width() * 100 >= -286 * 2, qPrintable(QString::number(d.width())));
    // Small enough for a 1280 x 900 screen at 200 % (640 x 450 points, less the title
    // bar and a panel), also with a long status line during a pass.
    h.checkText(KITAB_SWAPPED + u' ' + SHEHAR + u' ' + DOST + u' ' + KITAB + u' ' + JAWAB_SWAPPED);
    QVERIFY(h.paused());
    const QSize least = d.minimumSizeHint();
    QVERIFY2(least.width() <= 620 && least.height() <= 400,
             qPrintable(QStringLiteral("%1 x %2").arg(least.width()).arg(least.height())));
    h.stop->click();

    // Mirrored: the text box on the right, the list on the left, the buttons between.
    QVERIFY(h.list->geometry().right() < h.check->geometry().left());
    QVERIFY(h.check->geometry().right() < h.box->geometry().left());
    QCOMPARE(h.box->geometry().top(), h.check->geometry().top());
    QVERIFY(h.change->geometry().top() > h.check->geometry().bottom());
    // Every button is wide enough for its label.
    for (auto* button : d.findChildren<QPushButton*>()) {
        const int text = button->fontMetrics().horizontalAdvance(button->text());
        QVERIFY2(button->width() >= text + 8, qPrintable(button->text()));
    }

    // The text box and the list take what a bigger window gives, in the template's ratio.
    const QSize boxBefore = h.box->size();
    const QSize listBefore = h.list->size();
    d.resize(d.width() + 570, d.height() + 200);
    QTest::qWait(20);
    QVERIFY(h.box->height() >= boxBefore.height() + 150 && h.list->height() >= listBefore.height() + 150);
    const int boxGain = h.box->width() - boxBefore.width();
    const int listGain = h.list->width() - listBefore.width();
    QVERIFY2(boxGain > 2 * listGain && listGain > 0,
             qPrintable(QStringLiteral("%1 %2").arg(boxGain).arg(listGain)));
}

void DialogTest::passStopsAtEachMisspeltWord() {
    Harness h;
    // Arabic comma and space in a row make an empty token on the way.
    h.checkText(SHEHAR + u' ' + KITAB_SWAPPED + QStringLiteral(u"\u060C ") + DOST + u' ' + JAWAB_SWAPPED +
                u'\u06D4');

    QVERIFY(h.paused());
    const int first = SHEHAR.size() + 1;
    QCOMPARE(redRanges(*h.box), (QList<Range>{{first, first + 4}}));
    QCOMPARE(itemsOf(*h.list), engineSuggestions(KITAB_SWAPPED));
    QCOMPARE(h.list->item(0)->text(), KITAB);
    QVERIFY(h.list->item(0)->isSelected());
    QVERIFY(h.change->isEnabled());

    h.leave->click();
    QVERIFY(h.paused());
    const int second = first + 4 + 2 + DOST.size() + 1;
    QCOMPARE(redRanges(*h.box), (QList<Range>{{second, second + 4}}));
    QCOMPARE(itemsOf(*h.list), engineSuggestions(JAWAB_SWAPPED));
    QCOMPARE(h.list->currentRow(), 0);
    QVERIFY(h.messages.isEmpty());

    h.leave->click();
    QVERIFY(h.idle());
    QVERIFY(redRanges(*h.box).isEmpty());
    QCOMPARE(h.messages, QStringList{QStringLiteral(u"Zabrel|") + COMPLETED});
    // Left words are left alone.
    QVERIFY(h.box->toPlainText().contains(KITAB_SWAPPED));
}

void DialogTest::changeShiftsLaterHighlights() {
    const QStringList longer = engineSuggestions(BAZAR_SHORT);
    QCOMPARE(longer.value(0), BAZAR);
    const int shift = BAZAR.size() - BAZAR_SHORT.size();

    Harness h;
    const QString text =
        BAZAR_SHORT + u' ' + DOST + QStringLiteral(u"\n") + KITAB_SWAPPED + u' ' + JAWAB_SWAPPED;
    h.checkText(text);
    QCOMPARE(redRanges(*h.box), (QList<Range>{{0, 4}}));

    // Change without touching the list takes the first suggestion.
    h.change->click();
    QVERIFY(h.paused());
    QVERIFY(h.box->toPlainText().startsWith(BAZAR + u' ' + DOST + u'\n'));
    const int kitab = 4 + 1 + 4 + 1 + shift;
    QCOMPARE(redRanges(*h.box), (QList<Range>{{kitab, kitab + 4}}));

    h.change->click();
    const int jawab = kitab + 4 + 1;  // same length: no further shift
    QCOMPARE(redRanges(*h.box), (QList<Range>{{jawab, jawab + 4}}));
    h.change->click();
    QVERIFY(h.idle());
    QCOMPARE(h.box->toPlainText(), BAZAR + u' ' + DOST + u'\n' + KITAB + u' ' + JAWAB);
    QVERIFY(redRanges(*h.box).isEmpty());
    QCOMPARE(h.messages, QStringList{QStringLiteral(u"Zabrel|") + COMPLETED});
    // The next pass walks the changed text, on both sides of the break.
    h.check->click();
    QVERIFY(h.idle());
    QCOMPARE(h.messages.size(), 2);

    // Another choice in the list is what Change uses; a new pass finds nothing left.
    h.checkText(KITAB_SWAPPED);
    QVERIFY(h.list->count() >= 1);
    const int last = h.list->count() - 1;
    const QString chosen = h.list->item(last)->text();
    h.list->setCurrentRow(last);
    h.change->click();
    QCOMPARE(h.box->toPlainText(), chosen);
}

void DialogTest::leaveReportsTheSameWordAgain() {
    Harness h;
    h.checkText(JAWAB_SWAPPED + u' ' + SHEHAR + u' ' + JAWAB_SWAPPED);
    QCOMPARE(redRanges(*h.box), (QList<Range>{{0, 4}}));
    h.leave->click();
    QVERIFY(h.paused());
    QCOMPARE(redRanges(*h.box), (QList<Range>{{9, 13}}));
    QCOMPARE(itemsOf(*h.list), engineSuggestions(JAWAB_SWAPPED));
    h.leave->click();
    QVERIFY(h.idle());
    QCOMPARE(h.messages.size(), 1);

    // Nothing near it in the lexicon: paused with an empty list, only Leave goes on.
    const QString stranger = QStringLiteral(u"ظظظظظظ");
    QVERIFY(engineSuggestions(stranger).isEmpty());
    h.checkText(stranger + u' ' + JAWAB_SWAPPED);
    QVERIFY(h.paused());
    QCOMPARE(redRanges(*h.box), (QList<Range>{{0, 6}}));
    QCOMPARE(h.list->count(), 0);
    QVERIFY(!h.change->isEnabled());
    h.leave->click();
    QVERIFY(h.paused());
    QVERIFY(h.change->isEnabled());
    QCOMPARE(redRanges(*h.box), (QList<Range>{{7, 11}}));
}

void DialogTest::emptyTextCompletesAtOnce() {
    Harness h;
    for (const QString& text : {QString(), QStringLiteral(u" \u060C\u06D4\n\t")}) {
        h.messages.clear();
        h.checkText(text);
        QVERIFY(h.idle());
        QCOMPARE(h.messages, QStringList{QStringLiteral(u"Zabrel|") + COMPLETED});
        QCOMPARE(h.box->toPlainText(), text);
    }
}

void DialogTest::closingAsksBeforeLosingText() {
    // Escape and the close box used to end the program at once, corrections and all.
    QTemporaryDir folder;
    Harness h;
    CZabrelDlg& d = *h.dialog;
    d.show();
    QVERIFY(QTest::qWaitForWindowExposed(&d));
    QGuiApplication::clipboard()->clear();

    // Nothing typed: nothing to ask.
    h.answers = {};
    QVERIFY(d.close());
    QVERIFY(h.questions.isEmpty());
    d.show();

    h.box->setFocus();
    typeText(h.box, KITAB_SWAPPED + u' ' + DOST);
    // Escape during a pause ends the pause, and asks nothing.
    h.check->click();
    QVERIFY(h.paused());
    QTest::keyClick(&d, Qt::Key_Escape);
    QVERIFY(d.isVisible());
    QVERIFY(h.idle());
    QVERIFY(h.messages.isEmpty());
    QVERIFY(h.questions.isEmpty());

    // Idle, Escape closes, but first asks; "go back" keeps the dialog.
    h.answers = {CZabrelDlg::Answer::Cancel};
    QTest::keyClick(&d, Qt::Key_Escape);
    QCOMPARE(h.questions.size(), 1);
    QCOMPARE(
        h.questions[0],
        QStringLiteral(u"متن میں ایسی تبدیلیاں ہیں جو محفوظ نہیں ہوئیں۔ بند کرنے سے پہلے انہیں محفوظ کریں؟"));
    QVERIFY(d.isVisible());

    // Save, but the file chooser is cancelled: still open.
    h.answers = {CZabrelDlg::Answer::Save};
    QVERIFY(!d.close());
    QVERIFY(d.isVisible());

    // Save to a file: written as UTF-8, then the dialog closes.
    h.chosenFile = folder.filePath(QStringLiteral("letter.txt"));
    h.answers = {CZabrelDlg::Answer::Save};
    QVERIFY(d.close());
    QVERIFY(!d.isVisible());
    QFile saved(h.chosenFile);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(saved.readAll()), KITAB_SWAPPED + u' ' + DOST);
    QCOMPARE(h.questions.size(), 3);

    // Saved text asks nothing; nor does text the user has copied as a whole.
    d.show();
    QVERIFY(d.close());
    d.show();
    h.box->setFocus();
    typeText(h.box, KITAB);
    QVERIFY(h.box->document()->isModified());
    QGuiApplication::clipboard()->setText(h.box->toPlainText());
    QVERIFY(d.close());
    QCOMPARE(h.questions.size(), 3);

    // Discarding on purpose closes.
    d.show();
    typeText(h.box, DOST);
    h.answers = {CZabrelDlg::Answer::Discard};
    QVERIFY(d.close());
    QCOMPARE(h.questions.size(), 4);
}

void DialogTest::undoTakesBackAChangeAndKeepsTheUsersEdits() {
    // Colouring used to be recorded as undo steps, and any Change wiped the history.
    Harness h;
    CZabrelDlg& d = *h.dialog;
    d.show();
    QVERIFY(QTest::qWaitForWindowExposed(&d));
    h.box->setFocus();
    typeText(h.box, KITAB_SWAPPED);
    QGuiApplication::clipboard()->setText(u' ' + JAWAB_SWAPPED + u' ' + SHEHAR);
    QTest::keyClick(h.box, Qt::Key_V, Qt::ControlModifier);
    const QString typed = KITAB_SWAPPED + u' ' + JAWAB_SWAPPED + u' ' + SHEHAR;
    QCOMPARE(h.box->toPlainText(), typed);
    const int steps = h.box->document()->availableUndoSteps();

    h.check->click();
    QVERIFY(h.paused());
    QCOMPARE(h.box->document()->availableUndoSteps(), steps);
    h.leave->click();
    QCOMPARE(h.box->document()->availableUndoSteps(), steps);
    h.change->click();
    QVERIFY(h.idle());
    QCOMPARE(h.box->toPlainText(), KITAB_SWAPPED + u' ' + JAWAB + u' ' + SHEHAR);

    h.box->setFocus();
    QTest::keyClick(h.box, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(h.box->toPlainText(), typed);
    QTest::keyClick(h.box, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(h.box->toPlainText(), KITAB_SWAPPED);
    QTest::keyClick(h.box, Qt::Key_Y, Qt::ControlModifier);
    QTest::keyClick(h.box, Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(h.box->toPlainText(), KITAB_SWAPPED + u' ' + JAWAB + u' ' + SHEHAR);
    // The document was not rewritten along the way: the text is still all black.
    QVERIFY(redRanges(*h.box).isEmpty());
}

void DialogTest::stopEndsThePassAndTheWordCanBeTypedByHand() {
    Harness h;
    QVERIFY(!h.stop->isEnabled() && !h.replacement->isEnabled());
    const QString text = KITAB_SWAPPED + u' ' + JAWAB_SWAPPED + u' ' + BAZAR_SHORT;
    h.checkText(text);
    QVERIFY(h.paused() && h.stop->isEnabled());
    // The edit holds the chosen suggestion; the user writes a spelling of their own.
    QCOMPARE(h.replacement->text(), KITAB);
    h.replacement->setText(SHEHAR);
    h.change->click();
    QVERIFY(h.paused());
    QCOMPARE(redRanges(*h.box), (QList<Range>{{4, 8}}));
    // Typing the word back as it was is no change.
    h.replacement->setText(JAWAB_SWAPPED);
    QVERIFY(!h.change->isEnabled());
    h.replacement->setText(QString());
    QVERIFY(!h.change->isEnabled());

    h.stop->click();
    QVERIFY(h.idle());
    QVERIFY(!h.stop->isEnabled());
    QVERIFY(h.messages.isEmpty());
    QVERIFY(redRanges(*h.box).isEmpty());
    QCOMPARE(h.box->toPlainText(), SHEHAR + u' ' + JAWAB_SWAPPED + u' ' + BAZAR_SHORT);

    // With no suggestion, the edit offers the word itself to correct by hand.
    const QString stranger = QStringLiteral(u"ظظظظظظ");
    h.checkText(stranger);
    QCOMPARE(h.list->count(), 0);
    QCOMPARE(h.replacement->text(), stranger);
    QVERIFY(!h.change->isEnabled());
    h.replacement->setText(KITAB);
    QVERIFY(h.change->isEnabled());
    h.change->click();
    QVERIFY(h.idle());
    QCOMPARE(h.box->toPlainText(), KITAB);
}

void DialogTest::setUpFailureIsReportedAndSurvived() {
    QTemporaryDir empty;
    const QString previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(empty.path()));
    Harness h;
    QVERIFY(QDir::setCurrent(previous));

    QCOMPARE(h.messages.size(), 1);
    // An Urdu sentence, the file, then the engine's own words, without where in our
    // source they arose.
    QCOMPARE(h.messages[0], QStringLiteral(u"Zabrel|لغت لوڈ نہیں ہو سکی۔\nconfig.ini\nCould not open file: "
                                           u"config.ini. Config file not opened sucessfully."));
    QVERIFY(!h.check->isEnabled());
    QVERIFY(!h.change->isEnabled() && !h.leave->isEnabled());
    auto* prompt = h.dialog->findChild<QLineEdit*>(QStringLiteral("promptEdit"));
    QCOMPARE(prompt->text(), QStringLiteral(u"لغت لوڈ نہیں ہو سکی۔"));
    // Still a working window: text can be typed, and the check stays off.
    h.box->setPlainText(KITAB_SWAPPED);
    h.check->click();
    QVERIFY(!h.box->isReadOnly());
    QCOMPARE(h.messages.size(), 1);

    // A damaged context model: said the same way, naming the model's file.
    QTemporaryDir copy;
    for (const QFileInfo& file : QDir(dictionary.path()).entryInfoList(QDir::Files))
        QVERIFY(QFile::copy(file.filePath(), copy.filePath(file.fileName())));
    const QString model = copy.filePath(QStringLiteral("context.bin"));
    QVERIFY(QFile::remove(model));
    QFile damaged(model);
    QVERIFY(damaged.open(QIODevice::WriteOnly) && damaged.write("ZBL") == 3);
    damaged.close();
    QStringList messages;
    CZabrelDlg other([&](QWidget*, const QString&, const QString& text) { messages << text; }, nullptr,
                     copy.path().toStdString());
    other.findChild<QAction*>(QStringLiteral("contextAction"))->setChecked(true);
    const QString expected = QStringLiteral(u"ساتھ کے الفاظ سے ترتیب دستیاب نہیں۔\n") + model +
                             QStringLiteral("\nContext model file is damaged (no ZBLC mark): ") + model +
                             u'.';
    QVERIFY2(messages == QStringList{expected}, qPrintable(messages.join(u'|')));
    QVERIFY(!other.findChild<QAction*>(QStringLiteral("contextAction"))->isChecked());
}

void DialogTest::aboutBoxFromContextMenuAndF1() {
    Harness h;
    CZabrelDlg& d = *h.dialog;
    std::unique_ptr<QMenu> menu(d.createDialogMenu());
    const QList<QAction*> actions = menu->actions();
    QCOMPARE(actions.size(), 5);
    QCOMPARE(actions[1]->objectName(), QStringLiteral("rankingAction"));
    QCOMPARE(actions[2]->objectName(), QStringLiteral("contextAction"));
    QVERIFY(actions[3]->isSeparator());
    QCOMPARE(actions[4]->text(), QStringLiteral("&About Zabrel..."));

    d.show();
    QVERIFY(QTest::qWaitForWindowActive(&d));
    QString shown;
    QTimer::singleShot(0, [&] {
        QWidget* about = QApplication::activeModalWidget();
        if (about == nullptr || about == &d)
            return;
        for (auto* label : about->findChildren<QLabel*>())
            shown += label->text() + u'\n';
        about->close();
    });
    QTest::keyClick(&d, Qt::Key_F1);
    QVERIFY2(shown.contains(QStringLiteral(u"زبرل، ورژن 0.")), qPrintable(shown));
    QVERIFY(d.isVisible());
}

void DialogTest::messageBoxesAreDressedLikeTheDialog() {
    // The completion message used to come in a small Latin font, left to right, with
    // an English OK, so its Urdu rendered unjoined.
    CZabrelDlg d;
    auto* box = d.findChild<QTextEdit*>(QStringLiteral("inputBox"));
    auto* check = d.findChild<QPushButton*>(QStringLiteral("checkButton"));
    d.show();
    QVERIFY(QTest::qWaitForWindowExposed(&d));

    struct Seen {
        QString text, font, button;
        int pointSize = 0;
        Qt::LayoutDirection direction = Qt::LeftToRight;
        QPoint centreOffset;
    };
    auto inspect = [&d](Seen& seen) {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || modal == &d)
            return;
        seen.font = modal->font().family();
        seen.pointSize = modal->font().pointSize();
        seen.direction = modal->layoutDirection();
        seen.centreOffset = modal->frameGeometry().center() - d.frameGeometry().center();
        for (auto* label : modal->findChildren<QLabel*>())
            seen.text += label->text();
        for (auto* button : modal->findChildren<QPushButton*>())
            seen.button += button->text();
        modal->close();
    };

    Seen completion;
    QTimer::singleShot(0, [&] { inspect(completion); });
    box->setPlainText(KITAB);
    check->click();
    QVERIFY2(completion.text.contains(COMPLETED), qPrintable(completion.text));
    QCOMPARE(completion.font, d.font().family());
    QCOMPARE(completion.pointSize, 14);
    QCOMPARE(completion.direction, Qt::RightToLeft);
    QCOMPARE(completion.button, QStringLiteral(u"ٹھیک ہے"));
    QVERIFY2(completion.centreOffset.manhattanLength() <= 2,
             qPrintable(QString::number(completion.centreOffset.manhattanLength())));

    Seen about;
    QTimer::singleShot(0, [&] { inspect(about); });
    d.showAbout();
    QVERIFY(about.text.contains(QStringLiteral(u"زبرل، ورژن")));
    QCOMPARE(about.font, d.font().family());
    QCOMPARE(about.direction, Qt::RightToLeft);
    QCOMPARE(about.button, QStringLiteral(u"ٹھیک ہے"));

    Seen question;
    QTimer::singleShot(0, [&] { inspect(question); });
    QCOMPARE(askToSave(&d, CZabrelDlg::APP_NAME, COMPLETED), CZabrelDlg::Answer::Cancel);
    QCOMPARE(question.direction, Qt::RightToLeft);
    QCOMPARE(question.pointSize, 14);
    QVERIFY(question.button.contains(QStringLiteral(u"محفوظ کریں")));
}

void DialogTest::focusReturnsToTheTextAfterAPass() {
    // Focus used to land on the read-only prompt after the completion message, where
    // one more Enter started a new pass through the default Check button.
    Harness h;
    CZabrelDlg& d = *h.dialog;
    d.show();
    QVERIFY(QTest::qWaitForWindowActive(&d));
    for (auto* button : d.findChildren<QPushButton*>())
        QVERIFY2(!button->isDefault() && !button->autoDefault(), qPrintable(button->objectName()));
    h.box->setPlainText(KITAB_SWAPPED);
    h.check->setFocus();
    QTest::keyClick(h.check, Qt::Key_Return);
    QVERIFY(h.paused());
    h.leave->setFocus();
    QTest::keyClick(h.leave, Qt::Key_Enter);
    QVERIFY(h.idle());
    QCOMPARE(h.messages.size(), 1);
    QCOMPARE(QApplication::focusWidget(), h.box);

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Enter);
    QCOMPARE(h.messages.size(), 1);
    QVERIFY(h.idle());
    QCOMPARE(h.box->document()->blockCount(), 3);
}

void DialogTest::everyActionWorksFromTheKeyboard() {
    Harness h;
    CZabrelDlg& d = *h.dialog;
    d.show();
    QVERIFY(QTest::qWaitForWindowActive(&d));
    auto* prompt = d.findChild<QLineEdit*>(QStringLiteral("promptEdit"));
    auto* caption = d.findChild<QLineEdit*>(QStringLiteral("captionEdit"));
    for (QLineEdit* label : {prompt, caption})
        QVERIFY(label->focusPolicy() == Qt::NoFocus && !label->hasFrame());

    // Tab goes round the controls without stopping on the captions.
    h.box->setPlainText(KITAB_SWAPPED + u' ' + JAWAB_SWAPPED + u' ' + KITAB_SWAPPED);
    h.box->setFocus();
    QTest::keyClick(h.box, Qt::Key_Tab, Qt::ControlModifier);
    QCOMPARE(QApplication::focusWidget(), h.check);
    for (int i = 0; i < 12; ++i) {
        QWidget* focused = QApplication::focusWidget();
        QVERIFY(focused != prompt && focused != caption);
        QTest::keyClick(focused, Qt::Key_Tab);
    }
    // Plain Tab in the text box is a character.
    h.box->setFocus();
    QTest::keyClick(h.box, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), h.box);
    QVERIFY(h.box->toPlainText().contains(u'\t'));
    h.box->setPlainText(KITABAN + u' ' + JAWAB_SWAPPED + u' ' + KITAB_SWAPPED);

    // A shortcut presses its button with a short animation.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_K, Qt::AltModifier);
    QTRY_VERIFY(h.paused());
    QVERIFY(!h.check->toolTip().isEmpty());
    // Enter on a suggestion changes the word to it.
    QVERIFY(h.list->count() >= 2);
    const QString second = h.list->item(1)->text();
    h.list->setFocus();
    QTest::keyClick(h.list, Qt::Key_Down);
    QTest::keyClick(h.list, Qt::Key_Return);
    QVERIFY(h.box->toPlainText().startsWith(second + u' '));
    const int next = static_cast<int>(second.size()) + 1;
    QCOMPARE(redRanges(*h.box), (QList<Range>{{next, next + 4}}));
    // Alt+L leaves; a double-click on a suggestion changes.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_L, Qt::AltModifier);
    QTRY_VERIFY(redRanges(*h.box).value(0).start > next);
    const QRect first = h.list->visualItemRect(h.list->item(0));
    QTest::mouseClick(h.list->viewport(), Qt::LeftButton, Qt::NoModifier, first.center());
    QTest::mouseDClick(h.list->viewport(), Qt::LeftButton, Qt::NoModifier, first.center());
    QVERIFY(h.idle());
    QVERIFY(h.box->toPlainText().endsWith(JAWAB_SWAPPED + u' ' + KITAB));
    QCOMPARE(h.messages.size(), 1);

    // Alt+C changes, Alt+S stops.
    h.checkText(KITAB_SWAPPED + u' ' + JAWAB_SWAPPED);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_C, Qt::AltModifier);
    QTRY_VERIFY(h.box->toPlainText().startsWith(KITAB));
    QVERIFY(h.paused());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_S, Qt::AltModifier);
    QTRY_VERIFY(h.idle());
    QCOMPARE(h.box->toPlainText(), KITAB + u' ' + JAWAB_SWAPPED);
}

void DialogTest::ignoreAllAndChangeAllLastTheSession() {
    Harness h;
    auto* changeAll = h.dialog->findChild<QPushButton*>(QStringLiteral("changeAllButton"));
    auto* ignoreAll = h.dialog->findChild<QPushButton*>(QStringLiteral("ignoreAllButton"));
    auto* status = h.dialog->findChild<QLabel*>(QStringLiteral("statusLine"));
    QVERIFY(!changeAll->isEnabled() && !ignoreAll->isEnabled());
    const QString text = KITAB_SWAPPED + u' ' + JAWAB_SWAPPED + QStringLiteral(u" (") + KITAB_SWAPPED +
                         QStringLiteral(u") ") + JAWAB_SWAPPED + QStringLiteral(u"، ") + KITAB_SWAPPED +
                         QStringLiteral(u". ") + BAZAR_SHORT + u' ' + JAWAB_SWAPPED;
    h.checkText(text);
    QVERIFY(changeAll->isEnabled() && ignoreAll->isEnabled());
    // One of each is singular.
    QCOMPARE(status->text(), QStringLiteral(u"غلطی 1، اب تک 1 غلطی ملی — 1 لفظ جانچا گیا"));
    changeAll->click();
    QCOMPARE(redRanges(*h.box), (QList<Range>{{5, 9}}));
    ignoreAll->click();
    // The two later کتبا were changed without a pause, inside their punctuation; the
    // two later جاوب were passed over.
    QVERIFY(h.paused());
    QCOMPARE(h.box->toPlainText().count(KITAB), 3);
    QCOMPARE(h.box->toPlainText().count(JAWAB_SWAPPED), 3);
    QCOMPARE(h.replacement->text(), BAZAR);
    QCOMPARE(status->text(), QStringLiteral(u"غلطی 3، اب تک 6 غلطیاں ملیں — 6 الفاظ جانچے گئے"));
    h.leave->click();
    QVERIFY(h.idle());
    QCOMPARE(h.box->toPlainText(), KITAB + u' ' + JAWAB_SWAPPED + QStringLiteral(u" (") + KITAB +
                                       QStringLiteral(u") ") + JAWAB_SWAPPED + QStringLiteral(u"، ") + KITAB +
                                       QStringLiteral(u". ") + BAZAR_SHORT + u' ' + JAWAB_SWAPPED);
    QCOMPARE(status->text(), QStringLiteral(u"پڑتال مکمل: 7 الفاظ جانچے گئے، 7 غلطیاں ملیں"));
    // One Change All is one undo step per changed word.
    h.box->setFocus();
    QTest::keyClick(h.box, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(h.box->toPlainText().count(KITAB), 2);

    // The session remembers: a new pass changes and ignores at once.
    h.messages.clear();
    h.checkText(JAWAB_SWAPPED + u' ' + KITAB_SWAPPED + u' ' + BAZAR_SHORT);
    QVERIFY(h.paused());
    QCOMPARE(h.box->toPlainText(), JAWAB_SWAPPED + u' ' + KITAB + u' ' + BAZAR_SHORT);
    QCOMPARE(h.replacement->text(), BAZAR);
    h.stop->click();
    QCOMPARE(status->text(), QStringLiteral(u"پڑتال روک دی گئی: 3 الفاظ جانچے گئے، 3 غلطیاں ملیں"));
    QVERIFY(h.messages.isEmpty());
}

void DialogTest::openCheckAndSaveKeepTheFilesForm() {
    QTemporaryDir folder;
    Harness h;
    CZabrelDlg& d = *h.dialog;
    auto* open = d.findChild<QPushButton*>(QStringLiteral("openButton"));
    auto* save = d.findChild<QPushButton*>(QStringLiteral("saveButton"));

    // CR LF breaks and a no-break space come back as they were; only the word changes.
    const QString path = folder.filePath(QStringLiteral(u"خط.txt"));
    const QByteArray before =
        (SHEHAR + u' ' + KITAB_SWAPPED + QStringLiteral(u"\r\n") + DOST + QStringLiteral(u"\u00A0\r\n"))
            .toUtf8();
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(before);
    }
    h.chosenFile = path;
    open->click();
    QCOMPARE(h.box->toPlainText(), SHEHAR + u' ' + KITAB_SWAPPED + u'\n' + DOST + QStringLiteral(u" \n"));
    QCOMPARE(d.windowTitle(), QStringLiteral(u"خط.txt[*] — Tesmara-ہجے پڑتال کار"));
    QVERIFY(!d.isWindowModified());
    // A freshly opened file is safe on disk: closing asks nothing.
    QVERIFY(!h.box->document()->isModified());

    h.check->click();
    QVERIFY(h.paused());
    QVERIFY(!open->isEnabled());
    h.change->click();
    QVERIFY(h.idle());
    QVERIFY(d.isWindowModified());
    h.chosenFile.clear();  // Save goes to the open file without asking
    save->click();
    QVERIFY(!d.isWindowModified());
    QFile saved(path);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QByteArray after = before;
    after.replace(KITAB_SWAPPED.toUtf8(), KITAB.toUtf8());
    QCOMPARE(saved.readAll(), after);
    saved.close();

    // A UTF-16 file with its byte-order mark is read, and saved the same way.
    const QString wide = folder.filePath(QStringLiteral("wide.txt"));
    {
        QFile file(wide);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QStringEncoder encoder(QStringConverter::Utf16LE, QStringConverter::Flag::WriteBom);
        file.write(encoder.encode(KITAB + u'\n'));
    }
    QVERIFY(d.openFile(wide));
    QCOMPARE(h.box->toPlainText(), KITAB + u'\n');
    h.box->setPlainText(DOST);
    QVERIFY(d.saveFile(wide));
    QFile wideFile(wide);
    QVERIFY(wideFile.open(QIODevice::ReadOnly));
    QCOMPARE(wideFile.readAll(),
             QByteArray("\xFF\xFE", 2) + QByteArray(reinterpret_cast<const char*>(DOST.utf16()), 8));
    QCOMPARE(h.messages.size(), 1);  // the completion message only
}

void DialogTest::droppedFileOpensAndBadFilesAreRefused() {
    QTemporaryDir folder;
    Harness h;
    const QString good = folder.filePath(QStringLiteral("good.txt"));
    const QString bad = folder.filePath(QStringLiteral("bad.txt"));
    for (const auto& [path, bytes] : {std::pair{good, (KITAB + u' ' + DOST).toUtf8()},
                                      std::pair{bad, QByteArray("\xD8\xA7\xFF\xFE\x80 latin-1 \xE9")}}) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(good)});
    QWidget* target = h.box->viewport();
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    QVERIFY(drop.isAccepted());
    QTRY_COMPARE(h.box->toPlainText(), KITAB + u' ' + DOST);
    QCOMPARE(h.dialog->currentFileName(), good);

    // Not UTF-8: refused with a message that names the file; the text stays.
    QVERIFY(!h.dialog->openFile(bad));
    QCOMPARE(h.messages.size(), 1);
    QVERIFY(h.messages[0].contains(QStringLiteral(u"یہ فائل UTF-8 متن نہیں ہے")));
    QVERIFY(h.messages[0].contains(bad));
    QVERIFY(!h.dialog->openFile(folder.filePath(QStringLiteral("missing.txt"))));
    QCOMPARE(h.messages.size(), 2);
    QCOMPARE(h.box->toPlainText(), KITAB + u' ' + DOST);
    QCOMPARE(h.dialog->currentFileName(), good);
    // A file that cannot be written is reported, and the text counts as unsaved.
    typeText(h.box, DOST);
    QVERIFY(!h.dialog->saveFile(folder.filePath(QStringLiteral("no/such/folder/x.txt"))));
    QCOMPARE(h.messages.size(), 3);
    QVERIFY(h.box->document()->isModified());
}

void DialogTest::filesComeBackByteForByteAndUnsafeOnesAreRefused() {
    QTemporaryDir folder;
    const auto write = [&](const QString& name, const QByteArray& bytes) {
        QFile file(folder.filePath(name));
        file.open(QIODevice::WriteOnly);
        file.write(bytes);
        return folder.filePath(name);
    };
    const auto bytesOf = [](const QString& path) {
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        return file.readAll();
    };
    // Mixed breaks, a lone CR, Unicode line and paragraph separators, no final break.
    const QByteArray mixed = (KITAB + QStringLiteral(u"\n") + DOST + QStringLiteral(u"\r\n\r") + SHEHAR +
                              QStringLiteral(u"\u2028") + KITAB_SWAPPED + QStringLiteral(u"\u2029\u00A0x"))
                                 .toUtf8();
    const QString path = write(QStringLiteral("mixed.txt"), mixed);
    TextFile file;
    QString error;
    QVERIFY(file.read(path, error));
    QCOMPARE(file.text(), KITAB + u'\n' + DOST + u'\n' + u'\n' + SHEHAR + u'\n' + KITAB_SWAPPED +
                              QStringLiteral(u"\n\u00A0x"));
    QVERIFY(file.write(path, file.text(), error));
    QCOMPARE(bytesOf(path), mixed);
    // A word changed: every line keeps its own break. A line added: the lines around it do.
    QString changed = file.text();
    changed.replace(KITAB_SWAPPED, KITAB);
    QVERIFY(file.write(path, changed, error));
    QByteArray expected = mixed;
    expected.replace(KITAB_SWAPPED.toUtf8(), KITAB.toUtf8());
    QCOMPARE(bytesOf(path), expected);
    QVERIFY(file.write(path, DOST + u'\n' + changed, error));
    QCOMPARE(bytesOf(path), (DOST + u'\n').toUtf8() + expected);

    // Refused, and named: a UTF-16 file cut short, a device, a FIFO.
    QByteArray odd("\xFF\xFE\x2F\x06\x31", 5);
    QVERIFY(!file.read(write(QStringLiteral("odd.txt"), odd), error));
    QVERIFY(error.contains(QStringLiteral(u"یہ فائل UTF-8 متن نہیں ہے")));
    QVERIFY(!file.read(QStringLiteral("/dev/zero"), error));
    QVERIFY(error.contains(QStringLiteral("Not a regular file")));
    const QString fifo = folder.filePath(QStringLiteral("fifo"));
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QVERIFY(!file.read(fifo, error));
    QVERIFY(!file.write(fifo, KITAB, error));
    QVERIFY(error.contains(fifo) && error.contains(QStringLiteral("Not a regular file")));
    QVERIFY(!file.write(QStringLiteral("/dev/null"), KITAB, error));
    // A file the user made read-only stays as it is, even for root.
    const QString locked = write(QStringLiteral("locked.txt"), "old");
    ::chmod(QFile::encodeName(locked).constData(), 0444);
    QVERIFY(!file.write(locked, KITAB, error));
    QVERIFY(error.contains(QStringLiteral("Read-only file")));
    QCOMPARE(bytesOf(locked), QByteArray("old"));

    // A full disk: the save fails, the old file is whole, and the text stays unsaved.
    Harness h;
    QVERIFY(h.dialog->openFile(path));
    typeText(h.box, QString(4096, QChar(0x0628)));
    {
        zabrel::test::FileSizeLimit full(1024);
        QVERIFY(!h.dialog->saveFile(path));
    }
    QCOMPARE(bytesOf(path), (DOST + u'\n').toUtf8() + expected);
    QVERIFY(h.box->document()->isModified());
    QVERIFY(h.messages.last().contains(QStringLiteral(u"فائل محفوظ نہیں ہو سکی")));
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files).filter(QStringLiteral(".tmp-")), QStringList());

    // The file named on the command line is the one opened.
    QCOMPARE(CZabrelApp::fileToOpen({QStringLiteral("zabrel"), QStringLiteral("--"), path}), path);
    QCOMPARE(CZabrelApp::fileToOpen({QStringLiteral("zabrel")}), QString());
}

void DialogTest::misspeltWordsAreUnderlinedWhileIdle() {
    Harness h;
    CZabrelDlg& d = *h.dialog;
    d.show();
    QVERIFY(QTest::qWaitForWindowExposed(&d));
    h.box->setFocus();
    // Letters only: the bracket stays without a line; a break inside a paragraph
    // separates words.
    typeText(h.box, SHEHAR + QStringLiteral(u" (") + KITAB_SWAPPED + QStringLiteral(u") ") + DOST);
    QTest::keyClick(h.box, Qt::Key_Return, Qt::ShiftModifier);
    typeText(h.box, JAWAB_SWAPPED + QStringLiteral(u"\n") + KITABAN);
    QCOMPARE(underlined(*h.box), (QList<Range>{{5, 9}, {16, 20}, {21, 26}}));

    // Off during a pass, where the red word is the only mark; back afterwards.
    h.check->click();
    QVERIFY(h.paused());
    QVERIFY(underlined(*h.box).isEmpty());
    h.stop->click();
    QCOMPARE(underlined(*h.box).size(), 3);

    // Right-click on a misspelt word: its suggestions first; choosing one is one
    // undo step.
    const QPoint onWord = h.box->cursorRect(QTextCursor(h.box->document()->findBlockByNumber(0))).center();
    QTextCursor inWord(h.box->document());
    inWord.setPosition(7);
    std::unique_ptr<QMenu> menu(d.createTextBoxMenu(h.box->cursorRect(inWord).center()));
    QStringList entries;
    for (QAction* action : menu->actions())
        entries << action->text();
    QCOMPARE(entries.value(0), KITAB);
    QVERIFY(entries.contains(QStringLiteral(u"سب نظرانداز کریں")));
    // The usual Undo, Copy, Paste... follow, in a submenu.
    QVERIFY(menu->findChild<QMenu*>() != nullptr && menu->findChild<QMenu*>()->actions().size() > 4);
    menu->actions().value(0)->trigger();
    QCOMPARE(h.box->toPlainText().mid(4, 6), QStringLiteral(u"(") + KITAB + QStringLiteral(u")"));
    QCOMPARE(underlined(*h.box), (QList<Range>{{16, 20}, {21, 26}}));
    QTest::keyClick(h.box, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(h.box->toPlainText().mid(5, 4), KITAB_SWAPPED);

    // A correct word has no spelling entries.
    menu.reset(d.createTextBoxMenu(onWord));
    QVERIFY(menu->findChild<QAction*>(QStringLiteral("ignoreAllAction")) == nullptr);

    // Ignore All from the menu: no line under the word anywhere any more.
    inWord.setPosition(18);
    menu.reset(d.createTextBoxMenu(h.box->cursorRect(inWord).center()));
    QAction* ignore = menu->findChild<QAction*>(QStringLiteral("ignoreAllAction"));
    QVERIFY(ignore != nullptr);
    ignore->trigger();
    QCOMPARE(underlined(*h.box), (QList<Range>{{5, 9}, {21, 26}}));
}

void DialogTest::textSizeFollowsCtrlWheelAndKeys() {
    Harness h;
    CZabrelDlg& d = *h.dialog;
    d.show();
    QVERIFY(QTest::qWaitForWindowActive(&d));
    h.box->setFocus();
    const int start = h.box->font().pointSize();
    QWheelEvent up(QPointF(10, 10), h.box->viewport()->mapToGlobal(QPointF(10, 10)), QPoint(), QPoint(0, 120),
                   Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(h.box->viewport(), &up);
    QCOMPARE(h.box->font().pointSize(), start + 1);
    QTest::keyClick(h.box, Qt::Key_Plus, Qt::ControlModifier);
    QCOMPARE(h.box->font().pointSize(), start + 2);
    QTest::keyClick(h.box, Qt::Key_Minus, Qt::ControlModifier);
    QCOMPARE(h.box->font().pointSize(), start + 1);
    for (int i = 0; i < 100; ++i)
        QTest::keyClick(h.box, Qt::Key_Minus, Qt::ControlModifier);
    QCOMPARE(h.box->font().pointSize(), 8);
    QTest::keyClick(h.box, Qt::Key_0, Qt::ControlModifier);
    QCOMPARE(h.box->font().pointSize(), start);
    // The dialog itself keeps its size.
    QCOMPARE(d.font().pointSize(), 14);
}

void DialogTest::addedWordsGoToThePersonalList() {
    QTemporaryDir home;
    qputenv("XDG_DATA_HOME", home.path().toLocal8Bit());
    const QString listPath = home.filePath(QStringLiteral("zabrel/personal.txt"));
    {
        // Another program's word, already in the list.
        QVERIFY(QDir().mkpath(home.filePath(QStringLiteral("zabrel"))));
        QFile file(listPath);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QStringLiteral(u"ظظظظ\n").toUtf8());
    }
    {
        Harness h;
        auto* add = h.dialog->findChild<QPushButton*>(QStringLiteral("addButton"));
        QVERIFY(!add->isEnabled());
        h.checkText(QStringLiteral(u"ظظظظ ") + KITAB_SWAPPED + QStringLiteral(u"، ") + JAWAB_SWAPPED + u' ' +
                    KITAB_SWAPPED + u'.');
        QVERIFY(add->isEnabled());
        QCOMPARE(redRanges(*h.box), (QList<Range>{{5, 9}}));
        add->click();
        // The later کتبا is accepted now; the pass stops at جاوب only.
        QCOMPARE(redRanges(*h.box), (QList<Range>{{11, 15}}));
        h.leave->click();
        QVERIFY(h.idle());
        QFile file(listPath);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(file.readAll()), QStringLiteral(u"ظظظظ\n") + KITAB_SWAPPED + u'\n');
        QCOMPARE(underlined(*h.box), (QList<Range>{{11, 15}}));
    }
    {
        // A new session reads the list: nothing to stop at, nothing underlined.
        Harness h;
        h.checkText(KITAB_SWAPPED + u' ' + KITAB_SWAPPED);
        QVERIFY(h.idle());
        QVERIFY(underlined(*h.box).isEmpty());
        // From the text box's menu too.
        h.box->setPlainText(JAWAB_SWAPPED);
        QTextCursor inWord(h.box->document());
        inWord.setPosition(2);
        std::unique_ptr<QMenu> menu(h.dialog->createTextBoxMenu(h.box->cursorRect(inWord).center()));
        QAction* add = menu->findChild<QAction*>(QStringLiteral("addAction"));
        QVERIFY(add != nullptr);
        add->trigger();
        QVERIFY(underlined(*h.box).isEmpty());
    }
    QFile file(listPath);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll().count('\n'), 3);

    {
        // A list that cannot be read is reported, and adding to it refuses.
        QFile broken(listPath);
        QVERIFY(broken.open(QIODevice::WriteOnly));
        broken.write(
            QByteArray("\xFF\xFE\x00"
                       "bad",
                       6));
    }
    {
        Harness h;
        QCOMPARE(h.messages.size(), 1);
        h.checkText(BAZAR_SHORT);
        h.dialog->findChild<QPushButton*>(QStringLiteral("addButton"))->click();
        QCOMPARE(h.messages.size(), 2);
        QVERIFY(h.paused());
    }
    qputenv("XDG_DATA_HOME", dataHome.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", dataHome.path().toLocal8Bit());
}

void DialogTest::accurateRankingIsAChoiceTheDialogRemembers() {
    const QString joined = KITAB + JAWAB;
    const QString pair = KITAB + u' ' + JAWAB;
    {
        Harness h;
        auto* ranking = h.dialog->findChild<QAction*>(QStringLiteral("rankingAction"));
        QVERIFY(ranking && ranking->isCheckable() && !ranking->isChecked());
        // In sight under the list, and the same choice as the menu's entry.
        auto* box = h.dialog->findChild<QCheckBox*>(QStringLiteral("rankingBox"));
        QVERIFY(box && !box->isChecked() && !box->text().isEmpty());
        h.checkText(joined);
        QVERIFY(h.paused());
        QVERIFY(!itemsOf(*h.list).contains(pair));
        h.stop->click();
        box->click();
        QVERIFY(ranking->isChecked());
        h.checkText(joined);
        QVERIFY(h.paused());
        QVERIFY(itemsOf(*h.list).contains(pair));
        h.stop->click();
    }
    Harness again;
    auto* ranking = again.dialog->findChild<QAction*>(QStringLiteral("rankingAction"));
    QVERIFY(ranking->isChecked());
    QVERIFY(again.dialog->findChild<QCheckBox*>(QStringLiteral("rankingBox"))->isChecked());
    ranking->setChecked(false);
    QVERIFY(!Harness().dialog->findChild<QAction*>(QStringLiteral("rankingAction"))->isChecked());
    // Stored under Zabrel, not under the start-up's settings name.
    QSettings stored(dataHome.path() + QStringLiteral("/Zabrel/Zabrel.conf"), QSettings::IniFormat);
    QCOMPARE(stored.value(QStringLiteral("ranking")).toString(), QStringLiteral("exact"));
    QVERIFY(!QDir(dataHome.path() + QStringLiteral("/Local AppWizard-Generated Applications")).exists());

    // The neighbours' order, in the pass and in the right-click menu; it takes the
    // accurate ranking with it, both ways, and is remembered.
    const QString text = QStringLiteral(u"سخت ") + BAZAR_SHORT;
    Harness h;
    auto* context = h.dialog->findChild<QAction*>(QStringLiteral("contextAction"));
    auto* box = h.dialog->findChild<QCheckBox*>(QStringLiteral("rankingBox"));
    box->click();
    h.checkText(text);
    QCOMPARE(h.list->item(0)->text(), BAZAR);
    // The open list follows the choice at once, and the edit its new first word.
    context->setChecked(true);
    QVERIFY(box->isChecked());
    QCOMPARE(h.list->item(0)->text(), QStringLiteral(u"ہزار"));
    QCOMPARE(h.replacement->text(), QStringLiteral(u"ہزار"));
    context->setChecked(false);
    QCOMPARE(h.list->item(0)->text(), BAZAR);
    context->setChecked(true);
    h.stop->click();
    h.checkText(text);
    QCOMPARE(h.list->item(0)->text(), QStringLiteral(u"ہزار"));
    h.stop->click();
    h.dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(h.dialog.get()));
    QTextCursor inWord(h.box->document());
    inWord.setPosition(5);
    std::unique_ptr<QMenu> menu(h.dialog->createTextBoxMenu(h.box->cursorRect(inWord).center()));
    QCOMPARE(menu->actions().value(0)->text(), QStringLiteral(u"ہزار"));
    QVERIFY(Harness().dialog->findChild<QAction*>(QStringLiteral("contextAction"))->isChecked());

    // Words broken in two pause on both pieces, whichever is misspelt, and a change
    // replaces both; Change All, keyed on one word, is off there.
    h.box->setPlainText(QStringLiteral(u"با زار"));
    inWord.setPosition(1);
    menu.reset(h.dialog->createTextBoxMenu(h.box->cursorRect(inWord).center()));
    QCOMPARE(menu->actions().value(0)->text(), BAZAR);
    menu->actions().value(0)->trigger();
    QCOMPARE(h.box->toPlainText(), BAZAR);
    auto* changeAll = h.dialog->findChild<QPushButton*>(QStringLiteral("changeAllButton"));
    h.checkText(QStringLiteral(u"با زار، خیر یت دوست\nبا زار"));
    QCOMPARE(redRanges(*h.box), (QList<Range>{{0, 6}}));
    QCOMPARE(h.list->item(0)->text(), BAZAR);
    QCOMPARE(h.replacement->text(), BAZAR);
    QVERIFY(h.change->isEnabled() && !changeAll->isEnabled());
    h.change->click();
    QCOMPARE(redRanges(*h.box), (QList<Range>{{7, 13}}));
    QCOMPARE(itemsOf(*h.list).value(0), QStringLiteral(u"خیریت"));
    QVERIFY(itemsOf(*h.list).mid(1).filter(QRegularExpression(QStringLiteral(u"^خیر .+"))).size() ==
            h.list->count() - 1);
    h.change->click();
    QCOMPARE(redRanges(*h.box), (QList<Range>{{18, 24}}));
    h.change->click();
    QCOMPARE(h.box->toPlainText(), QStringLiteral(u"بازار، خیریت دوست\nبازار"));
    QVERIFY(h.idle());
    QVERIFY(h.dialog->findChild<QLabel*>(QStringLiteral("statusLine"))->text().contains(u'7'));
    box->click();
    QVERIFY(!context->isChecked());
    QCOMPARE(QSettings(dataHome.path() + QStringLiteral("/Zabrel/Zabrel.conf"), QSettings::IniFormat)
                 .value(QStringLiteral("ranking"))
                 .toString(),
             QStringLiteral("exact"));
}

namespace {

bool hasLatin(const QString& text) {
    return std::any_of(text.begin(), text.end(),
                       [](QChar c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); });
}

// What a menu says, entry by entry, without the keys after a tab, which name the
// keyboard's own keys.
QStringList entriesOf(const QMenu& menu) {
    QStringList entries;
    for (const QAction* action : menu.actions())
        if (!action->isSeparator())
            entries << action->text().section(u'\t', 0, 0);
    return entries;
}

// Runs `show`, which opens a window; `look` gets it once it is up and closes it.
void whenShown(const std::function<void()>& show, const std::function<void(QWidget&)>& look) {
    bool seen = false;
    QTimer::singleShot(0, [&] {
        QWidget* shown = QApplication::activePopupWidget();
        if (shown == nullptr)
            shown = QApplication::activeModalWidget();
        QVERIFY(shown != nullptr);
        look(*shown);
        seen = true;
        shown->close();
    });
    show();
    QVERIFY(seen);
}

}  // namespace

void DialogTest::everythingShownIsUrduAndRightToLeft() {
    // The edit menus were Qt's English, in a small Latin font, left-aligned; so were the
    // about box, the file chooser and some messages.
    Harness h;
    CZabrelDlg& d = *h.dialog;
    d.show();
    QVERIFY(QTest::qWaitForWindowActive(&d));
    h.box->setPlainText(KITAB_SWAPPED + u' ' + DOST);
    std::function<void(const QMenu&, const QStringList&)> urduMenu = [&](const QMenu& menu,
                                                                         const QStringList& allowed) {
        for (const QString& entry : entriesOf(menu))
            QVERIFY2(allowed.contains(entry) || !hasLatin(entry), qPrintable(entry));
        QCOMPARE(menu.layoutDirection(), Qt::RightToLeft);
        QCOMPARE(menu.font().family(), d.font().family());
        QCOMPARE(menu.font().pointSize(), 14);
        for (const QAction* action : menu.actions())
            if (action->menu() != nullptr)
                urduMenu(*action->menu(), allowed);
    };
    QTextCursor inWord(h.box->document());
    inWord.setPosition(2);
    std::unique_ptr<QMenu> menu(d.createTextBoxMenu(h.box->cursorRect(inWord).center()));
    QVERIFY(entriesOf(*menu).contains(KITAB));
    QVERIFY(entriesOf(*menu->findChild<QMenu*>()).contains(QStringLiteral(u"سب منتخب کریں")));
    urduMenu(*menu, {});
    // The dialog's own menu: its about entry keeps the text it has always had.
    menu.reset(d.createDialogMenu());
    urduMenu(*menu, {QStringLiteral("&About Zabrel...")});
    // The replacement edit's menu, as a right-click opens it.
    h.checkText(KITAB_SWAPPED);
    QVERIFY(h.paused());
    whenShown([&] { emit h.replacement->customContextMenuRequested(QPoint(5, 5)); },
              [&](QWidget& popup) {
                  auto* shown = qobject_cast<QMenu*>(&popup);
                  QVERIFY(shown != nullptr);
                  urduMenu(*shown, {});
                  QVERIFY(entriesOf(*shown).contains(QStringLiteral(u"چسپاں کریں")));
              });
    h.stop->click();

    // The about box, the file chooser.
    whenShown([&] { d.showAbout(); },
              [](QWidget& about) {
                  QVERIFY(!hasLatin(about.windowTitle()));
                  QCOMPARE(about.layoutDirection(), Qt::RightToLeft);
                  for (const QLabel* label : about.findChildren<QLabel*>())
                      QVERIFY2(!hasLatin(label->text()), qPrintable(label->text()));
              });
    for (bool saving : {false, true}) {
        whenShown([&] { QVERIFY(chooseFile(&d, saving, {}).isEmpty()); },
                  [&](QWidget& chooser) {
                      QCOMPARE(chooser.windowTitle(),
                               saving ? QStringLiteral(u"متن محفوظ کریں") : QStringLiteral(u"فائل کھولیں"));
                      QCOMPARE(chooser.layoutDirection(), Qt::RightToLeft);
                      for (const QLabel* label : chooser.findChildren<QLabel*>())
                          QVERIFY2(!hasLatin(label->text()), qPrintable(label->text()));
                      for (const QPushButton* button : chooser.findChildren<QPushButton*>())
                          QVERIFY2(!hasLatin(button->text()), qPrintable(button->text()));
                      for (const QToolButton* button : chooser.findChildren<QToolButton*>())
                          QVERIFY2(button->toolTip().isEmpty() || !hasLatin(button->toolTip()),
                                   qPrintable(button->objectName() + u' ' + button->toolTip()));
                      for (const QHeaderView* header : chooser.findChildren<QHeaderView*>())
                          for (int column = 0; column < header->count(); ++column) {
                              const QString name =
                                  header->model()->headerData(column, Qt::Horizontal).toString();
                              QVERIFY2(!hasLatin(name), qPrintable(name));
                          }
                  });
    }

    // A message: an Urdu sentence first, then the file and the system's reason.
    h.messages.clear();
    QVERIFY(!d.openFile(QStringLiteral("/nonexistent/letter.txt")));
    QCOMPARE(h.messages.size(), 1);
    const QStringList lines = h.messages[0].section(u'|', 1).split(u'\n');
    QVERIFY2(lines.size() >= 2 && !hasLatin(lines[0]), qPrintable(h.messages[0]));
    QCOMPARE(lines[1], QStringLiteral("/nonexistent/letter.txt"));
}

void DialogTest::aNewTextStartsWithoutTheLastOnesChoices() {
    // Change All used to carry over: the word was replaced in the next file unasked.
    QTemporaryDir folder;
    Harness h;
    CZabrelDlg& d = *h.dialog;
    auto* changeAll = d.findChild<QPushButton*>(QStringLiteral("changeAllButton"));
    auto* ignoreAll = d.findChild<QPushButton*>(QStringLiteral("ignoreAllButton"));
    auto* status = d.findChild<QLabel*>(QStringLiteral("statusLine"));
    h.checkText(KITAB_SWAPPED + u' ' + JAWAB_SWAPPED);
    changeAll->click();
    ignoreAll->click();
    QVERIFY(h.idle());
    QCOMPARE(h.box->toPlainText(), KITAB + u' ' + JAWAB_SWAPPED);

    const QString path = folder.filePath(QStringLiteral("next.txt"));
    QFile next(path);
    QVERIFY(next.open(QIODevice::WriteOnly));
    next.write((JAWAB_SWAPPED + u' ' + KITAB_SWAPPED).toUtf8());
    next.close();
    h.answers = {CZabrelDlg::Answer::Discard};
    QVERIFY(d.openFile(path));
    QCOMPARE(status->text(),
             QStringLiteral(u"نیا متن: پچھلے متن کے «سب نظرانداز» اور «سب تبدیل» ختم کر دیے گئے"));
    // Both words stop again, in the text box's underline and in a pass.
    QCOMPARE(underlined(*h.box).size(), 2);
    h.check->click();
    QVERIFY(h.paused());
    QCOMPARE(redRanges(*h.box), (QList<Range>{{0, 4}}));
    ignoreAll->click();
    QCOMPARE(redRanges(*h.box), (QList<Range>{{5, 9}}));
    h.stop->click();

    // A new text (Ctrl+N) asks about the unsaved one, with the reason, and forgets too.
    typeText(h.box, DOST);
    QGuiApplication::clipboard()->clear();
    h.answers = {CZabrelDlg::Answer::Cancel};
    d.onNewText();
    QCOMPARE(
        h.questions.value(0),
        QStringLiteral(
            u"متن میں ایسی تبدیلیاں ہیں جو محفوظ نہیں ہوئیں۔ نیا متن شروع کرنے سے پہلے انہیں محفوظ کریں؟"));
    QVERIFY(!h.box->toPlainText().isEmpty());
    h.answers = {CZabrelDlg::Answer::Discard};
    d.onNewText();
    QVERIFY(h.box->toPlainText().isEmpty());
    QVERIFY(d.currentFileName().isEmpty());
    QCOMPARE(status->text().isEmpty(), false);
    h.checkText(JAWAB_SWAPPED);
    QVERIFY(h.paused());
    h.stop->click();
    // Opening asks as opening, not as closing.
    typeText(h.box, DOST);
    h.answers = {CZabrelDlg::Answer::Cancel};
    h.chosenFile = path;
    d.onOpen();
    QCOMPARE(
        h.questions.last(),
        QStringLiteral(
            u"متن میں ایسی تبدیلیاں ہیں جو محفوظ نہیں ہوئیں۔ دوسری فائل کھولنے سے پہلے انہیں محفوظ کریں؟"));
    QVERIFY(h.box->toPlainText().contains(DOST));
}

void DialogTest::theFaceSetsABrokenWordApart() {
    // PakType's space was no wider than the gap after ر, so خا موشی read as one word.
    Harness h;
    const QString face = h.dialog->font().family();
    QCOMPARE(face, QStringLiteral("Noto Naskh Arabic UI"));
    QCOMPARE(h.box->font().family(), face);
    QCOMPARE(h.dialog->font().pointSize(), 14);
    const double ratio = spaceOverGap(face);
    QVERIFY2(ratio >= 1.5, qPrintable(QString::number(ratio)));
    // The measure tells the faces apart: the old one fails it where it is installed.
    if (QFontDatabase::families().contains(QStringLiteral("PakType Naskh Basic Urdu")))
        QVERIFY(spaceOverGap(QStringLiteral("PakType Naskh Basic Urdu")) < 1.0);
    // Every letter of the test words is the face's own, none borrowed from another.
    const QRawFont raw = QRawFont::fromFont(h.dialog->font());
    for (const QChar letter : QStringLiteral(u"ابپتٹثجچحخدڈذرڑزژسشصضطظعغفقکگلمنںوہھءیےۃ۔،؟"))
        QVERIFY2(raw.supportsCharacter(letter), qPrintable(QString(letter)));
}

void DialogTest::everyCountStartsAgainWithANewCheck() {
    Harness h;
    auto* status = h.dialog->findChild<QLabel*>(QStringLiteral("statusLine"));
    const QString text =
        KITAB_SWAPPED + u' ' + DOST + u' ' + JAWAB_SWAPPED + u' ' + SHEHAR + u' ' + BAZAR_SHORT;
    h.checkText(text);
    QCOMPARE(status->text(), QStringLiteral(u"غلطی 1، اب تک 1 غلطی ملی — 1 لفظ جانچا گیا"));
    h.leave->click();
    QCOMPARE(status->text(), QStringLiteral(u"غلطی 2، اب تک 2 غلطیاں ملیں — 3 الفاظ جانچے گئے"));
    h.stop->click();
    QCOMPARE(status->text(), QStringLiteral(u"پڑتال روک دی گئی: 3 الفاظ جانچے گئے، 2 غلطیاں ملیں"));
    // A new check counts the pauses, the misspelt words and the words of its own pass.
    h.check->click();
    QCOMPARE(status->text(), QStringLiteral(u"غلطی 1، اب تک 1 غلطی ملی — 1 لفظ جانچا گیا"));
    h.leave->click();
    h.leave->click();
    QCOMPARE(status->text(), QStringLiteral(u"غلطی 3، اب تک 3 غلطیاں ملیں — 5 الفاظ جانچے گئے"));
    h.leave->click();
    QVERIFY(h.idle());
    QCOMPARE(status->text(), QStringLiteral(u"پڑتال مکمل: 5 الفاظ جانچے گئے، 3 غلطیاں ملیں"));
    QCOMPARE(h.messages, QStringList{QStringLiteral("Zabrel|") + COMPLETED});
    // And after a pass that ran to its end.
    h.check->click();
    QCOMPARE(status->text(), QStringLiteral(u"غلطی 1، اب تک 1 غلطی ملی — 1 لفظ جانچا گیا"));
}

void DialogTest::aLineOfAFileIsCheckedButNotUnderlinedWhenHuge() {
    // A file of one 10 MB line was underlined again on every key, seconds each time.
    Harness h;
    QString line;
    while (line.size() <= MisspellingHighlighter::LONGEST_UNDERLINED)
        line += DOST + u' ';
    const int misspelt = static_cast<int>(line.size());
    line += KITAB_SWAPPED;
    h.box->setPlainText(line + u'\n' + JAWAB_SWAPPED);
    const int second = misspelt + static_cast<int>(KITAB_SWAPPED.size()) + 1;
    QCOMPARE(underlined(*h.box), (QList<Range>{{second, second + 4}}));
    // The pass still finds the word in it, and goes on to the next line.
    h.check->click();
    QCOMPARE(redRanges(*h.box), (QList<Range>{{misspelt, misspelt + 4}}));
    h.leave->click();
    QCOMPARE(redRanges(*h.box), (QList<Range>{{second, second + 4}}));
    h.stop->click();
    QCOMPARE(underlined(*h.box), (QList<Range>{{second, second + 4}}));
}

QTEST_MAIN(DialogTest)
#include "zabreldlg_test.moc"
