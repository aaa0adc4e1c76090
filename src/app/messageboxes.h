// SPDX-License-Identifier: MIT
#pragma once

#include <QFont>
#include <QString>

class QMessageBox;
class QWidget;

// The dialog's message boxes and file choosers, in its look: the Urdu Naskh font,
// right to left, Urdu buttons.

// The Naskh face at 14 points, or the application font's family when none is installed.
QFont dialogFont();
// Gives a message box the dialog's look, centred on `parent`.
void dressMessageBox(QMessageBox& box, QWidget* parent);
// A modal box with the text and an OK button.
void showMessageBox(QWidget* parent, const QString& title, const QString& text);

// Asked before text that exists nowhere else would be lost.
enum class SaveAnswer { Save, Discard, Cancel };
SaveAnswer askToSave(QWidget* parent, const QString& title, const QString& text);

// A file to open or to save to; empty when the user cancelled.
QString chooseFile(QWidget* parent, bool saving, const QString& current);
