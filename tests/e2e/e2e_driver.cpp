// The user's side of one end-to-end scenario (e2e.sh prepares the stream
// and checks what VLC decoded): the real program gets the three launchers as
// its tools and the address typed into its field, or loaded from a link
// file, and "testen" is clicked; then the named tools must run and VLC must
// play to the end of the bounded stream.
//
// Environment (set by e2e.sh): WB_E2E_ADDRESS, WB_E2E_TOOLS_DIR (Unix path
// of the launchers), WB_E2E_TOOLS (the Linux tools that must run, VLC last);
// optional WB_E2E_LINK_FILE (Unix path of a link file to load instead of
// typing; the address is then what loading puts into the field),
// WB_E2E_FIELD (the address field's text after the test), WB_E2E_ABSENT (a
// file that must not appear); WB_E2E_LIVE_FRAMES (Unix path of the folder
// VLC saves its pictures in: the stream is live and never ends).
// An empty WB_E2E_TOOLS_DIR keeps the program's default tool paths.
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

// The tools of this test that run: Windows processes by name ("vlc.exe"),
// and the Linux tools ("vlc") that carry this suite's tag (Wine shows /proc
// as Z:\proc).
std::vector<std::string> running_tools() {
    static const std::set<std::u16string> windows = {u"vlc.exe", u"ffmpeg.exe", u"rtmpdump.exe", u"cmd.exe"};
    static const std::set<std::string> linux_tools = {"vlc\n", "ffmpeg\n", "rtmpdump\n"};
    std::vector<std::string> running;
    for (const auto& name : running_process_names())
        if (windows.count(name)) running.push_back(utf8(name));
    const std::string tag = std::string("WB_SUITE=") + (std::getenv("WB_SUITE") ?: "?") + '\0';
    for (const auto& pid : folder_entries(u"Z:\\proc\\")) {
        if (pid.find_first_not_of(u"0123456789") != std::u16string::npos) continue;
        const std::u16string dir = u"Z:\\proc\\" + pid + u"\\";
        const std::string comm = file_bytes(dir + u"comm").value_or("");
        if (linux_tools.count(comm) && file_bytes(dir + u"environ").value_or("").find(tag) != std::string::npos)
            running.push_back(comm.substr(0, comm.size() - 1));
    }
    return running;
}

// A live stream never ends: its pictures must come while the source
// publishes, and "VLC aus" must end every tool of the test.
void expect_live_pictures_then_stop(const App& app, const std::u16string& frames, ULONGLONG clicked) {
    const auto pictures = [&] {
        const auto names = folder_entries(frames);
        return std::count_if(names.begin(), names.end(), [](const auto& n) { return n.rfind(u"frame", 0) == 0; });
    };
    ASSERT_TRUE(wait_until([&] { return pictures() > 0; }, kPlayBoundMs)) << "VLC decoded no picture";
    const ULONGLONG first = GetTickCount64();
    const auto at_first = pictures();
    ASSERT_TRUE(wait_until([&] { return pictures() >= at_first + 20; }, kPlayBoundMs))
        << "the pictures stopped after " << pictures();
    std::printf("\nfrom the click to the first picture: %.1f s, then 20 more in %.1f s\n",
                (first - clicked) / 1000.0, (GetTickCount64() - first) / 1000.0);

    ASSERT_TRUE(click(app, control(app, VlcOffButton)));
    std::vector<std::string> left;
    EXPECT_TRUE(wait_until([&] { return (left = running_tools()).empty(); }))
        << "still running after \"VLC aus\": " << ::testing::PrintToString(left);
}

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
    std::vector<std::string> tools;
    std::istringstream words(std::getenv("WB_E2E_TOOLS") ?: "");
    for (std::string word; words >> word;) tools.push_back(word);
    ASSERT_FALSE(tools.empty());

    ASSERT_TRUE(start_app(app_, windows_path(WELLENBLICK_EXE), work_)) << describe_app(app_);
    if (!tools_dir.empty()) {
        set_text(control(app_, VlcPathField), tools_dir + u"\\vlc.exe");
        set_text(control(app_, FfmpegPathField), tools_dir + u"\\ffmpeg.exe");
        set_text(control(app_, RtmpdumpPathField), tools_dir + u"\\rtmpdump.exe");
    }

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
    if (const char* frames = std::getenv("WB_E2E_LIVE_FRAMES")) {
        expect_live_pictures_then_stop(app_, windows_path(frames) + u"\\", clicked);
        EXPECT_EQ(close_app(app_), 0u);
        return;
    }

    // Each tool shows up; the player is last and ends with the stream.
    std::set<std::string> seen;
    const bool played = wait_until(
        [&] {
            const auto now = running_tools();
            const auto running = [&](const std::string& tool) {
                return std::find(now.begin(), now.end(), tool) != now.end();
            };
            for (const auto& tool : tools)
                if (running(tool)) seen.insert(tool);
            return seen.size() == tools.size() && !running(tools.back());
        },
        kPlayBoundMs);
    for (const auto& tool : tools) EXPECT_TRUE(seen.count(tool)) << tool << " never ran";
    ASSERT_TRUE(played) << "the player did not finish the stream";
    std::printf("\nfrom the click to the end of playback: %.1f s\n", (GetTickCount64() - clicked) / 1000.0);

    if (const std::u16string absent = setting("WB_E2E_ABSENT"); !absent.empty()) {
        EXPECT_FALSE(file_exists(absent)) << "a command in the address ran: " << utf8(absent);
    }
    EXPECT_EQ(close_app(app_), 0u);
}

}  // namespace
