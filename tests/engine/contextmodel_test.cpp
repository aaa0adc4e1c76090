// SPDX-License-Identifier: MIT
#include "engine/contextmodel.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "core/errors.h"
#include "support/dictionary.h"
#include "support/testsupport.h"

namespace zabrel::test {
namespace {

using Pairs = std::vector<ContextModel::Pair>;

const Pairs PAIRS = {{u"بڑے", u"شہر"}, {u"سخت", u"ہزار"}, {u"بڑا", u"شہر"}};

TEST(ContextModel, reads_the_pairs_by_place_and_finds_near_words) {
    TempDir dir;
    writeFile(dir.file("context.bin"), contextModelBytes(PAIRS));
    ContextModel model;
    model.load(dir.file("context.bin"));
    EXPECT_EQ(model.pairCount(), 3u);
    EXPECT_EQ(model.rank(u"بڑے", u"شہر"), 1u);
    EXPECT_EQ(model.rank(u"بڑا", u"شہر"), 3u);
    EXPECT_EQ(model.rank(u"شہر", u"بڑے"), 0u);  // a pair has an order
    EXPECT_EQ(model.rank(u"کتاب", u"شہر"), 0u);
    EXPECT_TRUE(model.knows(u"ہزار"));
    EXPECT_FALSE(model.knows(u"ہزا"));

    // One letter changed (بڑے بڑا), added (بڑےے) or dropped (بڑ); never the word itself.
    std::vector<std::u16string> near;
    model.nearWords(u"بڑی", near);
    std::sort(near.begin(), near.end());
    EXPECT_EQ(near, (std::vector<std::u16string>{u"بڑا", u"بڑے"}));
    model.nearWords(u"بڑےے", near);
    EXPECT_EQ(near, std::vector<std::u16string>{u"بڑے"});
    model.nearWords(u"سخ", near);
    EXPECT_EQ(near, std::vector<std::u16string>{u"سخت"});
    model.nearWords(u"بڑے", near);
    EXPECT_EQ(near, std::vector<std::u16string>{u"بڑا"});
}

TEST(ContextModel, a_damaged_file_is_refused_with_its_reason) {
    TempDir dir;
    const std::string good = contextModelBytes(PAIRS);
    const std::vector<std::pair<std::string, std::string>> damaged = {
        {"XBLM" + good.substr(4), "no ZBLM mark"},
        {good.substr(0, good.size() - 2), "pairs do not match their count"},
        {good.substr(0, 14), "cut short"},
        // The first pair names word 0xFFFF of three.
        {good.substr(0, good.size() - 12) + "\xFF\xFF" + good.substr(good.size() - 10),
         "a pair names no word"},
    };
    for (const auto& [bytes, reason] : damaged) {
        writeFile(dir.file("context.bin"), bytes);
        ContextModel model;
        try {
            model.load(dir.file("context.bin"));
            ADD_FAILURE() << reason;
        } catch (const IOException& ex) {
            EXPECT_EQ(ex.getMessage(),
                      "Context model file is damaged (" + reason + "): " + dir.file("context.bin") + ".");
        }
    }
    ContextModel model;
    EXPECT_THROW(model.load(dir.file("missing.bin")), IOException);
    // A FIFO named as the model is refused, not waited on.
    ASSERT_EQ(::mkfifo(dir.file("fifo.bin").c_str(), 0600), 0);
    EXPECT_THROW(model.load(dir.file("fifo.bin")), IOException);
}

TEST(ContextModel, a_failed_load_keeps_the_model_it_had_and_fails_alike_every_time) {
    TempDir dir;
    // The last pair names word 5 of five; a pair given twice keeps its first place.
    const Pairs pairs = {{u"بڑے", u"شہر"}, {u"سخت", u"ہزار"}, {u"بڑے", u"شہر"}, {u"بڑا", u"شہر"}};
    std::string bad = contextModelBytes(pairs);
    bad[bad.size() - 4] = '\x05';
    writeFile(dir.file("bad.bin"), bad);
    writeFile(dir.file("good.bin"), contextModelBytes(pairs));
    const std::string expected =
        "Context model file is damaged (a pair names no word): " + dir.file("bad.bin") + ".";
    ContextModel model;
    for (int attempt = 0; attempt < 2; ++attempt) {
        EXPECT_EQ(raised<IOException>([&] { model.load(dir.file("bad.bin")); }).getMessage(), expected);
        EXPECT_TRUE(model.empty());
        EXPECT_FALSE(model.knows(u"بڑے"));
    }
    model.load(dir.file("good.bin"));
    EXPECT_EQ(raised<IOException>([&] { model.load(dir.file("bad.bin")); }).getMessage(), expected);
    EXPECT_EQ(model.pairCount(), 4u);
    EXPECT_EQ(model.rank(u"بڑے", u"شہر"), 1u);
    EXPECT_EQ(model.rank(u"بڑا", u"شہر"), 4u);

    // The file is mapped: one put in its place by rename leaves the loaded model whole.
    writeFile(dir.file("other.bin"), contextModelBytes({{u"کتاب", u"گھر"}}));
    std::filesystem::rename(dir.file("other.bin"), dir.file("good.bin"));
    EXPECT_EQ(model.rank(u"سخت", u"ہزار"), 2u);
    EXPECT_EQ(model.rank(u"کتاب", u"گھر"), 0u);
}

TEST(ContextModel, a_long_word_costs_lookups_in_proportion_to_its_length) {
    ContextModel model;
    model.assign(PAIRS);
    // Near words of a word past the model's longest by far: none, at no cost that
    // grows with its square.
    const auto work = [&](std::size_t letters) {
        const std::size_t before = model.lookedUpUnits();
        std::vector<std::u16string> near;
        std::u16string word = u"بڑے";
        word.append(letters, u'ے');
        model.nearWords(word, near);
        EXPECT_TRUE(near.empty());
        EXPECT_EQ(model.rank(word, u"شہر"), 0u);
        return model.lookedUpUnits() - before;
    };
    EXPECT_LE(work(4000), 2 * work(2000) + 16);
    EXPECT_EQ(model.longestWord(), 4u);
}

TEST(ContextRanking, neighbours_the_model_knows_reorder_and_others_leave_the_order) {
    ContextModel model;
    model.assign(PAIRS);
    ContextRanking ranking(model);
    const auto frequency = [](const std::u16string&) { return 100; };
    const std::vector<std::u16string> accurate = {u"بازار", u"ہزار", u"بزر"};
    int scoredWords = 0;
    const auto score = [&](const std::u16string& word) {
        ++scoredWords;
        return word == u"بازار" ? 1.0f : word == u"ہزار" ? 1.2f : 1.5f;
    };

    // Neighbours the model has no pair for: nothing is scored, nothing moves.
    std::vector<std::u16string> words = accurate;
    EXPECT_FALSE(ranking.rerank(u"کتاب", u"", words, score, frequency));
    EXPECT_EQ(words, accurate);
    EXPECT_EQ(scoredWords, 0);

    EXPECT_TRUE(ranking.rerank(u"سخت", u"", words, score, frequency));
    EXPECT_EQ(words, (std::vector<std::u16string>{u"ہزار", u"بازار", u"بزر"}));
    EXPECT_EQ(scoredWords, 3);
    // ln(1 + e^(A − ln 2 − 2 ln 100)) for the pair in second place.
    const float expected =
        std::log1p(std::exp(ContextRanking::ASSOCIATION - std::log(2.0f) - 2 * std::log(100.0f)));
    EXPECT_NEAR(ranking.association(u"سخت", u"ہزار", frequency), expected, 1e-4);
    EXPECT_GT(ContextRanking::WEIGHT * expected, 0.2f);  // enough to pass بازار

    // Two words offered for one are weighed at both ends and between.
    EXPECT_NEAR(ranking.fit(u"سخت", u"ہزار بڑے", u"شہر", frequency),
                expected + ranking.association(u"بڑے", u"شہر", frequency), 1e-4);
    // A weight of zero is the accurate order.
    ranking.setWeights(0.0f, ContextRanking::ASSOCIATION);
    words = accurate;
    ranking.rerank(u"سخت", u"", words, score, frequency);
    EXPECT_EQ(words, accurate);
}

}  // namespace
}  // namespace zabrel::test
