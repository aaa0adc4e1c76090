// SPDX-License-Identifier: MIT
// The C API where it differs from the C++ facade it wraps: who frees what, failures
// as return values with a message per dictionary, NULL and bad arguments.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "lib/sample.h"
#include "support/dictionary.h"
#include "support/testsupport.h"
#include "zabrel/zabrel.h"
#include "zabrel/zabrel_c.h"

extern "C" int c_client_first_suggestion(const char* folder, const char* word, char* first, size_t size);

using namespace zabrel::test;

namespace {

int check(zabrel_dictionary* urdu, const std::string& word) {
    return zabrel_check(urdu, word.data(), word.size());
}

// Takes the list, checks its length against the count given with it, and frees it.
std::vector<std::string> taken(char** list, const size_t* count = nullptr) {
    std::vector<std::string> items;
    if (list == nullptr)
        return items;
    for (char** item = list; *item != nullptr; ++item)
        items.emplace_back(*item);
    if (count != nullptr) {
        EXPECT_EQ(items.size(), *count);
    }
    zabrel_list_free(list);
    return items;
}

std::vector<std::string> suggest(zabrel_dictionary* urdu, const std::string& word) {
    size_t count = 99;
    char** list = zabrel_suggest(urdu, word.data(), word.size(), &count);
    EXPECT_NE(list, nullptr) << zabrel_error(urdu);
    return taken(list, &count);
}

struct Closer {
    void operator()(zabrel_dictionary* urdu) const { zabrel_close(urdu); }
};
using Handle = std::unique_ptr<zabrel_dictionary, Closer>;

}  // namespace

