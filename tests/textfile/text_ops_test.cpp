#include "textfile/text_ops.h"

#include <gtest/gtest.h>

TEST(TextOps, FindIsOneBasedAndZeroWhenAbsent) {
    EXPECT_EQ(text_find(u"abcabc", u"c"), 3u);
    EXPECT_EQ(text_find(u"abc", u"C"), 0u);  // exact case
    EXPECT_EQ(text_find(u"", u"a"), 0u);
}

TEST(TextOps, TrimTouchesOnlyTheEnds) {
    struct Case { std::u16string in; char16_t c; std::u16string out; };
    const Case cases[] = {
        {u"  a b  ", u' ', u"a b"},
        {u"\t a \t", u' ', u"\t a \t"},        // only U+0020 counts
        {u"\"\"A\"\"", u'"', u"A"},
        {u"''", u'\'', u""},
        {u"x\"y", u'"', u"x\"y"},
    };
    for (const auto& c : cases) EXPECT_EQ(trim_char(c.in, c.c), c.out);
    EXPECT_EQ(trim_spaces(u"   "), u"");
}

TEST(TextOps, RemoveCharRemovesEveryOccurrence) {
    EXPECT_EQ(remove_char(u"A\tB\t\t", u'\t'), u"AB");
}
