// SPDX-License-Identifier: MIT
// The public library as a host program sees it: only <zabrel/zabrel.h> and
// libzabrel.so, a dictionary folder by path, the current directory elsewhere.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "lib/sample.h"
#include "support/dictionary.h"
#include "support/testsupport.h"
#include "zabrel/zabrel.h"

using namespace zabrel::test;
namespace fs = std::filesystem;

TEST(ZabrelLibrary, a_folder_by_path_checks_and_suggests_in_utf8_and_utf16_from_anywhere) {
    TempDir folder;
    TempDir elsewhere;
    writeDictionary(folder.path().string(), sampleContents());
    CurrentDir here(elsewhere.path());
    for (const char* run : {"first", "later"}) {
        zabrel::Dictionary urdu(folder.path().string());
        EXPECT_TRUE(urdu.check(BAT)) << run;
        EXPECT_TRUE(urdu.check(u"\u0628\u0627\u062A")) << run;
        EXPECT_TRUE(urdu.check("Latin 123")) << run;  // nothing to check
        EXPECT_FALSE(urdu.check(BAAT)) << run;
        const std::vector<std::string> suggestions = urdu.suggest(BAAT);
        ASSERT_FALSE(suggestions.empty()) << run;
        EXPECT_EQ(suggestions.front(), BAT) << run;
        EXPECT_EQ(urdu.suggest(u"\u0628\u0627\u0627\u062A").front(), u"\u0628\u0627\u062A") << run;
        EXPECT_TRUE(urdu.suggest(BAT).empty()) << run;
        EXPECT_EQ(urdu.folder(), folder.path().string());
    }
    EXPECT_TRUE(fs::is_empty(elsewhere.path()));
    // Errors are one type, catchable as std::exception.
    try {
        zabrel::Dictionary missing(elsewhere.file("nothing"));
        ADD_FAILURE() << "a missing folder opened";
    } catch (const std::exception& ex) {
        EXPECT_NE(std::string(ex.what()).find("config.ini"), std::string::npos) << ex.what();
    }
    zabrel::Dictionary urdu(folder.path().string());
    EXPECT_THROW(urdu.check(std::string_view("\xC3\x28", 2)), zabrel::Error);
}

TEST(ZabrelLibrary, personal_and_session_words_are_accepted_and_the_personal_ones_kept) {
    TempDir folder;
    writeDictionary(folder.path().string(), sampleContents());
    const std::string list = folder.file("mine.txt");
    {
        zabrel::Dictionary urdu(folder.path().string());
        urdu.usePersonalList(list);
        urdu.addPersonal(BAAT);
        urdu.addSession(KAM + "\u06CC");
        EXPECT_TRUE(urdu.check(BAAT));
        EXPECT_TRUE(urdu.check(KAM + "\u06CC"));
        // A personal word close to a misspelling is offered after the engine's own.
        const std::vector<std::string> suggestions = urdu.suggest("\u0628\u0627\u0627\u062A\u0627");
        ASSERT_FALSE(suggestions.empty());
        EXPECT_EQ(suggestions.back(), BAAT);
    }
    zabrel::Dictionary again(folder.path().string());
    again.usePersonalList(list);
    EXPECT_TRUE(again.check(BAAT));
    EXPECT_FALSE(again.check(KAM + "\u06CC"));
    again.removePersonal(BAAT);
    zabrel::Dictionary third(folder.path().string());
    third.usePersonalList(list);
    EXPECT_FALSE(third.check(BAAT));
}

TEST(ZabrelLibrary, additions_go_to_the_default_list_and_a_moved_from_dictionary_raises) {
    TempDir folder;
    writeDictionary(folder.path().string(), sampleContents());
    const char* saved = std::getenv("XDG_DATA_HOME");
    const std::string previous = saved != nullptr ? saved : "";
    ::setenv("XDG_DATA_HOME", folder.file("data").c_str(), 1);
    zabrel::Dictionary urdu(folder.path().string());
    // No list chosen: the shared default one, as the header promises.
    urdu.addPersonal(" " + BAAT + "\r\n");
    EXPECT_THROW(urdu.addPersonal("  "), zabrel::Error);
    EXPECT_THROW(urdu.addPersonal("two words"), zabrel::Error);
    std::ifstream list(folder.file("data/zabrel/personal.txt"), std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(list), {}), BAAT + "\n");
    EXPECT_TRUE(urdu.warnings().empty());
    saved != nullptr ? ::setenv("XDG_DATA_HOME", previous.c_str(), 1) : ::unsetenv("XDG_DATA_HOME");

    zabrel::Dictionary taken(std::move(urdu));
    EXPECT_TRUE(taken.check(BAAT));
    EXPECT_THROW(urdu.check(BAT), zabrel::Error);  // NOLINT(bugprone-use-after-move): what a caller may do
    EXPECT_THROW(urdu.suggest(BAAT), zabrel::Error);
    EXPECT_THROW(urdu.addSession(BAT), zabrel::Error);
    EXPECT_THROW(urdu.setRanking(zabrel::Dictionary::Ranking::Accurate), zabrel::Error);
    EXPECT_THROW(urdu.folder(), zabrel::Error);
}