TEST(ZabrelC, answers_as_the_facade_with_lists_the_caller_frees) {
    TempDir folder;
    writeDictionary(folder.path().string(), sampleContents());
    char* error = reinterpret_cast<char*>(1);
    Handle urdu(zabrel_open(folder.path().string().c_str(), &error));
    ASSERT_NE(urdu, nullptr);
    EXPECT_EQ(error, nullptr);
    EXPECT_EQ(std::string(zabrel_folder(urdu.get())), folder.path().string());
    EXPECT_EQ(std::string(zabrel_version()), zabrel::Dictionary::version());

    zabrel::Dictionary reference(folder.path().string());
    EXPECT_EQ(check(urdu.get(), BAT), 1);
    EXPECT_EQ(check(urdu.get(), BAAT), 0);
    EXPECT_EQ(check(urdu.get(), ""), 1);
    // The length decides, not a terminating NUL.
    const std::string padded = BAT + "\u0627\u0627";
    EXPECT_EQ(zabrel_check(urdu.get(), padded.data(), BAT.size()), 1);
    for (const std::string& word : {BAAT, BAT + KAM, std::string("\u0628\u0627")})
        EXPECT_EQ(suggest(urdu.get(), word), reference.suggest(word)) << word;
    // A correct word: an empty list, not NULL, which is kept for errors.
    size_t count = 99;
    char** none = zabrel_suggest(urdu.get(), BAT.data(), BAT.size(), &count);
    ASSERT_NE(none, nullptr);
    EXPECT_EQ(none[0], nullptr);
    EXPECT_EQ(count, 0U);
    zabrel_list_free(none);
    // Without a count the list still ends in NULL.
    EXPECT_EQ(taken(zabrel_suggest(urdu.get(), BAAT.data(), BAAT.size(), nullptr)), reference.suggest(BAAT));

    ASSERT_EQ(zabrel_set_ranking(urdu.get(), ZABREL_RANKING_ACCURATE), 0);
    reference.setRanking(zabrel::Dictionary::Ranking::Accurate);
    EXPECT_EQ(suggest(urdu.get(), BAT + KAM), reference.suggest(BAT + KAM));

    // A text's misspelt words at their byte offsets, as the facade gives them; none is
    // an empty array, not NULL.
    const std::string text = "x " + BAAT + "\u060C " + BAT + " " + BAAT;
    size_t found = 0;
    zabrel_misspelling* spans = zabrel_check_text(urdu.get(), text.data(), text.size(), &found);
    const std::vector<zabrel::Dictionary::Misspelling> expected = reference.checkText(text);
    ASSERT_NE(spans, nullptr);
    ASSERT_EQ(found, expected.size());
    ASSERT_EQ(found, 2U);
    for (size_t k = 0; k < found; ++k) {
        EXPECT_EQ(spans[k].offset, expected[k].offset);
        EXPECT_EQ(spans[k].length, expected[k].length);
        EXPECT_EQ(std::vector<std::string>(spans[k].suggestions, spans[k].suggestions + spans[k].count),
                  expected[k].suggestions);
    }
    zabrel_misspellings_free(spans, found);
    spans = zabrel_check_text(urdu.get(), BAT.data(), BAT.size(), &found);
    ASSERT_NE(spans, nullptr);
    EXPECT_EQ(found, 0U);
    zabrel_misspellings_free(spans, found);
    // One at a time: the same misspellings, the walk stopped by a callback that
    // returns non-zero; a callback may check with the dictionary, and gets -1 when it
    // would change it.
    struct Seen {
        zabrel_dictionary* urdu;
        std::vector<std::pair<size_t, std::vector<std::string>>> spans;
        int stopAfter;
        int inner = 0;
        int change = 0;
    } seen{urdu.get(), {}, 3};
    const auto collect = [](const zabrel_misspelling* misspelling, void* context) {
        Seen& into = *static_cast<Seen*>(context);
        into.spans.emplace_back(misspelling->offset,
                                std::vector<std::string>(misspelling->suggestions,
                                                         misspelling->suggestions + misspelling->count));
        EXPECT_EQ(misspelling->suggestions[misspelling->count], nullptr);
        into.inner = zabrel_check(into.urdu, "x", 1);
        into.change = zabrel_add_session(into.urdu, "x", 1);
        return static_cast<int>(into.spans.size()) >= into.stopAfter ? 1 : 0;
    };
    EXPECT_EQ(zabrel_check_text_each(urdu.get(), text.data(), text.size(), collect, &seen), 0);
    ASSERT_EQ(seen.spans.size(), 2U);
    EXPECT_EQ(seen.inner, 1);
    EXPECT_EQ(seen.change, -1);
    EXPECT_EQ(std::string(zabrel_error(urdu.get())),
              "zabrel: a checkText callback called its own Dictionary");
    for (size_t k = 0; k < 2; ++k) {
        EXPECT_EQ(seen.spans[k].first, expected[k].offset);
        EXPECT_EQ(seen.spans[k].second, expected[k].suggestions);
    }
    seen.spans.clear();
    seen.stopAfter = 1;
    EXPECT_EQ(zabrel_check_text_each(urdu.get(), text.data(), text.size(), collect, &seen), 1);
    EXPECT_EQ(seen.spans.size(), 1U);
    EXPECT_EQ(zabrel_check_text_each(urdu.get(), text.data(), text.size(), nullptr, nullptr), -1);
    EXPECT_EQ(std::string(zabrel_error(urdu.get())), "zabrel: no callback given");
    EXPECT_EQ(zabrel_check_text_each(urdu.get(), nullptr, 0, collect, &seen), -1);

    // This dictionary has no context model: the context ranking is refused, with why.
    EXPECT_EQ(zabrel_set_ranking(urdu.get(), ZABREL_RANKING_CONTEXT), -1);
    EXPECT_NE(std::string(zabrel_error(urdu.get())), "");
    EXPECT_EQ(zabrel_check_text(urdu.get(), nullptr, 0, &found), nullptr);
    // A damaged model fails the same way every time, and leaves the ranking as it was.
    std::string model = contextModelBytes({{u"\u0628\u0627\u062A", u"\u06A9\u0627\u0645"}});
    model[model.size() - 4] = '\x09';  // the last pair's second word
    writeContextModel(folder.path().string(), {});
    writeFile(folder.file("context.bin"), model);
    Handle damaged(zabrel_open(folder.path().string().c_str(), nullptr));
    ASSERT_NE(damaged, nullptr);
    // Opened by default, it answers in the accurate ranking alone.
    const std::vector<std::string> before = suggest(damaged.get(), BAT + KAM);
    EXPECT_EQ(zabrel_set_ranking(damaged.get(), ZABREL_RANKING_CONTEXT), -1);
    const std::string why = zabrel_error(damaged.get());
    EXPECT_NE(why.find("a pair names no word"), std::string::npos) << why;
    EXPECT_EQ(zabrel_set_ranking(damaged.get(), ZABREL_RANKING_CONTEXT), -1);
    EXPECT_EQ(std::string(zabrel_error(damaged.get())), why);
    EXPECT_EQ(suggest(damaged.get(), BAT + KAM), before);

    // The header is C: a C program opens, suggests and frees.
    char first[64] = "";
    EXPECT_EQ(c_client_first_suggestion(folder.path().string().c_str(), BAAT.c_str(), first, sizeof first),
              0);
    EXPECT_EQ(std::string(first), BAT);
    EXPECT_EQ(c_client_first_suggestion(folder.file("nothing").c_str(), BAAT.c_str(), first, sizeof first),
              -1);
    EXPECT_EQ(std::string(first).rfind("open: zabrel: ", 0), 0U) << first;
}

