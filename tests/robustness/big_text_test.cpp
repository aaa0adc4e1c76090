// SPDX-License-Identifier: MIT
// A checking pass over a text of several megabytes, pasted whole, checked word by
// word against a real engine. Each walk runs in a child process so that its peak memory
// is its own; the figures are printed, not asserted.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>

#include "engine/spellchecker.h"
#include "session/spellersession.h"
#include "smalldictionary.h"
#include "support/testsupport.h"

using namespace zabrel;
using namespace zabrel::test;

namespace {

struct Text {
    std::u16string units;
    std::size_t words = 0;
    std::size_t misspelt = 0;
};

// Lexicon words and misspellings between every kind of delimiter, with CR LF line
// breaks, up to `units` UTF-16 units.
Text makeText(std::size_t units) {
    const auto dict = smallDictionary();
    const auto wrong = smallMisspellings();
    const std::u16string separators[] = {u" ",       u"\u060C ", u"\u06D4\r\n", u"\t",
                                         u"\u061F ", u"; ",      u"\r\n\r\n"};
    Text text;
    text.units.reserve(units + 64);
    for (std::size_t k = 0; text.units.size() < units; ++k) {
        // One word in seven is misspelt, the rest come from the lexicon.
        if (k % 7 == 3) {
            text.units += wrong[k % wrong.size()];
            ++text.misspelt;
        } else {
            text.units += dict.words[k % dict.words.size()].word;
        }
        ++text.words;
        text.units += separators[k % std::size(separators)];
    }
    return text;
}

struct Figures {
    long peakKiB = 0;
    double seconds = 0;
    bool ok = false;
};

// Walks a text of `units` units in a child; the child reports whether every word
// was taken and every misspelling found.
Figures walkInChild(std::size_t units) {
    Figures figures;
    const auto begin = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        SpellChecker checker;
        checker.initialize();
        const Text text = makeText(units);
        const UniChar2IndexMap& alphabet = checker.alphabet();
        SpellerSession speller(
            [&checker](const std::u16string& word, std::vector<std::u16string>& suggestions) {
                return checker.checkWord(word, suggestions);
            },
            WordLetters([&alphabet](char16_t unit) { return alphabet.getIndex(unit) != NO_INDEX; }));
        CheckPass pass = speller.pass(text.units, {Positions::Utf16Units, Joins::Widen});
        while (pass.next())
            pass.leave();
        _exit(pass.wordsChecked() == text.words && pass.stopCount() == text.misspelt && pass.atEnd() ? 0 : 1);
    }
    int status = 0;
    rusage usage{};
    if (child > 0 && wait4(child, &status, 0, &usage) == child) {
        figures.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
        figures.peakKiB = usage.ru_maxrss;
    }
    figures.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    return figures;
}

}  // namespace

TEST(BigText, a_walk_over_megabytes_of_text_takes_every_word_and_finds_every_misspelling) {
    TempDir dir;
    CurrentDir here{dir.path()};
    writeDictionary(".", smallDictionary());
    {
        SpellChecker first;
        ASSERT_TRUE(first.initialize());
    }
    // 1 MiB and 10 MiB of UTF-16 text; the child's baseline is the engine alone.
    for (std::size_t mebibytes : {std::size_t{0}, std::size_t{1}, std::size_t{10}}) {
        const std::size_t units = mebibytes * 1024 * 1024 / 2;
        const Figures figures = walkInChild(units);
        EXPECT_TRUE(figures.ok) << mebibytes << " MiB";
        std::printf("walk over %zu MiB of text: peak RSS %ld KiB, %.2f s\n", mebibytes, figures.peakKiB,
                    figures.seconds);
        ::testing::Test::RecordProperty("peak_rss_kib_" + std::to_string(mebibytes) + "mib",
                                        std::to_string(figures.peakKiB));
    }
}
