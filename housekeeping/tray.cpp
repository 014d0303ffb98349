#include "housekeeping/tray.h"

#include <cstdint>

HWND tray_toolbar_in(HWND taskbar) {
    if (!taskbar) return nullptr;
    HWND notify = FindWindowExW(taskbar, nullptr, L"TrayNotifyWnd", nullptr);
    if (!notify) return nullptr;
    HWND pager = FindWindowExW(notify, nullptr, L"SysPager", nullptr);
    if (!pager) return nullptr;
    return FindWindowExW(pager, nullptr, L"ToolbarWindow32", nullptr);
}

HWND tray_toolbar() { return tray_toolbar_in(FindWindowW(L"Shell_TrayWnd", nullptr)); }

bool tray_sweep(HWND toolbar) {
    if (!toolbar) return false;
    RECT client{};
    if (!GetClientRect(toolbar, &client)) return false;

    const int y = client.bottom / 2;
    // 64-bit counter: a client width near INT_MAX must not overflow the step.
    for (std::int64_t x = 0; x <= client.right; x += 4) {
        DWORD_PTR ignored = 0;
        // SMTO_NORMAL keeps serving messages sent to us while we wait, as
        // SendMessageW would; SMTO_ABORTIFHUNG gives up on a hung receiver.
        if (!SendMessageTimeoutW(toolbar, WM_MOUSEMOVE, 0,
                                 MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)),
                                 SMTO_NORMAL | SMTO_ABORTIFHUNG, kTraySendTimeoutMs,
                                 &ignored))
            break;  // timed out, hung or gone: the rest would fare no better
    }
    return true;
}

bool tray_refresh() { return tray_sweep(tray_toolbar()); }
