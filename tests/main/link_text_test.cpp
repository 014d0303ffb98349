#include "main/link_text.h"

#include <gtest/gtest.h>

namespace {

struct BetweenCase {
    std::u16string text, open, close, expected;
};

TEST(TextBetween, CutsMarkupDownToContent) {
    const BetweenCase cases[] = {
        {u"<url>A</url>", u">", u"<", u"A"},
        {u"<b> \"A\" </b>", u">", u"<", u"A"},
        {u"<i>'A'</i>", u">", u"<", u"A"},
        {u"A</b>", u">", u"<", u""},           // no "<" after the first ">"
        {u"<![CDATA[A]]>", u">", u"<", u""},   // ">" is the last character
        {u"a>b<c", u">", u"<", u"b"},
        {u"a><c", u">", u"<", u""},            // nothing between
        {u"<x>\"'A'\"</x>", u">", u"<", u"A"},    // quotes first, then apostrophes
        {u"<x>' \"A\" '</x>", u">", u"<", u"\"A\""},  // quotes inside apostrophes stay
        {u"<x>A\"B</x>", u">", u"<", u"A\"B"},  // inner quotes stay
        {u"x<y>z", u">", u"<", u""},
        {u"no delimiters", u">", u"<", u""},
        {u"<a>first</a><b>second</b>", u">", u"<", u"first"},
        {u"[[A]]", u"[[", u"]]", u"A"},        // longer delimiters
        {u"<t>\u00e4\u00f6\u00fc</t>", u">", u"<", u"\u00e4\u00f6\u00fc"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(text_between(c.text, c.open, c.close), c.expected)
            << std::string(c.text.begin(), c.text.end());
}

TEST(PickedLinkText, CutsOnlyWhenBothDelimitersOccur) {
    const std::pair<std::u16string, std::u16string> cases[] = {
        {u"<url>A</url>", u"A"},
        {u"a>b<c", u"b"},
        {u"b<c>a", u""},  // both present, but no "<" after the ">"
        {u"a<b", u"a<b"},
        {u"a>b", u"a>b"},
        {u"rtmp://host/app", u"rtmp://host/app"},
        {u"", u""},
    };
    for (const auto& [line, expected] : cases)
        EXPECT_EQ(picked_link_text(line), expected) << std::string(line.begin(), line.end());
}

TEST(CleanLinkLine, RemovesTabsThenTrimsSpaces) {
    const std::pair<std::u16string, std::u16string> cases[] = {
        {u"A\tB", u"AB"},
        {u"  http://x  ", u"http://x"},
        {u"\t  A  \t", u"A"},
        {u"   ", u""},
        {u"", u""},
        {u"a  b", u"a  b"},
        {u"\u00a0A\u00a0", u"\u00a0A\u00a0"},  // only U+0020 counts as space
    };
    for (const auto& [line, expected] : cases)
        EXPECT_EQ(clean_link_line(line), expected);
}

TEST(FolderPart, KeepsTheLastSeparator) {
    const std::pair<std::u16string, std::u16string> cases[] = {
        {u"c:\\links\\list.txt", u"c:\\links\\"},
        {u"c:\\list.txt", u"c:\\"},
        {u"c:/links/list.txt", u"c:/links/"},
        {u"c:\\a/b\\c.txt", u"c:\\a/b\\"},
        {u"\\\\server\\share\\f.m3u", u"\\\\server\\share\\"},
        {u"list.txt", u""},
    };
    for (const auto& [path, expected] : cases) EXPECT_EQ(folder_part(path), expected);
}

}  // namespace
