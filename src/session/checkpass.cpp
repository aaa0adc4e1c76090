// SPDX-License-Identifier: MIT
#include "session/checkpass.h"

#include <algorithm>
#include <mutex>
#include <optional>
#include <shared_mutex>
#include <stdexcept>
#include <utility>

#include "engine/contextline.h"
#include "session/guarded.h"
#include "session/spellersession.h"
#include "text/utf8.h"

namespace zabrel {

namespace {

constexpr std::size_t NO_LINE = static_cast<std::size_t>(-1);

// `text` counted in `positions` other than UTF-16 units, by the text layer's one count.
std::size_t measure(std::u16string_view text, Positions positions) {
    return positions == Positions::CodePoints ? codePoints(text) : utf8Length(text);
}

}  // namespace

struct CheckPass::State {
    State(const SpellerSession& session, SpellerSession* deciding, std::u16string_view given, Options chosen)
        : reader(session),
          decider(deciding),
          options(chosen),
          own(chosen.inPlace ? std::u16string_view() : given),
          text(chosen.inPlace ? given : std::u16string_view(own)),
          verdicts(session.verdicts()),
          reading(nullptr, verdicts, chosen.joins, false) {}

    const SpellerSession& reader;
    SpellerSession* decider;
    Options options;
    // The caller's text as it stands now: a copy of our own, which the caller's own
    // edits do not reach, changed as change() says.
    std::u16string own;
    std::u16string_view text;
    WordVerdicts verdicts;
    ContextLine reading;

    // The line being read: where it starts, and where the next one does.
    bool lineOpen = false;
    std::size_t lineStart = 0;
    std::size_t nextLine = 0;
    // Words before this unit are the caller's replacements: not taken again.
    std::size_t resumeAt = 0;
    // The next word of the line to take, and the line's next span, found ahead of it.
    std::size_t cursor = 0;
    std::optional<LineSpan> ahead;

    Span current;
    bool isPaused = false;
    bool ended = false;
    // The current span in UTF-16 units, and the words of the line it covers.
    std::size_t unitStart = 0;
    std::size_t unitLength = 0;
    std::size_t pieceWord = 0;
    std::size_t lastWord = 0;
    bool byChoice = false;  // a span the session had decided

    std::size_t taken = 0;
    std::size_t misspelt = 0;
    std::size_t stops = 0;
    std::size_t foreign = 0;

    // The last place converted to the caller's positions: units and theirs.
    std::size_t markUnit = 0;
    std::size_t markOut = 0;

