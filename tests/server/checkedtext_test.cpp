// SPDX-License-Identifier: MIT
// The way back from the checked text to an annotated document, at the edges of its
// pieces, where a request cannot easily put a match.
#include "server/checkedtext.h"

#include <gtest/gtest.h>

namespace zabrel::server {
namespace {

TEST(CheckedText, positions_map_back_through_text_markup_and_interpretations_at_every_edge) {
    CheckedText text;
    std::string error;
    // Document: "ab<br/>cd<i>ef</i>" (18 units); checked: "ab\ncdef".
    ASSERT_TRUE(text.readAnnotated(R"({"annotation":[{"text":"ab"},{"markup":"<br/>","interpretAs":"\n"},)"
                                   R"({"text":"cd"},{"markup":"<i>"},{"text":"ef"},{"markup":"</i>"}]})",
                                   error))
        << error;
    EXPECT_EQ(text.text(), u"ab\ncdef");
    // Starts: in text unit by unit; in an interpretation at its markup's start.
    EXPECT_EQ(text.originalStart(0), 0u);
    EXPECT_EQ(text.originalStart(2), 2u);
    EXPECT_EQ(text.originalStart(3), 7u);
    EXPECT_EQ(text.originalStart(5), 12u) << "skipped markup is passed";
    EXPECT_EQ(text.originalStart(7), 18u) << "the end of the text is the end of the document";
    // Ends: a match ending at a piece's end stays before the markup after it.
    EXPECT_EQ(text.originalEnd(2), 2u);
    EXPECT_EQ(text.originalEnd(3), 7u) << "an end inside an interpretation takes its markup whole";
    EXPECT_EQ(text.originalEnd(5), 9u);
    EXPECT_EQ(text.originalEnd(7), 14u);
    // A match over "cdef" covers the <i> between.
    EXPECT_EQ(text.originalEnd(7) - text.originalStart(3), 7u);

    ASSERT_TRUE(text.readAnnotated(R"({"annotation":[]})", error));
    EXPECT_EQ(text.text(), u"");
    EXPECT_EQ(text.originalStart(0), 0u);
    ASSERT_TRUE(text.readPlain("\xF0\x9D\x90\x80", error));
    EXPECT_EQ(text.originalEnd(2), 2u) << "plain text maps to itself";
    EXPECT_FALSE(text.readAnnotated(R"({"annotation":[{"text":"\ud800"}]})", error)) << "a lone surrogate";
}

}  // namespace
}  // namespace zabrel::server
