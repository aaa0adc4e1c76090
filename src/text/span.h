// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace zabrel {

// How a pass counts positions in the text it was given: UTF-16 code units (Qt, the
// dialog, Enchant, LibreOffice), bytes of the text as UTF-8 (the library, files on
// disk) or code points (Emacs, what people count). A lone surrogate counts as one code
// point and, as the U+FFFD it becomes in UTF-8, three bytes.
enum class Positions { Utf16Units, Utf8Bytes, CodePoints };

// What the context does with a word broken in two (ا چھے, خوب صورت), a piece that is
// no word beside one it makes a lexicon word with:
enum class Joins {
    Offer,       // one Broken span over both pieces, the join its only suggestion
    WordByWord,  // no joins: each piece is a word of its own (editors that replace one
                 // word at a time, the pipe mode)
    Widen,       // each misspelt word is its own span, ranked as word by word; one that is
                 // a piece of a broken word widens to a Broken span over both pieces,
                 // offering the join first and then its own suggestions beside the other
                 // piece as written (the dialog, where the user may want either)
};

// One stretch of a text to correct, as a pass yields it.
struct Span {
    enum class Kind {
        Misspelt,     // a word the speller does not accept
        RealWord,     // a correct word where its neighbours want a close other one (ہے for ہیں)
        Broken,       // two words that make one: the span covers both and the gap between
        RunTogether,  // a lexicon word running text writes as two (ہوسکتا): the two first
    };
    Kind kind = Kind::Misspelt;
    // In the pass's Positions, in the caller's text as it stands now: after the
    // changes the caller made through the pass.
    std::size_t start = 0;
    std::size_t length = 0;
    // What the span covers, as written.
    std::u16string word;
    // The word Ignore All, Change All and Add key on: `word`, but for a Broken span
    // the misspelt piece the pass stopped on.
    std::u16string piece;
    // Best first, in the session's ranking (with the context when it is on).
    std::vector<std::u16string> suggestions;
    // Set when this session already chose the word's replacement (a Change All
    // earlier): the caller replaces the span by it and goes on; no stop is counted.
    std::optional<std::u16string> decided;
};

}  // namespace zabrel
