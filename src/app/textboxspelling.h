// SPDX-License-Identifier: MIT
#pragma once

#include <QHash>
#include <QObject>
#include <QPoint>
#include <QString>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/messageboxes.h"
#include "session/spellersession.h"

class MisspellingHighlighter;
class QMenu;
class QTextEdit;

// The text box's spelling while the user writes: the red underline under misspelt
// words, the quick verdicts behind it, and the right-click menu with a word's
// suggestions, Ignore All and Add. It knows the text box and the speller; replacing
// text goes through the function it is given, failures through `messages`.
class TextBoxSpelling : public QObject {
    Q_OBJECT

public:
    using Replacer = std::function<void(int start, int length, const QString& replacement)>;

    TextBoxSpelling(QTextEdit& box, zabrel::SpellerSession& speller, Replacer replace,
                    MessageHandler messages, QWidget& parent);

    // No speller to ask (its set-up failed): no underline, every word passes.
    void setUsable(bool usable);
    // Off during a pass, whose red word is the only mark.
    void setActive(bool active);
    bool isActive() const;

    // The speller's verdict on a word without its suggestions; cached until the
    // personal or session words change (wordsChanged).
    bool isMisspelt(const QString& word);
    void wordsChanged();

    // Adds the word's letters to the personal list and saves it; false (after telling
    // the user) when the list cannot be read or written.
    bool addPersonal(const std::u16string& word);
    // The same for an adding done elsewhere (a pass's Add): `add` raises SessionError
    // when it fails.
    bool adding(const std::function<void()>& add);

    // The menu for a point of the box's viewport: the edit entries in Urdu and, with
    // `withWord` on a misspelt word, its suggestions, Ignore All and Add above them.
    // The caller owns the menu.
    QMenu* createMenu(const QPoint& pos, bool withWord);

private:
    // A misspelt word's suggestions, Ignore All and Add, when the point is on one.
    void addWordEntries(QMenu& menu, const QPoint& pos);
    // The span a pass over the word's line, read as `joins` asks, gives the word at
    // `start` of the line; none when the word is no span's or the speller fails.
    std::optional<zabrel::Span> spanAt(const std::u16string& line, std::size_t start, zabrel::Joins joins);

    QTextEdit& box;
    zabrel::SpellerSession& speller;
    Replacer replace;
    MessageHandler messages;
    QWidget& parent;
    MisspellingHighlighter* highlighter = nullptr;
    QHash<QString, bool> verdicts;  // word -> misspelt
    bool usable = true;
};
