// SPDX-License-Identifier: MIT
#include "text/letterforms.h"

#include <gtest/gtest.h>

namespace zabrel {
namespace {

TEST(LetterForms, arabic_forms_become_urdu_letters_and_nothing_else_changes) {
    // Words of newspaper text as typed on an Arabic layout, and their Urdu forms.
    EXPECT_EQ(urduLetterForms(u"\u0645\u062D\u0644\u0647"), u"\u0645\u062D\u0644\u06C1");  // محله
    EXPECT_EQ(urduLetterForms(u"\u0639\u0644\u064A"), u"\u0639\u0644\u06CC");              // علي
    EXPECT_EQ(urduLetterForms(u"\u0645\u0648\u0633\u0649"), u"\u0645\u0648\u0633\u06CC");  // موسى
    EXPECT_EQ(urduLetterForms(u"\u0643\u062A\u0627\u0628"), u"\u06A9\u062A\u0627\u0628");  // كتاب
    EXPECT_EQ(urduLetterForms(u"\u0631\u062D\u0645\u0629"), u"\u0631\u062D\u0645\u06C3");  // رحمة
    // All five in one word, mixed with Urdu letters.
    EXPECT_EQ(urduLetterForms(u"\u0647\u064A\u0649\u0643\u0629\u06C1\u06CC"),
              u"\u06C1\u06CC\u06CC\u06A9\u06C3\u06C1\u06CC");

    // Urdu letters, their look-alikes that are letters of their own (ھ, ۂ, ے),
    // marks, Latin and a lone surrogate pass through unit for unit.
    const std::u16string kept =
        u"\u06C1\u06BE\u06C2\u06D2\u06CC\u06A9\u064E\u200C"
        u"ab\xD800";
    EXPECT_EQ(urduLetterForms(kept), kept);
    EXPECT_EQ(urduLetterForms(u""), u"");
}

}  // namespace
}  // namespace zabrel
