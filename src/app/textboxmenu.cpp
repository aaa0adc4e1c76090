// SPDX-License-Identifier: MIT
#include "app/textboxmenu.h"

#include <QAction>
#include <QMenu>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <vector>

#include "app/dialogtexts.h"
#include "session/spellersession.h"
#include "text/wordletters.h"

namespace {

constexpr std::size_t MENU_SUGGESTIONS = 8;

}  // namespace

QMenu* createTextBoxMenu(QTextEdit& box, const QPoint& pos, zabrel::SpellerSession& speller, bool withWord,
                         const TextBoxMenuActions& actions) {
    QMenu* menu = box.createStandardContextMenu(pos);
    if (!withWord)
        return menu;
    // The word under the mouse, or the one just before it when the click was past a
    // word's end, cut as the pass cuts words.
    const QTextCursor at = box.cursorForPosition(pos);
    const QTextBlock block = at.block();
    const std::u16string units = block.text().toStdU16String();
    std::vector<zabrel::LineWord> words;
    zabrel::cutLine(units, speller.letters(), words);
    const auto click = static_cast<std::size_t>(at.position() - block.position());
    const zabrel::LineWord* found = nullptr;
    for (const zabrel::LineWord& word : words)
        if (found == nullptr && !word.foreign && word.start <= click && click <= word.start + word.length)
            found = &word;
    if (found == nullptr)
        return menu;
    const std::u16string word = units.substr(found->start, found->length);
    if (!actions.isMisspelt(QString::fromStdU16String(word)))
        return menu;

    const int wordStart = block.position() + static_cast<int>(found->start);
    const int wordLength = static_cast<int>(found->length);
    std::vector<std::u16string> suggestions;
    try {
        speller.check(word, suggestions);
    } catch (const zabrel::SessionError&) {
        // The engine failed on this word: offer what the menu has anyway.
        suggestions.clear();
    }
    QAction* before = menu->actions().value(0);
    QList<QAction*> added;
    for (std::size_t i = 0; i < suggestions.size() && i < MENU_SUGGESTIONS; ++i) {
        const QString suggestion = QString::fromStdU16String(suggestions[i]);
        auto* action = new QAction(suggestion, menu);
        QObject::connect(action, &QAction::triggered, menu,
                         [replace = actions.replace, wordStart, wordLength, suggestion] {
                             replace(wordStart, wordLength, suggestion);
                         });
        added << action;
    }
    if (added.isEmpty()) {
        auto* none = new QAction(dialogtexts::NO_SUGGESTIONS, menu);
        none->setEnabled(false);
        added << none;
    }
    auto* ignore = new QAction(dialogtexts::IGNORE_ALL_TEXT, menu);
    ignore->setObjectName(QStringLiteral("ignoreAllAction"));
    QObject::connect(ignore, &QAction::triggered, menu,
                     [ignoreAll = actions.ignoreAll, word] { ignoreAll(word); });
    added << ignore;
    auto* add = new QAction(dialogtexts::ADD_TEXT, menu);
    add->setObjectName(QStringLiteral("addAction"));
    QObject::connect(add, &QAction::triggered, menu, [addWord = actions.add, word] { addWord(word); });
    added << add;
    menu->insertActions(before, added);
    menu->insertSeparator(before);
    return menu;
}
