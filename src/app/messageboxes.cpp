// SPDX-License-Identifier: MIT
#include "app/messageboxes.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QFontDatabase>
#include <QMessageBox>
#include <QPushButton>

#include "app/dialogtexts.h"

using namespace dialogtexts;

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

void dressMessageBox(QMessageBox& box, QWidget* parent) {
    box.setFont(parent != nullptr ? parent->font() : dialogFont());
    box.setLayoutDirection(Qt::RightToLeft);
    if (QAbstractButton* ok = box.button(QMessageBox::Ok))
        ok->setText(OK_TEXT);
    // A box with a parent is centred on it when shown (so it is never moved by hand
    // here, which would turn that off).
}

void showMessageBox(QWidget* parent, const QString& title, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, parent);
    dressMessageBox(box, parent);
    box.exec();
}

SaveAnswer askToSave(QWidget* parent, const QString& title, const QString& text) {
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::NoButton, parent);
    QPushButton* save = box.addButton(SAVE_TEXT, QMessageBox::AcceptRole);
    QPushButton* discard = box.addButton(DISCARD_TEXT, QMessageBox::DestructiveRole);
    QPushButton* cancel = box.addButton(CANCEL_TEXT, QMessageBox::RejectRole);
    box.setDefaultButton(save);
    box.setEscapeButton(cancel);
    dressMessageBox(box, parent);
    box.exec();
    if (box.clickedButton() == save)
        return SaveAnswer::Save;
    return box.clickedButton() == discard ? SaveAnswer::Discard : SaveAnswer::Cancel;
}

QString chooseFile(QWidget* parent, bool saving, const QString& current) {
    const QString filter = QStringLiteral("Text (*.txt);;All files (*)");
    return saving ? QFileDialog::getSaveFileName(parent, QStringLiteral("Zabrel"), current, filter)
                  : QFileDialog::getOpenFileName(parent, QStringLiteral("Zabrel"), current, filter);
}
