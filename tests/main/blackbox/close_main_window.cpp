// Asks the running program's window to close, as its close box would, and
// waits a while for it to go. Exit code 0 when it went, 1 otherwise.
#include <windows.h>

int main() {
    HWND window = FindWindowW(L"WellenblickMain", nullptr);
    if (!window) return 1;
    PostMessageW(window, WM_CLOSE, 0, 0);
    for (int i = 0; i < 300 && IsWindow(window); ++i) Sleep(50);
    return IsWindow(window) ? 1 : 0;
}
