// The real program, started and used from another process as a user would
// use it: window and controls, settings file, a test with its batch file and
// clipboard copy, the link list through the real file dialog, the browse
// buttons, "VLC aus" and the exit.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "housekeeping/killprg_unicode.h"
#include "main/controls.h"
#include "main/main_window.h"
#include "tests/link/command/recorder_log.h"
#include "tests/main/blackbox/app_driver.h"
#include "tests/main/blackbox/control_table.h"

namespace {

const std::u16string kHint = u"m3u8 Stream hier direkt einf\u00fcgen";
const std::u16string kPlayerOptions =
    u" --no-qt-system-tray --qt-start-minimized --no-qt-video-autoresize --no-qt-updates-notif"
    u" --no-qt-error-dialogs --mouse-hide-timeout=500 --no-embedded-video --no-video-title-show"
    u" --width=300 --height=200 --video-x=20 --video-y=20 --video-title=Kanalbox Player"
    u" --play-and-exit --video-on-top --no-qt-error-dialogs";

// Lines as the program writes its text files: UTF-8, each ended by CR LF.
std::string crlf_lines(const std::vector<std::u16string>& lines) {
    std::string bytes;
    for (const auto& line : lines) bytes += utf8(line) + "\r\n";
    return bytes;
}

std::string settings_file(const std::u16string& vlc, const std::u16string& ffmpeg,
                          const std::u16string& link_dir, const std::u16string& cache,
                          const std::u16string& address, const std::u16string& rtmpdump) {
    return crlf_lines({vlc, ffmpeg, link_dir, cache, address, rtmpdump});
}

std::string default_settings_with(const std::u16string& address) {
    return settings_file(kVlc, kFfmpeg, u"c:\\", u"1000", address, kRtmpdump);
}

class Blackbox : public ::testing::Test {
protected:
    void SetUp() override {
        program_ = windows_path(WELLENBLICK_EXE);
        work_ = scratch_.path();
        batch_ = temp_folder() + u"stream.bat";
        DeleteFileW(wz(batch_));
    }

    void TearDown() override {
        stop_app(app_);
        end_helpers();
        // Some tests plant a player crash dump; none may outlive them, nor
        // the folder made for it.
        DeleteFileW(wz(appdata_folder() + u"vlc\\crashdump"));
        if (made_dump_folder_) RemoveDirectoryW(wz(appdata_folder() + u"vlc"));
    }

    // The player's crash dump, as a crash would leave it; its path, or
    // empty when it could not be written.
    std::u16string plant_crash_dump() {
        const std::u16string folder = appdata_folder() + u"vlc";
        made_dump_folder_ = made_dump_folder_ || CreateDirectoryW(wz(folder), nullptr);
        const std::u16string dump = folder + u"\\crashdump";
        return write_bytes(dump, "dump") ? dump : std::u16string();
    }

    // Stand-in processes that are still running are ended here, not left
    // to their own time limit.
    void end_helpers() {
        for (auto& helper : helpers_) {
            TerminateProcess(helper.get(), 1);
            WaitForSingleObject(helper.get(), 5000);
        }
        helpers_.clear();
    }

    // Starts the program in this test's folder (use with ASSERT_NO_FATAL_FAILURE).
    void start() {
        stop_app(app_);  // one that would not close must not linger
        app_ = App{};
        ASSERT_TRUE(start_app(app_, program_, work_)) << "the program did not come up: " << describe_app(app_);
    }

    void close_and_expect_clean_exit() {
        EXPECT_EQ(close_app(app_), 0u) << "exit code (STILL_ACTIVE = did not end)";
    }

