// SPDX-License-Identifier: MIT
#include "engine/contextline.h"

#include <algorithm>
#include <utility>

namespace zabrel {

ContextLine::ContextLine(const TextContext* textContext, const WordVerdicts& wordVerdicts, Joins joinsAsked,
                         bool slips)
    : context(textContext), verdicts(wordVerdicts), joins(joinsAsked), realWords(slips) {}

void ContextLine::start(std::u16string_view text, const WordLetters& letters) {
    line = text;
    cutLine(line, letters, textWords);
    cursor = from = 0;
    window.clear();
    windowStart = 0;
    pairSecond = takenThrough = NONE;
    pairJoin.clear();
}

void ContextLine::reportFrom(std::size_t i) {
    from = i;
    if (context == nullptr) {
        cursor = windowStart = std::min(i, textWords.size());
        window.clear();
    }
}

std::u16string_view ContextLine::written(std::size_t i) const {
    return line.substr(textWords[i].start, textWords[i].length);
}

ContextLine::Checked& ContextLine::at(std::size_t i) {
    while (windowStart + window.size() <= i) {
        const std::size_t k = windowStart + window.size();
        Checked checked;
        if (!textWords[k].foreign)
            checked.misspelt = verdicts.check(written(k), checked.suggestions);
        window.push_back(std::move(checked));
    }
    return window[i - windowStart];
}

bool ContextLine::neighbours(std::size_t a) const {
    // Words are neighbours when nothing ends a sentence between them.
    const LineWord& x = textWords[a];
    const LineWord& y = textWords[a + 1];
    return !x.foreign && !y.foreign &&
           !endsSentence(line.substr(x.start + x.length, y.start - x.start - x.length));
}

std::u16string_view ContextLine::reads(std::size_t i, bool lastPart) {
    // A misspelt word reads as its first suggestion; a word read as two (a join's
    // suggestion) is its nearer part.
    const Checked& checked = at(i);
    std::u16string_view word =
        checked.misspelt && !checked.suggestions.empty() ? checked.suggestions.front() : written(i);
    const std::size_t space = word.find(u' ');
    if (space != std::u16string_view::npos)
        word = lastPart ? word.substr(space + 1) : word.substr(0, space);
    return word;
}

Neighbours ContextLine::around(std::size_t i) {
    // Two words each side, as far as the sentence goes.
    Neighbours found;
    const std::size_t n = textWords.size();
    if (i > 0 && neighbours(i - 1)) {
        found.before1 = reads(i - 1, true);
        if (i > 1 && neighbours(i - 2))
            found.before2 = reads(i - 2, true);
    }
    if (i + 1 < n && neighbours(i)) {
        found.after1 = reads(i + 1, false);
        if (i + 2 < n && neighbours(i + 1))
            found.after2 = reads(i + 2, false);
    }
    return found;
}

std::u16string ContextLine::brokenWith(std::size_t i) {
    // A word broken in two (ا چھے, خوب صورتی): a piece that is no word beside one it
    // makes a lexicon word with, nothing but a blank or ZWNJ between.
    if (context == nullptr || joins == Joins::WordByWord || i + 1 >= textWords.size() ||
        textWords[i].foreign || textWords[i + 1].foreign || !(at(i).misspelt || at(i + 1).misspelt))
        return {};
    const std::size_t end = textWords[i].start + textWords[i].length;
    const std::u16string_view gap = line.substr(end, textWords[i + 1].start - end);
    if (gap.empty() || gap.size() > 2 || gap.find_first_not_of(u" \u200C") != std::u16string_view::npos)
        return {};
    std::u16string join = std::u16string(written(i)) + std::u16string(written(i + 1));
    return !verdicts.held(join) && context->joins(join) ? join : std::u16string();
}

bool ContextLine::next(LineSpan& span) {
    while (cursor < textWords.size()) {
        const std::size_t i = cursor++;
        // The second word before this one is the oldest still wanted.
        for (; windowStart + 2 < i; ++windowStart)
            if (!window.empty())
                window.pop_front();
        if (textWords[i].foreign)
            continue;
        if (joins == Joins::Offer) {
            if (std::u16string join = brokenWith(i); !join.empty()) {
                // It stops at the piece that is no word.
                span = LineSpan{Span::Kind::Broken, i, i + 1, at(i).misspelt ? i : i + 1, {join}};
                at(i) = at(i + 1) = Checked{true, {std::move(join)}};
                ++cursor;
                if (i >= from)
                    return true;
                continue;
            }
        }
        if (spanOf(i, span))
            return true;
    }
    return false;
}

bool ContextLine::spanOf(std::size_t i, LineSpan& span) {
    // Widened spans find their pairs as Joins::Offer would, left to right, while each
    // word reads its neighbours as word by word.
    bool pairStart = false;
    if (joins == Joins::Widen && i != pairSecond) {
        if (std::u16string join = brokenWith(i); !join.empty()) {
            pairStart = true;
            pairSecond = i + 1;
            pairJoin = std::move(join);
        }
    }
    const Neighbours near = context != nullptr ? around(i) : Neighbours{};
    Checked& self = at(i);
    const std::u16string_view word = written(i);
    span = LineSpan{Span::Kind::Misspelt, i, i, i, {}};
    if (self.misspelt) {
        if (context != nullptr) {
            const bool urduFirst = verdicts.urduFormsFirst(word);
            context->rankInContext(word, near, self.suggestions, urduFirst ? 1 : 0);
            if (!urduFirst)
                context->completionsFirst(word, self.suggestions);
            context->sureFixFirst(word, self.suggestions);
        }
    } else if (context != nullptr && realWords && !verdicts.held(word) &&
               context->runTogether(std::u16string(word), self.suggestions)) {
        span.kind = Span::Kind::RunTogether;
    } else if (context != nullptr && realWords && !verdicts.held(word) &&
               context->realWordSlip(word, near, self.suggestions)) {
        span.kind = Span::Kind::RealWord;
    } else {
        return false;
    }
    // The suggestions go to the span; the next word reads this one by the first.
    span.suggestions = std::move(self.suggestions);
    if (self.misspelt && !span.suggestions.empty())
        self.suggestions.assign(1, span.suggestions.front());
    else
        self.suggestions.clear();
    if (i < from || (takenThrough != NONE && i <= takenThrough))
        return false;
    if (joins == Joins::Widen && self.misspelt && (pairStart || i == pairSecond))
        widen(i, pairStart, span);
    if (span.kind == Span::Kind::Broken && pairStart)
        takenThrough = i + 1;
    return true;
}

void ContextLine::widen(std::size_t i, bool forward, LineSpan& span) const {
    // The join first, then the word's own suggestions beside the other piece as it
    // was written.
    const std::size_t first = forward ? i : i - 1;
    const std::size_t end = textWords[first].start + textWords[first].length;
    const std::u16string_view gap = line.substr(end, textWords[first + 1].start - end);
    const std::u16string other(written(forward ? i + 1 : i - 1));
    for (std::u16string& suggestion : span.suggestions)
        suggestion =
            forward ? suggestion + std::u16string(gap) + other : other + std::u16string(gap) + suggestion;
    std::erase(span.suggestions, pairJoin);
    span.suggestions.insert(span.suggestions.begin(), pairJoin);
    span.kind = Span::Kind::Broken;
    span.first = first;
    span.last = first + 1;
}

}  // namespace zabrel
