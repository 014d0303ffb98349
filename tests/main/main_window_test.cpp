// The real main window built in-process: geometry, controls, tooltips,
// colours, mouse and keyboard routing, event recording.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "tests/main/window_test_support.h"

#include <algorithm>
#include <string>
#include <vector>

#include "main/controls.h"
#include "main/handlers.h"
#include "main/main_window.h"
#include "base/win32.h"

namespace {

std::u16string window_text(HWND w) {
    wchar_t buffer[512] = {};
    const int n = GetWindowTextW(w, buffer, 512);
    return u16(buffer, n > 0 ? static_cast<std::size_t>(n) : 0);
}

std::u16string class_name(HWND w) {
    wchar_t buffer[64] = {};
    const int n = GetClassNameW(w, buffer, 64);
    return u16(buffer, n > 0 ? static_cast<std::size_t>(n) : 0);
}

RECT client_rect_of(HWND window, HWND child) {
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        state.stream_address = u"rtmp://example/live";
        state.cache_kb = u"2500";
        window = build_main_window(GetModuleHandleW(nullptr), state, SW_SHOWNORMAL);
        ASSERT_NE(window, nullptr);
        SetForegroundWindow(window);
        drain();
    }
    void TearDown() override {
        if (window) DestroyWindow(window);
    }
    void drain() { drain_window(window); }
    HWND item(int control) { return GetDlgItem(window, control); }
    std::vector<int> recorded() {
        std::vector<int> events;
        int control;
        while (take_control_event(window, control)) events.push_back(control);
        return events;
    }

    ProgramState state;
    HWND window = nullptr;
};