TEST(ZabrelLibrary, one_dictionary_answers_several_threads_as_it_answers_one) {
    TempDir folder;
    writeDictionary(folder.path().string(), sampleContents());
    const std::vector<std::string> words = {BAAT, "\u0628\u0627", "\u06A9\u0627\u0645\u0627",
                                            "\u0628\u0631\u0627\u062A", KAM};
    const std::string text = BAAT + " " + KAM + " \u0628\u0627\n\u0628\u0631\u0627\u062A";
    // The answers of a dictionary of its own; the shared one starts with nothing
    // remembered, so the threads race to work out and remember the same answers.
    const std::string added = "\u062C\u0627\u0645\u0632";
    std::vector<std::vector<std::string>> expected;
    std::size_t spans = 0;
    {
        zabrel::Dictionary alone(folder.path().string());
        for (const std::string& word : words)
            expected.push_back(alone.suggest(word));
        spans = alone.checkText(text).size();
        ASSERT_FALSE(alone.check(added));
    }
    ASSERT_EQ(spans, 3u);
    zabrel::Dictionary urdu(folder.path().string());
    std::vector<std::thread> threads;
    std::vector<int> mismatches(4, 0);
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            int& wrong = mismatches[static_cast<std::size_t>(t)];
            for (int round = 0; round < 50; ++round) {
                for (std::size_t i = 0; i < words.size(); ++i) {
                    const std::size_t k = (i + static_cast<std::size_t>(t)) % words.size();
                    wrong +=
                        urdu.check(words[k]) != expected[k].empty() || urdu.suggest(words[k]) != expected[k];
                }
                wrong += urdu.checkText(text).size() != spans;
                // A change waits for the checks under way, and the checks after it see it.
                if (t == 0 && round == 25)
                    urdu.addSession(added);
                if (t == 0 && round > 25)
                    wrong += !urdu.check(added);
            }
        });
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(mismatches, std::vector<int>(4, 0));
    EXPECT_TRUE(urdu.check(added));
}

TEST(ZabrelLibrary, the_accurate_ranking_is_the_default_and_offers_words_run_together) {
    TempDir folder;
    writeDictionary(folder.path().string(), sampleContents());
    zabrel::Dictionary urdu(folder.path().string());
    // No context model here: the accurate ranking alone, and nothing said about it.
    EXPECT_EQ(urdu.ranking(), zabrel::Dictionary::Ranking::Accurate);
    EXPECT_TRUE(urdu.warnings().empty());
    const std::string joined = BAT + KAM;
    const std::vector<std::string> accurate = urdu.suggest(joined);
    EXPECT_NE(std::find(accurate.begin(), accurate.end(), BAT + " " + KAM), accurate.end());
    urdu.setRanking(zabrel::Dictionary::Ranking::Exact);
    EXPECT_EQ(urdu.ranking(), zabrel::Dictionary::Ranking::Exact);
    const std::vector<std::string> exact = urdu.suggest(joined);
    EXPECT_EQ(std::find(exact.begin(), exact.end(), BAT + " " + KAM), exact.end());
    urdu.setRanking(zabrel::Dictionary::Ranking::Accurate);
    EXPECT_EQ(urdu.suggest(joined), accurate);
    // A bad cost table in the folder is the caller's error, not a crash: asked for by
    // name it raises; by default the exact ranking answers and a warning says why.
    std::ofstream(folder.file("costs.txt")) << "one two\n";
    zabrel::Dictionary other(folder.path().string());
    EXPECT_EQ(other.ranking(), zabrel::Dictionary::Ranking::Exact);
    EXPECT_EQ(other.suggest(joined), exact);
    const std::vector<std::string> warnings = other.warnings();
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_TRUE(warnings[0].starts_with("the accurate ranking's cost table could not be read: "))
        << warnings[0];
    EXPECT_TRUE(warnings[0].ends_with("; the exact ranking is used")) << warnings[0];
    EXPECT_THROW(other.setRanking(zabrel::Dictionary::Ranking::Accurate), zabrel::Error);
}