    bool openLine(std::size_t from);
    bool find();
    bool offer(const LineSpan& span);
    bool takeChosen(std::size_t word);
    void place(std::size_t start, std::size_t length);
    std::size_t converted(std::size_t unit);
    std::u16string keyOf(std::u16string_view word) const { return reader.letters().lettersOf(word); }
    const std::vector<LineWord>& words() const { return reading.words(); }
    std::u16string_view line() const {
        const std::size_t end = nextLine == NO_LINE ? text.size() : nextLine - 1;
        return text.substr(lineStart, end - lineStart);
    }
    std::u16string_view wordAt(std::size_t i) const {
        return line().substr(words()[i].start, words()[i].length);
    }
    SpellerSession& deciding();
    void replace(std::u16string_view replacement);
    // The caller's text, read in place, is no longer what the pass would read after a
    // change, and may have moved.
    void refuseInPlace() const {
        if (options.inPlace)
            throw std::logic_error("a pass that reads its text in place cannot change it");
    }
    // Reads the line again from its start, as the session now answers, taking no word
    // before `resume` again.
    void reread(std::size_t resume);
    // The context as the session has it now.
    void useContext() {
        const bool ranked = reader.contextOn && reader.checker && reader.isOpen();
        reading.setContext(ranked ? reader.textContext.get() : nullptr, reader.realWords);
    }
};

bool CheckPass::State::openLine(std::size_t start) {
    // A line end ends a sentence: the lines are read one by one, and the words held
    // are those of one line.
    if (start == NO_LINE || start > text.size())
        return false;
    lineStart = start;
    useContext();
    const std::size_t end = text.find(u'\n', start);
    nextLine = end == std::u16string_view::npos ? NO_LINE : end + 1;
    reading.start(line(), reader.letters());
    cursor = 0;
    while (cursor < words().size() && lineStart + words()[cursor].start < resumeAt)
        ++cursor;
    reading.reportFrom(cursor);
    ahead.reset();
    lineOpen = true;
    return true;
}

bool CheckPass::State::find() {
    for (;;) {
        if (!lineOpen && !openLine(nextLine))
            return false;
        // A span the reading found before the pass's place moved past it is passed.
        while (!ahead || ahead->piece < cursor) {
            LineSpan span;
            ahead.reset();
            if (!reading.next(span))
                break;
            ahead = std::move(span);
        }
        const std::size_t until = ahead ? ahead->piece : words().size();
        // The words up to the span: taken, and those the session decided dealt with as
        // it decided.
        for (; cursor < words().size() && cursor <= until; ++cursor) {
            if (words()[cursor].foreign) {
                ++foreign;
                continue;
            }
            if (cursor == until)
                return offer(*ahead);
            ++taken;
            if (takeChosen(cursor))
                return true;
        }
        if (!ahead)
            lineOpen = false;
    }
}

bool CheckPass::State::takeChosen(std::size_t i) {
    // Ignore All and Change All hold for the word's letters, and count as misspelt.
    std::optional<std::u16string> replacement;
    {
        const std::shared_lock hold(reader.words);
        const SessionWords& choices = reader.sessionWords;
        if (choices.empty())
            return false;
        const std::u16string key = keyOf(wordAt(i));
        if (choices.isIgnored(key)) {
            ++misspelt;
            return false;
        }
        const std::u16string* chosen = choices.replacementFor(key);
        if (chosen == nullptr)
            return false;
        replacement = *chosen;
    }
    ++misspelt;
    if (ahead && ahead->piece == i)
        ahead.reset();
    current = Span{Span::Kind::Misspelt, 0,           0, std::u16string(wordAt(i)), std::u16string(wordAt(i)),
                   {*replacement},       *replacement};
    pieceWord = lastWord = i;
    byChoice = true;
    place(lineStart + words()[i].start, words()[i].length);
    cursor = i + 1;
    isPaused = true;
    return true;
}

bool CheckPass::State::offer(const LineSpan& span) {
    ++taken;
    if (takeChosen(span.piece))
        return true;
    // A span's other piece is taken with it.
    for (std::size_t i = span.piece + 1; i <= span.last; ++i)
        taken += words()[i].foreign ? 0 : 1;
    ++misspelt;
    ++stops;
    const LineWord& first = words()[span.first];
    const LineWord& last = words()[span.last];
    current.kind = span.kind;
    current.word = std::u16string(line().substr(first.start, last.start + last.length - first.start));
    current.piece = std::u16string(wordAt(span.piece));
    current.suggestions = std::move(ahead->suggestions);
    current.decided.reset();
    pieceWord = span.piece;
    lastWord = span.last;
    byChoice = false;
    place(lineStart + first.start, last.start + last.length - first.start);
    cursor = span.last + 1;
    ahead.reset();
    isPaused = true;
    return true;
}

void CheckPass::State::place(std::size_t start, std::size_t length) {
    unitStart = start;
    unitLength = length;
    current.start = converted(start);
    current.length = converted(start + length) - current.start;
    markUnit = start;
    markOut = current.start;
}

std::size_t CheckPass::State::converted(std::size_t unit) {
    if (options.positions == Positions::Utf16Units)
        return unit;
    // Spans come in order, so the count goes on from the last one.
    if (unit < markUnit)
        markUnit = markOut = 0;
    markOut += measure(text.substr(markUnit, unit - markUnit), options.positions);
    markUnit = unit;
    return markOut;
}

SpellerSession& CheckPass::State::deciding() {
    if (decider == nullptr)
        throw SessionError("this pass only reads its session, and cannot change it");
    return *decider;
}

void CheckPass::State::replace(std::u16string_view replacement) {
    own.replace(unitStart, unitLength, replacement);
    text = own;
    reread(unitStart + replacement.size());
}

void CheckPass::State::reread(std::size_t resume) {
    // The words after a change read their neighbours as they now stand, and a word the
    // session now accepts is not stopped at again, though a verdict read ahead had it.
    resumeAt = resume;
    lineOpen = openLine(lineStart);
}

CheckPass::CheckPass(SpellerSession& session, std::u16string_view text, Options options)
    : state(std::make_unique<State>(session, &session, text, options)) {}

CheckPass::CheckPass(const SpellerSession& session, std::u16string_view text, Options options)
    : state(std::make_unique<State>(session, nullptr, text, options)) {}

CheckPass::~CheckPass() = default;
CheckPass::CheckPass(CheckPass&&) noexcept = default;
CheckPass& CheckPass::operator=(CheckPass&&) noexcept = default;

bool CheckPass::next() {
    State& s = *state;
    if (s.ended)
        return false;
    s.isPaused = false;
    try {
        if (guard::guarded([&] { return s.find(); }, guard::saying(guard::WHILE_CHECKING)))
            return true;
    } catch (...) {
        s.ended = true;
        throw;
    }
    s.ended = true;
    return false;
}

const Span& CheckPass::span() const {
    return state->current;
}

bool CheckPass::paused() const {
    return state->isPaused;
}

bool CheckPass::atEnd() const {
    return state->ended;
}

void CheckPass::leave() {
    state->isPaused = false;
}

void CheckPass::change(std::u16string_view replacement) {
    State& s = *state;
    s.refuseInPlace();
    if (!s.isPaused)
        return;
    s.isPaused = false;
    s.replace(replacement);
}

void CheckPass::changeAll(std::u16string_view replacement) {
    State& s = *state;
    s.refuseInPlace();
    if (!s.isPaused)
        return;
    SpellerSession& session = s.deciding();
    {
        const std::unique_lock hold(session.words);
        session.sessionWords.changeAll(s.keyOf(s.current.piece), std::u16string(replacement));
    }
    change(replacement);
}

void CheckPass::ignoreAll() {
    State& s = *state;
    if (!s.isPaused)
        return;
    s.deciding().accept(s.current.piece);
    s.isPaused = false;
    s.reread(s.unitStart + s.unitLength);
}

bool CheckPass::add() {
    State& s = *state;
    if (!s.isPaused)
        return false;
    SpellerSession& session = s.deciding();
    const bool added = session.addPersonal(session.letters().lettersOf(s.current.piece));
    s.isPaused = false;
    s.reread(s.unitStart + s.unitLength);
    return added;
}

void CheckPass::stop() {
    state->isPaused = false;
    state->ended = true;
}

void CheckPass::seek(std::size_t position) {
    State& s = *state;
    if (s.ended)
        return;
    std::size_t unit = position;
    if (s.options.positions != Positions::Utf16Units) {
        std::size_t counted = 0;
        // Character by character: a pair is one character, and no place falls inside it.
        for (unit = 0; unit < s.text.size() && counted < position;) {
            const std::size_t step =
                unit + 1 < s.text.size() && codePoints(s.text.substr(unit, 2)) == 1 ? 2 : 1;
            counted += measure(s.text.substr(unit, step), s.options.positions);
            unit += step;
        }
    }
    unit = std::min(unit, s.text.size());
    const std::size_t lineEnd = unit == 0 ? std::u16string_view::npos : s.text.rfind(u'\n', unit - 1);
    s.isPaused = false;
    s.resumeAt = unit;
    s.lineOpen = s.openLine(lineEnd == std::u16string_view::npos ? 0 : lineEnd + 1);
}

void CheckPass::rerank() {
    State& s = *state;
    if (!s.isPaused || s.byChoice)
        return;
    const Span before = s.current;
    const std::size_t beforeLast = s.lastWord;
    // The line again, up to the word the pass stands on, as the session now reads it.
    ContextLine& reading = s.reading;
    s.useContext();
    reading.start(s.line(), s.reader.letters());
    reading.reportFrom(s.pieceWord);
    LineSpan span;
    const bool found =
        guard::guarded([&] { return reading.next(span); }, guard::saying(guard::WHILE_CHECKING));
    if (!found || span.piece != s.pieceWord)
        return;
    // A span once widened stays so: the word's suggestions beside the other piece.
    if (before.kind == Span::Kind::Broken && span.kind != Span::Kind::Broken) {
        const std::size_t first = s.unitStart - s.lineStart;
        const std::size_t own = s.words()[s.pieceWord].start;
        const std::u16string_view line = s.line();
        const std::u16string left(line.substr(first, own - first));
        const std::u16string right(line.substr(own + s.words()[s.pieceWord].length,
                                               first + s.unitLength - own - s.words()[s.pieceWord].length));
        for (std::u16string& suggestion : span.suggestions)
            suggestion = left + suggestion + right;
        s.current.suggestions = std::move(span.suggestions);
    } else {
        const LineWord& first = s.words()[span.first];
        const LineWord& last = s.words()[span.last];
        for (std::size_t i = beforeLast + 1; i <= span.last; ++i)
            s.taken += s.words()[i].foreign ? 0 : 1;
        s.current.kind = span.kind;
        s.current.word = std::u16string(s.line().substr(first.start, last.start + last.length - first.start));
        s.current.suggestions = std::move(span.suggestions);
        s.lastWord = std::max(beforeLast, span.last);
        s.place(s.lineStart + first.start, last.start + last.length - first.start);
    }
    // The reading goes on after the span, as it would have.
    s.cursor = s.lastWord + 1;
    s.ahead.reset();
}

std::size_t CheckPass::wordsChecked() const {
    return state->taken;
}

std::size_t CheckPass::misspeltCount() const {
    return state->misspelt;
}

std::size_t CheckPass::stopCount() const {
    return state->stops;
}

std::size_t CheckPass::foreignPassed() const {
    return state->foreign;
}

}  // namespace zabrel
