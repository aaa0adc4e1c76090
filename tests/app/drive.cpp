// SPDX-License-Identifier: MIT
// Drives the checking dialog without a human, for the README's pictures and figures.
//
//   zabrel-drive [--dictionary DIR] TEXT
//       checks TEXT, changes every misspelt word to its first suggestion (or leaves it
//       when there is none) and reports the time taken.
//   zabrel-drive [--dictionary DIR] --screenshots DIR
//       saves the picture series of the README (start, a pause, the completion message,
//       a larger window, the right-click menu). Needs a real display with a window manager, so that the title
//       bar is in the pictures; the pictures are taken from the screen.
//   zabrel-drive [--dictionary DIR] --figures [--eval DIR]
//       builds a 5,320-word text with 300 misspellings (15 distinct ones, 20 times each)
//       from the evaluation data and reports the time per Leave, Change All over the 15,
//       and the time to re-underline after a keystroke in 5,000 words.
//   zabrel-drive [--dictionary DIR] --long-line MB
//       opens a file of one line of MB megabytes of UTF-16 (words of the dictionary and
//       one misspelling at the end), checks it to that word, stops, types a letter at
//       the end, and reports the longest time the window did not answer in each step.
//
// The evaluation data is read from <project root>/../shared/data/eval by default (or
// /work/shared/data/eval); it never becomes part of the project.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "app/zabreldlg.h"
#include "engine/spellchecker.h"
#include "programs/dictionaryfolder.h"

namespace {

// A letter written for the pictures: three misspellings, one inside brackets.
const QString SAMPLE = QStringLiteral(
    u"محترم دوست،\n"
    u"امید ہے آپ (حیریت) سے ہوں گے۔ میں نے آپ کی کتبا پڑھی، بہت اچھی لگی۔ "
    u"اگلے ہفتے لاہور آنے کا ارادہ ہے، وہاں ملاقات ہو گی اور باقی باتیں بھی ہوں گی۔\n"
    u"گھر میں سب کو سلام کہیے گا۔ جواب کا انتظر رہے گا۔\n"
    u"والسلام");

struct Controls {
    QTextEdit* box;
    QListWidget* list;
    QPushButton* check;
    QPushButton* change;
    QPushButton* changeAll;
    QPushButton* leave;

    explicit Controls(CZabrelDlg& dialog)
        : box(dialog.findChild<QTextEdit*>(QStringLiteral("inputBox"))),
          list(dialog.findChild<QListWidget*>(QStringLiteral("suggestionList"))),
          check(dialog.findChild<QPushButton*>(QStringLiteral("checkButton"))),
          change(dialog.findChild<QPushButton*>(QStringLiteral("changeButton"))),
          changeAll(dialog.findChild<QPushButton*>(QStringLiteral("changeAllButton"))),
          leave(dialog.findChild<QPushButton*>(QStringLiteral("leaveButton"))) {}
};

bool enterDictionary(const QString& dictionary) {
    std::string error;
    const std::filesystem::path folder = zabrel::DictionaryFolder::locate(dictionary.toStdString(), error);
    if (folder.empty() || !QDir::setCurrent(QString::fromStdString(folder.string()))) {
        std::fprintf(stderr, "zabrel-drive: %s\n", error.c_str());
        return false;
    }
    return true;
}

// ---- the walk-through of a given text ------------------------------------------

int walkText(const QString& textFile) {
    QFile file(textFile);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "zabrel-drive: cannot read %s\n", qPrintable(textFile));
        return 2;
    }
    const QString text = QString::fromUtf8(file.readAll());
    QStringList messages;
    QElapsedTimer setUp;
    setUp.start();
    CZabrelDlg dialog([&](QWidget*, const QString&, const QString& message) { messages << message; });
    const qint64 setUpMs = setUp.elapsed();
    Controls c(dialog);
    c.box->setPlainText(text);

    QElapsedTimer walk;
    walk.start();
    int changed = 0, left = 0;
    c.check->click();
    while (c.leave->isEnabled()) {
        if (c.change->isEnabled() && c.list->count() > 0) {
            c.change->click();
            ++changed;
        } else {
            c.leave->click();
            ++left;
        }
    }
    const qint64 walkMs = walk.elapsed();
    std::printf("set-up %lld ms; walk %lld ms; %d changed, %d left; %lld characters; %s\n",
                static_cast<long long>(setUpMs), static_cast<long long>(walkMs), changed, left,
                static_cast<long long>(c.box->document()->characterCount() - 1),
                messages.isEmpty() ? "no message" : qPrintable(messages.last()));
    return 0;
}