TEST(ZabrelLibrary, check_text_gives_byte_spans_and_the_context_reorders_them) {
    TempDir folder;
    writeDictionary(folder.path().string(), sampleContents());
    // Latin and a two-byte ، around the words: offsets count UTF-8 bytes.
    const std::string text = "Latin " + KAM + " " + BAAT + "\u060C " + BAAT + " 😀 " + BAT;
    std::vector<std::string> accurate;
    {
        zabrel::Dictionary urdu(folder.path().string());
        urdu.setRanking(zabrel::Dictionary::Ranking::Accurate);
        const std::vector<zabrel::Dictionary::Misspelling> found = urdu.checkText(text);
        ASSERT_EQ(found.size(), 2u);
        EXPECT_EQ(found[0].offset, 6 + KAM.size() + 1);
        EXPECT_EQ(found[1].offset, 6 + KAM.size() + 1 + BAAT.size() + 3);
        EXPECT_EQ(text.substr(found[0].offset, found[0].length), BAAT);
        EXPECT_EQ(text.substr(found[1].offset, found[1].length), BAAT);
        EXPECT_EQ(found[0].suggestions, urdu.suggest(BAAT));
        accurate = found[0].suggestions;
        ASSERT_GE(accurate.size(), 2u);
        EXPECT_TRUE(urdu.checkText(BAT + " 😀").empty());
        EXPECT_THROW(urdu.setRanking(zabrel::Dictionary::Ranking::Context), zabrel::Error);  // no model
    }
    // The model says the second suggestion follows کام.
    std::u16string wide;
    {
        zabrel::Dictionary urdu(folder.path().string());
        urdu.setRanking(zabrel::Dictionary::Ranking::Accurate);
        wide = urdu.suggest(u"\u0628\u0627\u0627\u062A")[1];
    }
    writeContextModel(folder.path().string(), {{u"\u06A9\u0627\u0645", wide}});
    zabrel::Dictionary urdu(folder.path().string());
    urdu.setRanking(zabrel::Dictionary::Ranking::Context);
    const std::vector<zabrel::Dictionary::Misspelling> found = urdu.checkText(text);
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].suggestions.front(), accurate[1]);
    EXPECT_EQ(found[1].suggestions, accurate);  // after ، and no pair: as before
    // A word alone has no neighbours: check and suggest answer as the accurate ranking.
    EXPECT_EQ(urdu.suggest(BAAT), accurate);
    // A folder with a model opens with the context.
    zabrel::Dictionary byDefault(folder.path().string());
    EXPECT_EQ(byDefault.ranking(), zabrel::Dictionary::Ranking::Context);
    EXPECT_EQ(byDefault.checkText(text).at(0).suggestions, found[0].suggestions);
}

TEST(ZabrelLibrary, check_text_one_misspelling_at_a_time_stops_when_asked_and_keeps_the_callers_errors) {
    TempDir folder;
    writeDictionary(folder.path().string(), sampleContents());
    zabrel::Dictionary urdu(folder.path().string());
    // A character outside the BMP before the words: offsets still count UTF-8 bytes.
    const std::string text = "😀 " + BAAT + " " + BAT + " " + BAAT + "\n" + BAAT;
    const std::vector<zabrel::Dictionary::Misspelling> whole = urdu.checkText(text);
    ASSERT_EQ(whole.size(), 3u);
    EXPECT_EQ(whole[0].offset, 5u);
    std::vector<zabrel::Dictionary::Misspelling> streamed;
    urdu.checkText(text, [&](zabrel::Dictionary::Misspelling& found) {
        streamed.push_back(std::move(found));
        return streamed.size() < 2;
    });
    ASSERT_EQ(streamed.size(), 2u);
    for (std::size_t k = 0; k < streamed.size(); ++k) {
        EXPECT_EQ(streamed[k].offset, whole[k].offset);
        EXPECT_EQ(streamed[k].length, whole[k].length);
        EXPECT_EQ(streamed[k].suggestions, whole[k].suggestions);
    }
    // The caller's own exception comes out as it was; the callback may check and
    // suggest with the dictionary, but a change from it is refused instead of waiting
    // for the walk; afterwards the dictionary answers.
    EXPECT_THROW(urdu.checkText(text, [](zabrel::Dictionary::Misspelling&) -> bool { throw 7; }), int);
    std::size_t inside = 0;
    urdu.checkText(text, [&](zabrel::Dictionary::Misspelling& found) {
        EXPECT_EQ(urdu.suggest(BAAT), found.suggestions);
        return urdu.check(BAT) && ++inside < 2;
    });
    EXPECT_EQ(inside, 2u);
    try {
        urdu.checkText(text, [&](zabrel::Dictionary::Misspelling&) {
            urdu.addSession(BAAT);
            return true;
        });
        ADD_FAILURE() << "a change from the callback went through";
    } catch (const zabrel::Error& ex) {
        EXPECT_EQ(std::string(ex.what()), "zabrel: a checkText callback called its own Dictionary");
    }
    EXPECT_TRUE(urdu.check(BAT));
    EXPECT_FALSE(urdu.check(BAAT));
    EXPECT_EQ(urdu.checkText(text).size(), 3u);
}
