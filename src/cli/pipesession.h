// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "cli/linewords.h"
#include "cli/wordchecker.h"

namespace zabrel::cli {

// The ispell pipe protocol (`zabrel-check -a`), one input line at a time, so that
// editors see the same answers as the tests do. State that lives across lines: the
// words accepted for the session and terse mode.
class PipeSession {
public:
    explicit PipeSession(WordChecker check) : check(std::move(check)) {}

    // "@(#) International Ispell Version 3.2.06 (but really Zabrel <version>)"
    static std::string banner(std::string_view version);

    // Answers one line (without its LF) by appending the protocol's output to `out`:
    // nothing for a command, else one line per word and an empty line. Returns false,
    // appending nothing, when the line is not valid UTF-8.
    bool respond(std::string_view line, std::string& out);

    bool isTerse() const { return terse; }

private:
    void checkText(std::u16string_view text, std::size_t offset, std::string& out);

    WordChecker check;
    std::unordered_set<std::u16string> accepted;
    bool terse = false;
    std::u16string text;
    std::vector<LineWord> words;
    std::vector<std::u16string> suggestions;
};

}  // namespace zabrel::cli
