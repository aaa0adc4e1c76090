// SPDX-License-Identifier: MIT
#pragma once

#include <QFont>
#include <QIcon>
#include <QSettings>
#include <QString>
#include <exception>
#include <functional>

class QMenu;
class QMessageBox;
class QWidget;

// The dialog's message boxes and file choosers, in its look: the Urdu Naskh font,
// right to left, Urdu buttons.

// The dialog's own settings: Zabrel's (~/.config/Zabrel/Zabrel.conf), whatever the
// settings location the start-up names.
QSettings dialogSettings();
// Zabrel's icon, in the sizes the window system asks for.
QIcon applicationIcon();
// The Naskh face at 14 points, or the application font's family when none is installed.
QFont dialogFont();
// Gives a message box the dialog's look, centred on `parent`.
void dressMessageBox(QMessageBox& box, QWidget* parent);
// A modal box with the text and an OK button.
void showMessageBox(QWidget* parent, const QString& title, const QString& text);
// An Urdu sentence for the user, then what went wrong as the system said it (a file,
// a reason), on lines of their own.
QString withDetail(const QString& sentence, const QString& detail);
// The detail lines of a speller failure: the file it names, then the engine's own
// words (or the plain sentence, when the engine said nothing).
QString failureDetail(const std::exception& failure);
// Gives a widget's menu (a text box's, say) the dialog's font and direction, and
// Urdu names for Qt's standard edit entries, which Qt cannot translate to Urdu.
void dressMenu(QMenu& menu, const QWidget& owner);

// Asked before text that exists nowhere else would be lost.
enum class SaveAnswer { Save, Discard, Cancel };
SaveAnswer askToSave(QWidget* parent, const QString& title, const QString& text);

// A file to open or to save to; empty when the user cancelled. The chooser is Qt's
// own, so that its title, labels and buttons can be Urdu.
QString chooseFile(QWidget* parent, bool saving, const QString& current);

// How the dialog's parts reach the user; tests put recorders in their place.
using MessageHandler = std::function<void(QWidget* parent, const QString& title, const QString& text)>;
using QuestionHandler = std::function<SaveAnswer(QWidget* parent, const QString& title, const QString& text)>;
using FileChooser = std::function<QString(QWidget* parent, bool saving, const QString& current)>;