// Showing the window activates it, and activation may wait on another
// program's queue: anyone watching the start then sees idle input. So the
// window must be complete, and topmost, when it first becomes visible.
HWND g_shown = nullptr;
bool g_complete_when_shown = false;
LRESULT CALLBACK watch_show(int code, WPARAM wparam, LPARAM lparam) {
    const auto* call = reinterpret_cast<const CWPSTRUCT*>(lparam);
    if (code == HC_ACTION && call->message == WM_SHOWWINDOW && call->wParam && !g_shown &&
        class_name(call->hwnd) == u16(kMainWindowClass)) {
        g_shown = call->hwnd;
        g_complete_when_shown = GetDlgItem(call->hwnd, DownloadButton) && main_window_tooltip(call->hwnd) &&
                                (GetWindowLongW(call->hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST);
    }
    return CallNextHookEx(nullptr, code, wparam, lparam);
}

TEST(MainWindowStart, CompleteAndTopmostWhenFirstShown) {
    HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, watch_show, nullptr, GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    ProgramState state;
    HWND window = build_main_window(GetModuleHandleW(nullptr), state, SW_SHOWNORMAL);
    UnhookWindowsHookEx(hook);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(g_shown, window);
    EXPECT_TRUE(g_complete_when_shown);
    DestroyWindow(window);
    drain_window(nullptr);
}

TEST_F(MainWindowTest, WindowFrameTitleAndPlacement) {
    // Centred on the full screen with the outer size of the frame styles,
    // cut down to the screen where it does not fit.
    RECT outer{0, 0, 800, 550};
    ASSERT_TRUE(AdjustWindowRectEx(&outer, WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, FALSE, 0));
    const int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
    const int ow = std::min<int>(outer.right - outer.left, sw);
    const int oh = std::min<int>(outer.bottom - outer.top, sh);
    RECT placed{};
    GetWindowRect(window, &placed);
    EXPECT_EQ(placed.left, (sw - ow) / 2);
    EXPECT_EQ(placed.top, (sh - oh) / 2);
    EXPECT_EQ(placed.right - placed.left, ow);
    EXPECT_EQ(placed.bottom - placed.top, oh);
    if (ow == outer.right - outer.left && oh == outer.bottom - outer.top) {
        RECT client{};
        GetClientRect(window, &client);
        EXPECT_EQ(client.right, 800);
        EXPECT_EQ(client.bottom, 550);
    }

    const LONG style = GetWindowLongW(window, GWL_STYLE);
    const LONG frame_bits = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME;
    EXPECT_EQ(style & frame_bits, WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX);
    EXPECT_TRUE(GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST);

    const std::u16string title = window_text(window);
    EXPECT_EQ(title, std::u16string(kMakerHost) + kTitleTail);
    EXPECT_EQ(title.back(), u' ');
    EXPECT_NE(title.find(u"V1.4      -      rtmp"), std::u16string::npos);

    EXPECT_EQ(GetClassLongPtrW(window, GCLP_HBRBACKGROUND), COLOR_BTNFACE + 1);
    EXPECT_EQ(reinterpret_cast<HCURSOR>(GetClassLongPtrW(window, GCLP_HCURSOR)),
              LoadCursorW(nullptr, IDC_ARROW));
}

struct Expected {
    int id;
    const char16_t* cls;
    int x, y, w, h;
    const char16_t* text;
    DWORD style;
    bool client_edge;
};

constexpr DWORD kLabel = SS_LEFT | WS_GROUP;
constexpr DWORD kField = ES_AUTOHSCROLL | WS_TABSTOP | WS_GROUP;
constexpr DWORD kButton = BS_PUSHBUTTON | WS_TABSTOP | WS_GROUP;
constexpr DWORD kFrame = WS_GROUP;
constexpr DWORD kList = LBS_NOTIFY | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT | WS_VSCROLL |
                        WS_HSCROLL | WS_TABSTOP | WS_GROUP;

const Expected kExpected[] = {
    {VlcPathLabel, u"Static", 20, 23, 150, 18, u"Pfad zur vlc.exe :", kLabel, false},
    {VlcPathField, u"Edit", 150, 20, 530, 20, u"c:\\programme\\videolan\\vlc\\vlc.exe", kField, true},
    {VlcBrowseButton, u"Button", 700, 20, 80, 20, u"suchen", kButton, false},
    {FfmpegPathLabel, u"Static", 20, 53, 150, 18, u"Pfad zur ffmpeg.exe :", kLabel, false},
    {FfmpegPathField, u"Edit", 150, 50, 530, 20, u"c:\\programme\\videolan\\vlc\\ffmpeg.exe", kField, true},
    {FfmpegBrowseButton, u"Button", 700, 50, 80, 20, u"suchen", kButton, false},
    {RtmpdumpPathLabel, u"Static", 20, 83, 150, 18, u"Pfad zur rtmpdump.exe :", kLabel, false},
    {RtmpdumpPathField, u"Edit", 150, 80, 530, 20, u"c:\\programme\\videolan\\vlc\\rtmpdump.exe", kField, true},
    {RtmpdumpBrowseButton, u"Button", 700, 80, 80, 20, u"suchen", kButton, false},
    {ToolsFrame, u"Static", 10, 10, 780, 100, u"", kFrame, true},
    {StreamFrame, u"Static", 10, 115, 780, 385, u"", kFrame, true},
    {AddressLabel, u"Static", 20, 130, 200, 18, u"Live Stream Adresse :", kLabel, false},
    {AddressField, u"Edit", 20, 150, 730, 20, u"rtmp://example/live", kField, true},
    {ClearAddressButton, u"Button", 760, 150, 20, 20, u"X", kButton, false},
    {TestButton, u"Button", 20, 175, 505, 30, u"testen", kButton, false},
    {ClipboardButton, u"Button", 530, 175, 250, 30, u"Zwischenablage", kButton, false},
    {LoadLinksButton, u"Button", 20, 215, 250, 25, u"Datei mit Links zeilenweise einlesen", kButton, false},
    {NextLinkButton, u"Button", 275, 215, 250, 25, u"nach unten", kButton, false},
    {PreviousLinkButton, u"Button", 530, 215, 250, 25, u"nach oben", kButton, false},
    {LinkList, u"ListBox", 20, 250, 760, 240, u"", kList, true},
    {CacheLabel, u"Static", 510, 130, 90, 18, u"VLC Cache / kB :", kLabel, false},
    {CacheField, u"Edit", 610, 125, 70, 20, u"2500", kField, true},
    {VlcOffButton, u"Button", 700, 125, 80, 20, u"VLC aus", kButton, false},
    {HomepageButton, u"Button", 10, 505, 80, 40, u"Kanalbox", kButton, false},
    {DownloadButton, u"Button", 110, 505, 80, 40, u"dump dnld", kButton, false},
};

TEST_F(MainWindowTest, ControlsHaveTheirClassGeometryStyleTextAndFont) {
    const HGDIOBJ gui_font = GetStockObject(DEFAULT_GUI_FONT);
    int count = 0;
    for (HWND c = GetWindow(window, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) ++count;
    EXPECT_EQ(count, kControlCount);

    for (const Expected& e : kExpected) {
        SCOPED_TRACE(e.id);
        HWND c = item(e.id);
        ASSERT_NE(c, nullptr);
        EXPECT_EQ(GetDlgCtrlID(c), e.id);
        EXPECT_EQ(CompareStringOrdinal(reinterpret_cast<const wchar_t*>(class_name(c).c_str()), -1,
                                       reinterpret_cast<const wchar_t*>(e.cls), -1, TRUE),
                  CSTR_EQUAL);
        const RECT r = client_rect_of(window, c);
        EXPECT_EQ(r.left, e.x);
        EXPECT_EQ(r.top, e.y);
        EXPECT_EQ(r.right - r.left, e.w);
        EXPECT_EQ(r.bottom - r.top, e.h);
        const DWORD style = static_cast<DWORD>(GetWindowLongW(c, GWL_STYLE));
        // The list drops its scroll-bar styles while its lines fit.
        const DWORD wanted = e.id == LinkList ? e.style & ~(WS_VSCROLL | WS_HSCROLL) : e.style;
        EXPECT_EQ(style & wanted, wanted);
        EXPECT_TRUE(style & WS_VISIBLE);
        EXPECT_TRUE(style & WS_CHILD);
        EXPECT_EQ((GetWindowLongW(c, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) != 0, e.client_edge);
        if (e.style == kLabel || e.style == kFrame) {
            // Statics that report nothing let clicks through to what lies below.
            EXPECT_FALSE(style & SS_NOTIFY);
            EXPECT_FALSE(style & WS_TABSTOP);
        }
        EXPECT_EQ(window_text(c), e.text);
        EXPECT_EQ(reinterpret_cast<HGDIOBJ>(SendMessageW(c, WM_GETFONT, 0, 0)), gui_font);
        EXPECT_EQ(IsWindowEnabled(c) != 0, e.id != ClipboardButton);
    }
    EXPECT_EQ(SendMessageW(item(LinkList), LB_GETCOUNT, 0, 0), 0);
    EXPECT_EQ(SendMessageW(item(LinkList), LB_GETHORIZONTALEXTENT, 0, 0), 0);
}

std::u16string tooltip_text(HWND tip, HWND window, HWND control) {
    wchar_t buffer[256] = {};
    TTTOOLINFOW info{};
    info.cbSize = TTTOOLINFOW_V2_SIZE;
    info.hwnd = window;
    info.uId = reinterpret_cast<UINT_PTR>(control);
    info.lpszText = buffer;
    SendMessageW(tip, TTM_GETTEXTW, 256, reinterpret_cast<LPARAM>(&info));
    return u16(buffer);
}

TEST_F(MainWindowTest, OneSharedTooltipWithFiveTexts) {
    HWND tip = main_window_tooltip(window);
    ASSERT_NE(tip, nullptr);
    EXPECT_EQ(class_name(tip), u"tooltips_class32");
    const LONG style = GetWindowLongW(tip, GWL_STYLE);
    EXPECT_TRUE(style & TTS_ALWAYSTIP);
    EXPECT_TRUE(style & TTS_NOPREFIX);
    EXPECT_EQ(SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0), 5);

    const std::pair<int, std::u16string> tips[] = {
        {ClearAddressButton, u"Eingabefeld leeren"},
        {ClipboardButton, u"letzter Test wird in die Zwischenablage kopiert"},
        {VlcOffButton, u"Prozesse von VLC, CMD und FFmpeg werden beendet"},
        {HomepageButton, u"Kanalbox Homepage \u00f6ffnen"},
        {DownloadButton, u"rtmpdump und ffmpeg download"},
    };
    for (const auto& [control, text] : tips)
        EXPECT_EQ(tooltip_text(tip, window, item(control)), text) << control;
    EXPECT_EQ(tooltip_text(tip, window, item(TestButton)), u"");

    // A new tooltip replaces the old one of the same control.
    set_control_tooltip(window, VlcOffButton, u"A & B");
    EXPECT_EQ(SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0), 5);
    EXPECT_EQ(tooltip_text(tip, window, item(VlcOffButton)), u"A & B");
}

TEST_F(MainWindowTest, OnlyTheAddressFieldGetsThePaleYellowBackground) {
    HDC dc = GetDC(item(AddressField));
    ASSERT_NE(dc, nullptr);
    auto brush = reinterpret_cast<HBRUSH>(SendMessageW(
        window, WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(item(AddressField))));
    LOGBRUSH lb{};
    ASSERT_EQ(GetObjectW(brush, sizeof lb, &lb), static_cast<int>(sizeof lb));
    EXPECT_EQ(lb.lbColor, 0xB9FFFFu);
    EXPECT_EQ(GetBkColor(dc), 0xB9FFFFu);
    ReleaseDC(item(AddressField), dc);

    dc = GetDC(item(CacheField));
    const LRESULT other = SendMessageW(window, WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc),
                                       reinterpret_cast<LPARAM>(item(CacheField)));
    EXPECT_NE(other, reinterpret_cast<LRESULT>(brush));
    ReleaseDC(item(CacheField), dc);
}

