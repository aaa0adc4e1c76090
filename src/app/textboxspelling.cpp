// SPDX-License-Identifier: MIT
#include "app/textboxspelling.h"

#include <QAction>
#include <QMenu>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <vector>

#include "app/dialogtexts.h"
#include "app/misspellinghighlighter.h"
#include "session/spellersession.h"
#include "text/wordletters.h"

namespace {

// The Naskh face's lines are tall: with more, the menu would not fit a laptop's screen
// in one column. The dialog's list has the rest.
constexpr std::size_t MENU_SUGGESTIONS = 5;
// A long text has a few thousand distinct words; this only guards against a
// pathological one.
constexpr qsizetype MAX_VERDICTS = 200000;

}  // namespace

using namespace dialogtexts;

TextBoxSpelling::TextBoxSpelling(QTextEdit& textBox, zabrel::SpellerSession& session, Replacer replacer,
                                 MessageHandler messageHandler, QWidget& owner)
    : QObject(&owner),
      box(textBox),
      speller(session),
      replace(std::move(replacer)),
      messages(std::move(messageHandler)),
      parent(owner) {
    highlighter = new MisspellingHighlighter(
        box.document(), [this](const QString& word) { return isMisspelt(word); },
        [this]() -> const zabrel::WordLetters* { return speller.isOpen() ? &speller.letters() : nullptr; });
}

void TextBoxSpelling::setUsable(bool on) {
    usable = on;
    highlighter->setActive(on);
}

void TextBoxSpelling::setActive(bool active) {
    highlighter->setActive(active && usable);
}

bool TextBoxSpelling::isActive() const {
    return highlighter->isActive();
}

bool TextBoxSpelling::isMisspelt(const QString& word) {
    if (!usable)
        return false;
    auto known = verdicts.constFind(word);
    if (known == verdicts.constEnd()) {
        bool wrong = false;
        try {
            wrong = speller.isMisspelt(word.toStdU16String());
        } catch (const zabrel::SessionError&) {
            // The engine failed on this word: no line, and a pass will say why.
        }
        if (verdicts.size() > MAX_VERDICTS)
            verdicts.clear();
        known = verdicts.insert(word, wrong);
    }
    return known.value();
}

void TextBoxSpelling::wordsChanged() {
    verdicts.clear();
    if (highlighter->isActive())
        highlighter->rehighlight();
}

bool TextBoxSpelling::addPersonal(const std::u16string& word) {
    return adding([&] { speller.addPersonal(speller.letters().lettersOf(word)); });
}

bool TextBoxSpelling::adding(const std::function<void()>& add) {
    // Saved next to what other programs saved since the list was read. A save that
    // fails is told; the word stays accepted here and pending, for the next save.
    verdicts.clear();
    try {
        add();
    } catch (const zabrel::SessionError& ex) {
        messages(&parent, APP_NAME, withDetail(ADD_FAILED, failureDetail(ex)));
        return false;
    }
    return true;
}

QMenu* TextBoxSpelling::createMenu(const QPoint& pos, bool withWord) {
    QMenu* menu = box.createStandardContextMenu(pos);
    if (withWord && usable && highlighter->isActive())
        addWordEntries(*menu, pos);
    dressMenu(*menu, parent);
    return menu;
}

std::optional<zabrel::Span> TextBoxSpelling::spanAt(const std::u16string& line, std::size_t start,
                                                    zabrel::Joins joins) {
    // The line is the context, as in zabrel-check -a; the text box's line is a block.
    try {
        zabrel::CheckPass pass = speller.pass(line, {zabrel::Positions::Utf16Units, joins});
        pass.seek(start);
        if (pass.next() && pass.span().start <= start && start < pass.span().start + pass.span().length)
            return pass.span();
    } catch (const zabrel::SessionError&) {
        // The engine failed on this line: the menu offers what it has anyway.
    }
    return std::nullopt;
}

void TextBoxSpelling::addWordEntries(QMenu& menu, const QPoint& pos) {
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
        return;
    const std::u16string word = units.substr(found->start, found->length);
    if (!isMisspelt(QString::fromStdU16String(word)))
        return;

    const int wordStart = block.position() + static_cast<int>(found->start);
    const int wordLength = static_cast<int>(found->length);
    // The word's suggestions ranked by its neighbours, replacing the word alone, and
    // for a piece of a word broken in two, the word the pieces make, over both.
    std::vector<std::u16string> suggestions;
    if (auto own = spanAt(units, found->start, zabrel::Joins::WordByWord))
        suggestions = std::move(own->suggestions);
    // The edit entries move into a submenu of their own, below the word's.
    auto* edit = new QMenu(EDIT_MENU, &menu);
    edit->addActions(menu.actions());
    for (QAction* action : edit->actions())
        menu.removeAction(action);
    QList<QAction*> added;
    if (const auto broken = spanAt(units, found->start, zabrel::Joins::Widen);
        broken && broken->kind == zabrel::Span::Kind::Broken && !broken->suggestions.empty()) {
        const QString join = QString::fromStdU16String(broken->suggestions.front());
        auto* action = new QAction(join, &menu);
        const int start = block.position() + static_cast<int>(broken->start);
        const int length = static_cast<int>(broken->length);
        connect(action, &QAction::triggered, this,
                [this, start, length, join] { replace(start, length, join); });
        added << action;
        std::erase(suggestions, broken->suggestions.front());
    }
    for (std::size_t i = 0; i < suggestions.size() && added.size() < static_cast<qsizetype>(MENU_SUGGESTIONS);
         ++i) {
        const QString suggestion = QString::fromStdU16String(suggestions[i]);
        auto* action = new QAction(suggestion, &menu);
        connect(action, &QAction::triggered, this,
                [this, wordStart, wordLength, suggestion] { replace(wordStart, wordLength, suggestion); });
        added << action;
    }
    if (added.isEmpty()) {
        auto* none = new QAction(NO_SUGGESTIONS, &menu);
        none->setEnabled(false);
        added << none;
    }
    auto* ignore = new QAction(IGNORE_ALL_TEXT, &menu);
    ignore->setObjectName(QStringLiteral("ignoreAllAction"));
    connect(ignore, &QAction::triggered, this, [this, word] {
        speller.accept(word);
        wordsChanged();
    });
    added << ignore;
    auto* add = new QAction(ADD_TEXT, &menu);
    add->setObjectName(QStringLiteral("addAction"));
    connect(add, &QAction::triggered, this, [this, word] {
        if (addPersonal(word))
            wordsChanged();
    });
    added << add;
    menu.addActions(added);
    menu.addSeparator();
    menu.addMenu(edit)->setObjectName(QStringLiteral("editMenu"));
}
