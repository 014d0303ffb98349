#include "housekeeping/tray.h"

HWND tray_toolbar() { return nullptr; }
bool tray_sweep(HWND) { return false; }
bool tray_refresh() { return tray_sweep(tray_toolbar()); }