TEST_F(MainWindowTest, FramesNeitherCoverNorSwallowTheControlsInside) {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    drain();
    // Painted pixels as the screen shows them: the address field's colour
    // inside StreamFrame.
    RECT field{};
    GetWindowRect(item(AddressField), &field);
    HDC screen = GetDC(nullptr);
    const COLORREF shown = GetPixel(screen, field.left + 300, (field.top + field.bottom) / 2);
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(shown, 0xB9FFFFu);

    for (int id : {VlcPathField, VlcBrowseButton, RtmpdumpBrowseButton, AddressField,
                   ClearAddressButton, TestButton, LinkList, CacheField, VlcOffButton}) {
        RECT r{};
        GetWindowRect(item(id), &r);
        const POINT centre{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
        EXPECT_EQ(WindowFromPoint(centre), item(id)) << id;
    }
}

TEST_F(MainWindowTest, TabWalksTheStopsInCreationOrderSkippingTheDisabledButton) {
    const int forward[] = {VlcPathField, VlcBrowseButton, FfmpegPathField, FfmpegBrowseButton,
                           RtmpdumpPathField, RtmpdumpBrowseButton, AddressField,
                           ClearAddressButton, TestButton, LoadLinksButton, NextLinkButton,
                           PreviousLinkButton, LinkList, CacheField, VlcOffButton,
                           HomepageButton, DownloadButton, VlcPathField};
    SetFocus(window);  // none of the controls
    for (int expected : forward) {
        SendMessageW(window, WM_COMMAND, MAKEWPARAM(kTabCommand, 1), 0);
        EXPECT_EQ(GetFocus(), item(expected)) << expected;
    }

    SetFocus(window);
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(kShiftTabCommand, 1), 0);
    EXPECT_EQ(GetFocus(), item(DownloadButton));
    SetFocus(item(VlcPathField));
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(kShiftTabCommand, 1), 0);
    EXPECT_EQ(GetFocus(), item(DownloadButton));

    EnableWindow(item(ClipboardButton), TRUE);
    SetFocus(item(TestButton));
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(kTabCommand, 1), 0);
    EXPECT_EQ(GetFocus(), item(ClipboardButton));
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(kShiftTabCommand, 1), 0);
    EXPECT_EQ(GetFocus(), item(TestButton));
}

