#include "housekeeping/crash_dump.h"

#include "base/win32.h"

#include <objbase.h>
#include <shlobj.h>

#include <cwchar>
#include <memory>

namespace {

struct PidlFree {
    void operator()(ITEMIDLIST* pidl) const { CoTaskMemFree(pidl); }
};
using UniquePidl = std::unique_ptr<ITEMIDLIST, PidlFree>;

}  // namespace

std::u16string special_folder(int csidl) {
    wchar_t path[MAX_PATH] = {};
    ITEMIDLIST* raw = nullptr;
    const HRESULT result = SHGetSpecialFolderLocation(nullptr, csidl, &raw);
    // Owned at once: whatever the shell handed back is freed on every path.
    UniquePidl pidl(raw);
    if (result != S_OK) return {};
    if (!SHGetPathFromIDListW(pidl.get(), path)) return {};
    return with_trailing_backslash(u16(path, wcsnlen(path, MAX_PATH)));
}

void remove_player_crash_dump() {
    const std::u16string file = player_crash_dump_path(special_folder(CSIDL_APPDATA));
    if (file.empty()) return;
    // A missing file, one still in use or one we may not delete: all alike.
    DeleteFileW(wz(file));
}
