// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/textcontext.h"
#include "text/span.h"
#include "text/wordletters.h"

namespace zabrel {

// What the speller above the engine decides about a word: the context's rules ask it,
// and never decide themselves what is correct.
struct WordVerdicts {
    // True when the word is misspelt, with its suggestions in the speller's order.
    std::function<bool(std::u16string_view word, std::vector<std::u16string>& suggestions)> check;
    // The user's own word (the personal list, this session's words).
    std::function<bool(std::u16string_view word)> held;
    // The word's first suggestion is its own Urdu letter forms, which are no guess.
    std::function<bool(std::u16string_view word)> urduFormsFirst;
};

// One span of a line: the words it covers and the word it stopped on, by their place
// among the line's words.
struct LineSpan {
    Span::Kind kind = Span::Kind::Misspelt;
    std::size_t first = 0;
    std::size_t last = 0;
    std::size_t piece = 0;
    std::vector<std::u16string> suggestions;
};

// Reads one line (a line end ends a sentence, so no word has a neighbour on another)
// word by word and yields its spans in order, each as the context reads it: a
// misspelt word's suggestions ranked by the words beside it, a misspelt neighbour
// counting as it will read corrected (the left one as its context made it, the right
// one by its own first suggestion); words broken in two, and with `realWords`,
// real-word slips and run-together words. Without a context (null), only misspelt
// words, as the verdict gives them. The words held are those around the word at hand,
// whatever the line's length.
class ContextLine {
public:
    ContextLine(const TextContext* context, const WordVerdicts& verdicts, Joins joins, bool realWords);

    // With another context (null: none) from the next line on.
    void setContext(const TextContext* textContext, bool slips) {
        context = textContext;
        realWords = slips;
    }
    // A new line; `line` must outlive the reading of it.
    void start(std::u16string_view line, const WordLetters& letters);
    // Spans are reported from the line's `i`th word on: those before it are read, for
    // their neighbours, and neither reported nor take the words after them. Without a
    // context no word reads another, so those before are not read at all.
    void reportFrom(std::size_t i);
    const std::vector<LineWord>& words() const { return textWords; }
    // The next span, false at the line's end.
    bool next(LineSpan& span);

private:
    struct Checked {
        bool misspelt = false;
        std::vector<std::u16string> suggestions;
    };
    Checked& at(std::size_t i);
    std::u16string_view written(std::size_t i) const;
    bool neighbours(std::size_t a) const;
    std::u16string_view reads(std::size_t i, bool lastPart);
    Neighbours around(std::size_t i);
    std::u16string brokenWith(std::size_t i);
    // The span of a misspelt or flagged word `i`; false for a word to pass.
    bool spanOf(std::size_t i, LineSpan& span);
    // Joins::Widen: the span of a misspelt piece, over both pieces.
    void widen(std::size_t i, bool forward, LineSpan& span) const;

    const TextContext* context;
    const WordVerdicts& verdicts;
    Joins joins;
    bool realWords;

    std::u16string_view line;
    std::vector<LineWord> textWords;
    std::size_t cursor = 0;
    std::size_t from = 0;
    // The words from the one before the word at hand to the one after it, as the
    // verdict answered them.
    std::deque<Checked> window;
    std::size_t windowStart = 0;
    // Joins::Widen: the last pair found broken (its second word and its join), and the
    // last word a widened span took.
    static constexpr std::size_t NONE = static_cast<std::size_t>(-1);
    std::size_t pairSecond = NONE;
    std::u16string pairJoin;
    std::size_t takenThrough = NONE;
};

}  // namespace zabrel