TEST_F(MainWindowTest, SpaceClicksAFocusedButtonAndEnterInAFieldDoesNothing) {
    SetFocus(item(TestButton));
    SendMessageW(item(TestButton), WM_KEYDOWN, VK_SPACE, 0x00390001);
    SendMessageW(item(TestButton), WM_KEYUP, VK_SPACE, 0xC0390001);
    EXPECT_EQ(recorded(), std::vector<int>{TestButton});

    SetFocus(item(AddressField));
    drain();
    SendMessageW(item(AddressField), WM_KEYDOWN, VK_RETURN, 0x001C0001);
    SendMessageW(item(AddressField), WM_CHAR, L'\r', 0x001C0001);
    SendMessageW(item(AddressField), WM_KEYUP, VK_RETURN, 0xC01C0001);
    drain();
    for (int control : recorded()) EXPECT_EQ(control, AddressField);
    EXPECT_EQ(window_text(item(AddressField)), u"rtmp://example/live");
}

TEST_F(MainWindowTest, TheAcceleratorTableTurnsTabIntoTheTabCommand) {
    HACCEL accelerators = create_main_accelerators();
    ASSERT_NE(accelerators, nullptr);
    SetFocus(item(CacheField));
    MSG msg{item(CacheField), WM_KEYDOWN, VK_TAB, 0x000F0001, 0, {}};
    EXPECT_TRUE(TranslateAcceleratorW(window, accelerators, &msg));
    EXPECT_EQ(GetFocus(), item(VlcOffButton));
    MSG enter{item(CacheField), WM_KEYDOWN, VK_RETURN, 0x001C0001, 0, {}};
    EXPECT_FALSE(TranslateAcceleratorW(window, accelerators, &enter));
    DestroyAcceleratorTable(accelerators);
}

