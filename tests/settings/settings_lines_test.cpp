#include "settings/settings_lines.h"

#include <gtest/gtest.h>

TEST(SettingsLines, ValuesStandInFileOrder) {
    ProgramState s;
    s.vlc_path = u"V";
    s.ffmpeg_path = u"F";
    s.link_dir = u"L";
    s.cache_kb = u"C";
    s.stream_address = u"A";
    s.rtmpdump_path = u"R";
    EXPECT_EQ(settings_to_lines(s), (SettingsLines{u"V", u"F", u"L", u"C", u"A", u"R"}));

    ProgramState back;
    const auto lines = settings_to_lines(s);
    for (std::size_t i = 0; i < lines.size(); ++i) apply_settings_line(back, i, lines[i]);
    EXPECT_EQ(settings_to_lines(back), lines);
}

TEST(SettingsLines, EmptyLinesTakeTheirDefaults) {
    ProgramState s;
    s.vlc_path = s.ffmpeg_path = s.link_dir = s.cache_kb = s.rtmpdump_path = u"x";
    for (std::size_t i = 0; i < kSettingsLineCount; ++i) apply_settings_line(s, i, u"");
    EXPECT_EQ(settings_to_lines(s),
              (SettingsLines{kDefaultVlcPath, kDefaultFfmpegPath, kDefaultLinkDir, kDefaultCacheKb,
                             kAddressHint, kDefaultRtmpdumpPath}));
}

TEST(SettingsLines, ValuesAreKeptAsTheyAreAndExtraLinesIgnored) {
    ProgramState s;
    apply_settings_line(s, 0, u" \"c:\\a b\\vlc.exe\" ");
    apply_settings_line(s, 3, u"viel");
    apply_settings_line(s, 4, u"   ");  // spaces are a value, not an empty line
    apply_settings_line(s, 6, u"seventh");
    EXPECT_EQ(s.vlc_path, u" \"c:\\a b\\vlc.exe\" ");
    EXPECT_EQ(s.cache_kb, u"viel");
    EXPECT_EQ(s.stream_address, u"   ");
    EXPECT_EQ(settings_to_lines(s)[5], kDefaultRtmpdumpPath);
}
