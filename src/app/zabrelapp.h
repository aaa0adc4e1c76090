// SPDX-License-Identifier: MIT
#pragma once

#include <QApplication>
#include <QString>
#include <QStringList>

// The application object: common set-up, then the checking dialog, run modally for
// the life of the program.
class CZabrelApp : public QApplication {
    Q_OBJECT

public:
    CZabrelApp(int& argc, char** argv);

    // Finds the dictionary folder, runs the dialog on it and opens the file named on
    // the command line. Returns the process exit status.
    int initInstance();

    // The file the command line names, if any.
    static QString fileToOpen(const QStringList& arguments);
};
