// SPDX-License-Identifier: MIT
#include "app/aboutdlg.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

CAboutDlg::CAboutDlg(const QIcon& icon, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("About Zabrel"));
    // The box is in English; it keeps the usual left-to-right reading.
    setLayoutDirection(Qt::LeftToRight);

    auto* picture = new QLabel(this);
    picture->setPixmap(icon.pixmap(48, 48));
    auto* name = new QLabel(QStringLiteral("Zabrel Version %1").arg(QStringLiteral(ZABREL_VERSION)), this);
    name->setObjectName(QStringLiteral("versionLabel"));
    auto* line = new QLabel(QStringLiteral("An interactive spell checker for Urdu text."), this);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
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
