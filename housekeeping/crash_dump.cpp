#include "housekeeping/crash_dump.h"

#include "base/win32.h"

#include <shlobj.h>

#include <cwchar>

std::u16string special_folder(int csidl) {
    // The path straight away: an item-id list first would cost a walk
    // through the shell's namespace.
    wchar_t path[MAX_PATH] = {};
    if (SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path) != S_OK) return {};
    return with_trailing_backslash(u16(path, wcsnlen(path, MAX_PATH)));
}

void remove_player_crash_dump() {
    // Named once: the folder stays where it is while the program runs, and
    // asking the shell again would cost every test click time.
    static std::u16string file;
    if (file.empty()) file = player_crash_dump_path(special_folder(CSIDL_APPDATA));
    if (file.empty()) return;
    // A missing file, one still in use or one we may not delete: all alike.
    DeleteFileW(wz(file));
}
