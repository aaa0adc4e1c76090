// SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>
#include <QIcon>

// The small about box: icon, name and version, and what the program is.
class CAboutDlg : public QDialog {
    Q_OBJECT

public:
    CAboutDlg(const QIcon& icon, QWidget* parent = nullptr);
};