TEST(ZabrelC, failures_are_return_values_with_a_message_and_nothing_escapes) {
    TempDir folder;
    writeDictionary(folder.path().string(), sampleContents());
    // A failed open has its own message, which the caller frees; or none, if unasked.
    char* error = nullptr;
    EXPECT_EQ(zabrel_open(folder.file("nothing").c_str(), &error), nullptr);
    ASSERT_NE(error, nullptr);
    EXPECT_NE(std::string(error).find("config.ini"), std::string::npos) << error;
    zabrel_string_free(error);
    EXPECT_EQ(zabrel_open(folder.file("nothing").c_str(), nullptr), nullptr);
    EXPECT_EQ(zabrel_open(nullptr, &error), nullptr);
    EXPECT_EQ(std::string(error), "zabrel: no dictionary folder given");
    zabrel_string_free(error);

    Handle urdu(zabrel_open(folder.path().string().c_str(), nullptr));
    ASSERT_NE(urdu, nullptr);
    EXPECT_EQ(std::string(zabrel_error(urdu.get())), "");
    EXPECT_EQ(zabrel_check(urdu.get(), "\xD8\xA8\xC3\x28", 4), -1);
    EXPECT_EQ(std::string(zabrel_error(urdu.get())), "zabrel: invalid UTF-8 at byte 2");
    // The message lasts until the next call on the dictionary, which clears it.
    EXPECT_EQ(std::string(zabrel_error(urdu.get())), "zabrel: invalid UTF-8 at byte 2");
    EXPECT_EQ(check(urdu.get(), BAT), 1);
    EXPECT_EQ(std::string(zabrel_error(urdu.get())), "");

    size_t count = 99;
    EXPECT_EQ(zabrel_suggest(urdu.get(), "\xFF", 1, &count), nullptr);
    EXPECT_EQ(count, 0U);
    EXPECT_EQ(zabrel_check(urdu.get(), nullptr, 0), -1);
    EXPECT_EQ(std::string(zabrel_error(urdu.get())), "zabrel: no word given");
    EXPECT_EQ(zabrel_add_session(urdu.get(), nullptr, 3), -1);
    EXPECT_EQ(zabrel_set_ranking(urdu.get(), 7), -1);
    EXPECT_EQ(std::string(zabrel_error(urdu.get())), "zabrel: no ranking numbered 7");
    const std::string two = BAT + " " + KAM;
    EXPECT_EQ(zabrel_add_personal(urdu.get(), two.data(), two.size()), -1);
    EXPECT_EQ(std::string(zabrel_error(urdu.get())).rfind("zabrel: ", 0), 0U) << zabrel_error(urdu.get());
    EXPECT_EQ(zabrel_use_personal_list(urdu.get(), folder.path().string().c_str()), -1);  // a folder
    // A word with a NUL inside arrives whole in the message, the NUL shown as a picture
    // of one (a C string would end at it).
    const std::string withNul = BAT + std::string(1, '\0') + KAM;
    EXPECT_EQ(zabrel_add_personal(urdu.get(), withNul.data(), withNul.size()), -1);
    EXPECT_EQ(std::string(zabrel_error(urdu.get())),
              "zabrel: \"" + BAT + "\xE2\x90\x80" + KAM +
                  "\" cannot be a personal word (empty, or with a blank, a line break or a NUL inside)");

    // A bad cost table: the facade's Error, here a message.
    std::ofstream(folder.file("costs.txt")) << "one two\n";
    Handle other(zabrel_open(folder.path().string().c_str(), nullptr));
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(zabrel_set_ranking(other.get(), ZABREL_RANKING_ACCURATE), -1);
    EXPECT_NE(std::string(zabrel_error(other.get())), "");
    EXPECT_EQ(std::string(zabrel_error(urdu.get())).rfind("zabrel: ", 0), 0U);  // each its own

    // A NULL dictionary is an error too, never a crash.
    EXPECT_EQ(zabrel_check(nullptr, BAT.data(), BAT.size()), -1);
    EXPECT_EQ(zabrel_suggest(nullptr, BAT.data(), BAT.size(), &count), nullptr);
    EXPECT_EQ(zabrel_add_personal(nullptr, BAT.data(), BAT.size()), -1);
    EXPECT_EQ(zabrel_remove_personal(nullptr, BAT.data(), BAT.size()), -1);
    EXPECT_EQ(zabrel_use_personal_list(nullptr, nullptr), -1);
    EXPECT_EQ(zabrel_set_ranking(nullptr, ZABREL_RANKING_EXACT), -1);
    EXPECT_EQ(zabrel_warnings(nullptr, &count), nullptr);
    EXPECT_EQ(zabrel_folder(nullptr), nullptr);
    EXPECT_EQ(std::string(zabrel_error(nullptr)), "zabrel: no dictionary given");
    zabrel_close(nullptr);
    zabrel_list_free(nullptr);
    zabrel_string_free(nullptr);
}

