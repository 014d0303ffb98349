#include "link/normalise_link.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct Case {
    const char* what;
    std::u16string in;
    std::u16string out;
};

void expect_all(const std::initializer_list<Case>& cases) {
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(normalise_link(c.in), c.out);
    }
}

const std::u16string gateway = u"http://127.0.0.1/cgi-bin/rtmp.cgi?";

}  // namespace

TEST(NormaliseLink, PastedDialects) {
    expect_all({
        {"plain address", u"rtmp://example/live/stream", u"rtmp://example/live/stream"},
        {"empty", u"", u""},
        {"key form",
         u"rtmp://example/live playpath=stream swfUrl=player.swf pageUrl=page.html",
         u"rtmp://example/live --playpath stream --swfUrl player.swf --pageUrl page.html"},
        {"dash form", u"rtmp://example/live -y stream -W player.swf -v",
         u"rtmp://example/live --playpath stream --swfVfy player.swf --live"},
        {"key form in capitals", u"rtmp://example/live SWFURL=p.swf", u"rtmp://example/live --swfUrl p.swf"},
        {"key form in small letters", u"rtmp://example/live swfurl=p.swf", u"rtmp://example/live --swfUrl p.swf"},
        {"tag form in mixed case", u"rtmp://example/live<SwfUrl>p.swf", u"rtmp://example/live --swfUrl p.swf"},
        {"query form", u"rtmp://example/live?x=1&swfUrl=player.swf&live=1",
         u"rtmp://example/live?x=1 --swfUrl player.swf --live"},
        {"first parameter behind ? stays", u"rtmp://example/live?swfUrl=player.swf",
         u"rtmp://example/live?swfUrl=player.swf"},
        {"alias inside a value", u"rtmp://example/live pageUrl=page.php?id=1&app=tv",
         u"rtmp://example/live --pageUrl page.php?id=1 --app tv"},
        {"rtmpdump command line", u"rtmp://h/a -a app -t rtmp://h/a -p http://page -f WIN -b 100 -n h -m 5",
         u"rtmp://h/a --app app --tcUrl rtmp://h/a --pageUrl http://page --flashVer WIN --buffer 100 --host h "
         u"--timeout 5"},
        {"query form of verbose has no =", u"rtmp://e/l &verbose=1 x", u"rtmp://e/l --verbose =1 x"},
        // Letters that differ only in case stay apart (every row of the
        // table, with its count rule, is in NormaliseLinkRows).
        {"-T and -t", u"rtmp://example/live -T abc -t rtmp://example/live -V",
         u"rtmp://example/live --token abc --tcUrl rtmp://example/live --verbose"},
        {"-w and -W", u"rtmp://example/live -w abc -W player.swf",
         u"rtmp://example/live --swfhash abc --swfVfy player.swf"},
        {"s= first", u"rtmp://example/live s=a s=b", u"rtmp://example/live --swfUrl a s=b"},
        // A pass goes on behind its replacement, never into it.
        {"replacement not read again", u"r -t-t", u"r --tcUrl -t"},
    });
}

TEST(NormaliseLink, Wrappers) {
    expect_all({
        {"tag form in CDATA", u"<![CDATA[rtmp://example/live]]><swfUrl>player.swf</swfUrl>",
         u"rtmp://example/live --swfUrl player.swf"},
        {"]]> stays without an opening", u"rtmp://e/l]]>", u"rtmp://e/l]]>"},
        {"opening must be exact case", u"<![cdata[rtmp://e/l]]>", u"<![cdata[rtmp://e/l]]>"},
        {"once opened, removal is any case", u"<![CDATA[a<![cdata[b]]>", u"ab"},
        {"nested CDATA", u"<![CDATA[<![CDATA[x]]>]]>", u"x"},
        {"unwrapping runs before aliases", u"r swf<![CDATA[]]>Url=x", u"r --swfUrl x"},
        {"OPT and raw", u"rtmp://$OPT:rtmp-raw=rtmp://example/live -y stream",
         u"rtmp://example/live --playpath stream"},
        {"OPT and raw in any case", u"RTMP://$opt:RTMP-RAW=rtmp://e/l", u"rtmp://e/l"},
        {"gateway prefix", gateway + u"rtmp://example/live", u"rtmp://example/live"},
        {"second gateway stays", gateway + u"rtmp://e/l " + gateway, u"rtmp://e/l " + gateway},
        {"gateway anywhere, any case", u"x HTTP://127.0.0.1/CGI-BIN/RTMP.CGI?rtmp://e/l", u"x rtmp://e/l"},
        {"gateway with port stays", u"http://127.0.0.1:80/cgi-bin/rtmp.cgi?r", u"http://127.0.0.1:80/cgi-bin/rtmp.cgi?r"},
    });
}

TEST(NormaliseLink, LiveFlag) {
    expect_all({
        {"live=1 at the end", u"rtmp://e/l live=1", u"rtmp://e/l --live 1"},
        {"live=1 inside", u"rtmp://e/l live=1 -y s", u"rtmp://e/l --live --playpath s"},
        {"&live=0 vanishes", u"rtmp://e/l?a=b&live=0", u"rtmp://e/l?a=b"},
        {"&live=false vanishes", u"rtmp://e/l?a=b&LIVE=FALSE", u"rtmp://e/l?a=b"},
        {"&live=true", u"rtmp://e/l?a=b&live=true", u"rtmp://e/l?a=b --live"},
        {"other value stays a word", u"rtmp://e/l?a=b&live=yes", u"rtmp://e/l?a=b --live yes"},
        {"&live as a word", u"rtmp://e/l &live x", u"rtmp://e/l --live x"},
        {"tag form", u"rtmp://e/l<live>1</live>", u"rtmp://e/l --live 1"},
        {"&live at the very end", u"rtmp://h/live?x=1&playpath=stream&LIVE", u"rtmp://h/live?x=1 --playpath stream --live"},
        {"only at the end", u"r&livex r&live=", u"r&livex r --live"},
    });
}

