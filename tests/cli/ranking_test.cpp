// SPDX-License-Identifier: MIT
// zabrel-check --ranking: the accurate ranking in every mode, and its errors.
#include <gtest/gtest.h>

#include "cli/subprocess.h"
#include "cli/testdictionary.h"
#include "support/testsupport.h"

namespace zabrel::test {
namespace {

namespace fs = std::filesystem;

class Ranking : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(dir.path() / "dict");
        makeDictionary(dir.path() / "dict", sampleWords());
        writeFile((dir.path() / "dict" / "costs.txt").string(), std::string(SPLIT_COSTS));
        writeFile(dir.file("in.txt"), std::string("کتابشہر سخت بزار\n"));
    }

    Outcome check(std::vector<std::string> args) const {
        args.insert(args.begin(), {ZABREL_CHECK_PROGRAM, "-d", "dict"});
        return runProgram(args, dir.path(), dir.file("in.txt"));
    }

    TempDir dir;
};

TEST_F(Ranking, accurate_ranking_in_report_list_and_pipe_modes) {
    Outcome got = check({"--ranking=accurate", "--all"});
    EXPECT_EQ(got.status, 1) << got.err;
    EXPECT_EQ(got.err, "");
    // کتاب شہر is the only split; کتاب, three letters away, comes next.
    EXPECT_EQ(got.out,
              "<stdin>:1:1: کتابشہر -> کتاب شہر, کتاب\n"
              "<stdin>:1:13: بزار -> بازار, ہزار\n");
    got = check({"--ranking=accurate", "-l"});
    EXPECT_EQ(got.out, "کتابشہر\nبزار\n");
    got = check({"--ranking", "accurate", "-a"});
    EXPECT_EQ(got.status, 0) << got.err;
    EXPECT_NE(got.out.find("\n& کتابشہر 2 0: کتاب شہر, کتاب\n"), std::string::npos) << got.out;
    EXPECT_NE(got.out.find("\n& بزار 2 12: بازار, ہزار\n"), std::string::npos) << got.out;
    // A dictionary without a context model quietly gets the accurate ranking alone by
    // default; the exact ranking is a flag away, and offers no pair.
    const std::string accurate = check({"--ranking=accurate", "--all"}).out;
    got = check({"--all"});
    EXPECT_EQ(got.out, accurate);
    EXPECT_EQ(got.err, "");
    Outcome plain = check({"--ranking=exact", "--all"});
    EXPECT_EQ(plain.out, "<stdin>:1:1: کتابشہر -> کتاب\n<stdin>:1:13: بزار -> بازار, ہزار\n");
}

TEST_F(Ranking, a_bad_ranking_or_cost_table_ends_the_run_with_2) {
    Outcome got = check({"--ranking=best"});
    EXPECT_EQ(got.status, 2);
    EXPECT_EQ(got.out, "");
    EXPECT_EQ(got.err, "zabrel-check: --ranking must be exact or accurate, not best\n");
    writeFile((dir.path() / "dict" / "costs.txt").string(), std::string("weight transpose one\n"));
    got = check({"--ranking=accurate", "-a"});
    EXPECT_EQ(got.status, 2);
    EXPECT_EQ(got.out, "");  // not even the banner
    EXPECT_TRUE(got.err.starts_with("zabrel-check: the accurate ranking's cost table could not be read: /"))
        << got.err;
    EXPECT_TRUE(got.err.ends_with("/costs.txt:1: \"one\" is not a number.\n")) << got.err;
    // The exact ranking does not read the table; by default a warning says why it
    // is the one used.
    got = check({"--ranking=exact"});
    EXPECT_EQ(got.status, 1);
    EXPECT_EQ(got.err, "");
    got = check({});
    EXPECT_EQ(got.status, 1);
    EXPECT_EQ(got.out, check({"--ranking=exact"}).out);
    EXPECT_TRUE(got.err.ends_with("/costs.txt:1: \"one\" is not a number; the exact ranking is used\n"))
        << got.err;
    // The context ranks by the accurate ranking.
    got = check({"--ranking=exact", "--context"});
    EXPECT_EQ(got.status, 2);
    EXPECT_EQ(got.err,
              "zabrel-check: --context ranks by the accurate ranking and cannot go with --ranking=exact\n");
}

}  // namespace
}  // namespace zabrel::test
