#pragma once
// The program-wide values, from start-up to exit. The field texts of the
// window are separate: fields are filled from these once, a test takes the
// field texts back into them, and the settings file stores these values.
#include <cstdint>
#include <string>
#include <vector>

inline constexpr char16_t kDefaultVlcPath[] = u"c:\\programme\\videolan\\vlc\\vlc.exe";
inline constexpr char16_t kDefaultFfmpegPath[] = u"c:\\programme\\videolan\\vlc\\ffmpeg.exe";
inline constexpr char16_t kDefaultRtmpdumpPath[] = u"c:\\programme\\videolan\\vlc\\rtmpdump.exe";
inline constexpr char16_t kDefaultCacheKb[] = u"1000";
inline constexpr char16_t kDefaultLinkDir[] = u"c:\\";
// The settings loader's default for an empty address line; the program
// itself starts with an empty address.
inline constexpr char16_t kAddressHint[] = u"m3u8 Stream hier direkt einf\u00fcgen";

struct ProgramState {
    std::u16string work_dir;       // ends in a backslash
    std::u16string vlc_path = kDefaultVlcPath;
    std::u16string ffmpeg_path = kDefaultFfmpegPath;
    std::u16string rtmpdump_path = kDefaultRtmpdumpPath;
    std::u16string cache_kb = kDefaultCacheKb;
    std::u16string stream_address;
    std::u16string link_dir = kDefaultLinkDir;

    std::vector<std::u16string> links;
    bool links_are_channels = false;  // picking then takes the entry, not the item's text
    std::int32_t link_index = 0;

    // Left behind by the last test.
    std::u16string temp_dir;       // ends in a backslash
    std::u16string ffmpeg_args;
    std::u16string rtmpdump_args;
    std::u16string cache_option;
    std::u16string test_command;
};
