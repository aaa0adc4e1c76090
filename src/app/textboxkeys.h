// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>

class QTextEdit;
class QWidget;

// Keys and the wheel in the text box, as in other editors: Tab is a character of the
// text and Ctrl+Tab leaves the box; Ctrl with the wheel, +, - or 0 sizes the text
// (0: back to the window's size).
class TextBoxKeys : public QObject {
    Q_OBJECT

public:
    TextBoxKeys(QTextEdit& box, QWidget& window);

    // Larger (1), smaller (-1) or back to the window's size (0).
    void zoom(int steps);

signals:
    // Ctrl+Tab (forward) or Ctrl+Shift+Tab was pressed in the box.
    void leaveRequested(bool forward);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QTextEdit& box;
    QWidget* viewport;
    QWidget& window;
};