TEST_F(MainWindowTest, FocusComesBackAfterAnotherWindowWasActive) {
    SetFocus(item(CacheField));
    HWND other = CreateWindowExW(0, L"Static", L"other", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50,
                                 nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(other, nullptr);
    SetActiveWindow(other);
    EXPECT_NE(GetFocus(), item(CacheField));
    SetActiveWindow(window);
    EXPECT_EQ(GetFocus(), item(CacheField));
    DestroyWindow(other);
}

TEST_F(MainWindowTest, ControlEventsAreRecordedNotRunAndFocusOfTheListIsNoEvent) {
    SendMessageW(item(ClearAddressButton), BM_CLICK, 0, 0);
    SendMessageW(item(TestButton), BM_CLICK, 0, 0);
    // Recorded only: the address is still there until the loop runs it.
    EXPECT_EQ(window_text(item(AddressField)), u"rtmp://example/live");
    EXPECT_EQ(recorded(), (std::vector<int>{ClearAddressButton, TestButton}));

    SetFocus(item(LinkList));
    SetFocus(item(CacheField));
    SendMessageW(item(LinkList), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"line"));
    SendMessageW(item(LinkList), LB_SETCURSEL, 0, 0);
    const std::vector<int> events = recorded();
    EXPECT_EQ(std::count(events.begin(), events.end(), LinkList), 0);
    EXPECT_EQ(std::count(events.begin(), events.end(), CacheField), 1);  // focus gained

    SetWindowTextW(item(AddressField), L"typed");
    EXPECT_EQ(recorded().front(), AddressField);
}

TEST_F(MainWindowTest, CloseIsRecordedTheWindowStaysAndTheLoopIsWoken) {
    drain();
    SendMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(window));
    EXPECT_TRUE(close_requested(window));
    // A close sent from another program is handled inside GetMessageW; the
    // posted wake-up makes the loop look at it.
    MSG msg;
    EXPECT_TRUE(PeekMessageW(&msg, window, 0, 0, PM_NOREMOVE | PM_NOYIELD));
    ProgramState s;
    EXPECT_FALSE(run_pending_events(s, window));
}

TEST_F(MainWindowTest, LoopRunsQueuedHandlersInOrderAndEndsOnClose) {
    // A click that empties the address, typing, then the close request.
    PostMessageW(item(ClearAddressButton), BM_CLICK, 0, 0);
    PostMessageW(window, WM_CLOSE, 0, 0);
    HACCEL accelerators = create_main_accelerators();
    run_event_loop(state, window, accelerators);
    DestroyAcceleratorTable(accelerators);
    EXPECT_EQ(window_text(item(AddressField)), u"");
    EXPECT_EQ(state.stream_address, u"rtmp://example/live");  // the value stays
    EXPECT_TRUE(IsWindow(window));
}

TEST_F(MainWindowTest, EventsAfterTheCloseRequestRunNoHandler) {
    SendMessageW(window, WM_CLOSE, 0, 0);
    SendMessageW(item(ClearAddressButton), BM_CLICK, 0, 0);
    EXPECT_FALSE(run_pending_events(state, window));
    EXPECT_EQ(window_text(item(AddressField)), u"rtmp://example/live");
}

}  // namespace
