// SPDX-License-Identifier: MIT
#include "app/messageboxes.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QFontDatabase>
#include <QHash>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>

#include "app/dialogtexts.h"

// Outside any namespace, as Q_INIT_RESOURCE requires.
static void initResources() {
    Q_INIT_RESOURCE(zabrel);
}

using namespace dialogtexts;

QIcon applicationIcon() {
    // The icons live in this static library, so nothing would pull their registration in.
    static const bool registered = (initResources(), true);
    (void)registered;
    QIcon icon(QStringLiteral(":/zabrel/zabrel.png"));
    icon.addFile(QStringLiteral(":/zabrel/zabrel-32.png"));
    icon.addFile(QStringLiteral(":/zabrel/zabrel-16.png"));
    return icon;
}

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

QString withDetail(const QString& sentence, const QString& detail) {
    return detail.isEmpty() ? sentence + u'۔' : sentence + QStringLiteral(u"۔\n") + detail;
}

void dressMenu(QMenu& menu, const QWidget& owner) {
    menu.setFont(owner.font());
    menu.setLayoutDirection(Qt::RightToLeft);
    // By object name where Qt gives one (the text box), else by the English text.
    static const QHash<QString, QString> urdu = {
        {QStringLiteral("edit-undo"), EDIT_UNDO},
        {QStringLiteral("Undo"), EDIT_UNDO},
        {QStringLiteral("edit-redo"), EDIT_REDO},
        {QStringLiteral("Redo"), EDIT_REDO},
        {QStringLiteral("edit-cut"), EDIT_CUT},
        {QStringLiteral("Cut"), EDIT_CUT},
        {QStringLiteral("edit-copy"), EDIT_COPY},
        {QStringLiteral("Copy"), EDIT_COPY},
        {QStringLiteral("link-copy"), EDIT_COPY_LINK},
        {QStringLiteral("Copy Link Location"), EDIT_COPY_LINK},
        {QStringLiteral("edit-paste"), EDIT_PASTE},
        {QStringLiteral("Paste"), EDIT_PASTE},
        {QStringLiteral("edit-delete"), EDIT_DELETE},
        {QStringLiteral("Delete"), EDIT_DELETE},
        {QStringLiteral("select-all"), EDIT_SELECT_ALL},
        {QStringLiteral("Select All"), EDIT_SELECT_ALL},
        {QStringLiteral("Insert Unicode control character"), EDIT_CONTROL_CHARACTER},
    };
    for (QAction* action : menu.actions()) {
        if (action->isSeparator())
            continue;
        const QString text = action->text();
        const qsizetype tab = text.indexOf(u'\t');
        // The shortcut after the tab stays: it names the keys as the keyboard shows them.
        const QString shortcut = tab < 0 ? QString() : text.mid(tab);
        QString name = tab < 0 ? text : text.left(tab);
        name.remove(u'&');
        auto found = urdu.constFind(action->objectName());
        if (found == urdu.constEnd())
            found = urdu.constFind(name);
        if (found != urdu.constEnd())
            action->setText(found.value() + shortcut);
        if (QMenu* submenu = action->menu())
            dressMenu(*submenu, owner);
    }
}

QString chooseFile(QWidget* parent, bool saving, const QString& current) {
    // Qt's own dialog: a desktop's native one would not take the Urdu labels.
    QFileDialog dialog(parent, saving ? SAVE_FILE_TITLE : OPEN_FILE_TITLE, current);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(saving ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(saving ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setNameFilters({TEXT_FILES_FILTER, ALL_FILES_FILTER});
    dialog.setLabelText(QFileDialog::LookIn, FILE_LOOK_IN);
    dialog.setLabelText(QFileDialog::FileName, FILE_NAME_LABEL);
    dialog.setLabelText(QFileDialog::FileType, FILE_TYPE_LABEL);
    dialog.setLabelText(QFileDialog::Accept, saving ? SAVE_TEXT : OPEN_TEXT);
    dialog.setLabelText(QFileDialog::Reject, FILE_CANCEL);
    dialog.setFont(parent != nullptr ? parent->font() : dialogFont());
    dialog.setLayoutDirection(Qt::RightToLeft);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}
