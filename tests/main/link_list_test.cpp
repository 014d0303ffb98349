// The link list's handlers and the clipboard copy against the real window,
// a real list control and real files, for what only the process sees: its
// state, picks made by the program, which raise no event, and a busy
// clipboard. Loading, stepping and picking as a user does it are checked on
// the running program (the black-box suite).
#include <windows.h>

#include <gtest/gtest.h>

#include "tests/main/window_test_support.h"

#include <string>
#include <vector>

#include "main/control_access.h"
#include "main/controls.h"
#include "main/file_requester.h"
#include "main/handlers.h"
#include "main/link_list.h"
#include "main/main_window.h"
#include "tests/support/win32_support.h"

namespace {

class LinkListTest : public ::testing::Test {
protected:
    void SetUp() override {
        window = build_main_window(GetModuleHandleW(nullptr), state, SW_SHOWNORMAL);
        ASSERT_NE(window, nullptr);
        drain();
    }
    void TearDown() override {
        if (window) DestroyWindow(window);
    }
    void drain() { drain_window(window); }
    // Writes raw bytes; returns the path as the program sees it.
    std::u16string write_file(const std::u16string& name, const std::string& bytes) {
        EXPECT_TRUE(write_bytes(dir.file(name), bytes));
        return dir.file(name);
    }
    HWND list() { return GetDlgItem(window, LinkList); }
    LRESULT selection() { return SendMessageW(list(), LB_GETCURSEL, 0, 0); }
    std::u16string address() { return get_control_text(window, AddressField); }

    ScratchFolder dir;
    ProgramState state;
    HWND window = nullptr;
};

TEST_F(LinkListTest, PickingCutsMarkupAndTheButtonsContinueFromThePick) {
    load_links_from(state, window,
                    write_file(u"picks.txt",
                               "l0\nl1\nl2\nl3\nl4\n<b> \"A\" </b>\nnext one\nA</b>\na<b\n"));
    struct Pick {
        int index;
        std::u16string shown;
    };
    const Pick picks[] = {{5, u"A"}, {7, u""}, {8, u"a<b"}, {0, u"l0"}};
    for (const Pick& p : picks) {
        SendMessageW(list(), LB_SETCURSEL, p.index, 0);
        select_link(state, window);
        EXPECT_EQ(address(), p.shown);
        EXPECT_EQ(state.link_index, p.index);
    }

    SendMessageW(list(), LB_SETCURSEL, 5, 0);
    select_link(state, window);
    next_link(state, window);
    EXPECT_EQ(address(), u"next one");
    EXPECT_EQ(selection(), 6);
    previous_link(state, window);
    EXPECT_EQ(address(), u"<b> \"A\" </b>");  // the same line stepped onto stays whole

    // No selection: empty field, index -1; "nach unten" then starts at line 0.
    SendMessageW(list(), LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    select_link(state, window);
    EXPECT_EQ(address(), u"");
    EXPECT_EQ(state.link_index, -1);
    next_link(state, window);
    EXPECT_EQ(address(), u"l0");
    EXPECT_EQ(state.link_index, 0);
}

TEST_F(LinkListTest, AClickOnALineRunsSelectLinkButSelectingFromTheProgramDoesNot) {
    load_links_from(state, window, write_file(u"click.txt", "first\n<url>second</url>\nthird\n"));
    next_link(state, window);
    previous_link(state, window);
    int control = 0;
    while (take_control_event(window, control)) EXPECT_NE(control, LinkList);

    RECT item{};
    ASSERT_NE(SendMessageW(list(), LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&item)), LB_ERR);
    const LPARAM at = MAKELPARAM(item.left + 5, (item.top + item.bottom) / 2);
    SendMessageW(list(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(list(), WM_LBUTTONUP, 0, at);
    EXPECT_TRUE(run_pending_events(state, window));
    EXPECT_EQ(address(), u"second");
    EXPECT_EQ(state.link_index, 1);

    // A second release on the already selected line counts as well.
    set_control_text(window, AddressField, u"typed over");
    SendMessageW(list(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(list(), WM_LBUTTONUP, 0, at);
    run_pending_events(state, window);
    EXPECT_EQ(address(), u"second");
}

TEST_F(LinkListTest, CopyPutsTheLastTestOnTheClipboardUnlessItIsBusy) {
    ASSERT_TRUE(put_clipboard_text(window, u"before"));
    EXPECT_EQ(clipboard_text(), u"before");

    state.stream_address = u"http://x/a.m3u8";
    copy_last_test(state, window);
    EXPECT_EQ(clipboard_text(), u"c:\\programme\\videolan\\vlc\\ffmpeg.exe -re -i http://x/a.m3u8 -acodec copy "
                                u"-vcodec copy -f mpegts pipe: | c:\\programme\\videolan\\vlc\\vlc.exe -");

    // Another thread holds the clipboard open: nothing changes.
    ASSERT_TRUE(put_clipboard_text(window, u"held"));
    HANDLE opened = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    struct Events {
        HANDLE opened, release;
    } events{opened, release};
    HANDLE holder = CreateThread(
        nullptr, 0,
        [](void* p) -> DWORD {
            auto* e = static_cast<Events*>(p);
            const BOOL ok = OpenClipboard(nullptr);
            SetEvent(e->opened);
            WaitForSingleObject(e->release, INFINITE);
            if (ok) CloseClipboard();
            return ok ? 0 : 1;
        },
        &events, 0, nullptr);
    ASSERT_NE(holder, nullptr);
    WaitForSingleObject(opened, INFINITE);
    EXPECT_FALSE(put_clipboard_text(window, u"not placed"));
    SetEvent(release);
    WaitForSingleObject(holder, INFINITE);
    DWORD holder_result = 1;
    GetExitCodeThread(holder, &holder_result);
    EXPECT_EQ(holder_result, 0u);
    CloseHandle(holder);
    CloseHandle(opened);
    CloseHandle(release);
    EXPECT_EQ(clipboard_text(), u"held");
}

}  // namespace
