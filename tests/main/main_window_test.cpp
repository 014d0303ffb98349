// The real main window built in-process, for what only the process itself
// sees: the window complete when first shown, its class and fonts, the
// tooltip registry, focus kept across activation, a move to a monitor of
// another scale, and the recorded events, the loop and the close request.
// Layout, colours and the Tab order are checked from outside, on the
// running program (the black-box suite), which also runs the first test
// here at each display scale it tries.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "tests/main/window_test_support.h"

#include <algorithm>
#include <string>
#include <vector>

#include "main/control_access.h"
#include "main/controls.h"
#include "main/handlers.h"
#include "main/main_window.h"
#include "base/win32.h"
#include "tests/main/blackbox/control_table.h"
#include "tests/support/win32_support.h"

namespace {

std::u16string class_name(HWND w) {
    wchar_t buffer[64] = {};
    const int n = GetClassNameW(w, buffer, 64);
    return u16(buffer, n > 0 ? static_cast<std::size_t>(n) : 0);
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

// The DPI a new window of this process has.
int screen_dpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi;
}

// Every label and button shows its whole caption in the font it was given:
// a label up to the first control that covers it from the right (the path
// fields cover the ends of their labels), a button inside its 3-D border
// of two units on each side.
void expect_whole_captions(HWND window, int dpi) {
    std::vector<RECT> at;
    for (int id = 0; id < kControlCount; ++id) at.push_back(placed_rect(window, GetDlgItem(window, id)));
    for (const auto& row : kControlTable) {
        if (row.kind != Kind::label && row.kind != Kind::button) continue;
        const RECT& r = at[static_cast<std::size_t>(row.id)];
        const int border = row.kind == Kind::button ? 2 * MulDiv(2, dpi, 96) : 0;
        LONG room = r.right - r.left - border;
        RECT overlap{};
        for (const RECT& other : at)
            if (row.kind == Kind::label && other.left > r.left && IntersectRect(&overlap, &r, &other))
                room = std::min(room, other.left - r.left);
        HWND control = GetDlgItem(window, row.id);
        HDC dc = GetDC(control);
        SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0)));
        SIZE text{};
        GetTextExtentPoint32W(dc, wz(row.text), static_cast<int>(row.text.size()), &text);
        ReleaseDC(control, dc);
        EXPECT_LE(text.cx, room) << utf8(row.text);
        EXPECT_LE(text.cy, r.bottom - r.top - border) << utf8(row.text);
    }
}

// Wine answers these only inside the process (the hit test asks the window
// of another thread nothing).
TEST_F(MainWindowTest, SystemLookAndNothingOverAControlThatTakesInput) {
    EXPECT_EQ(GetClassLongPtrW(window, GCLP_HBRBACKGROUND), COLOR_BTNFACE + 1);
    EXPECT_EQ(reinterpret_cast<HCURSOR>(GetClassLongPtrW(window, GCLP_HCURSOR)), LoadCursorW(nullptr, IDC_ARROW));
    for (int id = 0; id < kControlCount; ++id) {
        EXPECT_EQ(reinterpret_cast<HGDIOBJ>(SendMessageW(item(id), WM_GETFONT, 0, 0)), GetStockObject(DEFAULT_GUI_FONT))
            << id;
        RECT r{};
        GetWindowRect(item(id), &r);
        const bool takes_input = (GetWindowLongW(item(id), GWL_STYLE) & WS_TABSTOP) && IsWindowEnabled(item(id));
        if (takes_input) {
            EXPECT_EQ(WindowFromPoint({(r.left + r.right) / 2, (r.top + r.bottom) / 2}), item(id)) << id;
        }
    }
    expect_whole_captions(window, screen_dpi());
}

