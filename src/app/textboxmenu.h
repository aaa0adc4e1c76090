// SPDX-License-Identifier: MIT
#pragma once

#include <QPoint>
#include <QString>
#include <functional>
#include <string>

class QMenu;
class QTextEdit;

namespace zabrel {
class SpellerSession;
}

// The text box's right-click menu: the usual edit entries and, on a misspelt word, its
// suggestions, Ignore All and Add above them. It knows the text box and the speller,
// and tells what the user chose through these; it never reaches into the dialog.
struct TextBoxMenuActions {
    // Whether `word` is misspelt (the dialog's cached verdict).
    std::function<bool(const QString& word)> isMisspelt;
    // Put `replacement` in place of `length` characters from `start`.
    std::function<void(int start, int length, const QString& replacement)> replace;
    std::function<void(const std::u16string& word)> ignoreAll;
    std::function<void(const std::u16string& word)> add;
};

// The menu for a point of the text box's viewport; `withWord` false gives the edit
// entries alone (during a pass, say). The caller owns the menu.
QMenu* createTextBoxMenu(QTextEdit& box, const QPoint& pos, zabrel::SpellerSession& speller, bool withWord,
                         const TextBoxMenuActions& actions);