    HWND ctl(int id) const { return control(app_, id); }
    std::u16string field(int id) const { return text_of(ctl(id)); }
    std::u16string settings_path() const { return work_ + u"Wellenblick.ini"; }
    std::string settings() const { return read_bytes(settings_path()); }
    bool topmost() const { return (GetWindowLongW(app_.window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

    // Clicks "testen" and waits until the test wrote its batch file, which it
    // shows by enabling "Zwischenablage".
    void run_test_click() {
        ASSERT_TRUE(click(app_, ctl(TestButton)));
        ASSERT_TRUE(wait_until([&] { return IsWindowEnabled(ctl(ClipboardButton)) != FALSE; }))
            << "the test did not enable the clipboard button";
    }

    ScratchFolder scratch_;
    std::u16string program_;
    std::u16string work_;
    std::u16string batch_;
    App app_;
    std::vector<UniqueHandle> helpers_;
    bool made_dump_folder_ = false;
};

// Versioned control classes may carry a "6.0...!" prefix; the base name and
// not its case is what identifies the kind.
bool same_class(HWND window, const wchar_t* expected) {
    wchar_t name[256] = {};
    GetClassNameW(window, name, 256);
    const wchar_t* base = name;
    for (const wchar_t* p = name; *p; ++p)
        if (*p == L'!') base = p + 1;
    return lstrcmpiW(base, expected) == 0;
}

// The layout is in units of 96 DPI: at each display scale the window and
// every control take them scaled as MulDiv rounds, exactly so at 96, and
// each start is a first one. The window's fonts and the hit test Wine
// tells only the window's own process: the in-process suite checks them,
// every caption whole in its control's font, started at the same scale.
TEST_F(Blackbox, WindowAndControlsMatchTheLayoutAtEveryDisplayScale) {
    for (const int dpi : {96, 120, 144}) {
        SCOPED_TRACE(std::to_string(dpi) + " DPI");
        DeleteFileW(wz(settings_path()));
        {
            const DisplayScale scale(dpi);
            const std::u16string report = work_ + u"in-process.txt";
            const std::u16string suite = windows_path(MAIN_WINDOW_TEST_EXE);
            ASSERT_TRUE(run_and_wait(u"\"" + suite + u"\" --gtest_filter=MainWindowTest.SystemLook*", work_, report,
                                     u"NUL", kPatienceMs));
            EXPECT_NE(read_bytes(report).find("[  PASSED  ] 1 test"), std::string::npos) << read_bytes(report);
            ASSERT_NO_FATAL_FAILURE(start());
        }
        HWND main = app_.window;

        EXPECT_EQ(text_of(main), std::u16string(kMakerHost) +
                                     u" - Wellenblick V1.4      -      rtmp / rtmpe / rtmpt / rtsp / mms / mmsh / http / m3u8 ");

        const LONG style = GetWindowLongW(main, GWL_STYLE);

        // The client area with its frame, no larger than the screen, centred
        // on the whole screen.
        RECT outer{}, client{};
        ASSERT_TRUE(GetWindowRect(main, &outer));
        ASSERT_TRUE(GetClientRect(main, &client));
        const int screen_w = GetSystemMetrics(SM_CXSCREEN), screen_h = GetSystemMetrics(SM_CYSCREEN);
        const int outer_w = outer.right - outer.left, outer_h = outer.bottom - outer.top;
        EXPECT_LE(outer_w, screen_w);
        EXPECT_LE(outer_h, screen_h);
        EXPECT_EQ(outer.left, (screen_w - outer_w) / 2) << "screen width " << screen_w;
        EXPECT_EQ(outer.top, (screen_h - outer_h) / 2) << "screen height " << screen_h;
        if (outer_w < screen_w && outer_h < screen_h) {
            EXPECT_EQ(client.right - client.left, MulDiv(800, dpi, 96));
            EXPECT_EQ(client.bottom - client.top, MulDiv(550, dpi, 96));
        }

        EXPECT_EQ(style & WS_CAPTION, WS_CAPTION);
        EXPECT_TRUE(style & WS_SYSMENU);
        EXPECT_TRUE(style & WS_MINIMIZEBOX);
        EXPECT_FALSE(style & WS_MAXIMIZEBOX);
        EXPECT_FALSE(style & WS_THICKFRAME);
        EXPECT_TRUE(topmost());

        // Exactly the 25 numbered controls are children of the window.
        std::vector<int> ids;
        for (HWND child = GetWindow(main, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
            ids.push_back(GetDlgCtrlID(child));
        std::sort(ids.begin(), ids.end());
        std::vector<int> all(kControlCount);
        for (int i = 0; i < kControlCount; ++i) all[static_cast<std::size_t>(i)] = i;
        EXPECT_EQ(ids, all);

        for (const auto& row : kControlTable) {
            SCOPED_TRACE("control " + std::to_string(row.id));
            HWND item = ctl(row.id);
            ASSERT_NE(item, nullptr);

            const RECT r = placed_rect(main, item), expected = scaled_rect(row, dpi);
            EXPECT_EQ(r.left, expected.left);
            EXPECT_EQ(r.top, expected.top);
            EXPECT_EQ(r.right, expected.right);
            EXPECT_EQ(r.bottom, expected.bottom);
            EXPECT_EQ(text_of(item), row.text);

            const LONG s = GetWindowLongW(item, GWL_STYLE);
            const LONG ex = GetWindowLongW(item, GWL_EXSTYLE);
            EXPECT_TRUE(s & WS_CHILD);
            EXPECT_TRUE(s & WS_VISIBLE);
            EXPECT_TRUE(s & WS_GROUP);
            EXPECT_EQ(IsWindowEnabled(item) != FALSE, row.id != ClipboardButton);
            switch (row.kind) {
            case Kind::label:
                EXPECT_TRUE(same_class(item, L"Static"));
                EXPECT_EQ(s & SS_TYPEMASK, SS_LEFT);
                EXPECT_FALSE(s & SS_NOTIFY);  // lets clicks through to what lies below
                EXPECT_FALSE(s & WS_BORDER);
                EXPECT_FALSE(ex & WS_EX_CLIENTEDGE);
                EXPECT_FALSE(s & WS_TABSTOP);
                break;
            case Kind::field:
                EXPECT_TRUE(same_class(item, L"Edit"));
                EXPECT_TRUE(s & ES_AUTOHSCROLL);
                EXPECT_FALSE(s & ES_MULTILINE);
                EXPECT_TRUE(s & WS_TABSTOP);
                EXPECT_TRUE(ex & WS_EX_CLIENTEDGE);
                break;
            case Kind::button:
                EXPECT_TRUE(same_class(item, L"Button"));
                // Also no default push button: Enter in a field starts nothing.
                EXPECT_EQ(s & BS_TYPEMASK, BS_PUSHBUTTON);
                EXPECT_TRUE(s & WS_TABSTOP);
                break;
            case Kind::frame:
                EXPECT_TRUE(same_class(item, L"Static"));
                EXPECT_FALSE(s & SS_NOTIFY);
                EXPECT_TRUE(ex & WS_EX_CLIENTEDGE);
                EXPECT_FALSE(s & WS_TABSTOP);
                break;
            case Kind::list:
                EXPECT_TRUE(same_class(item, L"ListBox"));
                EXPECT_EQ(s & (LBS_NOTIFY | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT),
                          LBS_NOTIFY | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT);
                EXPECT_FALSE(s & (LBS_SORT & ~LBS_NOTIFY));
                EXPECT_FALSE(s & (LBS_MULTIPLESEL | LBS_EXTENDEDSEL));
                EXPECT_TRUE(s & WS_TABSTOP);
                EXPECT_TRUE(ex & WS_EX_CLIENTEDGE);
                EXPECT_EQ(list_count(item), 0);
                EXPECT_EQ(SendMessageW(item, LB_GETHORIZONTALEXTENT, 0, 0), 0);
                break;
            }
        }

        // One shared tooltip pop-up carrying the five tips, shown also while
        // the window is inactive, ampersands as they stand.
        const auto tip_windows = process_windows(app_.pid, TOOLTIPS_CLASSW);
        ASSERT_EQ(tip_windows.size(), 1u);
        EXPECT_EQ(GetWindowLongW(tip_windows[0], GWL_STYLE) & (TTS_ALWAYSTIP | TTS_NOPREFIX), TTS_ALWAYSTIP | TTS_NOPREFIX);
        std::vector<std::pair<int, std::u16string>> tips;
        for (const auto& tip : tooltips(app_)) tips.emplace_back(tip.control, tip.text);
        std::sort(tips.begin(), tips.end());
        const std::vector<std::pair<int, std::u16string>> expected_tips = {
            {ClipboardButton, u"letzter Test wird in die Zwischenablage kopiert"},
            {VlcOffButton, u"Prozesse von VLC, CMD und FFmpeg werden beendet"},
            {ClearAddressButton, u"Eingabefeld leeren"},
            {HomepageButton, u"Kanalbox Homepage \u00f6ffnen"},
            {DownloadButton, u"rtmpdump und ffmpeg download"},
        };
        EXPECT_EQ(tips, expected_tips);

        // A test still writes its batch file.
        set_text(ctl(AddressField), u"rtsp://example/live");
        ASSERT_NO_FATAL_FAILURE(run_test_click());
        EXPECT_TRUE(file_exists(batch_));
        close_and_expect_clean_exit();
    }
}

TEST_F(Blackbox, OnlyTheAddressFieldIsPaleYellow) {
    ASSERT_NO_FATAL_FAILURE(start());
    HDC screen = GetDC(nullptr);
    ASSERT_NE(screen, nullptr);
    // Points inside the fields, clear of their borders, carets and texts.
    const struct {
        POINT at;
        COLORREF colour;
    } points[] = {{{20 + 600, 150 + 10}, RGB(255, 255, 185)}, {{610 + 60, 125 + 10}, GetSysColor(COLOR_WINDOW)}};
    for (auto [at, colour] : points) {
        ClientToScreen(app_.window, &at);
        COLORREF shown = CLR_INVALID;
        wait_until([&] { return (shown = GetPixel(screen, at.x, at.y)) == colour; }, 5000);
        if (shown == CLR_INVALID) GTEST_SKIP() << "the screen cannot be read back here";
        EXPECT_EQ(shown, colour);
    }
    ReleaseDC(nullptr, screen);
}

TEST_F(Blackbox, FirstStartShowsDefaultsAndWritesSixLines) {
    ASSERT_FALSE(file_exists(settings_path()));
    ASSERT_NO_FATAL_FAILURE(start());
    EXPECT_EQ(field(VlcPathField), kVlc);
    EXPECT_EQ(field(FfmpegPathField), kFfmpeg);
    EXPECT_EQ(field(RtmpdumpPathField), kRtmpdump);
    EXPECT_EQ(field(CacheField), u"1000");
    EXPECT_EQ(field(AddressField), u"");
    close_and_expect_clean_exit();
    const std::string written = default_settings_with(u"");
    EXPECT_EQ(settings(), written);

    // The file it wrote starts the next run the same way and comes back unchanged.
    ASSERT_NO_FATAL_FAILURE(start());
    EXPECT_EQ(field(VlcPathField), kVlc);
    EXPECT_EQ(field(AddressField), kHint);
    close_and_expect_clean_exit();
    EXPECT_EQ(settings(), default_settings_with(kHint));
}

// Missing and empty lines: the first start's file and its second start
// above, every other form natively and in the settings suite.
TEST_F(Blackbox, SettingsFileFillsTheFieldsAndIsWrittenBack) {
    const std::string file = settings_file(u"d:\\Media Tools\\vlc.exe", u"d:\\f f\\ffmpeg.exe", u"e:\\Listen\\",
                                           u" 250 ", u"http://example/stra\u00dfe.m3u8", u"d:\\r\\rtmpdump.exe");
    ASSERT_TRUE(write_bytes(settings_path(), file));
    ASSERT_NO_FATAL_FAILURE(start());
    EXPECT_EQ(field(VlcPathField), u"d:\\Media Tools\\vlc.exe");
    EXPECT_EQ(field(FfmpegPathField), u"d:\\f f\\ffmpeg.exe");
    EXPECT_EQ(field(RtmpdumpPathField), u"d:\\r\\rtmpdump.exe");
    EXPECT_EQ(field(CacheField), u" 250 ");  // non-ASCII and spaces kept
    EXPECT_EQ(field(AddressField), u"http://example/stra\u00dfe.m3u8");
    close_and_expect_clean_exit();
    EXPECT_EQ(settings(), file);
}

TEST_F(Blackbox, SettingsFileHeldByAnotherProgramIsLeftAlone) {
    const std::string held = default_settings_with(u"rtsp://example/held");
    ASSERT_TRUE(write_bytes(settings_path(), held));
    {
        UniqueHandle holder(CreateFileW(wz(settings_path()), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(holder);
        ASSERT_NO_FATAL_FAILURE(start());
        EXPECT_EQ(field(VlcPathField), kVlc);
        EXPECT_EQ(field(AddressField), u"") << "the file could not be read: no address";
        close_and_expect_clean_exit();
    }
    EXPECT_EQ(settings(), held);
}

TEST_F(Blackbox, RtmpTestWritesBatchFileAndCopiesFfmpegLine) {
    // What a previous test may have left: a player crash dump and a tool.
    const std::u16string dump = plant_crash_dump();
    ASSERT_FALSE(dump.empty());
    const std::u16string old_tool = work_ + u"rtmpdump.exe";
    ASSERT_TRUE(CopyFileW(wz(windows_path(SLEEPER_EXE)), wz(old_tool), FALSE));
    helpers_.push_back(start_process(old_tool));
    ASSERT_TRUE(helpers_.back());

    // Emptied well before the copy: the clipboard is busy for a moment
    // after each change under Wine.
    ASSERT_TRUE(put_clipboard(u""));
    ASSERT_NO_FATAL_FAILURE(start());
    set_text(ctl(AddressField), u"rtmp://example/live -y stream -W player.swf -v");
    ASSERT_FALSE(IsWindowEnabled(ctl(ClipboardButton)));
    ASSERT_NO_FATAL_FAILURE(run_test_click());
    EXPECT_FALSE(file_exists(dump)) << "the test removes the player's crash dump";
    EXPECT_EQ(WaitForSingleObject(helpers_.back().get(), 10000), WAIT_OBJECT_0)
        << "the test stops the tools of the previous one";

    const std::u16string normalised = u"rtmp://example/live --playpath stream --swfVfy player.swf --live";
    EXPECT_EQ(field(AddressField), normalised);
    EXPECT_EQ(read_bytes(batch_),
              crlf_lines({u" ",
                          kRtmpdump + u" -v -r " + normalised + u" | " + kVlc + u" --network-caching=1000" +
                              kPlayerOptions + u" -",
                          u" ", u"pause"}));

    ASSERT_TRUE(click(app_, ctl(ClipboardButton)));
    const std::u16string expected_clip = kFfmpeg + u" -re -i " + normalised +
                                         u" -acodec copy -vcodec copy -f mpegts pipe: | " + kVlc + u" -";
    std::u16string clip;
    EXPECT_TRUE(wait_until([&] { return (clip = clipboard_text()) == expected_clip; }, 5000));
    EXPECT_EQ(clip, expected_clip);

    close_and_expect_clean_exit();
    EXPECT_EQ(settings(), default_settings_with(normalised));
    EXPECT_FALSE(file_exists(batch_)) << "the exit must remove stream.bat";
}

TEST_F(Blackbox, PipelineFollowsTheAddressMarkers) {
    struct Case {
        std::u16string address;
        std::u16string cache;
        std::u16string command;
    };
    // The composition of every pipeline is tested natively; here the field
    // texts reach it as they stand.
    const Case cases[] = {
        // Not trimmed: the spaces stay in the command.
        {u"  http://example/page ", u"1000", kVlc + u" --network-caching=1000" + kPlayerOptions + u"   http://example/page "},
        {u"rtsp://example/live", u"", kVlc + u" --network-caching=" + kPlayerOptions + u" rtsp://example/live"},
    };
    ASSERT_NO_FATAL_FAILURE(start());
    for (const auto& c : cases) {
        SCOPED_TRACE(utf8(c.address) + " cache " + utf8(c.cache));
        set_text(ctl(AddressField), c.address);
        set_text(ctl(CacheField), c.cache);
        ASSERT_TRUE(click(app_, ctl(TestButton)));
        EXPECT_EQ(field(AddressField), c.address);
        EXPECT_EQ(read_bytes(batch_), crlf_lines({u" ", c.command, u" ", u"pause"}));
    }
    close_and_expect_clean_exit();
}

TEST_F(Blackbox, ExitSavesTheLastTestNotLaterEdits) {
    ASSERT_NO_FATAL_FAILURE(start());
    const std::u16string address = u"http://example/live/index.m3u8";
    set_text(ctl(AddressField), address);
    set_text(ctl(CacheField), u" 2000 ");
    ASSERT_NO_FATAL_FAILURE(run_test_click());
    EXPECT_EQ(field(AddressField), address) << "only rtmp addresses are rewritten";
    EXPECT_EQ(read_bytes(batch_),
              crlf_lines({u" ",
                          kFfmpeg + u" -re -i " + address + u" -acodec copy -vcodec copy -f mpegts pipe: | " +
                              kVlc + u" --network-caching=2000" + kPlayerOptions + u" -",
                          u" ", u"pause"}));

    set_text(ctl(VlcPathField), u"x:\\later\\vlc.exe");
    set_text(ctl(CacheField), u"5");
    set_text(ctl(AddressField), u"rtsp://edited/after/the/test");
    close_and_expect_clean_exit();
    EXPECT_EQ(settings(), settings_file(kVlc, kFfmpeg, u"c:\\", u"2000", address, kRtmpdump));
    EXPECT_FALSE(file_exists(batch_));
}

TEST_F(Blackbox, ClearButtonEmptiesOnlyTheField) {
    // Loaded address, cleared, never tested: the loaded one is kept (the
    // tested one is kept as after any edit, see the test before).
    ASSERT_TRUE(write_bytes(settings_path(), default_settings_with(u"rtsp://loaded/one")));
    ASSERT_NO_FATAL_FAILURE(start());
    EXPECT_EQ(field(AddressField), u"rtsp://loaded/one");
    ASSERT_TRUE(click(app_, ctl(ClearAddressButton)));
    EXPECT_EQ(field(AddressField), u"");
    close_and_expect_clean_exit();
    EXPECT_EQ(settings(), default_settings_with(u"rtsp://loaded/one"));
}

TEST_F(Blackbox, LinkFileThroughTheFileDialog) {
    const std::u16string links = work_ + u"links.txt";
    // Every kind of line end; tabs and outer spaces go, an empty line stays.
    ASSERT_TRUE(write_bytes(links, utf8(u"http://example/one.m3u8\r\n"
                                        u"<url>http://example/two</url>\r"
                                        u"   \n"
                                        u"  http://exa\tmple/vi\u00e9r\t  \r\n")));
    const std::u16string items[] = {u"http://example/one.m3u8", u"<url>http://example/two</url>", u"",
                                    u"http://example/vi\u00e9r"};

    ASSERT_NO_FATAL_FAILURE(start());
    HWND list = ctl(LinkList);
    post_click(ctl(LoadLinksButton));
    HWND dialog = wait_for_dialog(app_, u"Bitte Datei ausw\u00e4hlen");
    ASSERT_NE(dialog, nullptr) << "no file dialog";
    HWND name = file_name_box(dialog);
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(text_of(name), u"") << "the folder alone is the default";
    EXPECT_EQ(file_type_entries(dialog), std::vector<std::u16string>{u"Dateien (*.*)"});
    EXPECT_FALSE(topmost()) << "the window must not cover its own dialog";
    set_text(name, links);
    ASSERT_TRUE(press_dialog_button(dialog, IDOK));
    ASSERT_TRUE(wait_until([&] { return list_count(list) == 4; })) << list_count(list) << " items";
    ASSERT_TRUE(settle(app_));
    EXPECT_TRUE(wait_until([&] { return topmost(); }, 5000));

    for (int i = 0; i < 4; ++i) EXPECT_EQ(list_item(list, i), items[i]) << "item " << i;
    EXPECT_EQ(list_selection(list), 0);
    EXPECT_EQ(field(AddressField), items[0]);

    // Buttons bring whole lines, markup included, and stop at both ends.
    struct Step { int button; int selection; };
    const Step steps[] = {{NextLinkButton, 1}, {NextLinkButton, 2},     {NextLinkButton, 3},
                          {NextLinkButton, 3}, {PreviousLinkButton, 2}, {PreviousLinkButton, 1},
                          {PreviousLinkButton, 0}, {PreviousLinkButton, 0}};
    for (const auto& step : steps) {
        SCOPED_TRACE("after " + std::string(step.button == NextLinkButton ? "nach unten" : "nach oben") +
                     " to " + std::to_string(step.selection));
        ASSERT_TRUE(click(app_, ctl(step.button)));
        EXPECT_EQ(list_selection(list), step.selection);
        EXPECT_EQ(field(AddressField), items[step.selection]);
    }

    // Picking a line in the list strips its markup, and the buttons go on from there.
    ASSERT_TRUE(click_list_item(list, 1));
    EXPECT_TRUE(wait_until([&] { return field(AddressField) == u"http://example/two"; }, 5000))
        << "field shows: " << utf8(field(AddressField));
    ASSERT_TRUE(settle(app_));
    ASSERT_TRUE(click(app_, ctl(NextLinkButton)));
    EXPECT_EQ(list_selection(list), 2);
    EXPECT_EQ(field(AddressField), u"");

    // The arrow keys in the list pick lines as well.
    ASSERT_TRUE(bring_to_front(app_));
    ASSERT_TRUE(click_list_item(list, 0));
    ASSERT_TRUE(wait_until([&] { return focused(app_) == list && field(AddressField) == items[0]; }, 5000));
    press_key(VK_DOWN);
    EXPECT_TRUE(wait_until([&] { return field(AddressField) == u"http://example/two"; }, 5000))
        << "field shows: " << utf8(field(AddressField));
    EXPECT_EQ(list_selection(list), 1);
    ASSERT_TRUE(settle(app_));
    ASSERT_TRUE(click(app_, ctl(NextLinkButton)));
    EXPECT_EQ(list_selection(list), 2);

    // A cancelled choice changes nothing.
    set_text(ctl(AddressField), u"typed");
    post_click(ctl(LoadLinksButton));
    dialog = wait_for_dialog(app_, u"Bitte Datei ausw\u00e4hlen");
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(press_dialog_button(dialog, IDCANCEL));
    ASSERT_TRUE(settle(app_));
    EXPECT_EQ(list_count(list), 4);
    EXPECT_EQ(list_selection(list), 2);
    EXPECT_EQ(field(AddressField), u"typed");

    // A file in another folder that cannot be read (or is empty) replaces
    // the list with nothing.
    const std::u16string other = work_ + u"andere Links";
    ASSERT_TRUE(CreateDirectoryW(wz(other), nullptr));
    post_click(ctl(LoadLinksButton));
    dialog = wait_for_dialog(app_, u"Bitte Datei ausw\u00e4hlen");
    ASSERT_NE(dialog, nullptr);
    set_text(file_name_box(dialog), other + u"\\fehlt.txt");
    ASSERT_TRUE(press_dialog_button(dialog, IDOK));
    EXPECT_TRUE(wait_until([&] { return list_count(list) == 0 && field(AddressField).empty(); }, 5000));
    EXPECT_EQ(list_selection(list), LB_ERR);
    ASSERT_TRUE(click(app_, ctl(NextLinkButton)));
    EXPECT_EQ(field(AddressField), u"");

    close_and_expect_clean_exit();
    EXPECT_EQ(settings(), settings_file(kVlc, kFfmpeg, other + u"\\", u"1000", u"", kRtmpdump));
}

TEST_F(Blackbox, ToolBrowseCancelledAndChosen) {
    struct Browse {
        int button, field;
        std::u16string title, file_type, file_name, default_path;
        std::u16string answer;  // empty: cancel
    };
    // A file that does not exist yet in an existing folder will do.
    const std::u16string chosen = work_ + u"ffmpeg.exe";
    const Browse browses[] = {
        {VlcBrowseButton, VlcPathField, u"Bitte vlc.exe ausw\u00e4hlen", u"VLC (exe Dateien (*.exe)", u"vlc.exe",
         kVlc, u""},
        {FfmpegBrowseButton, FfmpegPathField, u"Bitte ffmpeg.exe ausw\u00e4hlen", u"FFMPEG (exe Dateien (*.exe)",
         u"ffmpeg.exe", kFfmpeg, chosen},
        {RtmpdumpBrowseButton, RtmpdumpPathField, u"Bitte rtmpdump.exe ausw\u00e4hlen",
         u"RTMPDUMP (exe Dateien (*.exe)", u"rtmpdump.exe", kRtmpdump, u""},
    };
    ASSERT_NO_FATAL_FAILURE(start());
    for (const auto& b : browses) {
        SCOPED_TRACE(utf8(b.title));
        // Whatever the field shows, the dialog starts from the default path.
        set_text(ctl(b.field), u"d:\\elsewhere\\tool.exe");
        post_click(ctl(b.button));
        HWND dialog = wait_for_dialog(app_, b.title);
        ASSERT_NE(dialog, nullptr) << "no file dialog";
        HWND name = file_name_box(dialog);
        ASSERT_NE(name, nullptr);
        EXPECT_EQ(text_of(name), b.file_name);
        EXPECT_EQ(file_type_entries(dialog), std::vector<std::u16string>{b.file_type});
        EXPECT_FALSE(topmost()) << "the window must not cover its own dialog";
        if (b.answer.empty()) {
            ASSERT_TRUE(press_dialog_button(dialog, IDCANCEL));
        } else {
            set_text(name, b.answer);
            ASSERT_TRUE(press_dialog_button(dialog, IDOK));
        }
        // Cancelled: the field falls back to the default path, the value is empty.
        const std::u16string shown = b.answer.empty() ? b.default_path : b.answer;
        EXPECT_TRUE(wait_until([&] { return field(b.field) == shown; }, 5000))
            << "field shows: " << utf8(field(b.field));
        EXPECT_TRUE(wait_until([&] { return topmost(); }, 5000));
    }
    close_and_expect_clean_exit();
    EXPECT_EQ(settings(), settings_file(u"", chosen, u"c:\\", u"1000", u"", u""));

    // The empty lines come back as the default paths.
    ASSERT_NO_FATAL_FAILURE(start());
    EXPECT_EQ(field(VlcPathField), kVlc);
    EXPECT_EQ(field(FfmpegPathField), chosen);
    EXPECT_EQ(field(RtmpdumpPathField), kRtmpdump);
}

TEST_F(Blackbox, VlcOffAndExitEndExactlyTheNamedTools) {
    struct StandIn { const char16_t* name; bool ends; };
    const StandIn stand_ins[] = {
        {u"vlc.exe", true},  {u"ffmpeg.exe", true}, {u"rtmpdump.exe", true}, {u"flv.exe", true},
        {u"cmd.exe", true},  {u"VLC.exe", false},   {u"vlc2.exe", false},     {u"myffmpeg.exe", false},
    };
    const std::u16string sleeper = windows_path(SLEEPER_EXE);
    std::vector<std::u16string> exes;
    for (std::size_t i = 0; i < std::size(stand_ins); ++i) {
        // One folder each: Wine's file names are case-insensitive.
        const std::u16string folder = work_ + u"tool" + u16(std::to_wstring(i).c_str());
        ASSERT_TRUE(CreateDirectoryW(wz(folder), nullptr));
        exes.push_back(folder + u"\\" + stand_ins[i].name);
        ASSERT_TRUE(CopyFileW(wz(sleeper), wz(exes.back()), FALSE));
    }
    auto start_stand_ins = [&] {
        end_helpers();
        for (const auto& exe : exes) {
            helpers_.push_back(start_process(exe));
            ASSERT_TRUE(helpers_.back()) << utf8(exe);
        }
    };
    // The sweep has run: the named ones end with its exit code, and the
    // others, ended here, with ours.
    constexpr UINT kLeftAlone = 77;
    auto expect_named_ones_ended = [&] {
        for (std::size_t i = 0; i < std::size(stand_ins); ++i) {
            const HANDLE helper = helpers_[i].get();
            EXPECT_EQ(stand_ins[i].ends ? exit_code_when_ended(helper) : end_process(helper, kLeftAlone),
                      stand_ins[i].ends ? kKilledExitCode : kLeftAlone)
                << utf8(stand_ins[i].name);
        }
    };
    const std::u16string dump = plant_crash_dump();
    ASSERT_FALSE(dump.empty());

    ASSERT_NO_FATAL_FAILURE(start_stand_ins());
    ASSERT_NO_FATAL_FAILURE(start());
    ASSERT_TRUE(click(app_, ctl(VlcOffButton)));
    expect_named_ones_ended();
    EXPECT_TRUE(app_running(app_));
    EXPECT_TRUE(file_exists(dump)) << "\"VLC aus\" leaves the crash dump alone";
    DeleteFileW(wz(dump));

    // Closing the program ends them too.
    ASSERT_NO_FATAL_FAILURE(start_stand_ins());
    close_and_expect_clean_exit();
    expect_named_ones_ended();
}

TEST_F(Blackbox, MouseClicksReachOnlyEnabledButtons) {
    // Set well before the program could copy anything (see above).
    ASSERT_TRUE(put_clipboard(u"unchanged"));
    ASSERT_TRUE(write_bytes(settings_path(), default_settings_with(u"rtsp://example/live")));
    ASSERT_NO_FATAL_FAILURE(start());
    for (int id : {ClipboardButton, ClearAddressButton}) {
        RECT r{};
        GetWindowRect(ctl(id), &r);
        if (r.right > GetSystemMetrics(SM_CXSCREEN) || r.bottom > GetSystemMetrics(SM_CYSCREEN))
            GTEST_SKIP() << "the screen is too small to reach control " << id << " with the mouse";
    }
    ASSERT_TRUE(bring_to_front(app_));

    // The greyed "Zwischenablage" takes no click before the first test,
    // while the same kind of click on "X", queued behind it, does reach its
    // handler: once "X" has acted, the first click has been dealt with.
    mouse_click(ctl(ClipboardButton));
    mouse_click(ctl(ClearAddressButton));
    EXPECT_TRUE(wait_until([&] { return field(AddressField).empty(); }, 5000));
    EXPECT_EQ(clipboard_text(), u"unchanged");
    SetCursorPos(0, 0);
    close_and_expect_clean_exit();
}

// A tip appears while the pointer rests on its control and goes when the
// pointer moves on to a control without one.
TEST_F(Blackbox, TipFollowsThePointer) {
    ASSERT_NO_FATAL_FAILURE(start());
    const auto tip_shown = [&] { return process_windows(app_.pid, TOOLTIPS_CLASSW, true).size() == 1; };
    for (int id : {ClearAddressButton, VlcOffButton}) {
        point_at(ctl(id));
        EXPECT_TRUE(wait_until(tip_shown, 5000)) << "no tip over control " << id;
        point_at(ctl(TestButton));
        EXPECT_TRUE(wait_until([&] { return !tip_shown(); }, 5000)) << "tip of control " << id << " stays";
    }
    SetCursorPos(0, 0);
    close_and_expect_clean_exit();
}

TEST_F(Blackbox, KeyboardMovesFocusInCreationOrder) {
    ASSERT_NO_FATAL_FAILURE(start());
    ASSERT_TRUE(bring_to_front(app_));
    for (const auto& row : kControlTable) EXPECT_NE(focused(app_), ctl(row.id)) << "no control starts focused";

    const auto focus_moves_to = [&](int id) { return wait_until([&] { return focused(app_) == ctl(id); }, 5000); };
    // With nothing focused Shift+Tab goes to the last stop; Tab from there
    // wraps to the first and walks on, passing over labels, frames and the
    // disabled clipboard button; Shift+Tab on the first goes to the last.
    press_key(VK_TAB, true);
    ASSERT_TRUE(focus_moves_to(DownloadButton)) << "Shift+Tab with nothing focused";
    const int order[] = {VlcPathField,       VlcBrowseButton,  FfmpegPathField,    FfmpegBrowseButton,
                         RtmpdumpPathField,  RtmpdumpBrowseButton, AddressField,   ClearAddressButton,
                         TestButton,         LoadLinksButton,  NextLinkButton,     PreviousLinkButton,
                         LinkList,           CacheField,       VlcOffButton,       HomepageButton,
                         DownloadButton,     VlcPathField};
    for (int id : order) {
        press_key(VK_TAB);
        ASSERT_TRUE(focus_moves_to(id)) << "Tab to control " << id;
    }
    press_key(VK_TAB, true);
    ASSERT_TRUE(focus_moves_to(DownloadButton)) << "Shift+Tab";

    // To the address field: Enter there starts no test. The Tab behind it
    // shows that the Enter has been dealt with.
    set_text(ctl(AddressField), u"rtmp://example/live -v");
    for (int i = 0; i < 7; ++i) press_key(VK_TAB);
    ASSERT_TRUE(focus_moves_to(AddressField));
    press_key(VK_RETURN);
    press_key(VK_TAB);
    ASSERT_TRUE(focus_moves_to(ClearAddressButton));
    EXPECT_FALSE(IsWindowEnabled(ctl(ClipboardButton)));
    EXPECT_EQ(field(AddressField), u"rtmp://example/live -v");

    // Space on a focused button clicks it: "X", then "testen", after which
    // the enabled clipboard button is a tab stop too.
    press_key(VK_SPACE);
    EXPECT_TRUE(wait_until([&] { return field(AddressField).empty(); }, 5000));
    press_key(VK_TAB);
    ASSERT_TRUE(focus_moves_to(TestButton));
    press_key(VK_SPACE);
    ASSERT_TRUE(wait_until([&] { return IsWindowEnabled(ctl(ClipboardButton)) != FALSE; }));
    press_key(VK_TAB);
    ASSERT_TRUE(focus_moves_to(ClipboardButton));
    press_key(VK_TAB, true);
    ASSERT_TRUE(focus_moves_to(TestButton));
    close_and_expect_clean_exit();
}


// Should the shell, the file dialog or COM not load, each action that needs
// them ends silently (the crash dump stays: the shell was not there), no
// dialog opens, and the exit still runs and saves the settings.
TEST_F(Blackbox, ActionsEndSilentlyWhenALibraryDoesNotLoad) {
    const std::u16string dump = plant_crash_dump();
    ASSERT_FALSE(dump.empty());
    // Wine loads no library that its per-program overrides name with an
    // empty value; a copy of the program under a name of its own has them.
    const std::u16string copy = work_ + u"wb-no-libraries.exe";
    ASSERT_TRUE(CopyFileW(wz(program_), wz(copy), FALSE));
    HKEY defaults = nullptr, overrides = nullptr;
    DWORD existed = 0;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Wine\\AppDefaults", 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &defaults, &existed), ERROR_SUCCESS);
    const auto remove_keys = [&] {
        RegDeleteTreeW(defaults, existed == REG_OPENED_EXISTING_KEY ? L"wb-no-libraries.exe" : nullptr);
        RegCloseKey(defaults);
        if (existed != REG_OPENED_EXISTING_KEY) RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Wine\\AppDefaults");
    };
    ASSERT_EQ(RegCreateKeyExW(defaults, L"wb-no-libraries.exe\\DllOverrides", 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                              &overrides, nullptr), ERROR_SUCCESS);
    for (const wchar_t* dll : {L"shell32", L"comdlg32", L"ole32"})
        RegSetValueExW(overrides, dll, 0, REG_SZ, reinterpret_cast<const BYTE*>(L""), sizeof(wchar_t));
    RegCloseKey(overrides);
    program_ = copy;
    start();
    if (!HasFatalFailure()) {
        set_text(ctl(AddressField), u"rtsp://example/live");
        run_test_click();
        EXPECT_TRUE(file_exists(dump));
        post_click(ctl(VlcBrowseButton));
        EXPECT_TRUE(settle(app_));
        EXPECT_TRUE(process_windows(app_.pid, L"#32770").empty()) << "the file dialog opened";
        // The test's console may end meanwhile; nothing may join it.
        const auto before = descendants(app_.pid);
        EXPECT_TRUE(click(app_, ctl(HomepageButton)));
        for (DWORD pid : descendants(app_.pid))
            EXPECT_NE(std::find(before.begin(), before.end(), pid), before.end())
                << "the home page opened: " << utf8(process_name(pid));
        close_and_expect_clean_exit();
    }
    remove_keys();
    EXPECT_EQ(settings(), settings_file(u"", kFfmpeg, u"c:\\", u"1000", u"rtsp://example/live", kRtmpdump));
}

}  // namespace

namespace {

// Channel lists through the real file dialog, with recording stand-ins as
// ffmpeg and the player, so a test shows the words the tools receive.
class BlackboxChannels : public Blackbox {
protected:
    void SetUp() override {
        Blackbox::SetUp();
        tools_ = work_ + u"tools\\";
        ASSERT_TRUE(make_folder(tools_));
        for (const char16_t* name : {u"ffmpeg.exe", u"vlc.exe"}) ASSERT_TRUE(copy_recorder(tools_ + name));
        // The program hands its environment on to the batch file and its tools.
        log_ = work_ + u"log.txt";
        SetEnvironmentVariableW(L"WB_RECORDER_LOG", wz(log_));
    }
    void TearDown() override {
        SetEnvironmentVariableW(L"WB_RECORDER_LOG", nullptr);
        Blackbox::TearDown();
    }

    void load_through_dialog(const std::u16string& path) {
        post_click(ctl(LoadLinksButton));
        HWND dialog = wait_for_dialog(app_, u"Bitte Datei ausw\u00e4hlen");
        ASSERT_NE(dialog, nullptr) << "no file dialog";
        set_text(file_name_box(dialog), path);
        ASSERT_TRUE(press_dialog_button(dialog, IDOK));
    }

    std::u16string tools_, log_;
};

TEST_F(BlackboxChannels, ChannelListShowsNamesAndTestsEntriesWithTheirHeaders) {
    const std::u16string ua = u"Mozilla/5.0 (Windows NT 10.0; Win64)", referrer = u"https://site.example/?a=1&b=2";
    const std::u16string list = work_ + u"sender.m3u8";
    // A byte-order mark, CR LF and LF line ends, a comma inside a quoted
    // attribute, an entry without #EXTINF:, one #EXTINF: without address.
    ASSERT_TRUE(write_bytes(list, "\xEF\xBB\xBF" + utf8(u"#EXTM3U x-tvg-url=\"http://epg.example/\"\r\n"
                                                        u"#EXTINF:-1 tvg-id=\"1\" group-title=\"News, Talk\",Das Erste HD\r\n"
                                                        u"#EXTVLCOPT:http-user-agent=" + ua + u"\n"
                                                        u"#EXTVLCOPT:http-referrer=" + referrer + u"\r\n"
                                                        u"https://h.example/live/index.m3u8\n"
                                                        u"\r\n"
                                                        u"http://h.example/plain.mp3\r\n"
                                                        u"#EXTINF:-1,Drittes\n"
                                                        u"#EXTGRP:Regional\n"
                                                        u"rtsp://h.example/drei\n"
                                                        u"#EXTINF:0 tvg-name=\"R\",Radio \u00e4\r\n"
                                                        u"#EXTVLCOPT:HTTP-USER-AGENT=WB/1 (x)\r\n"
                                                        u"#extvlcopt:http-referrer=https://r.example/\r\n"
                                                        u"HTTPS://h.example/radio/stream\r\n"
                                                        u"#EXTINF:-1,Verloren\r\n")));
    const std::u16string items[] = {u"Das Erste HD", u"http://h.example/plain.mp3", u"Drittes", u"Radio \u00e4"};
    const std::u16string links[] = {
        u"https://h.example/live/index.m3u8|User-Agent=" + ua + u"&Referer=https://site.example/?a=1%26b=2",
        u"http://h.example/plain.mp3", u"rtsp://h.example/drei",
        u"HTTPS://h.example/radio/stream|User-Agent=WB/1 (x)&Referer=https://r.example/"};
    ASSERT_TRUE(write_bytes(settings_path(), settings_file(tools_ + u"vlc.exe", tools_ + u"ffmpeg.exe", u"c:\\",
                                                           u"1000", u"", kRtmpdump)));

    ASSERT_NO_FATAL_FAILURE(start());
    HWND list_box = ctl(LinkList);
    ASSERT_NO_FATAL_FAILURE(load_through_dialog(list));
    ASSERT_TRUE(wait_until([&] { return list_count(list_box) == 4; })) << list_count(list_box) << " items";
    ASSERT_TRUE(settle(app_));
    for (int i = 0; i < 4; ++i) EXPECT_EQ(list_item(list_box, i), items[i]) << "item " << i;
    EXPECT_EQ(list_selection(list_box), 0);
    EXPECT_EQ(field(AddressField), links[0]);

    // The buttons and picking bring the entry, not the name.
    struct Step { int button; int selection; };
    const Step steps[] = {{NextLinkButton, 1}, {NextLinkButton, 2}, {NextLinkButton, 3},
                          {NextLinkButton, 3}, {PreviousLinkButton, 2}};
    for (const auto& step : steps) {
        ASSERT_TRUE(click(app_, ctl(step.button)));
        EXPECT_EQ(list_selection(list_box), step.selection);
        EXPECT_EQ(field(AddressField), links[step.selection]) << "step to " << step.selection;
    }
    ASSERT_TRUE(click_list_item(list_box, 3));
    EXPECT_TRUE(wait_until([&] { return field(AddressField) == links[3]; }, 5000))
        << "field shows: " << utf8(field(AddressField));
    ASSERT_TRUE(settle(app_));

    // The player takes the headers as options of the one input.
    ASSERT_NO_FATAL_FAILURE(run_test_click());
    ASSERT_TRUE(wait_until([&] { return read_records(log_).size() == 1; })) << read_bytes(log_);
    const Record player = read_records(log_)[0];
    EXPECT_EQ(player.tool, u"vlc.exe");
    ASSERT_GE(player.crt.size(), 3u);
    EXPECT_EQ(std::vector<std::u16string>(player.crt.end() - 3, player.crt.end()),
              (std::vector<std::u16string>{u"https://h.example/radio/stream", u":http-user-agent=WB/1 (x)",
                                           u":http-referrer=https://r.example/"}));
    EXPECT_EQ(field(AddressField), links[3]) << "the field keeps the entry as it stands";

    // ffmpeg takes them in front of its input.
    ASSERT_TRUE(click_list_item(list_box, 0));
    EXPECT_TRUE(wait_until([&] { return field(AddressField) == links[0]; }, 5000))
        << "field shows: " << utf8(field(AddressField));
    ASSERT_TRUE(settle(app_));
    ASSERT_TRUE(click(app_, ctl(TestButton)));
    ASSERT_TRUE(wait_until([&] { return read_records(log_).size() == 3; })) << read_bytes(log_);
    const std::vector<Record> records = read_records(log_);
    const Record& source = records[1].tool == u"ffmpeg.exe" ? records[1] : records[2];
    EXPECT_EQ(source.tool, u"ffmpeg.exe");
    EXPECT_EQ(source.crt, (std::vector<std::u16string>{u"-re", u"-user_agent", ua, u"-referer", referrer, u"-i",
                                                       u"https://h.example/live/index.m3u8", u"-acodec", u"copy",
                                                       u"-vcodec", u"copy", u"-f", u"mpegts", u"pipe:"}));
    close_and_expect_clean_exit();
}

// Lists written for other players, one after the other: a channel list
// whatever its first line, the headers of its property lines and address
// suffixes in each entry; the last entry picked, tested, hands ffmpeg its
// headers.
TEST_F(BlackboxChannels, ListsWrittenForOtherPlayers) {
    const struct {
        const char* name;
        std::u16string text;
        std::vector<std::u16string> items, links;
    } lists[] = {
        {"property lines first",
         u"#KODIPROP:inputstream.adaptive.license_key=https://lic.example/\r\n"
         u"#KODIPROP:inputstream.adaptive.stream_headers=User-Agent=K%2F1&Referer=https://r.example/\r\n"
         u"#EXTINF:-1 tvg-logo=\"https://logo.example/1.png\",Eins\r\n"
         u"https://h.example/1.mpd|Origin=https://o.example\r\n"
         u"#EXTINF:-1,Zwei\nhttps://h.example/2.m3u8\n",
         {u"Eins", u"Zwei"},
         {u"https://h.example/1.mpd|Origin=https://o.example&User-Agent=K/1&Referer=https://r.example/",
          u"https://h.example/2.m3u8"}},
        {"a blank line, then #EXTINF:, an empty pair and a second suffix",
         u"\r\n#EXTINF:-1,Drei\r\n#EXTVLCOPT:HTTP-USER-AGENT=V/1\r\n"
         u"https://h.example/3.m3u8?|Referer=https://r.example/&&User-Agent=Own/2|User-Agent=Twice\r\n",
         {u"Drei"},
         {u"https://h.example/3.m3u8?|Referer=https://r.example/&&User-Agent=Own/2|User-Agent=Twice"}},
    };
    ASSERT_TRUE(write_bytes(settings_path(), settings_file(tools_ + u"vlc.exe", tools_ + u"ffmpeg.exe", u"c:\\",
                                                           u"1000", u"", kRtmpdump)));
    ASSERT_NO_FATAL_FAILURE(start());
    HWND list_box = ctl(LinkList);
    for (const auto& list : lists) {
        SCOPED_TRACE(list.name);
        const std::u16string file = work_ + u"liste.m3u";
        ASSERT_TRUE(write_bytes(file, utf8(list.text)));
        ASSERT_NO_FATAL_FAILURE(load_through_dialog(file));
        ASSERT_TRUE(wait_until([&] { return field(AddressField) == list.links[0]; }, 5000))
            << "field shows: " << utf8(field(AddressField));
        ASSERT_TRUE(settle(app_));
        ASSERT_EQ(list_count(list_box), static_cast<int>(list.items.size()));
        for (std::size_t i = 0; i < list.items.size(); ++i) {
            EXPECT_EQ(list_item(list_box, static_cast<int>(i)), list.items[i]) << "item " << i;
            ASSERT_TRUE(click_list_item(list_box, static_cast<int>(i)));
            EXPECT_TRUE(wait_until([&] { return field(AddressField) == list.links[i]; }, 5000))
                << "field shows: " << utf8(field(AddressField));
            ASSERT_TRUE(settle(app_));
        }
    }

    ASSERT_NO_FATAL_FAILURE(run_test_click());
    ASSERT_TRUE(wait_until([&] { return read_records(log_).size() == 2; })) << read_bytes(log_);
    const std::vector<Record> records = read_records(log_);
    const Record& source = records[0].tool == u"ffmpeg.exe" ? records[0] : records[1];
    EXPECT_EQ(source.crt, (std::vector<std::u16string>{u"-re", u"-user_agent", u"Own/2", u"-referer",
                                                       u"https://r.example/", u"-i", u"https://h.example/3.m3u8?",
                                                       u"-acodec", u"copy", u"-vcodec", u"copy", u"-f", u"mpegts",
                                                       u"pipe:"}));
    close_and_expect_clean_exit();
}

}  // namespace
