#include "housekeeping/killprg_unicode.h"

#include "base/win32.h"

#include <tlhelp32.h>

#include <cwchar>
#include <span>
#include <vector>

namespace {

struct Listed {
    DWORD pid;
    std::u16string name;
};

// Every running process; empty when the system gives no list.
std::vector<Listed> running_processes() {
    std::vector<Listed> listed;
    UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return listed;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more;
         more = Process32NextW(snapshot.get(), &entry)) {
        // The field is meant to be NUL-terminated; never read past it anyway.
        const std::size_t length = wcsnlen(entry.szExeFile, MAX_PATH);
        listed.push_back({entry.th32ProcessID, u16(entry.szExeFile, length)});
    }
    return listed;
}

// One snapshot serves all names (each costs milliseconds under Wine); the
// matches are ended name by name, in the order given.
void end_processes_named(std::span<const std::u16string> names) {
    const std::vector<Listed> listed = running_processes();
    for (const std::u16string& name : names) {
        // An empty name would match entries whose name the system left blank.
        if (name.empty()) continue;
        for (const Listed& process : listed) {
            if (process.name != name) continue;
            // Processes we may not terminate, or that are already gone, are
            // skipped; every other match is still ended.
            UniqueHandle handle(OpenProcess(PROCESS_TERMINATE, FALSE, process.pid));
            if (handle) TerminateProcess(handle.get(), kKilledExitCode);
        }
    }
}

}  // namespace

void killprg(const std::u16string& name) { end_processes_named({&name, 1}); }

void killprg_series(const std::array<std::u16string, 5>& names) { end_processes_named(names); }
