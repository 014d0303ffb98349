// Puts the address given as its argument into the address field of the
// running Wellenblick window, as if pasted there (the program itself takes
// no arguments). Waits for the window to come up; exit code 1 if it does not.
#include <windows.h>
#include <shellapi.h>

#include "main/controls.h"

int main() {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv || argc != 2) return 2;
    for (int tries = 0; tries < 600; ++tries) {
        HWND window = FindWindowW(L"WellenblickMain", nullptr);
        HWND field = window ? GetDlgItem(window, AddressField) : nullptr;
        if (field && IsWindowVisible(window)) {
            SendMessageW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[1]));
            return 0;
        }
        Sleep(100);
    }
    return 1;
}
