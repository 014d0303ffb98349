#include "main/control_access.h"

#include "base/win32.h"
#include "main/main_window.h"

std::u16string get_control_text(HWND window, int control) {
    HWND item = main_window_control(window, control);
    if (!item) return {};
    const int length = GetWindowTextLengthW(item);
    if (length <= 0) return {};
    std::wstring buffer(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(item, buffer.data(), length + 1);
    return u16(buffer.data(), copied > 0 ? static_cast<std::size_t>(copied) : 0);
}

void set_control_text(HWND window, int control, const std::u16string& text) {
    if (HWND item = main_window_control(window, control)) SetWindowTextW(item, wz(text));
}

void enable_control(HWND window, int control, bool enabled) {
    if (HWND item = main_window_control(window, control)) EnableWindow(item, enabled ? TRUE : FALSE);
}
