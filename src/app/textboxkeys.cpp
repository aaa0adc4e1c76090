// SPDX-License-Identifier: MIT
#include "app/textboxkeys.h"

#include <QKeyEvent>
#include <QShortcut>
#include <QTextEdit>
#include <QWheelEvent>
#include <algorithm>

namespace {

constexpr int MIN_TEXT_POINTS = 8;
constexpr int MAX_TEXT_POINTS = 48;

}  // namespace

TextBoxKeys::TextBoxKeys(QTextEdit& textBox, QWidget& owner)
    : QObject(&owner), box(textBox), viewport(textBox.viewport()), window(owner) {
    box.setTabChangesFocus(false);
    box.installEventFilter(this);
    viewport->installEventFilter(this);
    for (QKeySequence zoomIn : {QKeySequence(QKeySequence::ZoomIn), QKeySequence(Qt::CTRL | Qt::Key_Equal)})
        connect(new QShortcut(zoomIn, &window), &QShortcut::activated, this, [this] { zoom(1); });
    connect(new QShortcut(QKeySequence::ZoomOut, &window), &QShortcut::activated, this, [this] { zoom(-1); });
    connect(new QShortcut(Qt::CTRL | Qt::Key_0, &window), &QShortcut::activated, this, [this] { zoom(0); });
}

void TextBoxKeys::zoom(int steps) {
    QFont font = box.font();
    const int size = steps == 0 ? window.font().pointSize() : font.pointSize() + steps;
    font.setPointSize(std::clamp(size, MIN_TEXT_POINTS, MAX_TEXT_POINTS));
    box.setFont(font);
}

bool TextBoxKeys::eventFilter(QObject* watched, QEvent* event) {
    // Compared as pointers only: events still come while the box is being destroyed.
    if (watched == viewport && event->type() == QEvent::Wheel) {
        const auto* wheel = static_cast<QWheelEvent*>(event);
        if (wheel->modifiers() & Qt::ControlModifier) {
            if (wheel->angleDelta().y() != 0)
                zoom(wheel->angleDelta().y() > 0 ? 1 : -1);
            return true;
        }
    }
    if (watched == &box && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->modifiers() & Qt::ControlModifier) &&
            (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab)) {
            emit leaveRequested(key->key() == Qt::Key_Tab && !(key->modifiers() & Qt::ShiftModifier));
            return true;
        }
    }
    return false;
}
