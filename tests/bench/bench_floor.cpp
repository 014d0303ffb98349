// The floor of the start-up and click benchmark: the least a program with a
// window does. One window of the program's size with one button, shown once
// complete, and an event loop. With WB_FLOOR_BATCH naming a file, the button
// writes that file's bytes as a batch file into the temporary folder and
// starts it, as a bare test would; nothing else.
#include <windows.h>

#include <string>

namespace {

constexpr int kButton = 1;
std::string batch_bytes;
std::wstring batch_path;

void write_and_start() {
    HANDLE file = CreateFileW(batch_path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(file, batch_bytes.data(), static_cast<DWORD>(batch_bytes.size()), &written, nullptr);
    CloseHandle(file);
    std::wstring command = L"\"" + batch_path + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process{};
    if (CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS, nullptr,
                       nullptr, &startup, &process)) {
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
}

// The batch content, read once at start; false without WB_FLOOR_BATCH.
bool load_batch() {
    wchar_t source[MAX_PATH];
    const DWORD n = GetEnvironmentVariableW(L"WB_FLOOR_BATCH", source, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return false;
    HANDLE file = CreateFileW(source, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    char buffer[65536];
    DWORD read = 0;
    const BOOL ok = ReadFile(file, buffer, sizeof buffer, &read, nullptr);
    CloseHandle(file);
    if (!ok) return false;
    batch_bytes.assign(buffer, read);
    wchar_t temp[MAX_PATH + 1];
    const DWORD t = GetTempPathW(MAX_PATH + 1, temp);
    if (t == 0 || t > MAX_PATH) return false;
    batch_path = std::wstring(temp, t) + L"wb-floor-stream.bat";
    return true;
}

LRESULT CALLBACK floor_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_COMMAND:
        if (LOWORD(wparam) == kButton && HIWORD(wparam) == BN_CLICKED && !batch_path.empty())
            write_and_start();
        return 0;
    case WM_CLOSE: DestroyWindow(window); return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    default: return DefWindowProcW(window, message, wparam, lparam);
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    load_batch();
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = floor_proc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    wc.lpszClassName = L"WbBenchFloor";
    if (!RegisterClassExW(&wc)) return 1;
    RECT outer{0, 0, 800, 550};
    const DWORD style = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    AdjustWindowRectEx(&outer, style, FALSE, 0);
    HWND window = CreateWindowExW(0, wc.lpszClassName, L"floor", style, CW_USEDEFAULT, CW_USEDEFAULT,
                                  outer.right - outer.left, outer.bottom - outer.top, nullptr, nullptr,
                                  instance, nullptr);
    if (!window) return 1;
    CreateWindowExW(0, L"Button", L"testen", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 20, 175, 505, 30, window,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(kButton)), instance, nullptr);
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
