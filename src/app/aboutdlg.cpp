// SPDX-License-Identifier: MIT
#include "app/aboutdlg.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/dialogtexts.h"

using namespace dialogtexts;

CAboutDlg::CAboutDlg(const QIcon& icon, QWidget* parent) : QDialog(parent) {
    setWindowTitle(ABOUT_TITLE);
    // Dressed like the checking dialog: its Urdu font, right to left.
    if (parent != nullptr)
        setFont(parent->font());
    setLayoutDirection(Qt::RightToLeft);

    auto* picture = new QLabel(this);
    picture->setPixmap(icon.pixmap(48, 48));
    // The version in Latin digits, as the program prints it on the terminal.
    auto* name = new QLabel(ABOUT_VERSION.arg(QStringLiteral(ZABREL_VERSION)), this);
    name->setObjectName(QStringLiteral("versionLabel"));
    auto* line = new QLabel(ABOUT_LINE, this);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->button(QDialogButtonBox::Ok)->setText(OK_TEXT);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* text = new QVBoxLayout;
    text->addWidget(name);
    text->addWidget(line);
    auto* top = new QHBoxLayout;
    top->addWidget(picture, 0, Qt::AlignTop);
    top->addLayout(text);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}
