// SPDX-License-Identifier: MIT
#include "engine/contextmodel.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "core/errors.h"
#include "support/dictionary.h"
#include "support/testsupport.h"

namespace zabrel::test {
namespace {

using Pairs = std::vector<ContextModel::Pair>;

const Pairs PAIRS = {{u"بڑے", u"شہر"}, {u"سخت", u"ہزار"}, {u"بڑا", u"شہر"}};

// ln p as the file keeps it: −ln p in steps of 1/8.
float kept(double p) {
    return static_cast<float>(-std::round(-std::log(p) * 8) / 8);
}

// گئی ہے far commoner than گئی ہیں, and کی گئی ہے a triple: 300 words of text.
ContextModel::Counts agreement() {
    ContextModel::Counts counts;
    counts.words = {{u"گئی", 25}, {u"ہے", 100}, {u"ہیں", 40}, {u"کی", 50}};
    counts.pairs = {{{u"گئی", u"ہے"}, 15}, {{u"گئی", u"ہیں"}, 4}, {{u"کی", u"گئی"}, 10}};
    counts.triples = {{{u"کی", u"گئی", u"ہے"}, 8}};
    counts.tokens = 300;
    return counts;
}

TEST(ContextModel, answers_smoothed_log_probabilities_and_finds_near_words) {
    TempDir dir;
    writeFile(dir.file("context.bin"), ContextModel::encode(agreement()));
    ContextModel model;
    model.load(dir.file("context.bin"));
    EXPECT_EQ(model.pairCount(), 3u);
    EXPECT_EQ(model.tripleCount(), 1u);
    // Alone: (count + 1) / (tokens + words); a word outside the model as if never seen.
    const double total = 304;
    EXPECT_EQ(model.logProbability(u"ہے"), kept(101 / total));
    EXPECT_EQ(model.logProbability(u"کتاب"), kept(1 / total));
    // After گئی (seen 25 times, 19 of them before the two words the model kept): the
    // discounted pair, and what the rest leaves to the word alone.
    const double d = 0.8;
    const double afterGaii = 1 - ((15 - d) + (4 - d)) / 25;
    const double hai = (15 - d) / 25 + afterGaii * 101 / total;
    EXPECT_EQ(model.logProbability(u"ہے", {}, u"گئی"), kept(hai));
    EXPECT_EQ(model.logProbability(u"ہے", u"کتاب", u"گئی"), kept(hai));  // an unknown word backs off freely
    EXPECT_GT(model.logProbability(u"ہے", {}, u"گئی"), model.logProbability(u"ہیں", {}, u"گئی") + 1);
    // A pair it never saw backs off: the back-off after گئی, then the word alone.
    EXPECT_EQ(model.logProbability(u"کی", {}, u"گئی"), kept(afterGaii) + kept(51 / total));
    // The triple over its pair's count, and an unseen third word backing off to the pair.
    const double afterKiGaii = 1 - (8 - d) / 10;
    EXPECT_EQ(model.logProbability(u"ہے", u"کی", u"گئی"), kept((8 - d) / 10 + afterKiGaii * hai));
    EXPECT_EQ(model.logProbability(u"ہیں", u"کی", u"گئی"),
              kept(afterKiGaii) + model.logProbability(u"ہیں", {}, u"گئی"));
    EXPECT_TRUE(model.hasPair(model.numberOf(u"گئی"), model.numberOf(u"ہیں")));
    EXPECT_FALSE(model.hasPair(model.numberOf(u"ہیں"), model.numberOf(u"گئی")));  // a pair has an order
    EXPECT_FALSE(model.hasPair(ContextModel::NONE, model.numberOf(u"گئی")));

    // One letter changed (ہے ہیں are two apart), added or dropped; never the word itself.
    model.assign(PAIRS);
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

TEST(ContextModel, a_damaged_or_old_file_is_refused_with_its_reason) {
    TempDir dir;
    const std::string good = ContextModel::encode(agreement());
    // Four words of 2 or 3 letters (3 + 2 · letters bytes each), then 3 pairs of 6
    // bytes and 1 triple of 7.
    const std::size_t pairsAt = good.size() - 3 * 6 - 7;
    const std::size_t tripleAt = good.size() - 7;
    std::string swapped = good;
    std::swap_ranges(swapped.begin() + static_cast<std::ptrdiff_t>(pairsAt),
                     swapped.begin() + static_cast<std::ptrdiff_t>(pairsAt + 6),
                     swapped.begin() + static_cast<std::ptrdiff_t>(pairsAt + 6));
    const std::vector<std::pair<std::string, std::string>> damaged = {
        {"ZBLM" + good.substr(4), "a model of an older kind: rebuild it with tools/make-dictionary"},
        {"XBLC" + good.substr(4), "no ZBLC mark"},
        {good.substr(0, 4) + std::string("\3\0\0\0", 4) + good.substr(8), "version 3, not 2"},
        {good.substr(0, 10), "cut short"},
        {good.substr(0, 30), "cut short"},
        {good.substr(0, 21) + "\1" + good.substr(22), "impossible counts"},
        {good.substr(0, 12) + std::string("\xFF\xFF\xFF\x0F", 4) + good.substr(16), "impossible counts"},
        {good.substr(0, good.size() - 1), "n-grams do not match their counts"},
        {good + std::string(1, '\0'), "n-grams do not match their counts"},
        {swapped, "pairs not in order"},
        {good.substr(0, pairsAt) + std::string("\x09\x00", 2) + good.substr(pairsAt + 2),
         "a pair names no word"},
        {good.substr(0, tripleAt + 4) + std::string("\x09\x00", 2) + good.substr(tripleAt + 6),
         "a triple names no word"},
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
    // The last pair names word 9 of five; a pair given twice keeps its first place.
    const Pairs pairs = {{u"بڑے", u"شہر"}, {u"سخت", u"ہزار"}, {u"بڑے", u"شہر"}, {u"بڑا", u"شہر"}};
    std::string bad = contextModelBytes(pairs);
    bad[bad.size() - 4] = '\x09';
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
    EXPECT_EQ(model.pairCount(), 3u);
    const float big = model.logProbability(u"ہزار", {}, u"سخت");
    EXPECT_GT(big, model.logProbability(u"ہزار") + 1);

    // The file is mapped: one put in its place by rename leaves the loaded model whole.
    writeFile(dir.file("other.bin"), contextModelBytes({{u"کتاب", u"گھر"}}));
    std::filesystem::rename(dir.file("other.bin"), dir.file("good.bin"));
    EXPECT_EQ(model.logProbability(u"ہزار", {}, u"سخت"), big);
    EXPECT_FALSE(model.knows(u"کتاب"));
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
        EXPECT_EQ(model.numberOf(word), ContextModel::NONE);
        return model.lookedUpUnits() - before;
    };
    EXPECT_LE(work(4000), 2 * work(2000) + 16);
    EXPECT_EQ(model.longestWord(), 4u);
}

TEST(ContextRanking, both_sides_reorder_and_a_silent_context_leaves_the_order) {
    ContextModel model;
    model.assign(agreement());
    ContextRanking ranking(model);
    // Two suggestions the letters rank ہیں first by a little.
    const std::vector<std::u16string> accurate = {u"ہیں", u"ہے"};
    int scoredWords = 0;
    const auto score = [&](const std::u16string& word) {
        ++scoredWords;
        return word == u"ہیں" ? 1.0f : 1.1f;
    };
    // No neighbours: nothing is scored, nothing moves.
    std::vector<std::u16string> words = accurate;
    EXPECT_FALSE(ranking.rerank({}, words, score));
    EXPECT_EQ(words, accurate);
    EXPECT_EQ(scoredWords, 0);

    // After کی گئی the triple wants ہے: the gain is ln P(ہے | کی گئی) − ln P(ہے).
    const Neighbours after{u"گئی", u"کی", {}, {}};
    EXPECT_FLOAT_EQ(ranking.fit(after, u"ہے"),
                    model.logProbability(u"ہے", u"کی", u"گئی") - model.logProbability(u"ہے"));
    EXPECT_TRUE(ranking.rerank(after, words, score));
    EXPECT_EQ(words, (std::vector<std::u16string>{u"ہے", u"ہیں"}));
    EXPECT_EQ(scoredWords, 2);

    // The words after count too: before ہے, گئی is wanted over کی (گئی ہے is a pair,
    // کی ہے is not), with the share R of them.
    const Neighbours before{{}, {}, u"ہے", {}};
    const float gain = model.logProbability(u"ہے", {}, u"گئی") - model.logProbability(u"ہے");
    EXPECT_FLOAT_EQ(ranking.fit(before, u"گئی"), ContextRanking::AFTER * gain);
    ranking.setWeights(ContextRanking::WEIGHT, 0.5f);
    EXPECT_FLOAT_EQ(ranking.fit(before, u"گئی"), 0.5f * gain);
    // Two words offered for one are weighed in turn: کی گئی before ہے.
    EXPECT_FLOAT_EQ(ranking.fit(before, u"کی گئی"),
                    model.logProbability(u"گئی", {}, u"کی") - model.logProbability(u"گئی") +
                        0.5f * (model.logProbability(u"ہے", u"کی", u"گئی") - model.logProbability(u"ہے")));
    // A weight of zero is the accurate order.
    ranking.setWeights(0.0f, 1.0f);
    words = accurate;
    ranking.rerank(after, words, score);
    EXPECT_EQ(words, accurate);
}

}  // namespace
}  // namespace zabrel::test
