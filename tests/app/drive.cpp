// SPDX-License-Identifier: MIT
// Drives the checking dialog over a text file without a human: checks it, changes
// every misspelt word to its first suggestion (or leaves it when there is none) and
// reports the time taken. With --screenshot it stops at the first misspelt word and
// saves a picture of the dialog instead.
//
//   zabrel-drive [--dictionary DIR] [--screenshot FILE] TEXT
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTextEdit>
#include <cstdio>
#include <filesystem>
#include <string>

#include "app/zabreldlg.h"
#include "programs/dictionaryfolder.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    QString dictionary, screenshot, textFile;
    while (!args.isEmpty()) {
        const QString arg = args.takeFirst();
        if (arg == QLatin1String("--dictionary") && !args.isEmpty())
            dictionary = args.takeFirst();
        else if (arg == QLatin1String("--screenshot") && !args.isEmpty())
            screenshot = args.takeFirst();
        else
            textFile = arg;
    }
    QFile file(textFile);
    if (textFile.isEmpty() || !file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "usage: zabrel-drive [--dictionary DIR] [--screenshot FILE] TEXT\n");
        return 2;
    }
    const QString text = QString::fromUtf8(file.readAll());

    std::string error;
    const std::filesystem::path folder = zabrel::DictionaryFolder::locate(dictionary.toStdString(), error);
    if (folder.empty() || !QDir::setCurrent(QString::fromStdString(folder.string()))) {
        std::fprintf(stderr, "zabrel-drive: %s\n", error.c_str());
        return 1;
    }

    QStringList messages;
    QElapsedTimer setUp;
    setUp.start();
    CZabrelDlg dialog([&](QWidget*, const QString&, const QString& message) { messages << message; });
    const qint64 setUpMs = setUp.elapsed();
    auto* box = dialog.findChild<QTextEdit*>(QStringLiteral("inputBox"));
    auto* list = dialog.findChild<QListWidget*>(QStringLiteral("suggestionList"));
    auto* check = dialog.findChild<QPushButton*>(QStringLiteral("checkButton"));
    auto* change = dialog.findChild<QPushButton*>(QStringLiteral("changeButton"));
    auto* leave = dialog.findChild<QPushButton*>(QStringLiteral("leaveButton"));
    box->setPlainText(text);

    if (!screenshot.isEmpty()) {
        dialog.show();
        if (!QTest::qWaitForWindowExposed(&dialog))
            return 1;
        check->click();
        QTest::qWait(200);
        return dialog.grab().save(screenshot) ? 0 : 1;
    }

    QElapsedTimer walk;
    walk.start();
    int changed = 0, left = 0;
    check->click();
    while (leave->isEnabled()) {
        if (change->isEnabled() && list->count() > 0) {
            change->click();
            ++changed;
        } else {
            leave->click();
            ++left;
        }
    }
    const qint64 walkMs = walk.elapsed();
    std::printf("set-up %lld ms; walk %lld ms; %d changed, %d left; %lld characters; %s\n",
                static_cast<long long>(setUpMs), static_cast<long long>(walkMs), changed, left,
                static_cast<long long>(box->document()->characterCount() - 1),
                messages.isEmpty() ? "no message" : qPrintable(messages.last()));
    return 0;
}
