#include "main/window_logic.h"

#include <gtest/gtest.h>

#include <array>

namespace {

TEST(CentredOnScreen, CentresAndClipsToTheScreen) {
    struct Case {
        int w, h, sw, sh;
        WindowPlacement expected;
    };
    const Case cases[] = {
        {806, 579, 1280, 1024, {237, 222, 806, 579}},
        {806, 579, 1281, 1025, {237, 223, 806, 579}},  // integer division
        {806, 579, 640, 480, {0, 0, 640, 480}},        // larger than the screen
        {806, 579, 800, 1024, {0, 222, 800, 579}},     // only one dimension clipped
        {806, 579, 806, 579, {0, 0, 806, 579}},
    };
    for (const auto& c : cases) {
        const WindowPlacement p = centred_on_screen(c.w, c.h, c.sw, c.sh);
        EXPECT_EQ(p.x, c.expected.x);
        EXPECT_EQ(p.y, c.expected.y);
        EXPECT_EQ(p.width, c.expected.width);
        EXPECT_EQ(p.height, c.expected.height);
    }
}

TEST(FileNameValidity, RejectsReservedAndControlCharacters) {
    EXPECT_TRUE(is_valid_file_name(u"vlc.exe"));
    EXPECT_TRUE(is_valid_file_name(u"n\u00e4me with spaces.txt"));
    EXPECT_FALSE(is_valid_file_name(u""));
    for (char16_t bad : std::u16string(u"\"*/:<>?\\|\x01\x1f\t"))
        EXPECT_FALSE(is_valid_file_name(std::u16string(u"a") + bad + u"b")) << int(bad);
}

TEST(RequesterStart, SplitsTheDefaultFileAtItsLastBackslash) {
    struct Case {
        std::u16string file, folder, name;
    };
    const Case cases[] = {
        {u"c:\\programme\\videolan\\vlc\\vlc.exe", u"c:\\programme\\videolan\\vlc", u"vlc.exe"},
        {u"c:\\links\\", u"c:\\links", u""},       // folder ending in a backslash
        {u"c:\\", u"c:\\", u""},                   // a drive root stays the root
        {u"d:\\list.txt", u"d:\\", u"list.txt"},
        {u"c:\\a\\b:c", u"c:\\a", u""},            // invalid name is not pre-filled
        {u"list.txt", u"", u"list.txt"},           // no folder at all
        {u"c:/x/y.txt", u"", u""},                 // only backslashes split; "/" is invalid
        {u"", u"", u""},
    };
    for (const auto& c : cases) {
        const RequesterStart s = requester_start(c.file, 260);
        EXPECT_EQ(s.folder, c.folder) << std::string(c.file.begin(), c.file.end());
        EXPECT_EQ(s.file_name, c.name) << std::string(c.file.begin(), c.file.end());
    }
}

TEST(RequesterStart, NameThatDoesNotFitTheBufferIsNotPreFilled) {
    const std::u16string name(259, u'n');
    EXPECT_EQ(requester_start(u"c:\\" + name, 260).file_name, name);
    EXPECT_EQ(requester_start(u"c:\\" + name + u"n", 260).file_name, u"");
}

TEST(RequesterFilter, BarsBecomeNulsWithDoubleNulEnd) {
    using namespace std::string_literals;
    EXPECT_EQ(requester_filter(u"VLC (exe Dateien (*.exe)|*.exe"),
              u"VLC (exe Dateien (*.exe)\0*.exe\0\0"s);
    EXPECT_EQ(requester_filter(u"Dateien (*.*)|*.txt;*.m3u;*.m3u8;*.xml;*.bat"),
              u"Dateien (*.*)\0*.txt;*.m3u;*.m3u8;*.xml;*.bat\0\0"s);
}

TEST(NextTabPosition, WalksEligibleStopsAndWraps) {
    // Position 2 stands for a disabled button.
    const std::array<bool, 5> eligible = {true, true, false, true, true};
    struct Case {
        int current;
        bool backwards;
        int expected;
    };
    const Case cases[] = {
        {-1, false, 0}, {-1, true, 4},  // nothing focused
        {0, false, 1},  {1, false, 3},  // skips the disabled one
        {4, false, 0},  {0, true, 4},   // wraps both ways
        {3, true, 1},   {2, false, 3},  // from a stop that is no longer eligible
        {7, false, 0},                  // out of range counts as none
    };
    for (const auto& c : cases)
        EXPECT_EQ(next_tab_position(eligible, c.current, c.backwards), c.expected)
            << c.current << (c.backwards ? " back" : " forward");

    const std::array<bool, 3> none = {false, false, false};
    EXPECT_EQ(next_tab_position(none, -1, false), -1);
    const std::array<bool, 3> one = {false, true, false};
    EXPECT_EQ(next_tab_position(one, 1, false), 1);
    EXPECT_EQ(next_tab_position(std::span<const bool>(), -1, true), -1);
}

}  // namespace
