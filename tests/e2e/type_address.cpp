// e2e_type_address ADDRESS [testen]
// Puts ADDRESS into the address field of the running Wellenblick window, as
// if pasted there (the program itself takes no arguments), and with
// "testen" also clicks that button. Waits up to a minute for the window;
// exit code 1 if it does not come up.
#include <windows.h>
#include <shellapi.h>

#include "main/controls.h"

int main() {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv || argc < 2 || argc > 3) return 2;
    const bool test = argc == 3 && wcscmp(argv[2], L"testen") == 0;
    for (int tries = 0; tries < 600; ++tries) {
        HWND window = FindWindowW(L"WellenblickMain", nullptr);
        // The last control made: the window is complete.
        if (window && GetDlgItem(window, DownloadButton)) {
            SendMessageW(GetDlgItem(window, AddressField), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[1]));
            if (test) PostMessageW(GetDlgItem(window, TestButton), BM_CLICK, 0, 0);
            return 0;
        }
        Sleep(100);
    }
    return 1;
}
