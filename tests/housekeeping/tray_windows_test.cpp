#include "housekeeping/tray.h"
#include "base/win32.h"

#include <gtest/gtest.h>
#include <windowsx.h>

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

// Every WM_MOUSEMOVE any test window receives, from whichever thread.
struct Move {
    HWND window;
    WPARAM wparam;
    LPARAM lparam;
};
std::mutex moves_mutex;
std::vector<Move> moves;

LRESULT CALLBACK recording_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_MOUSEMOVE) {
        std::lock_guard lock(moves_mutex);
        moves.push_back({window, wparam, lparam});
        return 0;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

std::vector<Move> moves_to(HWND window) {
    std::lock_guard lock(moves_mutex);
    std::vector<Move> result;
    for (const auto& m : moves)
        if (m.window == window) result.push_back(m);
    return result;
}

std::size_t all_moves() {
    std::lock_guard lock(moves_mutex);
    return moves.size();
}

// The shell's class names, registered here so the test builds its own
// hierarchies; "Filler" stands for any other window in between.
constexpr const wchar_t* kClasses[] = {L"Shell_TrayWnd", L"TrayNotifyWnd", L"SysPager",
                                       L"ToolbarWindow32", L"Filler"};

struct DestroyWindowDeleter {
    void operator()(HWND window) const { DestroyWindow(window); }
};
// A top-level test window; its children go with it.
using UniqueWindow = std::unique_ptr<std::remove_pointer_t<HWND>, DestroyWindowDeleter>;

UniqueWindow top_level(const wchar_t* cls, int width = 100, int height = 30) {
    return UniqueWindow(CreateWindowExW(0, cls, nullptr, WS_POPUP, 0, 0, width, height, nullptr,
                                        nullptr, GetModuleHandleW(nullptr), nullptr));
}

HWND child(HWND parent, const wchar_t* cls, int width = 100, int height = 30) {
    return CreateWindowExW(0, cls, nullptr, WS_CHILD, 0, 0, width, height, parent, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

class Tray : public ::testing::Test {
protected:
    void SetUp() override {
        static const bool registered = [] {
            for (const auto* cls : kClasses) {
                WNDCLASSEXW wc{};
                wc.cbSize = sizeof wc;
                wc.lpfnWndProc = recording_proc;
                wc.hInstance = GetModuleHandleW(nullptr);
                wc.lpszClassName = cls;
                if (!RegisterClassExW(&wc)) return false;
            }
            return true;
        }();
        ASSERT_TRUE(registered);
        std::lock_guard lock(moves_mutex);
        moves.clear();
    }
};

TEST_F(Tray, ChainFindsTheFirstToolbarOfThePagerOnly) {
    auto taskbar = top_level(L"Shell_TrayWnd");
    ASSERT_TRUE(taskbar);
    // Decoys outside the chain's places, created first so a search that
    // strays would meet them before the right windows.
    child(taskbar.get(), L"ToolbarWindow32");
    HWND notify = child(taskbar.get(), L"TrayNotifyWnd");
    child(notify, L"ToolbarWindow32");
    HWND pager = child(notify, L"SysPager");
    HWND first = child(pager, L"ToolbarWindow32");
    HWND second = child(pager, L"ToolbarWindow32");
    ASSERT_TRUE(notify && pager && first && second);

    EXPECT_EQ(tray_toolbar_in(taskbar.get()), first);
}

// Builds taskbar -> notify -> pager -> toolbar with the link at `missing`
// replaced by a filler window, so the rest of the chain still exists one
// level deeper than it should.
struct BrokenChain {
    int missing;  // 1 notify area, 2 pager, 3 toolbar
    const char* what;
};

class TrayBrokenChain : public Tray, public ::testing::WithParamInterface<BrokenChain> {};

TEST_P(TrayBrokenChain, GivesNullAndSendsNothing) {
    auto taskbar = top_level(L"Shell_TrayWnd");
    ASSERT_TRUE(taskbar);
    HWND parent = taskbar.get();
    std::vector<HWND> chain{parent};
    for (int link = 1; link <= 3; ++link) {
        if (link == GetParam().missing) parent = child(parent, L"Filler");
        parent = child(parent, kClasses[link]);
        ASSERT_TRUE(parent);
        chain.push_back(parent);
    }

    HWND found = tray_toolbar_in(taskbar.get());
    EXPECT_EQ(found, nullptr);
    EXPECT_FALSE(tray_sweep(found));
    EXPECT_EQ(all_moves(), 0u);
}

INSTANTIATE_TEST_SUITE_P(EachLink, TrayBrokenChain,
                         ::testing::Values(BrokenChain{1, "NotifyArea"}, BrokenChain{2, "Pager"},
                                           BrokenChain{3, "Toolbar"}),
                         [](const auto& info) { return std::string(info.param.what); });

TEST_F(Tray, ChainOfNoTaskbarIsNull) { EXPECT_EQ(tray_toolbar_in(nullptr), nullptr); }

struct SweepCase {
    int width, height;
    std::size_t count;
    int y, last_x;
};

class TraySweep : public Tray, public ::testing::WithParamInterface<SweepCase> {};

TEST_P(TraySweep, MovesAcrossTheWholeWidthAtHalfHeight) {
    const auto c = GetParam();
    auto parent = top_level(L"Filler", 1000, 200);
    HWND toolbar = child(parent.get(), L"ToolbarWindow32", c.width, c.height);
    ASSERT_TRUE(toolbar);

    EXPECT_TRUE(tray_sweep(toolbar));

    const auto got = moves_to(toolbar);
    ASSERT_EQ(got.size(), c.count);
    for (std::size_t i = 0; i < got.size(); ++i) {
        // y in the high 16 bits, x in the low: x 12, y 20 is 0x0014000C.
        const auto expected = static_cast<std::uint32_t>(c.y) << 16 | static_cast<std::uint32_t>(4 * i);
        EXPECT_EQ(static_cast<std::uint32_t>(got[i].lparam), expected) << "message " << i;
        EXPECT_EQ(got[i].wparam, 0u) << "message " << i;
    }
    EXPECT_EQ(GET_X_LPARAM(got.back().lparam), c.last_x);
    EXPECT_EQ(all_moves(), c.count) << "no other window is touched";
}

INSTANTIATE_TEST_SUITE_P(Sizes, TraySweep,
                         ::testing::Values(SweepCase{198, 40, 50, 20, 196},
                                           SweepCase{200, 40, 51, 20, 200},
                                           SweepCase{0, 40, 1, 20, 0},
                                           SweepCase{198, 25, 50, 12, 196},
                                           SweepCase{3, 1, 1, 0, 0},
                                           SweepCase{4, 0, 2, 0, 4}));

TEST_F(Tray, SweepOfNoWindowOrAGoneWindowSendsNothing) {
    EXPECT_FALSE(tray_sweep(nullptr));
    HWND gone = top_level(L"ToolbarWindow32").get();  // destroyed at once
    ASSERT_TRUE(gone);
    EXPECT_FALSE(tray_sweep(gone));
    EXPECT_EQ(all_moves(), 0u);
}

// A shell whose thread stops serving messages must not freeze the sweep:
// it gives up at the first message that is not taken in time.
TEST_F(Tray, SweepGivesUpOnAHungReceiver) {
    UniqueHandle created(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    UniqueHandle sweeping(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    UniqueHandle done(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    ASSERT_TRUE(created && sweeping && done);
    HWND toolbar = nullptr;

    std::thread receiver([&] {
        UniqueWindow window = top_level(L"ToolbarWindow32", 400, 40);
        toolbar = window.get();
        SetEvent(created.get());
        // Hung: neither pumping nor waiting for messages, from just before
        // the sweep until it returns, or for a while well beyond the send
        // timeout. A sweep that waited, or went on past a message that timed
        // out, would then deliver the rest of its row.
        WaitForSingleObject(sweeping.get(), INFINITE);
        WaitForSingleObject(done.get(), 10 * kTraySendTimeoutMs);
        const HANDLE finished = done.get();
        for (;;) {
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
            if (WaitForSingleObject(finished, 0) == WAIT_OBJECT_0) break;
            MsgWaitForMultipleObjects(1, &finished, FALSE, INFINITE, QS_ALLINPUT);
        }
    });
    WaitForSingleObject(created.get(), INFINITE);
    ASSERT_TRUE(toolbar);

    SetEvent(sweeping.get());
    const bool ran = tray_sweep(toolbar);
    SetEvent(done.get());
    receiver.join();

    EXPECT_TRUE(ran) << "a sweep cut short still ran";
    const auto got = moves_to(toolbar);
    ASSERT_LE(got.size(), 1u) << "the sweep went on past a message that timed out";
    if (!got.empty()) {
        EXPECT_EQ(GET_X_LPARAM(got[0].lparam), 0);
    }
}

// Through the real top-level look-up. Wine's own shell may hold a hidden
// "Shell_TrayWnd" of its own; ours, created last, normally comes first.
TEST_F(Tray, RefreshSweepsTheToolbarOfTheTaskbarFoundFirst) {
    auto taskbar = top_level(L"Shell_TrayWnd");
    ASSERT_TRUE(taskbar);
    HWND toolbar =
        child(child(child(taskbar.get(), L"TrayNotifyWnd"), L"SysPager"), L"ToolbarWindow32", 40, 24);
    ASSERT_TRUE(toolbar);
    if (FindWindowW(L"Shell_TrayWnd", nullptr) != taskbar.get())
        GTEST_SKIP() << "another taskbar window is found first";

    EXPECT_EQ(tray_toolbar(), toolbar);
    EXPECT_TRUE(tray_refresh());
    const auto got = moves_to(toolbar);
    ASSERT_EQ(got.size(), 11u);
    EXPECT_EQ(GET_Y_LPARAM(got[0].lparam), 12);
}

}  // namespace
