// SPDX-License-Identifier: MIT
// zabrel-check's pipe protocol: any bytes as lines from an editor, answered by the
// fixed dictionary. Every answer must be UTF-8 that ends its lines.
#include <string_view>

#include "cli/pipesession.h"
#include "engine/spellchecker.h"
#include "fixture.h"
#include "text/utf8.h"

using namespace zabrel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    SpellChecker& checker = fuzz::fixedChecker();
    // The Arabic letters; the fixed dictionary's alphabet is among them.
    SpellerSession speller(
        [&](const std::u16string& word, std::vector<std::u16string>& suggestions) {
            return checker.checkWord(word, suggestions);
        },
        WordLetters([](char16_t unit) { return unit >= 0x0621 && unit <= 0x06D3; }));
    cli::PipeSession session(speller);
    std::string_view input(reinterpret_cast<const char*>(data), size);
    std::string out;
    std::u16string decoded;
    while (!input.empty()) {
        const std::size_t end = input.find('\n');
        const std::string_view line = input.substr(0, end);
        input = end == std::string_view::npos ? std::string_view{} : input.substr(end + 1);
        out.clear();
        if (!session.respond(line, out)) {
            // Skipped, but answered as its kind of line: the empty line, or nothing.
            if (!out.empty() && out != "\n")
                fuzz::fail("a refused line with more than the end of an answer");
            continue;
        }
        std::size_t bad = 0;
        if (!out.empty() && (out.back() != '\n' || !utf8ToUtf16(out, decoded, bad)))
            fuzz::fail("an answer that is not UTF-8 lines");
    }
    return 0;
}
