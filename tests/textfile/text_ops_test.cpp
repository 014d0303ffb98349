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

// Every code point goes to UTF-8 and back as itself, in as many bytes as its
// range takes (the bytes themselves: the batch line's and the header list's
// rows); a lone surrogate has no UTF-8 form.
TEST(TextOps, Utf8RoundTripsEveryCodePoint) {
    for (char32_t c = 0; c <= 0x10FFFF; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF) continue;
        const std::u16string text = c < 0x10000 ? std::u16string(1, char16_t(c))
                                                : std::u16string{char16_t(0xD800 + ((c - 0x10000) >> 10)),
                                                                 char16_t(0xDC00 + ((c - 0x10000) & 0x3FF))};
        const std::string bytes = utf8_encode(text);
        ASSERT_EQ(bytes.size(), c < 0x80 ? 1u : c < 0x800 ? 2u : c < 0x10000 ? 3u : 4u) << unsigned(c);
        ASSERT_EQ(utf8_decode(bytes), text) << unsigned(c);
    }
    EXPECT_EQ(utf8_encode(u"\xD800x\xDC00\xDBFF"), "\xEF\xBF\xBDx\xEF\xBF\xBD\xEF\xBF\xBD");
}
