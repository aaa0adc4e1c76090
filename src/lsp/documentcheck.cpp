// SPDX-License-Identifier: MIT
#include "lsp/documentcheck.h"

#include <algorithm>

#include "session/spellersession.h"

namespace zabrel::lsp {

bool DocumentCheck::step(const SpellerSession& speller, const std::u16string& text,
                         const std::set<std::u16string>& ignored) {
    if (done >= text.size() || found.size() >= MAX_FINDINGS)
        return true;
    std::size_t end = std::min(done + PIECE, text.size());
    while (end < text.size() && text[end - 1] != u'\n' && text[end - 1] != u'\r')
        ++end;
    // A CR LF is not cut between its two units.
    if (end < text.size() && text[end - 1] == u'\r' && text[end] == u'\n')
        ++end;
    piece.assign(text, done, end - done);
    mask.apply(piece);
    // The pass ends lines at LF alone; a lone CR ends an editor's line too. Both are
    // one unit, so offsets stay.
    std::replace(piece.begin(), piece.end(), u'\r', u'\n');
    CheckPass pass = speller.pass(piece, {Positions::Utf16Units, Joins::Offer, true});
    while (pass.next() && found.size() < MAX_FINDINGS) {
        const Span& span = pass.span();
        if (ignored.count(span.piece) || ignored.count(span.word))
            continue;
        found.push_back({span.kind, done + span.start, span.length, span.word, span.piece, span.suggestions});
    }
    done = end;
    return done >= text.size() || found.size() >= MAX_FINDINGS;
}

}  // namespace zabrel::lsp
