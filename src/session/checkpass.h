// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "text/span.h"

namespace zabrel {

class SpellerSession;

// How a pass reads its text: the positions its spans are given in, and what it does
// with words broken in two.
struct PassOptions {
    Positions positions = Positions::Utf16Units;
    Joins joins = Joins::Offer;
    // Reads the caller's text where it is instead of a copy of its own, for a caller
    // that only reads spans (a report, a library call): the text must then stay as it
    // is, and where it is, for the pass's life, and change() and changeAll() are
    // refused. A pass over a piece of a long file costs no copy of the piece.
    bool inPlace = false;
};

// One checking pass over a text: the one walk beneath every program. It cuts the text
// once into lines (at LF; a line is where a word's neighbours end) and words (the
// session's word cutter), and yields its spans one at a time, in order: misspelt
// words, broken words, and with the context's real-word slips on, run-together words
// and real-word slips; each with its suggestions, ranked by the session (and by the
// neighbours with the context on).
//
// The pass stops before each span until the caller goes on, as a dialog does:
//
//     CheckPass pass = session.pass(text, {Positions::Utf8Bytes});
//     while (pass.next())
//         report(pass.span());          // next() leaves a span nobody dealt with
//
// or, interactively, next() and then one of leave(), change(), changeAll(),
// ignoreAll(), add() or stop(). The caller edits its own text; change() tells the pass
// what it put there, so that later spans stand where the caller's text now has them.
// The replacement itself is not checked again.
//
// A span with `decided` set is a word this session already changed everywhere: the
// caller puts the replacement in and calls change(*decided) (or leave() to keep the
// word); no stop is counted for it.
//
// Made by SpellerSession::pass(); it holds the session by reference, which must
// outlive it, and a copy of the text, which the caller is free to edit (unless asked
// to read it in place). A pass is
// used by one thread; a session's passes may run on many threads at once as long as
// none of them decides (ignoreAll, changeAll, add): a pass made from a const session
// cannot, and raises SessionError when asked to. An error of the engine
// (SessionError) from next() ends the pass: next() is false after it.
class CheckPass {
public:
    using Options = PassOptions;

    // Over a session that the pass may change (Ignore All, Change All, Add).
    CheckPass(SpellerSession& session, std::u16string_view text, Options options = {});
    // Over a session it only reads.
    CheckPass(const SpellerSession& session, std::u16string_view text, Options options = {});
    ~CheckPass();
    CheckPass(CheckPass&&) noexcept;
    CheckPass& operator=(CheckPass&&) noexcept;
    CheckPass(const CheckPass&) = delete;
    CheckPass& operator=(const CheckPass&) = delete;

    // Goes on after the last span (leaving it, if it was not dealt with) to the next
    // one and stops before it: false at the end of the text or after stop().
    bool next();
    // The span the pass stopped before; only while paused().
    const Span& span() const;
    bool paused() const;
    // No further span: the end was reached, or stop() was called.
    bool atEnd() const;

    // The span stays as written; next() goes on after it.
    void leave();
    // The caller replaced the span's text by `replacement`; later positions move by the
    // difference, and next() goes on after the replacement.
    void change(std::u16string_view replacement);
    // The same, and every later occurrence of the word (its letters, as the session's
    // verdict takes them) comes back with `decided`, in this pass and the session's
    // later ones, until SpellerSession::clearChoices().
    void changeAll(std::u16string_view replacement);
    // Accepts the span's word for this session (SpellerSession::accept: its letters,
    // within the session's bound) and leaves the span.
    void ignoreAll();
    // Adds the span's word (its letters) to the personal list and saves it, then leaves
    // the span; false when the list had it. A failure raises SessionError as the
    // session does, and the pass stays where it is.
    bool add();
    // Ends the pass where it is.
    void stop();

    // Goes on to `position` (in the pass's positions) without stopping: the spans
    // before it are passed, neither reported nor counted, and a span there is reported
    // even when one before it would have taken its word. For a front end that wants the
    // span of one word among its neighbours (a right-click on it).
    void seek(std::size_t position);

    // The session's ranking or context changed while paused: the span again, as the
    // session now ranks it (a word the context now finds broken widens; a widened span
    // stays widened).
    void rerank();

    // The dialog's counts: the words taken (words of another script are not), the
    // misspelt ones among them (those the session ignored or had decided included) and
    // the stops. A Broken span counts both pieces as taken and, as one stop, one
    // misspelt; a span whose pieces were both misspelt still counts one.
    std::size_t wordsChecked() const;
    std::size_t misspeltCount() const;
    std::size_t stopCount() const;
    // The runs of another script passed so far, which are not checked (not taken):
    // the pipe mode answers each as a correct word.
    std::size_t foreignPassed() const;

    struct State;

private:
    std::unique_ptr<State> state;
};

}  // namespace zabrel