// ---- one very long line ----------------------------------------------------------

// The longest time between two turns of the event loop while `step` runs and the
// loop then settles for `settleMs`: how long the window did not answer.
qint64 longestStall(const std::function<void()>& step, int settleMs) {
    QElapsedTimer clock;
    clock.start();
    qint64 last = 0;
    qint64 longest = 0;
    QTimer beat;
    QObject::connect(&beat, &QTimer::timeout, [&] {
        const qint64 now = clock.elapsed();
        longest = std::max(longest, now - last);
        last = now;
    });
    beat.start(5);
    QTimer::singleShot(0, [&] {
        const qint64 before = clock.elapsed();
        step();
        longest = std::max(longest, clock.elapsed() - before);
        last = clock.elapsed();
    });
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < settleMs + longest)
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    return longest;
}

int longLine(int megabytes) {
    QStringList words;
    {
        zabrel::SpellChecker engine;
        engine.initialize();
        const zabrel::HashTable& lexicon = engine.lexicon();
        for (int32_t slot = 0; slot < lexicon.getTableSize() && words.size() < 5000; ++slot)
            if (const std::u16string& word = lexicon.nodeAt(slot).word; word.size() > 1)
                words << QString::fromStdU16String(word);
    }
    if (words.isEmpty()) {
        std::fprintf(stderr, "zabrel-drive: the dictionary has no words\n");
        return 1;
    }
    QString line;
    const qsizetype bytes = qsizetype{megabytes} * 1024 * 1024;
    for (int i = 0; line.size() * 2 < bytes; ++i)
        line += words[i % words.size()] + u' ';
    // One misspelling, at the end: the pass walks the whole line to it.
    line += QStringLiteral(u"کتبا");
    const QString path = QDir::temp().filePath(QStringLiteral("zabrel-drive-long-line.txt"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(line.toUtf8()) < 0) {
        std::fprintf(stderr, "zabrel-drive: cannot write %s\n", qPrintable(path));
        return 1;
    }
    file.close();
    QStringList messages;
    CZabrelDlg dialog([&](QWidget*, const QString&, const QString& message) { messages << message; });
    Controls c(dialog);
    dialog.show();
    const qint64 open = longestStall([&] { dialog.openFile(path); }, 3000);
    const qint64 check = longestStall([&] { c.check->click(); }, 1000);
    const bool paused = c.leave->isEnabled();
    if (paused)
        QMetaObject::invokeMethod(&dialog, "onStop");
    const qint64 stopped = longestStall([] {}, 3000);
    const qint64 typed = longestStall(
        [&] {
            QTextCursor end(c.box->document());
            end.movePosition(QTextCursor::End);
            c.box->setTextCursor(end);
            QKeyEvent key(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QStringLiteral(u"ب"));
            QApplication::sendEvent(c.box, &key);
        },
        3000);
    QFile::remove(path);
    std::printf(
        "%d MB in one line (%lld characters): longest stall opening %lld ms, checking to the %s %lld ms, "
        "after Stop %lld ms, typing a letter %lld ms%s\n",
        megabytes, static_cast<long long>(line.size()), static_cast<long long>(open),
        paused ? "first pause" : "end", static_cast<long long>(check), static_cast<long long>(stopped),
        static_cast<long long>(typed),
        messages.isEmpty() ? "" : qPrintable(QStringLiteral("; ") + messages.last()));
    return 0;
}

// ---- the picture series ---------------------------------------------------------

bool shoot(CZabrelDlg& dialog, const QString& path) {
    QTest::qWait(400);
    // From the screen, so that the window manager's frame and title are in it.
    QRect area = dialog.frameGeometry();
    if (QWidget* modal = QApplication::activeModalWidget(); modal != nullptr && modal != &dialog)
        area = area.united(modal->frameGeometry());
    if (QWidget* popup = QApplication::activePopupWidget())
        area = area.united(popup->frameGeometry());
    const QPixmap screen = dialog.screen()->grabWindow(0);
    const qreal scale = screen.devicePixelRatio();
    const QPixmap picture =
        screen.copy(QRect(QPointF(area.topLeft()).toPoint() * scale, QSizeF(area.size() * scale).toSize()));
    if (!picture.save(path)) {
        std::fprintf(stderr, "zabrel-drive: cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

int takeScreenshots(const QString& folder) {
    if (!QDir().mkpath(folder))
        return 1;
    CZabrelDlg dialog;  // real message boxes: the completion message is in the series
    dialog.setQuestionHandler(
        [](QWidget*, const QString&, const QString&) { return CZabrelDlg::Answer::Discard; });
    Controls c(dialog);
    dialog.show();
    if (!QTest::qWaitForWindowExposed(&dialog))
        return 1;
    bool ok = shoot(dialog, folder + QStringLiteral("/01-start.png"));

    c.box->setPlainText(SAMPLE);
    c.check->click();
    ok = ok && shoot(dialog, folder + QStringLiteral("/02-pause.png"));

    // The last Leave ends the pass; the message box is modal, so the picture is taken
    // from inside it.
    bool shotMessage = false;
    std::function<void()> whenModal;
    whenModal = [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || modal == &dialog) {
            QTimer::singleShot(50, whenModal);
            return;
        }
        shotMessage = shoot(dialog, folder + QStringLiteral("/03-complete.png"));
        modal->close();
    };
    QTimer::singleShot(50, whenModal);
    while (c.leave->isEnabled())
        c.leave->click();
    ok = ok && shotMessage;

    // Idle again: the underlining is back; a larger window gives the room to the text.
    const QRect room = dialog.screen()->availableGeometry();
    dialog.resize(room.width() * 85 / 100, room.height() * 80 / 100);
    dialog.move(room.topLeft() + QPoint(20, 20));
    c.box->append(SAMPLE);
    ok = ok && shoot(dialog, folder + QStringLiteral("/04-resized.png"));

    // The right-click menu on an underlined word, in Urdu as the rest.
    const int at = c.box->toPlainText().indexOf(QStringLiteral(u"کتبا"));
    QTextCursor word(c.box->document());
    word.setPosition(at + 1);
    const QPoint point = c.box->cursorRect(word).center();
    bool shotMenu = false;
    std::function<void()> whenPopup;
    whenPopup = [&] {
        QWidget* popup = QApplication::activePopupWidget();
        if (popup == nullptr) {
            QTimer::singleShot(50, whenPopup);
            return;
        }
        shotMenu = shoot(dialog, folder + QStringLiteral("/05-menu.png"));
        popup->close();
    };
    QTimer::singleShot(50, whenPopup);
    emit c.box->customContextMenuRequested(point);
    ok = ok && shotMenu;
    return ok ? 0 : 1;
}

// ---- the figures ----------------------------------------------------------------

QList<QStringList> readTsv(const QString& path) {
    QList<QStringList> rows;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return rows;
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        rows << QString::fromUtf8(line).split(u'\t');
    }
    return rows;
}

QString findEval(const QString& requested) {
    QStringList places;
    if (!requested.isEmpty())
        places << requested;
    places << QStringLiteral(ZABREL_SOURCE_DIR "/../shared/data/eval")
           << QStringLiteral("/work/shared/data/eval");
    for (const QString& place : places)
        if (QFile::exists(place + QStringLiteral("/clean-news-dev.tsv")) &&
            QFile::exists(place + QStringLiteral("/real-errors-dev.tsv")))
            return QDir(place).absolutePath();
    return {};
}

struct Figures {
    QString text;  // 5,320 words
    QStringList misspelt;
};

// Clean words the engine accepts, weighted by their counts, with 15 real
// misspellings the engine stops at 20 times each, at fixed pseudo-random places.
bool buildText(const QString& eval, Figures& out) {
    zabrel::SpellChecker engine;
    engine.initialize();
    std::vector<std::u16string> suggestions;

    QStringList pool;
    for (const QStringList& row : readTsv(eval + QStringLiteral("/clean-news-dev.tsv"))) {
        if (row.size() < 2 || engine.checkWord(row[0].toStdU16String(), suggestions))
            continue;
        for (int i = std::min(row[1].toInt(), 50); i > 0; --i)
            pool << row[0];
    }
    for (const QStringList& row : readTsv(eval + QStringLiteral("/real-errors-dev.tsv"))) {
        if (out.misspelt.size() == 15)
            break;
        if (row.size() < 3 || row[2] != QLatin1String("non-word") || row[0].size() < 3 ||
            out.misspelt.contains(row[0]))
            continue;
        if (engine.checkWord(row[0].toStdU16String(), suggestions) && !suggestions.empty())
            out.misspelt << row[0];
    }
    if (pool.isEmpty() || out.misspelt.size() < 15)
        return false;

    std::mt19937 random(20261209);
    QStringList words;
    for (int i = 0; i < 5020; ++i)
        words << pool[static_cast<qsizetype>(random() % static_cast<unsigned>(pool.size()))];
    for (int round = 0; round < 20; ++round)
        for (const QString& word : out.misspelt)
            words.insert(static_cast<qsizetype>(random() % static_cast<unsigned>(words.size() + 1)), word);
    // Sentences of 12 words, paragraphs of five sentences.
    for (qsizetype i = 0; i < words.size(); ++i) {
        out.text += words[i];
        if (i + 1 == words.size())
            break;
        if ((i + 1) % 60 == 0)
            out.text += QStringLiteral(u"۔\n");
        else if ((i + 1) % 12 == 0)
            out.text += QStringLiteral(u"۔ ");
        else
            out.text += u' ';
    }
    return true;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// Milliseconds from a key press in the middle of the text to the repainted box,
// median of 41 presses.
double keystroke(QTextEdit* box) {
    std::vector<double> times;
    QTextCursor cursor(box->document());
    cursor.setPosition(box->document()->characterCount() / 2);
    box->setTextCursor(cursor);
    for (int i = 0; i < 41; ++i) {
        QElapsedTimer timer;
        timer.start();
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QStringLiteral(u"ب"));
        QApplication::sendEvent(box, &press);
        box->viewport()->repaint();
        times.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    return median(times);
}

int measure(const QString& requestedEval) {
    const QString eval = findEval(requestedEval);
    if (eval.isEmpty()) {
        std::fprintf(stderr,
                     "zabrel-drive: no evaluation data (looked in --eval, %s/../shared/data/eval and "
                     "/work/shared/data/eval)\n",
                     ZABREL_SOURCE_DIR);
        return 1;
    }
    Figures figures;
    if (!buildText(eval, figures)) {
        std::fprintf(stderr, "zabrel-drive: %s has too few usable words\n", qPrintable(eval));
        return 1;
    }
    const qsizetype wordCount =
        figures.text.split(QRegularExpression(QStringLiteral(u"[ \n]")), Qt::SkipEmptyParts).size();
    std::printf("text: %lld words, 15 distinct misspellings x 20, from %s\n",
                static_cast<long long>(wordCount), qPrintable(eval));

    QStringList messages;
    CZabrelDlg dialog([&](QWidget*, const QString&, const QString& message) { messages << message; });
    Controls c(dialog);
    dialog.show();
    if (!QTest::qWaitForWindowExposed(&dialog))
        return 1;

    // Leave at every stop.
    c.box->setPlainText(figures.text);
    QApplication::processEvents();
    int stops = 0;
    QElapsedTimer timer;
    timer.start();
    c.check->click();
    while (c.leave->isEnabled()) {
        ++stops;
        c.leave->click();
    }
    const double leaveMs = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    std::printf("Leave at every stop: %d stops, %.0f ms in all, %.2f ms per Leave\n", stops, leaveMs,
                leaveMs / std::max(stops, 1));

    // Change All at every stop: each distinct misspelling stops once.
    c.box->setPlainText(figures.text);
    QApplication::processEvents();
    stops = 0;
    timer.restart();
    c.check->click();
    while (c.leave->isEnabled()) {
        ++stops;
        c.changeAll->click();
    }
    const double changeMs = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    int left = 0;
    for (const QString& word : figures.misspelt)
        left +=
            static_cast<int>(c.box->toPlainText().count(QStringLiteral(" ") + word + QStringLiteral(" ")));
    std::printf("Change All at every stop: %d stops, %.0f ms in all; %d misspellings left between spaces\n",
                stops, changeMs, left);

    // Typing with the underlining on: the first 5,000 words, as one paragraph and as
    // paragraphs of 60 words.
    QStringList words = figures.text.split(QRegularExpression(QStringLiteral(u"[ \n]")), Qt::SkipEmptyParts);
    words = words.mid(0, 5000);
    QString paragraphs;
    for (qsizetype i = 0; i < words.size(); ++i)
        paragraphs += words[i] + ((i + 1) % 60 == 0 ? u'\n' : u' ');
    for (const auto& [name, text] :
         {std::pair{"one paragraph", words.join(u' ')}, std::pair{"paragraphs of 60 words", paragraphs}}) {
        timer.restart();
        c.box->setPlainText(text);
        c.box->viewport()->repaint();
        const double fill = static_cast<double>(timer.nsecsElapsed()) / 1e6;
        std::printf("5,000 words, %s: underlined in %.0f ms after pasting; %.2f ms per keystroke\n", name,
                    fill, keystroke(c.box));
    }
    // Without the underlining, for comparison: during a pass it is off.
    for (const auto& [name, text] :
         {std::pair{"one paragraph", words.join(u' ')}, std::pair{"paragraphs of 60 words", paragraphs}}) {
        c.box->setPlainText(text);
        c.check->click();
        c.box->setReadOnly(false);
        std::printf("5,000 words, %s, underlining off: %.2f ms per keystroke\n", name, keystroke(c.box));
        c.box->setReadOnly(true);
        dialog.findChild<QPushButton*>(QStringLiteral("stopButton"))->click();
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    QString dictionary, screenshots, eval, textFile;
    bool figures = false;
    int longLineMegabytes = 0;
    while (!args.isEmpty()) {
        const QString arg = args.takeFirst();
        if (arg == QLatin1String("--dictionary") && !args.isEmpty())
            dictionary = args.takeFirst();
        else if (arg == QLatin1String("--screenshots") && !args.isEmpty())
            screenshots = args.takeFirst();
        else if (arg == QLatin1String("--eval") && !args.isEmpty())
            eval = args.takeFirst();
        else if (arg == QLatin1String("--figures"))
            figures = true;
        else if (arg == QLatin1String("--long-line") && !args.isEmpty())
            longLineMegabytes = std::max(1, args.takeFirst().toInt());
        else
            textFile = arg;
    }
    if (!figures && screenshots.isEmpty() && textFile.isEmpty() && longLineMegabytes == 0) {
        std::fprintf(stderr,
                     "usage: zabrel-drive [--dictionary DIR] TEXT\n"
                     "       zabrel-drive [--dictionary DIR] --screenshots DIR\n"
                     "       zabrel-drive [--dictionary DIR] --figures [--eval DIR]\n"
                     "       zabrel-drive [--dictionary DIR] --long-line MB\n");
        return 2;
    }
    // Paths are the caller's; the dictionary folder becomes the current directory.
    for (QString* path : {&screenshots, &eval, &textFile})
        if (!path->isEmpty())
            *path = QFileInfo(*path).absoluteFilePath();
    if (!enterDictionary(dictionary))
        return 1;
    // Never the user's own personal word list.
    const QString home = QDir::temp().filePath(QStringLiteral("zabrel-drive-data"));
    qputenv("XDG_DATA_HOME", home.toLocal8Bit());
    if (figures)
        return measure(eval);
    if (longLineMegabytes > 0)
        return longLine(longLineMegabytes);
    if (!screenshots.isEmpty())
        return takeScreenshots(screenshots);
    return walkText(textFile);
}