// Moved to a monitor of another scale, the window takes the suggested
// rectangle, its controls their places and the font for the new DPI, and
// it the icons of that DPI; the font made before is freed.
TEST_F(MainWindowTest, AMonitorOfAnotherScaleLaysTheWindowOutAgain) {
    const auto font_of = [](HWND w) { return reinterpret_cast<HGDIOBJ>(SendMessageW(w, WM_GETFONT, 0, 0)); };
    const auto icon_width = [&](WPARAM kind) {
        ICONINFO icon{};
        BITMAP image{};
        if (GetIconInfo(reinterpret_cast<HICON>(SendMessageW(window, WM_GETICON, kind, 0)), &icon)) {
            GetObjectW(icon.hbmColor, sizeof image, &image);
            DeleteObject(icon.hbmColor);
            DeleteObject(icon.hbmMask);
        }
        return image.bmWidth;
    };
    LOGFONTW stock{}, used{}, tip{};
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof stock, &stock);
    HGDIOBJ made_before = nullptr;
    for (const int dpi : {144, 120, 96}) {
        SCOPED_TRACE(std::to_string(dpi) + " DPI");
        RECT suggested{7, 9, 7 + MulDiv(806, dpi, 96), 9 + MulDiv(575, dpi, 96)}, now{};
        SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
        GetWindowRect(window, &now);
        EXPECT_TRUE(EqualRect(&now, &suggested));
        if (made_before) {
            EXPECT_EQ(GetObjectType(made_before), 0u) << "the font before is still there";
        }
        const HGDIOBJ font = font_of(item(VlcPathLabel));
        for (const auto& row : kControlTable) {
            const RECT r = placed_rect(window, item(row.id)), expected = scaled_rect(row, dpi);
            EXPECT_TRUE(EqualRect(&r, &expected) && font_of(item(row.id)) == font) << "control " << row.id;
        }
        // The tooltip keeps a copy of the font it is given.
        GetObjectW(font, sizeof used, &used);
        GetObjectW(font_of(main_window_tooltip(window)), sizeof tip, &tip);
        EXPECT_EQ(used.lfHeight, MulDiv(stock.lfHeight, dpi, screen_dpi()));
        EXPECT_EQ(tip.lfHeight, used.lfHeight);
        EXPECT_EQ(std::wstring(used.lfFaceName), std::wstring(stock.lfFaceName));
        EXPECT_EQ(icon_width(ICON_BIG), MulDiv(32, dpi, 96));
        EXPECT_EQ(icon_width(ICON_SMALL), MulDiv(16, dpi, 96));
        expect_whole_captions(window, dpi);
        made_before = font == GetStockObject(DEFAULT_GUI_FONT) ? nullptr : font;
    }
}

TEST_F(MainWindowTest, ANewTooltipReplacesTheOldOneOfTheSameControl) {
    HWND tip = main_window_tooltip(window);
    ASSERT_NE(tip, nullptr);
    EXPECT_EQ(SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0), 5);
    set_control_tooltip(window, VlcOffButton, u"A & B");
    EXPECT_EQ(SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0), 5);
    EXPECT_EQ(tooltip_text(tip, window, item(VlcOffButton)), u"A & B");
    EXPECT_EQ(tooltip_text(tip, window, item(ClearAddressButton)), u"Eingabefeld leeren");
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
    EXPECT_EQ(get_control_text(window, AddressField), u"rtmp://example/live");
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
    EXPECT_EQ(get_control_text(window, AddressField), u"");
    EXPECT_EQ(state.stream_address, u"rtmp://example/live");  // the value stays
    EXPECT_TRUE(IsWindow(window));
}

TEST_F(MainWindowTest, EventsAfterTheCloseRequestRunNoHandler) {
    SendMessageW(window, WM_CLOSE, 0, 0);
    SendMessageW(item(ClearAddressButton), BM_CLICK, 0, 0);
    EXPECT_FALSE(run_pending_events(state, window));
    EXPECT_EQ(get_control_text(window, AddressField), u"rtmp://example/live");
}

}  // namespace
