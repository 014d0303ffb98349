// What the scripts do to the running program's window:
//   wb_window_tool type ADDRESS [testen]  puts ADDRESS into the address
//       field, as if pasted (the program takes no arguments), and with
//       "testen" clicks that button; waits up to a minute for the window
//   wb_window_tool close  asks the window to close, as its close box would,
//       and waits a while for its program to end
//   wb_window_tool park   moves the pointer to the screen's bottom-right
//       corner, where it raises no tooltip in a picture
// Exit code 0 when done, 1 when the window did not come up or go, 2 on
// wrong words.
#include <windows.h>
#include <shellapi.h>

#include <string_view>

#include "linux/tool_support.h"
#include "main/controls.h"

namespace {

HWND main_window() { return FindWindowW(L"WellenblickMain", nullptr); }

}  // namespace

int main() {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv || argc < 2) return 2;
    const std::wstring_view verb = argv[1];
    if (verb == L"park" && argc == 2)
        return SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1) ? 0 : 1;
    if (verb == L"close" && argc == 2) {
        HWND window = main_window();
        DWORD pid = 0;
        if (!window || !GetWindowThreadProcessId(window, &pid)) return 1;
        HANDLE program = OpenProcess(SYNCHRONIZE, FALSE, pid);
        if (!program) return 1;
        PostMessageW(window, WM_CLOSE, 0, 0);
        const bool ended = WaitForSingleObject(program, 15000) == WAIT_OBJECT_0;
        CloseHandle(program);
        return ended ? 0 : 1;
    }
    if (verb != L"type" || argc < 3 || argc > 4) return 2;
    const bool test = argc == 4 && std::wstring_view(argv[3]) == L"testen";
    HWND window = nullptr;
    // The last control made: the window is complete.
    if (!wait_until([&] { return (window = main_window()) && GetDlgItem(window, DownloadButton); }, 60000))
        return 1;
    SendMessageW(GetDlgItem(window, AddressField), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[2]));
    if (test) PostMessageW(GetDlgItem(window, TestButton), BM_CLICK, 0, 0);
    return 0;
}
