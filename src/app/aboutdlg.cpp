// SPDX-License-Identifier: MIT
#include "app/aboutdlg.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

CAboutDlg::CAboutDlg(const QIcon& icon, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("About Zabrel"));
    // Dressed like the checking dialog: its Urdu font, right to left.
    if (parent != nullptr)
        setFont(parent->font());
    setLayoutDirection(Qt::RightToLeft);

    auto* picture = new QLabel(this);
    picture->setPixmap(icon.pixmap(48, 48));
    auto* name = new QLabel(QStringLiteral("Zabrel Version %1").arg(QStringLiteral(ZABREL_VERSION)), this);
    name->setObjectName(QStringLiteral("versionLabel"));
    auto* line = new QLabel(QStringLiteral("An interactive spell checker for Urdu text."), this);
    auto* urdu = new QLabel(QStringLiteral(u"اردو متن کے لیے ہجے پڑتال کار"), this);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral(u"ٹھیک ہے"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* text = new QVBoxLayout;
    text->addWidget(name);
    text->addWidget(line);
    text->addWidget(urdu);
    auto* top = new QHBoxLayout;
    top->addWidget(picture, 0, Qt::AlignTop);
    top->addLayout(text);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}
