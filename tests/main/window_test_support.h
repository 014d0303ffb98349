#pragma once
#include <windows.h>

#include "main/main_window.h"

// Lets queued painting and notifications happen; recorded control events
// are dropped so each test starts from none.
inline void drain_window(HWND window) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    int control;
    while (take_control_event(window, control)) {
    }
}
