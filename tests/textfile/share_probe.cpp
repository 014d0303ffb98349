// share_probe write PATH   -> exit 0 if PATH opens for writing, else 1
// share_probe delete PATH  -> exit 0 if PATH is deleted, else 1
// share_probe hold PATH READY RELEASE -> holds PATH open for writing,
//   sharing everything, signals event READY and waits for event RELEASE
// share_probe leave-open PATH -> writes a line to PATH with the text-file
//   operations and returns without closing it
#include "textfile/text_file.h"
#include "base/win32.h"

#include <shellapi.h>

int main() {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv || argc < 3) return 2;
    const wchar_t* mode = argv[1];
    const wchar_t* path = argv[2];
    constexpr DWORD share_all = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

    if (lstrcmpW(mode, L"write") == 0) {
        HANDLE h = CreateFileW(path, GENERIC_WRITE, share_all, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) return 1;
        CloseHandle(h);
        return 0;
    }
    if (lstrcmpW(mode, L"delete") == 0) return DeleteFileW(path) ? 0 : 1;
    if (lstrcmpW(mode, L"hold") == 0 && argc >= 5) {
        HANDLE h = CreateFileW(path, GENERIC_WRITE, share_all, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) return 1;
        HANDLE ready = OpenEventW(EVENT_MODIFY_STATE, FALSE, argv[3]);
        HANDLE release = OpenEventW(SYNCHRONIZE, FALSE, argv[4]);
        if (!ready || !release) return 3;
        SetEvent(ready);
        WaitForSingleObject(release, 60000);
        CloseHandle(h);
        return 0;
    }
    if (lstrcmpW(mode, L"leave-open") == 0) {
        if (!text_file_create(u16(path))) return 1;
        text_file_write_line(u"offen");
        return 0;
    }
    return 2;
}
