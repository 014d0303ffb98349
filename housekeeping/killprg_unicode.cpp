#include "housekeeping/killprg_unicode.h"

#include "base/win32.h"

#include <winternl.h>
#include <ntstatus.h>

#include <algorithm>
#include <span>
#include <vector>

namespace {

struct Listed {
    DWORD pid;
    std::u16string name;
};

// Every running process; empty when the system gives no list. One query of
// the system's process table: a tool-help snapshot costs a shared section
// and a view mapped per entry, several milliseconds under Wine on every
// "testen".
std::vector<Listed> running_processes() {
    std::vector<Listed> listed;
    // Grown to the size the system asks for; the table may grow between two
    // tries, so a few more bytes than asked, and a few tries.
    std::vector<unsigned char> table(64 * 1024);
    NTSTATUS status = STATUS_INFO_LENGTH_MISMATCH;
    for (int attempt = 0; attempt < 4 && status == STATUS_INFO_LENGTH_MISMATCH; ++attempt) {
        ULONG needed = 0;
        status = NtQuerySystemInformation(SystemProcessInformation, table.data(),
                                          static_cast<ULONG>(table.size()), &needed);
        if (status == STATUS_INFO_LENGTH_MISMATCH)
            table.resize(std::max<std::size_t>(table.size() * 2, needed + 16 * 1024));
    }
    if (!NT_SUCCESS(status)) return listed;
    for (std::size_t at = 0;;) {
        const auto* entry = reinterpret_cast<const SYSTEM_PROCESS_INFORMATION*>(table.data() + at);
        const UNICODE_STRING& name = entry->ImageName;
        if (name.Buffer && name.Length)
            listed.push_back({static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(entry->UniqueProcessId)),
                              u16(name.Buffer, name.Length / sizeof(wchar_t))});
        if (entry->NextEntryOffset == 0) break;
        at += entry->NextEntryOffset;
        if (at + sizeof(SYSTEM_PROCESS_INFORMATION) > table.size()) break;
    }
    return listed;
}

// One look at the process table serves all names; the matches are ended
// name by name, in the order given.
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
