#pragma once
#include <windows.h>

// The notification-area toolbar of the taskbar, or null.
HWND tray_toolbar();
// Pointer-movement messages across the window at half its height.
bool tray_sweep(HWND toolbar);
bool tray_refresh();