TEST(ZabrelC, personal_and_session_words_and_the_warnings_of_a_bad_list) {
    TempDir folder;
    writeDictionary(folder.path().string(), sampleContents());
    const std::string list = folder.file("mine.txt");
    // A list with a line that is not UTF-8: skipped, and said once in the warnings.
    std::ofstream(list, std::ios::binary) << KAM << "\u06CC\n\xFF\xFE\n";
    {
        Handle urdu(zabrel_open(folder.path().string().c_str(), nullptr));
        ASSERT_EQ(zabrel_use_personal_list(urdu.get(), list.c_str()), 0);
        EXPECT_EQ(check(urdu.get(), KAM + "\u06CC"), 1);
        size_t count = 99;
        char** listed = zabrel_warnings(urdu.get(), &count);
        const std::vector<std::string> warnings = taken(listed, &count);
        ASSERT_EQ(warnings.size(), 1U);
        EXPECT_NE(warnings[0].find("mine.txt"), std::string::npos) << warnings[0];
        listed = zabrel_warnings(urdu.get(), &count);
        EXPECT_NE(listed, nullptr);
        EXPECT_TRUE(taken(listed, &count).empty());

        ASSERT_EQ(zabrel_add_personal(urdu.get(), BAAT.data(), BAAT.size()), 0);
        const std::string session = BAT + "\u0648";
        ASSERT_EQ(zabrel_add_session(urdu.get(), session.data(), session.size()), 0);
        EXPECT_EQ(check(urdu.get(), BAAT), 1);
        EXPECT_EQ(check(urdu.get(), session), 1);
        ASSERT_EQ(zabrel_remove_personal(urdu.get(), BAAT.data(), BAAT.size()), 0);
        EXPECT_EQ(check(urdu.get(), BAAT), 0);
        ASSERT_EQ(zabrel_add_personal(urdu.get(), BAAT.data(), BAAT.size()), 0);
    }
    Handle again(zabrel_open(folder.path().string().c_str(), nullptr));
    ASSERT_EQ(zabrel_use_personal_list(again.get(), list.c_str()), 0);
    EXPECT_EQ(check(again.get(), BAAT), 1);
    EXPECT_EQ(check(again.get(), BAT + "\u0648"), 0);  // the session's word is gone
}