// Forms that could never play as rewritten before: a closing tag stayed in
// its value, and a pasted command line kept the program's name, its own
// address option and an output file that took the stream from the player.
TEST(NormaliseLink, ClosingTagsAndPastedCommandLines) {
    expect_all({
        {"closing tags end values", u"<![CDATA[rtmp://example/live]]><playpath>stream</playpath><live>1</live>",
         u"rtmp://example/live --playpath stream --live 1"},
        {"in any case, CDATA inside", u"rtmp://h/x<APP>live</APP><playpath><![CDATA[s]]></PlayPath>",
         u"rtmp://h/x --app live --playpath s"},
        {"other closing tags stay", u"rtmp://h/live/s<title>t</title>", u"rtmp://h/live/s<title>t</title>"},
        {"address option", u"  -r rtmp://h/live -y stream -v", u"rtmp://h/live --playpath stream --live"},
        {"program and address option", u"rtmpdump -r rtmp://h/live -y s", u"rtmp://h/live --playpath s"},
        {"quoted path, long option", u"\"C:\\Program Files\\RTMPDUMP.EXE\" --rtmp \"rtmp://h/live\" -y s",
         u"\"rtmp://h/live\" --playpath s"},
        {"path without option", u"/usr/bin/rtmpdump\trtmp://h/live/s", u"rtmp://h/live/s"},
        {"other programs and later options stay", u"myrtmpdump -r x -r y", u"myrtmpdump -r x -r y"},
        {"address ending in the program's name", u"rtmp://e/live/rtmpdump", u"rtmp://e/live/rtmpdump"},
        {"... with options", u"rtmp://e/tools/RTMPDUMP.EXE playpath=s -y t",
         u"rtmp://e/tools/RTMPDUMP.EXE --playpath s --playpath t"},
        {"options before the address", u"rtmpdump -a live -y s -r rtmp://h -v", u"rtmp://h --app live --playpath s --live"},
        {"long options before the address", u"rtmpdump --playpath s --rtmp rtmp://h/live --live",
         u"rtmp://h/live --playpath s --live"},
        {"quoted path, option first", u"\"C:\\Tools\\rtmpdump.exe\" -y s -r \"rtmp://h/live\"",
         u"\"rtmp://h/live\" --playpath s"},
        {"address with its options", u"rtmpdump -i \"rtmp://h/live/s live=1\" -V", u"rtmp://h/live/s --live --verbose"},
        {"without the program's name", u"-y s --url \"rtmp://h/live/s app=x\"", u"rtmp://h/live/s --app x --playpath s"},
        {"output back to the player", u"rtmp://h/live -y s -o stream.flv --flv \"my file.flv\" -o-",
         u"rtmp://h/live --playpath s -o - stream.flv --flv - \"my file.flv\" -o-"},
    });
}

TEST(NormaliseLink, SpaceRunsAndTrim) {
    // Three single passes (4, 3, 2): what a run of n spaces ends as.
    const auto spaced = [](std::size_t n) {
        std::u16string s = u"a";
        s.append(n, u' ');
        return s + u'b';
    };
    const std::size_t expected_left[] = {0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 2, 1, 1, 2, 1, 1};
    for (std::size_t n = 1; n < std::size(expected_left); ++n) {
        SCOPED_TRACE(n);
        EXPECT_EQ(normalise_link(spaced(n)), spaced(expected_left[n]));
    }
    expect_all({
        {"ends trimmed", u"   rtmp://e/l   ", u"rtmp://e/l"},
        {"only spaces", u"      ", u""},
        {"tabs stay", u"\ta\t\tb\t", u"\ta\t\tb\t"},
        {"tab between spaces", u"a  \t  b", u"a \t b"},
        {"no-break space is no space", u"a\u00a0\u00a0b", u"a\u00a0\u00a0b"},
    });
}

TEST(NormaliseLink, OnlyAsciiLettersFold) {
    expect_all({
        // U+017F, U+0131 and U+212A fold to s, i and k in Unicode, not here.
        {"long s", u"r \u017fwfUrl=x", u"r \u017fwfUrl=x"},
        {"dotless i", u"r l\u0131ve=1 &l\u0131ve=1", u"r l\u0131ve=1 &l\u0131ve=1"},
        {"Kelvin sign", u"r <to\u212aen>x", u"r <to\u212aen>x"},
        {"fullwidth letters", u"r \uff53\uff57\uff46Url=x", u"r \uff53\uff57\uff46Url=x"},
        {"surrogate pair passes", u"rtmp://e/\U0001F600 -y \U0001F600", u"rtmp://e/\U0001F600 --playpath \U0001F600"},
        {"lone surrogates pass", u"r \xd800 -y \xdc00", u"r \xd800 --playpath \xdc00"},
        {"embedded NUL passes", std::u16string(u"r\0 -y s", 7), std::u16string(u"r\0 --playpath s", 15)},
    });
}
