#pragma once
#include <windows.h>

// The notification-area toolbar of the taskbar, or null.
HWND tray_toolbar();
// The same chain below a given taskbar window ("TrayNotifyWnd" ->
// "SysPager" -> "ToolbarWindow32", first direct child each); null when
// `taskbar` is null or any link is missing.
HWND tray_toolbar_in(HWND taskbar);

// Pointer-movement messages across the window at half its height, x = 0, 4,
// ... up to and including the client width. Each message is sent
// synchronously but given up after kTraySendTimeoutMs, and the sweep stops at
// the first one not delivered in time: a hung shell must not freeze us.
// Returns false only when the handle is null or its client area unreadable;
// a sweep cut short still counts as run.
bool tray_sweep(HWND toolbar);
// tray_sweep(tray_toolbar()).
bool tray_refresh();

inline constexpr UINT kTraySendTimeoutMs = 200;
