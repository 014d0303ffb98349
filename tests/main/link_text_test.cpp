#include "main/link_text.h"

#include <gtest/gtest.h>

namespace {

struct BetweenCase {
    std::u16string text, open, close, expected;
};

// The order of the trimming by example; that the other rules of the link
// list cut their input only where they may and keep the rest, the fuzz
// target checks on every input (fuzz_link_text).
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

// The folder of a chosen file: cut after its last backslash or slash.
TEST(FolderPart, KeepsEverythingUpToTheLastSeparator) {
    const std::pair<std::u16string, std::u16string> cases[] = {
        {u"c:\\Links\\liste.txt", u"c:\\Links\\"},
        {u"c:/Links/liste.txt", u"c:/Links/"},
        {u"c:\\Links/neu\\a/liste.txt", u"c:\\Links/neu\\a/"},
        {u"liste.txt", u""},
    };
    for (const auto& [path, folder] : cases) EXPECT_EQ(folder_part(path), folder) << std::string(path.begin(), path.end());
}

}  // namespace
