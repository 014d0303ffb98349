// The user's side of one end-to-end scenario (e2e.sh prepares the stream
// and checks what VLC decoded): the real program gets the three launchers as
// its tools and the address typed into its field, or loaded from a link
// file, and "testen" is clicked; then the named tools must run and VLC must
// play to the end of the bounded stream.
//
// Environment (set by e2e.sh): WB_E2E_ADDRESS, WB_E2E_TOOLS_DIR (Unix path
// of the launchers), WB_E2E_TOOLS (launchers that must run, VLC last);
// optional WB_E2E_LINK_FILE (Unix path of a link file to load instead of
// typing; the address is then what loading puts into the field),
// WB_E2E_FIELD (the address field's text after the test), WB_E2E_ABSENT (a
// file that must not appear).
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "main/controls.h"
#include "tests/main/blackbox/app_driver.h"

namespace {

// The stream lasts seconds; the tools run one after the other under Wine.
constexpr DWORD kPlayBoundMs = 120000;

std::u16string setting(const char* name) { return from_utf8(std::getenv(name) ?: ""); }

class EndToEnd : public ::testing::Test {
protected:
    void SetUp() override { DeleteFileW(wz(temp_folder() + u"stream.bat")); }
    void TearDown() override { stop_app(app_); }

    ScratchFolder scratch_;
    const std::u16string work_ = scratch_.path();
    App app_;
};

TEST_F(EndToEnd, StreamPlaysThroughTheRealTools) {
    const std::u16string address = setting("WB_E2E_ADDRESS");
    const std::u16string tools_dir = windows_path(std::getenv("WB_E2E_TOOLS_DIR") ?: "");
    ASSERT_FALSE(address.empty());
    ASSERT_FALSE(tools_dir.empty());
    std::vector<std::u16string> tools;
    {
        std::wistringstream words(reinterpret_cast<const wchar_t*>(setting("WB_E2E_TOOLS").c_str()));
        for (std::wstring word; words >> word;) tools.push_back(u16(word.c_str()));
    }
    ASSERT_FALSE(tools.empty());

    ASSERT_TRUE(start_app(app_, windows_path(WELLENBLICK_EXE), work_)) << describe_app(app_);
    set_text(control(app_, VlcPathField), tools_dir + u"\\vlc.exe");
    set_text(control(app_, FfmpegPathField), tools_dir + u"\\ffmpeg.exe");
    set_text(control(app_, RtmpdumpPathField), tools_dir + u"\\rtmpdump.exe");

    if (const char* link_file = std::getenv("WB_E2E_LINK_FILE")) {
        const std::u16string links = windows_path(link_file);
        post_click(control(app_, LoadLinksButton));
        HWND dialog = wait_for_dialog(app_, u"Bitte Datei ausw\u00e4hlen");
        ASSERT_NE(dialog, nullptr) << "no file dialog";
        set_text(file_name_box(dialog), links);
        ASSERT_TRUE(press_dialog_button(dialog, IDOK));
        ASSERT_TRUE(wait_until([&] { return text_of(control(app_, AddressField)) == address; }))
            << "the link file's first entry did not reach the address field";
        ASSERT_TRUE(settle(app_));
    } else {
        set_text(control(app_, AddressField), address);
    }

    const ULONGLONG clicked = GetTickCount64();
    ASSERT_TRUE(click(app_, control(app_, TestButton)));
    if (const std::u16string field = setting("WB_E2E_FIELD"); !field.empty()) {
        EXPECT_EQ(text_of(control(app_, AddressField)), field);
    }

    // Each tool shows up in turn; the player is last and ends with the stream.
    std::set<std::u16string> seen;
    const bool played = wait_until(
        [&] {
            const auto now = running_process_names();
            const auto running = [&](const std::u16string& tool) {
                return std::find(now.begin(), now.end(), tool) != now.end();
            };
            for (const auto& tool : tools)
                if (running(tool)) seen.insert(tool);
            return seen.size() == tools.size() && !running(tools.back());
        },
        kPlayBoundMs);
    for (const auto& tool : tools) EXPECT_TRUE(seen.count(tool)) << utf8(tool) << " never ran";
    ASSERT_TRUE(played) << "the player did not finish the stream";
    std::printf("\nfrom the click to the end of playback: %.1f s\n", (GetTickCount64() - clicked) / 1000.0);

    if (const std::u16string absent = setting("WB_E2E_ABSENT"); !absent.empty()) {
        EXPECT_FALSE(file_exists(absent)) << "a command in the address ran: " << utf8(absent);
    }
    EXPECT_EQ(close_app(app_), 0u);
}

}  // namespace
