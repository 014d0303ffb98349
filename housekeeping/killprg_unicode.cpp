#include "housekeeping/killprg_unicode.h"

#include "base/win32.h"

#include <tlhelp32.h>

#include <cwchar>

void killprg(const std::u16string& name) {
    // An empty name would match entries whose name the system left blank.
    if (name.empty()) return;

    UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return;

    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more;
         more = Process32NextW(snapshot.get(), &entry)) {
        // The field is meant to be NUL-terminated; never read past it anyway.
        const std::size_t length = wcsnlen(entry.szExeFile, MAX_PATH);
        if (u16(entry.szExeFile, length) != name) continue;

        // Processes we may not terminate, or that are already gone, are
        // skipped; the walk goes on so every other match is still ended.
        UniqueHandle process(OpenProcess(PROCESS_TERMINATE, FALSE, entry.th32ProcessID));
        if (process) TerminateProcess(process.get(), kKilledExitCode);
    }
}

void killprg_series(const std::array<std::u16string, 5>& names) {
    for (const auto& name : names) killprg(name);
}
