// registry-dump.exe MACHINE_FILE USERS_FILE
// Writes HKEY_LOCAL_MACHINE and HKEY_USERS as the registry holds them now
// into two new files. Under Wine the server writes each in one request, in
// its own text format and without the volatile keys: cmake/wine-suite.sh
// compares a dump from before a suite with one from after it. Reading the
// registry key by key (regedit /E) takes a request per key and value,
// seconds for HKEY_LOCAL_MACHINE.
#include <windows.h>

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) return 2;
    // Saving a key needs the backup privilege enabled, not only held.
    HANDLE token = nullptr;
    if (OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, &token)) {
        TOKEN_PRIVILEGES backup = {};
        backup.PrivilegeCount = 1;
        backup.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
        if (LookupPrivilegeValueW(nullptr, SE_BACKUP_NAME, &backup.Privileges[0].Luid))
            AdjustTokenPrivileges(token, FALSE, &backup, 0, nullptr, nullptr);
        CloseHandle(token);
    }
    if (RegSaveKeyW(HKEY_LOCAL_MACHINE, argv[1], nullptr) != ERROR_SUCCESS) return 1;
    if (RegSaveKeyW(HKEY_USERS, argv[2], nullptr) != ERROR_SUCCESS) return 1;
    return 0;
}
