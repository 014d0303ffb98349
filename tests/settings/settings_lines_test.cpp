#include "settings/settings_lines.h"

#include <gtest/gtest.h>

#include <tuple>

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

// Every value the state holds, so that a line read into the wrong one shows.
auto all_values(const ProgramState& s) {
    return std::tie(s.work_dir, s.vlc_path, s.ffmpeg_path, s.rtmpdump_path, s.cache_kb, s.stream_address,
                    s.link_dir, s.links, s.links_are_channels, s.link_index, s.temp_dir, s.ffmpeg_args,
                    s.rtmpdump_args, s.cache_option, s.test_command);
}

// Each line sets its own value, as it stands, and nothing else; a line
// after the sixth sets nothing at all.
TEST(SettingsLines, ValuesAreKeptAsTheyAreAndExtraLinesIgnored) {
    struct Row {
        std::size_t index;
        std::u16string line;
        std::u16string ProgramState::*value;  // null: none
    };
    const Row rows[] = {
        {0, u" \"c:\\a b\\vlc.exe\" ", &ProgramState::vlc_path},
        {3, u"viel", &ProgramState::cache_kb},
        {4, u"   ", &ProgramState::stream_address},  // spaces are a value, not an empty line
        {6, u"seventh", nullptr},
        {7, u"eighth", nullptr},
    };
    for (const Row& row : rows) {
        ProgramState s, expected;
        apply_settings_line(s, row.index, row.line);
        if (row.value) expected.*row.value = row.line;
        EXPECT_EQ(all_values(s), all_values(expected)) << "line " << row.index;
    }
}
