#include "link/command_quoting.h"
#include "link/header_list.h"
#include "link/stream_command.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const std::u16string kPlayerTail =
    u" --no-qt-system-tray --qt-start-minimized --no-qt-video-autoresize --no-qt-updates-notif"
    u" --no-qt-error-dialogs --mouse-hide-timeout=500 --no-embedded-video --no-video-title-show"
    u" --width=300 --height=200 --video-x=20 --video-y=20 --video-title=Kanalbox Player"
    u" --play-and-exit --video-on-top --no-qt-error-dialogs";
const std::u16string kVlc = u"c:\\programme\\videolan\\vlc\\vlc.exe";
const std::u16string kFfmpeg = u"c:\\programme\\videolan\\vlc\\ffmpeg.exe";
const std::u16string kRtmpdump = u"c:\\programme\\videolan\\vlc\\rtmpdump.exe";

std::u16string composed(std::u16string address, std::u16string cache = u"1000") {
    ProgramState s;
    s.stream_address = std::move(address);
    s.cache_kb = std::move(cache);
    compose_test_command(s);
    return s.test_command;
}

struct LineCase {
    const char* name;
    std::u16string address;
    std::u16string expected;
};

class WorkedLines : public ::testing::TestWithParam<LineCase> {};

TEST_P(WorkedLines, SecondBatchLineIsExact) {
    EXPECT_EQ(composed(GetParam().address), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Examples, WorkedLines,
    ::testing::Values(
        LineCase{"rtmp_normalised",
                 u"rtmp://example/live --playpath stream --swfVfy player.swf --live",
                 kRtmpdump + u" -v -r rtmp://example/live --playpath stream --swfVfy player.swf --live | " +
                     kVlc + u" --network-caching=1000" + kPlayerTail + u" -"},
        LineCase{"m3u8_before_http", u"http://example/live/index.m3u8",
                 kFfmpeg + u" -re -i http://example/live/index.m3u8 -acodec copy -vcodec copy -f mpegts pipe: | " +
                     kVlc + u" --network-caching=1000" + kPlayerTail + u" -"},
        LineCase{"rtsp_direct", u"rtsp://example/live",
                 kVlc + u" --network-caching=1000" + kPlayerTail + u" rtsp://example/live"},
        LineCase{"http_web", u"http://example/live.flv",
                 kVlc + u" --network-caching=1000" + kPlayerTail + u" http://example/live.flv"},
        LineCase{"spaces_kept", u"  mms://example/live  ",
                 kVlc + u" --network-caching=1000" + kPlayerTail + u"   mms://example/live  "},
        LineCase{"https_web", u"https://example/live/manifest.mpd",
                 kVlc + u" --network-caching=1000" + kPlayerTail + u" https://example/live/manifest.mpd"},
        // A scheme in any case; the tools get it in lower case, the rest as typed.
        LineCase{"upper_case_rtmp", u"RTMP://Example/Live",
                 kRtmpdump + u" -v -r rtmp://Example/Live | " + kVlc + u" --network-caching=1000" + kPlayerTail + u" -"},
        LineCase{"mixed_case_m3u8", u"HtTpS://H/a.m3u8",
                 kFfmpeg + u" -re -i https://H/a.m3u8 -acodec copy -vcodec copy -f mpegts pipe: | " + kVlc +
                     u" --network-caching=1000" + kPlayerTail + u" -"},
        LineCase{"udp_direct", u"UDP://@239.0.0.1:1234",
                 kVlc + u" --network-caching=1000" + kPlayerTail + u" udp://@239.0.0.1:1234"},
        // Only the scheme that begins the address: a query or an option
        // value reaches the tool as typed (a signed address stays valid).
        LineCase{"signed_query_as_typed", u"HTTPS://h/a.ts?next=HTTP://b/X&sig=1",
                 kVlc + u" --network-caching=1000" + kPlayerTail + u" \"https://h/a.ts?next=HTTP://b/X&sig=1\""},
        LineCase{"rtmp_option_value_as_typed", u"RTMP://h/live --tcUrl RTMP://h/live",
                 kRtmpdump + u" -v -r rtmp://h/live --tcUrl RTMP://h/live | " + kVlc + u" --network-caching=1000" +
                     kPlayerTail + u" -"},
        LineCase{"quoted_address", u"\"HTTP://h/my file.mp4\"",
                 kVlc + u" --network-caching=1000" + kPlayerTail + u" \"http://h/my file.mp4\""},
        LineCase{"bang_quoted", u"rtsp://h/a!PATH!b",
                 kVlc + u" --network-caching=1000" + kPlayerTail + u" \"rtsp://h/a!PATH!b\""},
        LineCase{"no_marker", u"ftp://example/live", u""},
        LineCase{"empty_address", u"", u""},
        // Headers: ffmpeg's options in front of -i, the player's behind the address.
        LineCase{"headers_ffmpeg", u"https://h/live.m3u8|User-Agent=Mozilla/5.0 (X11)&Referer=https://s/",
                 kFfmpeg + u" -re -user_agent \"Mozilla/5.0 (X11)\" -referer https://s/ -i https://h/live.m3u8"
                           u" -acodec copy -vcodec copy -f mpegts pipe: | " + kVlc + u" --network-caching=1000" +
                     kPlayerTail + u" -"},
        LineCase{"headers_player", u"HTTPS://h/a.mp3|referrer=https://s/&user-agent=VLC%2F3%20x",
                 kVlc + u" --network-caching=1000" + kPlayerTail +
                     u" https://h/a.mp3 \":http-user-agent=VLC/3 x\" :http-referrer=https://s/"},
        // One header the player cannot send: ffmpeg, which carries the first such one.
        LineCase{"other_header_to_ffmpeg", u"http://h/a|Origin=https://s&Cookie=a%3D1&User-Agent=U",
                 kFfmpeg + u" -re -user_agent U -headers \"Origin: https://s\" -i http://h/a"
                           u" -acodec copy -vcodec copy -f mpegts pipe: | " + kVlc + u" --network-caching=1000" +
                     kPlayerTail + u" -"},
        LineCase{"hostile_header_value", u"http://h/a|User-Agent=x%22 %26 calc %26 %22%25PATH%25",
                 kVlc + u" --network-caching=1000" + kPlayerTail +
                     u" http://h/a \":http-user-agent=x%%22 & calc & %%22%%PATH%%\""},
        // Only the text in front of the list picks the pipeline.
        LineCase{"marker_in_header_value", u"https://h/a|Referer=http://192.0.2.1/x.m3u8",
                 kVlc + u" --network-caching=1000" + kPlayerTail + u" https://h/a :http-referrer=http://192.0.2.1/x.m3u8"},
        LineCase{"no_header_list", u"http://h/a?a=1|c",
                 kVlc + u" --network-caching=1000" + kPlayerTail + u" \"http://h/a?a=1|c\""},
        LineCase{"rtmp_has_no_header_list", u"rtmp://h/a|User-Agent=x",
                 kRtmpdump + u" -v -r \"rtmp://h/a|User-Agent=x\" | " + kVlc + u" --network-caching=1000" +
                     kPlayerTail + u" -"},
        LineCase{"header_list_on_no_marker", u"ftp://h/a|User-Agent=x", u""},
        // As media centres read a list: empty pairs skipped, a second list
        // joins the first, a value's scheme picks nothing.
        LineCase{"empty_pair", u"https://h/index.m3u8?|Referer=https://s/&Origin=https://s&&User-Agent=M/5.0 (W; x64)",
                 kFfmpeg + u" -re -user_agent \"M/5.0 (W; x64)\" -referer https://s/ -headers \"Origin: https://s\""
                           u" -i https://h/index.m3u8? -acodec copy -vcodec copy -f mpegts pipe: | " + kVlc +
                     u" --network-caching=1000" + kPlayerTail + u" -"},
        LineCase{"doubled_list", u"https://h/z.m3u8|User-Agent=U&Referer=https://w/?id=9&e=.m3u8|User-Agent=V&Referer=W",
                 kFfmpeg + u" -re -user_agent U -referer https://w/?id=9 -headers \"e: .m3u8\" -i https://h/z.m3u8"
                           u" -acodec copy -vcodec copy -f mpegts pipe: | " + kVlc + u" --network-caching=1000" +
                     kPlayerTail + u" -"},
        LineCase{"referer_holding_rtmp", u"https://h/a.m3u8|Referer=rtmp://s/",
                 kFfmpeg + u" -re -referer rtmp://s/ -i https://h/a.m3u8 -acodec copy -vcodec copy -f mpegts pipe: | " +
                     kVlc + u" --network-caching=1000" + kPlayerTail + u" -"},
        LineCase{"only_a_header_list", u"|Referer=https://s/&&User-Agent=x", u""}),
    [](const auto& info) { return std::string(info.param.name); });

// One state across tests, as in the program: an address no pipeline takes
// writes an empty command, never the previous one again.
TEST(CompositionTest, EachTestComposesAfresh) {
    ProgramState s;
    const std::pair<std::u16string, bool> tests[] = {
        {u"rtsp://example/live", true}, {u"ftp://example/live", false}, {u"http://h/a.m3u8", true}, {u"", false}};
    for (const auto& [address, runs] : tests) {
        s.stream_address = address;
        compose_test_command(s);
        EXPECT_EQ(s.test_command, runs ? composed(address) : u"") << std::string(address.begin(), address.end());
    }
}

TEST(CompositionTest, EmptyCacheLeavesBareOption) {
    EXPECT_EQ(composed(u"rtsp://example/live", u""),
              kVlc + u" --network-caching=" + kPlayerTail + u" rtsp://example/live");
}

TEST(CompositionTest, PlainPartsKeepTheAddressAsTyped) {
    ProgramState s;
    s.stream_address = u"http://h/a.m3u8?x=1&y=%20";
    compose_test_command(s);
    EXPECT_EQ(s.ffmpeg_args, u" -re -i http://h/a.m3u8?x=1&y=%20 -acodec copy -vcodec copy -f mpegts pipe: | ");
    EXPECT_EQ(s.rtmpdump_args, u" -v -r http://h/a.m3u8?x=1&y=%20 | ");
    EXPECT_EQ(s.cache_option, u" --network-caching=1000");
    EXPECT_EQ(s.stream_address, u"http://h/a.m3u8?x=1&y=%20");
    EXPECT_EQ(s.test_command,
              kFfmpeg + u" -re -i \"http://h/a.m3u8?x=1&y=%%20\" -acodec copy -vcodec copy -f mpegts pipe: | " +
                  kVlc + u" --network-caching=1000" + kPlayerTail + u" -");
}

TEST(CompositionTest, HostileCacheAndPathsAreProtected) {
    ProgramState s;
    s.stream_address = u"rtsp://example/live";
    s.cache_kb = u"10&del x";
    s.vlc_path = u"C:\\Program Files\\VideoLAN\\VLC\\vlc.exe";
    compose_test_command(s);
    EXPECT_EQ(s.test_command, u"\"C:\\Program Files\\VideoLAN\\VLC\\vlc.exe\" \"--network-caching=10&del\" x" +
                                  kPlayerTail + u" rtsp://example/live");
}

// Every path and the cache value go into the batch line in the batch form
// (%% for %), into the clipboard's console line in the console form.
TEST(CompositionTest, PercentInPathsAndCacheTakesTheFormOfItsLine) {
    ProgramState s;
    s.vlc_path = uR"(C:\100%\vlc.exe)";
    s.ffmpeg_path = uR"(C:\50%\ffmpeg.exe)";
    s.rtmpdump_path = uR"(C:\25%\rtmpdump.exe)";
    s.cache_kb = u"1%2";
    const std::u16string player = uR"("C:\100%%\vlc.exe" "--network-caching=1%%2")" + kPlayerTail;
    const struct {
        std::u16string address, line;
    } cases[] = {
        {u"rtmp://e/l", uR"("C:\25%%\rtmpdump.exe" -v -r rtmp://e/l | )" + player + u" -"},
        {u"http://e/l.m3u8",
         uR"("C:\50%%\ffmpeg.exe" -re -i http://e/l.m3u8 -acodec copy -vcodec copy -f mpegts pipe: | )" +
             player + u" -"},
        {u"rtsp://e/l", player + u" rtsp://e/l"},
    };
    for (const auto& c : cases) {
        s.stream_address = c.address;
        compose_test_command(s);
        EXPECT_EQ(s.test_command, c.line);
    }
    s.stream_address = u"http://e/l.m3u8?a=%41";
    EXPECT_EQ(clipboard_line(s),
              uR"("C:\50%\ffmpeg.exe" -re -i "http://e/l.m3u8?a="%"41" -acodec copy -vcodec copy)"
              uR"( -f mpegts pipe: | "C:\100%\vlc.exe" -)");
}

struct PipelineCase {
    const char* address;
    Pipeline expected;
};

TEST(PipelineTest, FirstMatchingGroupWins) {
    const PipelineCase cases[] = {
        {"rtmp://a/b", Pipeline::rtmpdump},
        {"x rtmpt://a/b", Pipeline::rtmpdump},
        {"rtmpe://a/b", Pipeline::rtmpdump},
        {"rtmp://a/b/index.m3u8", Pipeline::rtmpdump},
        {"rtsp://a/b.m3u8", Pipeline::ffmpeg},
        {"http://a/b.m3u8", Pipeline::ffmpeg},
        {"http://192.0.2.7/live", Pipeline::ffmpeg},
        {"mms://198.51.100.1/x", Pipeline::ffmpeg},
        {"203.0.113.9:8080", Pipeline::ffmpeg},
        {"http://live.example.net/ch1", Pipeline::ffmpeg},
        {"https://live.example.net/ch1", Pipeline::web},
        {"HTTP://LIVE.EXAMPLE.NET/ch1", Pipeline::ffmpeg},
        {"http://a/b.M3U8", Pipeline::web},
        {"mms://a/b", Pipeline::direct},
        {"mmsh://a/b", Pipeline::direct},
        {"rtsp://a/b", Pipeline::direct},
        {"RTSP://a/b", Pipeline::direct},
        {"udp://@239.0.0.1:1234", Pipeline::direct},
        {"rtp://239.0.0.1:5004", Pipeline::direct},
        {"http://a/b", Pipeline::web},
        {"HTTP://a/b", Pipeline::web},
        {"https://a/b", Pipeline::web},
        {"Rtmp://a/b", Pipeline::rtmpdump},
        {"https://a/b.m3u8", Pipeline::ffmpeg},
        {"ftp://a/b", Pipeline::none},
        {"ftp://h/http-docs/a", Pipeline::none},
        {"UDP://", Pipeline::direct},
        {"x HTTPS://", Pipeline::web},
        // A header the player cannot send takes ffmpeg; its own two stay with it.
        {"https://a/b|User-Agent=x&Referrer=y", Pipeline::web},
        {"https://a/b|Origin=x", Pipeline::ffmpeg},
        {"rtsp://a/b|Cookie=x", Pipeline::ffmpeg},
        {"ftp://a/b|Cookie=x", Pipeline::none},
        {"x|Referer=http://a/b", Pipeline::none},
        {"https://a/b|Referer=rtsp://a/b.m3u8", Pipeline::web},
        // The list is cut before anything looks at the address.
        {"https://a/b.m3u8|Referer=rtmp://s/", Pipeline::ffmpeg},
        {"https://a/b|Referer=rtmp://s/&&User-Agent=x", Pipeline::web},
        {"|Referer=https://s/&&User-Agent=x", Pipeline::none},
        {"x|Referer=http://a/b.m3u8|c", Pipeline::none},
        {"", Pipeline::none},
    };
    for (const auto& c : cases) {
        const std::u16string address(c.address, c.address + std::char_traits<char>::length(c.address));
        EXPECT_EQ(choose_pipeline(address), c.expected) << c.address;
    }
}

struct QuoteCase {
    std::u16string in;
    std::u16string batch;
    std::u16string console;
};

TEST(ProtectWordsTest, PlainWordsUnchangedSpecialWordsQuoted) {
    const QuoteCase cases[] = {
        {u"rtmp://a/b --live", u"rtmp://a/b --live", u"rtmp://a/b --live"},
        {u"  a  b ", u"  a  b ", u"  a  b "},
        {u"a&b c", u"\"a&b\" c", u"\"a&b\" c"},
        {u"|<>^()!", u"\"|<>^()!\"", u"\"|<>^()!\""},
        {u"%20", u"\"%%20\"", u"\"\"%\"20\""},
        {u"x%PATH%y", u"\"x%%PATH%%y\"", u"\"x\"%\"PATH\"%\"y\""},
        {u"a\"b", u"ab", u"ab"},
        {u"\"rtmp://x/app\" -y \"my stream\"", u"rtmp://x/app -y \"my stream\"", u"rtmp://x/app -y \"my stream\""},
        {u"say \"a&b\"  now", u"say \"a&b\"  now", u"say \"a&b\"  now"},
        {u"123\">\"&x y", u"\"123>&x\" y", u"\"123>&x\" y"},
        {u"abc\"&x y", u"\"abc&x y\"", u"\"abc&x y\""},
        {u"a\\\"b& \"x\"\"y\"", u"\"a%%22b&\" \"x%%22y\"", u"\"a\"%\"22b&\" \"x\"%\"22y\""},
        {u"a\\\\\"b c\\\"", u"\"a\\b c%%22\"", u"\"a\\b c\"%\"22\""},
        {u"\" \"\"", u"\" %%22\"", u"\" \"%\"22\""},
        {u"\"\" x", u"\"\" x", u"\"\" x"},
        {u"a\r\nb\x1a", u"\"a%%0D%%0Ab%%1A\"", u"\"a\"%\"0D\"%\"0Ab\"%\"1A\""},
        {u"a\tb", u"a\tb", u"a b"},
        {u"rtmp://h/app\t-y\tname", u"rtmp://h/app\t-y\tname", u"rtmp://h/app -y name"},
        {u"\ta&b\t\"c\td\"", u"\t\"a&b\"\t\"c\td\"", u" \"a&b\" \"c\"%\"09d\""},
        {u"&x\\", u"\"&x\\\\\"", u"\"&x\\\\\""},
        {u"&x\\%", u"\"&x\\%%\"", u"\"&x\\\\\"%\"\""},
        {u"hello^\"world", u"\"hello^world\"", u"\"hello^world\""},
        {u"a\\b&", u"\"a\\b&\"", u"\"a\\b&\""},
        // Backslash runs are doubled only in front of a quote the line closes.
        {uR"(&x\\\)", uR"("&x\\\\\\")", uR"("&x\\\\\\")"},
        {uR"(a\\\%&)", uR"("a\\\%%&")", uR"("a\\\\\\"%"&")"},
        {uR"(a\\\ b)", uR"(a\\\ b)", uR"(a\\\ b)"},
        {u"a\x7f" u"b", u"\"a%%7Fb\"", u"\"a\"%\"7Fb\""},
        {u"a\x7f&", u"\"a%%7F&\"", u"\"a\"%\"7F&\""},
        // A '!' would expand a variable under delayed expansion.
        {u"rtsp://h/a!PATH!b", u"\"rtsp://h/a!PATH!b\"", u"\"rtsp://h/a!PATH!b\""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(protect_words(c.in, CommandShell::batch), c.batch);
        EXPECT_EQ(protect_words(c.in, CommandShell::console), c.console);
    }
}

TEST(ProtectPathTest, QuotesPathsThatWouldSplitOrRunSomething) {
    const QuoteCase cases[] = {
        {kVlc, kVlc, kVlc},
        {u"", u"", u""},
        {u"C:\\Program Files\\vlc.exe", u"\"C:\\Program Files\\vlc.exe\"", u"\"C:\\Program Files\\vlc.exe\""},
        {u"C:\\a,b\\vlc.exe", u"\"C:\\a,b\\vlc.exe\"", u"\"C:\\a,b\\vlc.exe\""},
        {u"C:\\a&b (x86)\\v.exe", u"\"C:\\a&b (x86)\\v.exe\"", u"\"C:\\a&b (x86)\\v.exe\""},
        {u"C:\\100%\\v.exe", u"\"C:\\100%%\\v.exe\"", u"\"C:\\100%\\v.exe\""},
        {u"C:\\a\"b\r\n.exe", u"\"C:\\ab.exe\"", u"\"C:\\ab.exe\""},
        {u"C:\\dir with space\\", u"\"C:\\dir with space\\\\\"", u"\"C:\\dir with space\\\\\""},
        {uR"(C:\a b\\\)", uR"("C:\a b\\\\\\")", uR"("C:\a b\\\\\\")"},
        {uR"(C:\a=b\v.exe)", uR"("C:\a=b\v.exe")", uR"("C:\a=b\v.exe")"},
        {uR"(C:\a;b\v.exe)", uR"("C:\a;b\v.exe")", uR"("C:\a;b\v.exe")"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(protect_path(c.in, CommandShell::batch), c.batch);
        EXPECT_EQ(protect_path(c.in, CommandShell::console), c.console);
    }
}

// A code page holding Latin-1 only, and a file system that knows short names
// of two folders: one the code page can name, one it cannot.
BatchCharset latin1_charset() {
    return {[](char32_t c) { return c < 0x100; },
            [](const std::u16string& path) {
                const std::pair<std::u16string_view, std::u16string_view> short_folders[] = {
                    {u"C:\\\u042e\u0440\u0438\u0439\\", u"C:\\8F2A~1\\"}, {u"C:\\J\u00fcrgen M\u00fcller\\", u"C:\\JRGENM~1\\"}};
                for (auto [folder, short_folder] : short_folders)
                    if (std::u16string_view(path).starts_with(folder))
                        return std::u16string(short_folder) + path.substr(folder.size());
                return std::u16string();
            }};
}

TEST(BatchCharsetTest, CharactersOutsideTheCodePageArePercentEncodedPathsShortened) {
    const std::u16string player = u" --network-caching=1000" + kPlayerTail, yuri = u"C:\\\u042e\u0440\u0438\u0439\\",
                         juergen = u"C:\\J\u00fcrgen M\u00fcller\\";
    const std::u16string tools = u"c:\\programme\\videolan\\vlc\\";
    const struct {
        std::u16string folder;  // of all three tools
        std::u16string address;
        std::u16string line;
    } cases[] = {
        {tools, u"rtsp://h/m\u00fcller-stra\u00dfe?t=caf\u00e9 \u00fcber", kVlc + player + u" rtsp://h/m\u00fcller-stra\u00dfe?t=caf\u00e9 \u00fcber"},
        {tools, u"rtsp://h/\u043f\u0440\u0438\u0432\u0435\u0442", kVlc + player + u" rtsp://h/%%D0%%BF%%D1%%80%%D0%%B8%%D0%%B2%%D0%%B5%%D1%%82"},
        {tools, u"rtsp://h/\u4e2d \"&\u4e2d\"", kVlc + player + u" rtsp://h/%%E4%%B8%%AD \"&%%E4%%B8%%AD\""},
        {tools, u"rtsp://h/\U0001D11E\xD800x", kVlc + player + u" rtsp://h/%%F0%%9D%%84%%9E%%EF%%BF%%BDx"},
        // At the edges of the UTF-8 lengths, and a pair whose low half is the last one.
        {tools, u"rtsp://h/\u07FF\u0800\uFFFF\U00010000\U0010FFFF",
         kVlc + player + u" rtsp://h/%%DF%%BF%%E0%%A0%%80%%EF%%BF%%BF%%F0%%90%%80%%80%%F4%%8F%%BF%%BF"},
        // A path the code page lacks takes its short form in every pipeline;
        // one it can name is never shortened.
        {yuri, u"rtsp://h/a", u"C:\\8F2A~1\\vlc.exe" + player + u" rtsp://h/a"},
        {yuri, u"rtmp://h/a", u"C:\\8F2A~1\\rtmpdump.exe -v -r rtmp://h/a | C:\\8F2A~1\\vlc.exe" + player + u" -"},
        {yuri, u"http://h/a.m3u8",
         u"C:\\8F2A~1\\ffmpeg.exe -re -i http://h/a.m3u8 -acodec copy -vcodec copy -f mpegts pipe: | C:\\8F2A~1\\vlc.exe" +
             player + u" -"},
        {juergen, u"rtmp://h/a", u"\"" + juergen + u"rtmpdump.exe\" -v -r rtmp://h/a | \"" + juergen + u"vlc.exe\"" + player + u" -"},
        {u"C:\\\u4e2d x\\", u"rtsp://h/a", u"\"C:\\%%E4%%B8%%AD x\\vlc.exe\"" + player + u" rtsp://h/a"},
    };
    for (const auto& c : cases) {
        ProgramState s;
        s.vlc_path = c.folder + u"vlc.exe";
        s.ffmpeg_path = c.folder + u"ffmpeg.exe";
        s.rtmpdump_path = c.folder + u"rtmpdump.exe";
        s.stream_address = c.address;
        compose_test_command(s, latin1_charset());
        EXPECT_EQ(s.test_command, c.line);
    }
    // ASCII never changes, whatever the code page holds.
    ProgramState s;
    s.stream_address = u"rtmp://example/live --playpath stream";
    compose_test_command(s, {[](char32_t) { return false; }, {}});
    EXPECT_EQ(s.test_command, composed(s.stream_address));
}

TEST(ClipboardLineTest, ConsoleFormOfTheLastTest) {
    ProgramState s;  // the plain line: on the real program, in the black-box suite
    s.stream_address = u"http://h/a.m3u8?a=1&b=%41";
    s.ffmpeg_path = u"C:\\Program Files\\ffmpeg.exe";
    EXPECT_EQ(clipboard_line(s), u"\"C:\\Program Files\\ffmpeg.exe\" -re -i \"http://h/a.m3u8?a=1&b=\"%\"41\""
                                 u" -acodec copy -vcodec copy -f mpegts pipe: | " + kVlc + u" -");
}

TEST(ClipboardLineTest, CarriesTheHeadersAsTheBatchLineDoes) {
    ProgramState s;
    s.stream_address = u"HTTPS://h/a|User-Agent=a b&Referer=r%25&Origin=o";
    EXPECT_EQ(clipboard_line(s), kFfmpeg + u" -re -user_agent \"a b\" -referer \"r\"%\"\" -headers \"Origin: o\""
                                           u" -i https://h/a -acodec copy -vcodec copy -f mpegts pipe: | " + kVlc + u" -");
}

struct HeaderCase {
    std::u16string text;
    std::u16string address;
    std::vector<RequestHeader> headers;
};

TEST(HeaderListTest, TheListBeginsAtTheFirstBarFollowedByAPair) {
    const HeaderCase cases[] = {
        {u"http://h/a", u"http://h/a", {}},
        {u"http://h/a|User-Agent=U", u"http://h/a", {{u"User-Agent", u"U"}}},
        {u"h|a=1&B-2=x=y", u"h", {{u"a", u"1"}, {u"B-2", u"x=y"}}},
        {u"h|a=", u"h", {{u"a", u""}}},
        {u"h|a=%41%zz%4", u"h", {{u"a", u"A%zz%4"}}},
        {u"h|a=%C3%bc%E2%82", u"h", {{u"a", u"\u00fc\uFFFD\uFFFD"}}},
        {u"h|a=x%7Cy%26z%25", u"h", {{u"a", u"x|y&z%"}}},
        // Overlong, surrogate and cut UTF-8: one U+FFFD per byte.
        {u"h|a=%C0%AF%ED%A0%80%F4%90%80%80", u"h", {{u"a", std::u16string(9, u'\uFFFD')}}},
        {u"h|a=%F0%9F%98%80%E2%82%AC", u"h", {{u"a", u"\U0001F600\u20AC"}}},
        // Behind the first bar followed by a pair, '&' and '|' both part
        // pairs; empty pieces and pieces that are no pair are left out.
        {u"h|a=1|b=2", u"h", {{u"a", u"1"}, {u"b", u"2"}}},
        {u"h|a=1&&b=2&", u"h", {{u"a", u"1"}, {u"b", u"2"}}},
        {u"h|&c&a=1|x|=2|d e=3|\u00e4=4|x_y=5|b=", u"h", {{u"a", u"1"}, {u"b", u""}}},
        {u"h|c|a=1", u"h|c", {{u"a", u"1"}}},
        {u"h||a=1", u"h|", {{u"a", u"1"}}},
        {u"|a=1", u"", {{u"a", u"1"}}},
        {u"h?a=1|c", u"h?a=1|c", {}},
        {u"h|x<y>", u"h|x<y>", {}},
        {u"h|=1", u"h|=1", {}},
        {u"h|a b=1", u"h|a b=1", {}},
        {u"h|\u00e4=1", u"h|\u00e4=1", {}},
        {u"h|x_y=1", u"h|x_y=1", {}},
        {u"h|||&&", u"h|||&&", {}},
    };
    for (const auto& c : cases) {
        const HeaderSplit split = split_header_list(c.text);
        EXPECT_EQ(split.address, c.address) << std::string(c.text.begin(), c.text.end());
        EXPECT_EQ(split.headers, c.headers) << std::string(c.text.begin(), c.text.end());
    }

    const ToolHeaders tools = tool_headers(split_header_list(
        u"h|user-agent=1&USER-AGENT=2&Referrer=r&Referer=s&Origin=o&origin=p&Cookie=c").headers);
    EXPECT_EQ(tools.user_agent, u"1");
    EXPECT_EQ(tools.referer, u"r");
    EXPECT_EQ(tools.others, (std::vector<RequestHeader>{{u"Origin", u"o"}, {u"Cookie", u"c"}}));

    // A value a list writes reads back as itself.
    for (std::u16string value : {u"", u"a&b|c%d", u"%41", u"100%", u"x=y", u"\u00fc \"q\""})
        EXPECT_EQ(split_header_list(u"h|N=" + encode_header_value(value)).headers,
                  (std::vector<RequestHeader>{{u"N", value}}));
}

}  // namespace
