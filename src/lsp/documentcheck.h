// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <set>
#include <string>
#include <vector>

#include "lsp/textmask.h"
#include "text/span.h"

namespace zabrel {
class SpellerSession;
}

namespace zabrel::lsp {

// A span the pass found, with its offsets in the document's UTF-16 text.
struct Finding {
    Span::Kind kind = Span::Kind::Misspelt;
    std::size_t start = 0;
    std::size_t length = 0;
    std::u16string word;
    // What "add" and "ignore" key on: the word, or a broken word's misspelt piece.
    std::u16string piece;
    std::vector<std::u16string> suggestions;
};

// One check of one version of a document, done a piece at a time so that the server
// reads its input between pieces and drops a check whose document has changed: a
// piece is whole lines of about PIECE units, masked for its markup and checked by a
// pass of its own, so that a long document costs a piece's memory beyond its text.
// Neighbours never reach over a line end, so pieces answer as the whole would.
class DocumentCheck {
public:
    static constexpr std::size_t PIECE = 1 << 16;
    // Past this a document's findings are not looked for: an editor shows no more,
    // and their suggestions would grow us with the document.
    static constexpr std::size_t MAX_FINDINGS = 10000;

    DocumentCheck(long version, TextMask::Markup markup) : checkedVersion(version), mask(markup) {}

    // Checks the next piece of `text` (the version this check was made for); true when
    // the whole text is done. Words in `ignored` are not reported.
    bool step(const SpellerSession& speller, const std::u16string& text,
              const std::set<std::u16string>& ignored);

    long version() const { return checkedVersion; }
    std::vector<Finding>& findings() { return found; }

private:
    long checkedVersion;
    TextMask mask;
    std::size_t done = 0;
    std::u16string piece;
    std::vector<Finding> found;
};

}  // namespace zabrel::lsp
