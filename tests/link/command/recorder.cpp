// Stand-in for rtmpdump, ffmpeg and vlc: appends its raw command line and
// its arguments, as both the C runtime (wide, so that no character is lost
// to the ANSI code page) and CommandLineToArgvW split them, to the file
// named by WB_RECORDER_LOG. With WB_RECORDER_WAIT_FOR set it first
// waits (at most two minutes) until that file exists.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>

#include "tests/support/win32_support.h"

namespace {

std::wstring env(const wchar_t* name) {
    wchar_t buffer[4096];
    const DWORD n = GetEnvironmentVariableW(name, buffer, 4096);
    return n > 0 && n < 4096 ? std::wstring(buffer, n) : std::wstring();
}

// One record per line field; CR, LF and backslash escaped so a field stays on its line.
void add_field(std::wstring& out, const wchar_t* tag, const std::wstring& value) {
    out += tag;
    out += L' ';
    for (wchar_t c : value) {
        if (c == L'\\') out += L"\\\\";
        else if (c == L'\r') out += L"\\r";
        else if (c == L'\n') out += L"\\n";
        else out += c;
    }
    out += L'\n';
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring log = env(L"WB_RECORDER_LOG");
    if (log.empty()) {
        fprintf(stderr, "recorder: WB_RECORDER_LOG is not set\n");
        return 2;
    }
    const std::wstring wait_for = env(L"WB_RECORDER_WAIT_FOR");
    if (!wait_for.empty())
        wait_until([&] { return GetFileAttributesW(wait_for.c_str()) != INVALID_FILE_ATTRIBUTES; }, 120000);

    wchar_t module[MAX_PATH];
    const DWORD module_length = GetModuleFileNameW(nullptr, module, MAX_PATH);
    std::wstring tool(module, module_length);
    // Started by its short path, it reports its own name all the same.
    wchar_t long_form[MAX_PATH];
    const DWORD long_length = GetLongPathNameW(tool.c_str(), long_form, MAX_PATH);
    if (long_length > 0 && long_length < MAX_PATH) tool.assign(long_form, long_length);
    tool = tool.substr(tool.find_last_of(L'\\') + 1);

    std::wstring record;
    add_field(record, L"tool", tool);
    const wchar_t* line = GetCommandLineW();
    add_field(record, L"line", line);
    for (int i = 1; i < argc; ++i) add_field(record, L"crt", argv[i]);
    int count = 0;
    if (wchar_t** args = CommandLineToArgvW(line, &count)) {
        for (int i = 1; i < count; ++i) add_field(record, L"w32", args[i]);
        LocalFree(args);
    }
    record += L"end\n";

    const std::string utf8_record = utf8(u16(record.c_str()));
    // Both sides of a pipe may record at once, and an append is not atomic
    // under every system: one writer at a time.
    HANDLE turn = CreateMutexW(nullptr, FALSE, L"Local\\wb-recorder-log");
    if (turn) WaitForSingleObject(turn, 60000);
    HANDLE file = INVALID_HANDLE_VALUE;
    wait_until(
        [&] {
            file = CreateFileW(log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
            return file != INVALID_HANDLE_VALUE;
        },
        1000);
    DWORD written = 0;
    const BOOL ok = file != INVALID_HANDLE_VALUE &&
                    WriteFile(file, utf8_record.data(), static_cast<DWORD>(utf8_record.size()), &written, nullptr) &&
                    written == utf8_record.size();
    const DWORD error = GetLastError();
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    if (turn) {
        ReleaseMutex(turn);
        CloseHandle(turn);
    }
    if (!ok) fprintf(stderr, "recorder: no record written (error %lu)\n", error);
    return ok ? 0 : 3;
}
