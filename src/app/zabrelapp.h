// SPDX-License-Identifier: MIT
#pragma once

#include <QApplication>

// The application object: common set-up, then the checking dialog, run modally for
// the life of the program.
class CZabrelApp : public QApplication {
    Q_OBJECT

public:
    CZabrelApp(int& argc, char** argv);

    // Finds the dictionary folder, makes it the current directory (the engine reads
    // config.ini from there) and runs the dialog. Returns the process exit status.
    int initInstance();
};
