// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "session/spellersession.h"

namespace zabrel::cli {

// The ispell pipe protocol (`zabrel-check -a`), one input line at a time, so that
// editors see the same answers as the tests do. The words accepted for the session and
// the personal word list are the speller session's; terse mode is the protocol's own.
//
//   *WORD, &WORD  add WORD to the personal list and save it (Urdu has no case, so
//                 & is *)
//   @WORD         accept WORD for this session only
//   #             save the personal list if a save failed before
//   ! and %       terse mode on and off
//   ^TEXT         check TEXT (offsets count the caret)
//   ~, +, -       formatter commands: ignored, as hunspell ignores them
//   anything else check the line
class PipeSession {
public:
    // Longer words cannot be meant: no word of any language is near this long.
    static constexpr std::size_t LONGEST_ACCEPTED = 1024;

    using Warn = std::function<void(const std::string& message)>;

    // `warn` hears about personal words that could not be saved; the session goes on.
    explicit PipeSession(SpellerSession& speller, Warn warn = {}) : speller(speller), warn(std::move(warn)) {}

    // "@(#) International Ispell Version 3.2.06 (but really Zabrel <version>)"
    static std::string banner(std::string_view version);

    // Answers one line (without its LF) by appending the protocol's output to `out`:
    // nothing for a command, else one line per word and an empty line. Returns false
    // when the line is not valid UTF-8: it is skipped, and answered with the empty
    // line alone if it is text, nothing if it is a command.
    bool respond(std::string_view line, std::string& out) { return feed(line, true, out); }

    // The same for a line that comes in pieces cut between words; `lineEnds` marks the
    // last one. After an invalid piece, the rest of its line is ignored, and the
    // answer still ends as its kind of line asks.
    bool feed(std::string_view piece, bool lineEnds, std::string& out);

    // Saves the personal list if words were added since it was last saved (a save
    // failed). Called at the end of the session.
    void finish();

    bool isTerse() const { return terse; }

private:
    // Skipped: a text line that went bad, which still ends its answer.
    enum class Line { Start, Text, Add, Accept, Ignore, Skipped };

    void startLine(std::u16string_view text, std::size_t& skip);
    void checkText(std::u16string_view text, std::size_t offset, std::string& out);
    void endLine(std::string& out);
    // Runs a save, telling a failure once however often it repeats.
    void save(const std::function<void()>& action);

    SpellerSession& speller;
    Warn warn;
    bool terse = false;
    // A save that keeps failing for the same reason is reported once.
    std::string lastWarning;

    Line line = Line::Start;
    std::size_t column = 0;
    std::u16string word;
    std::u16string text;
};

}  // namespace zabrel::cli
