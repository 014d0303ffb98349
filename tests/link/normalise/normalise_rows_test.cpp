#include "link/normalise_link.h"

#include <gtest/gtest.h>

#include <string>

// One input per row of the rewriting table, expected outputs worked out by
// hand. Each input holds the search text in a letter case other than the
// table's (for any-case rows) or a near miss in the other case first (for
// exact-case rows), and one occurrence more than a "first" row replaces, so
// that a deleted, mistyped or wrongly ruled row changes the output. The
// other-case variant of t/T, w/W and v/V only reaches its row when an
// earlier row has just made it (" -at=" becomes " --app t="). Space runs
// are covered by NormaliseLink.SpaceRunsAndTrim.
TEST(NormaliseLinkRows, EveryRowOfTheTable) {
    const std::u16string gw = u"http://127.0.0.1/cgi-bin/rtmp.cgi?";
    const struct {
        std::u16string in, out;
    } rows[] = {
        // Wrappers.
        {u"<![CDATA[a<![cdata[b", u"ab"},
        {u"<![CDATA[a]]>b]]>", u"ab"},
        {u"HTTP://127.0.0.1/CGI-BIN/RTMP.CGI?r " + gw, u"r " + gw},
        {u"RTMP://$opt:a rtmp://$OPT:b", u"a b"},
        {u"RTMP-RAW=a rtmp-raw=b", u"a b"},
        // 1 swfUrl: key, tag, letter (first), dash (first), query.
        {u"r SWFURL=1 swfurl=2", u"r --swfUrl 1 --swfUrl 2"},
        {u"r<SWFURL>1<swfurl>2", u"r --swfUrl 1 --swfUrl 2"},
        {u"r S=1 s=2 s=3", u"r S=1 --swfUrl 2 s=3"},
        {u"r -S 1 -s 2 -s 3", u"r -S 1 --swfUrl 2 -s 3"},
        {u"r?q=0&SWFURL=1&swfurl=2", u"r?q=0 --swfUrl 1 --swfUrl 2"},
        // 2 swfVfy: key, tag, letter (first), query, dash (first).
        {u"r SWFVFY=1 swfvfy=2", u"r --swfVfy 1 --swfVfy 2"},
        {u"r<SWFVFY>1<swfvfy>2", u"r --swfVfy 1 --swfVfy 2"},
        {u"r w=1 W=2 W=3", u"r --swfhash 1 --swfVfy 2 W=3"},
        {u"r?q=0&SWFVFY=1&swfvfy=2", u"r?q=0 --swfVfy 1 --swfVfy 2"},
        {u"r -w 1 -W 2 -W 3", u"r --swfhash 1 --swfVfy 2 -W 3"},
        // 3 timeout.
        {u"r TIMEOUT=1 timeout=2", u"r --timeout 1 --timeout 2"},
        {u"r<TIMEOUT>1<timeout>2", u"r --timeout 1 --timeout 2"},
        {u"r M=1 m=2 m=3", u"r M=1 --timeout 2 --timeout 3"},
        {u"r?q=0&TIMEOUT=1&timeout=2", u"r?q=0 --timeout 1 --timeout 2"},
        {u"r -M 1 -m 2 -m 3", u"r -M 1 --timeout 2 --timeout 3"},
        // 4 tcUrl.
        {u"r TCURL=1 tcurl=2", u"r --tcUrl 1 --tcUrl 2"},
        {u"r<TCURL>1<tcurl>2", u"r --tcUrl 1 --tcUrl 2"},
        {u"r T=1 t=2 t=3", u"r --token 1 --tcUrl 2 --tcUrl 3"},
        {u"r?q=0&TCURL=1&tcurl=2", u"r?q=0 --tcUrl 1 --tcUrl 2"},
        {u"r -T 1 -t 2 -t 3", u"r --token 1 --tcUrl 2 --tcUrl 3"},
        // 5 pageUrl.
        {u"r PAGEURL=1 pageurl=2", u"r --pageUrl 1 --pageUrl 2"},
        {u"r<PAGEURL>1<pageurl>2", u"r --pageUrl 1 --pageUrl 2"},
        {u"r P=1 p=2 p=3", u"r P=1 --pageUrl 2 --pageUrl 3"},
        {u"r?q=0&PAGEURL=1&pageurl=2", u"r?q=0 --pageUrl 1 --pageUrl 2"},
        {u"r -P 1 -p 2 -p 3", u"r -P 1 --pageUrl 2 --pageUrl 3"},
        // 6 playpath.
        {u"r PLAYPATH=1 playpath=2", u"r --playpath 1 --playpath 2"},
        {u"r<PLAYPATH>1<playpath>2", u"r --playpath 1 --playpath 2"},
        {u"r Y=1 y=2 y=3", u"r Y=1 --playpath 2 --playpath 3"},
        {u"r?q=0&PLAYPATH=1&playpath=2", u"r?q=0 --playpath 1 --playpath 2"},
        {u"r -Y 1 -y 2 -y 3", u"r -Y 1 --playpath 2 --playpath 3"},
        // 7 swfhash.
        {u"r SWFHASH=1 swfhash=2", u"r --swfhash 1 --swfhash 2"},
        {u"r<SWFHASH>1<swfhash>2", u"r --swfhash 1 --swfhash 2"},
        {u"r -mW=1 w=2 w=3", u"r --timeout W=1 --swfhash 2 --swfhash 3"},
        {u"r?q=0&SWFHASH=1&swfhash=2", u"r?q=0 --swfhash 1 --swfhash 2"},
        {u"r -m-W 1 -w 2 -w 3", u"r --timeout -W 1 --swfhash 2 --swfhash 3"},
        // 8 swfsize.
        {u"r SWFSIZE=1 swfsize=2", u"r --swfsize 1 --swfsize 2"},
        {u"r<SWFSIZE>1<swfsize>2", u"r --swfsize 1 --swfsize 2"},
        {u"r X=1 x=2 x=3", u"r X=1 --swfsize 2 --swfsize 3"},
        {u"r?q=0&SWFSIZE=1&swfsize=2", u"r?q=0 --swfsize 1 --swfsize 2"},
        {u"r -X 1 -x 2 -x 3", u"r -X 1 --swfsize 2 --swfsize 3"},
        // 9 app.
        {u"r APP=1 app=2", u"r --app 1 --app 2"},
        {u"r<APP>1<app>2", u"r --app 1 --app 2"},
        {u"r A=1 a=2 a=3", u"r A=1 --app 2 --app 3"},
        {u"r?q=0&APP=1&app=2", u"r?q=0 --app 1 --app 2"},
        {u"r -A 1 -a 2 -a 3", u"r -A 1 --app 2 --app 3"},
        // 10 token.
        {u"r TOKEN=1 token=2", u"r --token 1 --token 2"},
        {u"r<TOKEN>1<token>2", u"r --token 1 --token 2"},
        {u"r -at=1 T=2 T=3", u"r --app t=1 --token 2 --token 3"},
        {u"r?q=0&TOKEN=1&token=2", u"r?q=0 --token 1 --token 2"},
        {u"r -a-t 1 -T 2 -T 3", u"r --app -t 1 --token 2 --token 3"},
        // 11 buffer.
        {u"r BUFFER=1 buffer=2", u"r --buffer 1 --buffer 2"},
        {u"r<BUFFER>1<buffer>2", u"r --buffer 1 --buffer 2"},
        {u"r B=1 b=2 b=3", u"r B=1 --buffer 2 --buffer 3"},
        {u"r?q=0&BUFFER=1&buffer=2", u"r?q=0 --buffer 1 --buffer 2"},
        {u"r -B 1 -b 2 -b 3", u"r -B 1 --buffer 2 --buffer 3"},
        // 12 host.
        {u"r HOST=1 host=2", u"r --host 1 --host 2"},
        {u"r<HOST>1<host>2", u"r --host 1 --host 2"},
        {u"r N=1 n=2 n=3", u"r N=1 --host 2 --host 3"},
        {u"r?q=0&HOST=1&host=2", u"r?q=0 --host 1 --host 2"},
        {u"r -N 1 -n 2 -n 3", u"r -N 1 --host 2 --host 3"},
        // 13 flashVer.
        {u"r FLASHVER=1 flashver=2", u"r --flashVer 1 --flashVer 2"},
        {u"r<FLASHVER>1<flashver>2", u"r --flashVer 1 --flashVer 2"},
        {u"r F=1 f=2 f=3", u"r F=1 --flashVer 2 --flashVer 3"},
        {u"r?q=0&FLASHVER=1&flashver=2", u"r?q=0 --flashVer 1 --flashVer 2"},
        {u"r -F 1 -f 2 -f 3", u"r -F 1 --flashVer 2 --flashVer 3"},
        // 14 verbose: the query form has no "=".
        {u"r VERBOSE=1 verbose=2", u"r --verbose 1 --verbose 2"},
        {u"r<VERBOSE>1<verbose>2", u"r --verbose 1 --verbose 2"},
        {u"r v=1 V=2 V=3", u"r --live 1 --verbose 2 --verbose 3"},
        {u"r?q=0&VERBOSE=1&verbose 2", u"r?q=0 --verbose =1 --verbose 2"},
        {u"r -v 1 -V 2 -V 3", u"r --live 1 --verbose 2 --verbose 3"},
        // Live flag, rows 1 to 11.
        {u"r&LIVE=0&live=0 x", u"r x"},
        {u"r&LIVE=1&live=1", u"r --live --live"},
        {u"r LIVE=1 x live=1 y", u"r --live x --live y"},
        {u"r&LIVE=TRUE&live=true", u"r --live --live"},
        {u"r&LIVE=FALSE&live=false x", u"r x"},
        {u"r&LIVE x&live y", u"r --live x --live y"},
        {u"r LIVE=a live=b", u"r --live a --live b"},
        {u"r<LIVE>a<live>b", u"r --live a --live b"},
        {u"r&live=0V=1 v=2 v=3", u"r V=1 --live 2 v=3"},
        {u"r&LIVE=a&live=b", u"r --live a --live b"},
        {u"r&live=0-V 1 -v 2 -v 3", u"r -V 1 --live 2 -v 3"},
        {u"r&LIVEx &live", u"r&LIVEx --live"},  // only at the end
        // Output back to standard output, once.
        {u"r -o a -O b --flv c --FLV d", u"r -o - a -O b --flv - c --FLV d"},
        {u"r -o - a --flv - b -o -", u"r -o - a --flv - b -o -"},
        {u"r --flv - -o -z", u"r --flv - -o - -z"},
        // Closing tags, any case, read before the aliases as a space.
        {u"r</SWFURL>1</swfvfy>2</Timeout>3</TCURL>4</pageurl>5</PLAYPATH>6</swfhash>7</SWFSIZE>8",
         u"r 1 2 3 4 5 6 7 8"},
        {u"r</APP>1</token>2</Buffer>3</HOST>4</flashver>5</VERBOSE>6</Live>7</x>", u"r 1 2 3 4 5 6 7</x>"},
        {u"r<playpath>a</playpath>live=1</APP>y=b", u"r --playpath a --live --playpath b"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.in.begin(), row.in.end()));
        EXPECT_EQ(normalise_link(row.in), row.out);
    }
}
