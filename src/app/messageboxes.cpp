// SPDX-License-Identifier: MIT
#include "app/messageboxes.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QHash>
#include <QIdentityProxyModel>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPointer>
#include <QProxyStyle>
#include <QPushButton>
#include <QStyleFactory>
#include <QStyleOptionMenuItem>
#include <QToolButton>
#include <algorithm>

#include "app/dialogtexts.h"
#include "session/spellersession.h"

// Outside any namespace, as Q_INIT_RESOURCE requires.
static void initResources() {
    Q_INIT_RESOURCE(zabrel);
}

using namespace dialogtexts;

QSettings dialogSettings() {
    return QSettings(QStringLiteral("Zabrel"), APP_NAME);
}

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
    // Noto Naskh Arabic UI: its space is plainly wider than the room it leaves after
    // the letters that do not join on (ا د ر و), so a word broken in two (خا موشی)
    // shows as two. PakType's space is no wider than the gap after ر.
    const QStringList families = QFontDatabase::families();
    QString chosen;
    if (families.contains(NASKH_FACE)) {
        chosen = NASKH_FACE;
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

QString failureDetail(const std::exception& failure) {
    const auto* speller = dynamic_cast<const zabrel::SessionError*>(&failure);
    if (speller == nullptr || speller->detail().empty())
        return QString::fromStdString(failure.what());
    const QString detail = QString::fromStdString(speller->detail());
    return speller->file().empty() ? detail : QString::fromStdString(speller->file()) + u'\n' + detail;
}

namespace {

// Qt's styles draw a menu entry's text from the left even in a right-to-left menu,
// past the shortcut column. This one leaves the style the frame, the highlight, the
// shortcut and the submenu arrow, and puts the text against the right-hand edge,
// clear of the check and icon column there.
class RightAlignedMenuStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;

    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
        const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
        if (element != CE_MenuItem || item == nullptr || item->direction != Qt::RightToLeft ||
            item->menuItemType == QStyleOptionMenuItem::Separator) {
            QProxyStyle::drawControl(element, option, painter, widget);
            return;
        }
        QStyleOptionMenuItem rest(*item);
        const QString label = item->text.section(u'\t', 0, 0);
        rest.text = item->text.mid(label.size());
        QProxyStyle::drawControl(element, &rest, painter, widget);
        const int margin = item->fontMetrics.height() / 3;
        // The check and icon column, only where the menu has checks or icons.
        const int column = item->menuHasCheckableItems || !item->icon.isNull()
                               ? std::max(item->maxIconWidth, margin * 2) + margin
                               : 0;
        const QRect room = item->rect.adjusted(margin, 0, -(column + 2 * margin), 0);
        const bool enabled = item->state & State_Enabled;
        const bool selected = item->state & State_Selected;
        painter->save();
        painter->setFont(item->font);
        painter->setPen(
            item->palette.color(enabled ? QPalette::Active : QPalette::Disabled,
                                selected && enabled ? QPalette::HighlightedText : QPalette::Text));
        painter->drawText(
            room,
            Qt::AlignRight | Qt::AlignAbsolute | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextShowMnemonic,
            label);
        painter->restore();
    }
};

QStyle* rightAlignedMenuStyle() {
    // One for the application, made on first use from the style it runs with.
    static QPointer<QStyle> style;
    if (style.isNull()) {
        style = new RightAlignedMenuStyle(QStyleFactory::create(QApplication::style()->name()));
        style->setParent(qApp);
    }
    return style.data();
}

}  // namespace

void dressMenu(QMenu& menu, const QWidget& owner) {
    menu.setFont(owner.font());
    menu.setLayoutDirection(Qt::RightToLeft);
    menu.setStyle(rightAlignedMenuStyle());
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
    // The style measures an entry by its advance, which falls short of the shaped
    // Naskh text, and would cut the longest one in the middle.
    const QFontMetrics metrics(menu.font());
    int widest = 0;
    for (const QAction* action : menu.actions())
        widest = std::max(widest, metrics.boundingRect(action->text().section(u'\t', 0, 0)).width() +
                                      metrics.boundingRect(action->text().section(u'\t', 1)).width());
    menu.setMinimumWidth(widest + 3 * metrics.height());
}

namespace {

// The file list's column headers, which Qt's file model names in English.
class UrduFileHeaders : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        static const QStringList names = {FILE_COLUMN_NAME, FILE_COLUMN_SIZE, FILE_COLUMN_TYPE,
                                          FILE_COLUMN_DATE};
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
            section < names.size())
            return names[section];
        return QIdentityProxyModel::headerData(section, orientation, role);
    }
};

}  // namespace

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
    // The rest of Qt's own dialog: its tool buttons' tips and the file list's headers.
    const QHash<QString, QString> tips = {
        {QStringLiteral("backButton"), FILE_BACK},
        {QStringLiteral("forwardButton"), FILE_FORWARD},
        {QStringLiteral("toParentButton"), FILE_PARENT},
        {QStringLiteral("newFolderButton"), FILE_NEW_FOLDER},
        {QStringLiteral("listModeButton"), FILE_LIST_VIEW},
        {QStringLiteral("detailModeButton"), FILE_DETAIL_VIEW},
    };
    for (QToolButton* button : dialog.findChildren<QToolButton*>())
        if (const auto tip = tips.constFind(button->objectName()); tip != tips.constEnd())
            button->setToolTip(tip.value());
    dialog.setProxyModel(new UrduFileHeaders(&dialog));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}
