#include "main/channel_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Shown {
    std::u16string item, link;
    bool operator==(const Shown&) const = default;
};

void PrintTo(const Shown& s, std::ostream* os) {
    *os << "{" << std::string(s.item.begin(), s.item.end()) << " | " << std::string(s.link.begin(), s.link.end()) << "}";
}

struct FileCase {
    const char* name;
    std::vector<std::u16string> lines;  // as the line reader hands them on
    bool channels;
    std::vector<Shown> entries;
};

TEST(LinkFileReading, EntriesOfPlainFilesAndChannelLists) {
    const FileCase cases[] = {
        {"plain file: every line, cleaned, the mark kept",
         {u"\uFEFFhttp://a", u"  b\t ", u"", u"#EXTINF:-1,x", u"#EXTM3U"},
         false,
         {{u"\uFEFFhttp://a", u"\uFEFFhttp://a"}, {u"b", u"b"}, {u"", u""}, {u"#EXTINF:-1,x", u"#EXTINF:-1,x"},
          {u"#EXTM3U", u"#EXTM3U"}}},
        {"channel list",
         {u"\uFEFF#extm3u x-tvg-url=\"u\"",
          u"#EXTINF:-1 tvg-id=\"a,b\" group-title=\"News, Talk\",Das Erste HD ",
          u"#EXTVLCOPT:http-user-agent=Mozilla/5.0 (X11)",
          u"#extvlcopt:HTTP-REFERRER=https://s/?a=1&b=50%|x",
          u"#EXTGRP:News",
          u"https://h/1.m3u8",
          u"",
          u"#EXTINF:-1,",
          u"#KODIPROP:inputstream=x",
          u"\thttp://h/2 ",
          u"http://h/3",
          u"#EXTINF:-1,Lost",
          u"#EXTVLCOPT:http-user-agent=lost",
          u"#EXTINF:-1,Four",
          u"#EXTVLCOPT:http-referrer=r",
          u"http://h/4|origin=o",
          u"#EXTINF:-1,Five",
          u"#EXTVLCOPT:http-user-agent=u",
          u"rtmp://h/app/x",
          u"#EXTINF:-1 tvg-name=\"Six\"",
          u"#EXTVLCOPT:http-user-agent=u",
          u"http://h/6",
          u"#EXTINF:-1,At the end"},
         true,
         {{u"Das Erste HD", u"https://h/1.m3u8|User-Agent=Mozilla/5.0 (X11)&Referer=https://s/?a=1%26b=50%25%7Cx"},
          {u"http://h/2", u"http://h/2"},
          {u"http://h/3", u"http://h/3"},
          {u"Four", u"http://h/4|origin=o&Referer=r"},
          {u"Five", u"rtmp://h/app/x"},
          {u"http://h/6", u"http://h/6|User-Agent=u"}}},
        {"header list kept, and a pipe that begins none",
         {u"#EXTM3U", u"#EXTVLCOPT:http-referrer=r", u"http://h/a|c",
          u"#EXTVLCOPT:http-user-agent=u", u"#EXTVLCOPT:http-referrer=r", u"http://h/b|Referrer=own&User-Agent=x"},
         true,
         {{u"http://h/a|c", u"http://h/a|c|Referer=r"}, {u"http://h/b|Referrer=own&User-Agent=x", u"http://h/b|Referrer=own&User-Agent=x"}}},
        {"a media centre's list: no #EXTM3U, headers on property lines, licence lines ignored",
         {u"\uFEFF", u"  ",
          u"#KODIPROP:inputstream.adaptive.license_key=https://lic/",
          u"#KODIPROP:INPUTSTREAM.ADAPTIVE.STREAM_HEADERS=User-Agent=K%2F1&Origin=https://o",
          u"#KODIPROP:inputstream.adaptive.manifest_headers=Referer=https://m/&&origin=x|Cookie=c%3D1",
          u"#EXTINF:-1 tvg-logo=\"https://logo/x.png\",Eins",
          u"#EXTVLCOPT:HTTP-USER-AGENT=V",
          u"https://h/1.mpd|Cookie=own",
          u"#EXTINF:-1,Zwei",
          u"https://h/2.m3u8"},
         true,
         {{u"Eins", u"https://h/1.mpd|Cookie=own&User-Agent=V&Origin=https://o&Referer=https://m/"},
          {u"Zwei", u"https://h/2.m3u8"}}},
        {"an #EXTINF: line first", {u"", u"#extinf:-1,A", u"http://h/a"}, true, {{u"A", u"http://h/a"}}},
        {"an option line first", {u"#EXTVLCOPT:http-referrer=r", u"http://h/a"}, true,
         {{u"http://h/a", u"http://h/a|Referer=r"}}},
        {"blank lines, then a plain line", {u"\uFEFF", u"\t", u"http://a"}, false,
         {{u"\uFEFF", u"\uFEFF"}, {u"", u""}, {u"http://a", u"http://a"}}},
        {"blank lines only", {u"", u" "}, false, {{u"", u""}, {u"", u""}}},
        {"empty file", {}, false, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        LinkFileReading reading;
        std::vector<LinkEntry> read;
        for (const auto& line : c.lines) read_link_line(reading, line, read);
        end_link_file(reading, read);
        std::vector<Shown> entries;
        for (const LinkEntry& e : read) entries.push_back({e.item.empty() ? e.link : e.item, e.link});
        EXPECT_EQ(is_channel_list(reading), c.channels);
        EXPECT_EQ(entries, c.entries);
    }
}

TEST(LinkFileReading, ChannelNameFollowsTheFirstCommaOutsideQuotes) {
    const std::pair<std::u16string, std::u16string> cases[] = {
        {u"#EXTINF:-1 tvg-name=\"a, b\",Name", u"Name"},
        {u"#EXTINF:0,A, B ", u"A, B"},
        {u"#EXTINF:-1,", u""},
        {u"#EXTINF:-1 x=\"unclosed,Name", u""},
        {u"#EXTINF:-1 x=\"\" y=\",\",  \"Quoted\" ", u"\"Quoted\""},
    };
    for (const auto& [line, name] : cases) EXPECT_EQ(channel_name(line), name);
}

}  // namespace
