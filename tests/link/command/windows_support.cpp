#include "windows_support.h"

#include <tlhelp32.h>

#include <algorithm>
#include <set>

namespace {

void remove_tree(const std::wstring& folder) {
    for (const auto& name : folder_entries(folder)) {
        const std::wstring full = folder + name;
        const DWORD attributes = GetFileAttributesW(full.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            remove_tree(full + L"\\");
        } else {
            SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileW(full.c_str());
        }
    }
    RemoveDirectoryW(folder.c_str());
}

std::wstring unescape(const std::string& field) {
    std::wstring wide;
    const int n = MultiByteToWideChar(CP_UTF8, 0, field.data(), static_cast<int>(field.size()), nullptr, 0);
    wide.resize(static_cast<std::size_t>(n));
    MultiByteToWideChar(CP_UTF8, 0, field.data(), static_cast<int>(field.size()), wide.data(), n);
    std::wstring out;
    for (std::size_t i = 0; i < wide.size(); ++i) {
        if (wide[i] == L'\\' && i + 1 < wide.size()) {
            const wchar_t next = wide[++i];
            out += next == L'r' ? L'\r' : next == L'n' ? L'\n' : next;
        } else {
            out += wide[i];
        }
    }
    return out;
}

}  // namespace

ScratchFolder::ScratchFolder() {
    wchar_t temp[MAX_PATH + 1];
    const DWORD n = GetTempPathW(MAX_PATH + 1, temp);
    static int counter = 0;
    path_ = std::wstring(temp, n) + L"wb-cmd-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
            std::to_wstring(++counter) + L"\\";
    CreateDirectoryW(path_.c_str(), nullptr);
}

ScratchFolder::~ScratchFolder() { remove_tree(path_); }

std::wstring recorder_exe() {
    // A Unix path of the build tree; Wine maps it below Z:.
    std::string unix_path = RECORDER_EXE;
    std::wstring path = L"Z:";
    for (char c : unix_path) path += c == '/' ? L'\\' : static_cast<wchar_t>(c);
    return path;
}

bool make_folder(const std::wstring& path) { return CreateDirectoryW(path.c_str(), nullptr) != 0; }

bool copy_recorder(const std::wstring& to) { return CopyFileW(recorder_exe().c_str(), to.c_str(), FALSE) != 0; }

std::string read_bytes(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    std::string bytes;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
    CloseHandle(file);
    return bytes;
}

bool write_bytes(const std::wstring& path, const std::string& bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == bytes.size();
}

std::string utf8(const std::wstring& text) {
    if (text.empty()) return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

std::string utf8(const std::u16string& text) { return utf8(std::wstring(text.begin(), text.end())); }

std::vector<Record> read_records(const std::wstring& log) {
    std::vector<Record> records;
    const std::string bytes = read_bytes(log);
    Record current;
    std::size_t at = 0;
    while (at < bytes.size()) {
        std::size_t end = bytes.find('\n', at);
        if (end == std::string::npos) break;  // a record still being written
        const std::string line = bytes.substr(at, end - at);
        at = end + 1;
        if (line == "end") {
            records.push_back(std::move(current));
            current = Record{};
            continue;
        }
        const std::size_t space = line.find(' ');
        const std::string tag = line.substr(0, space);
        const std::wstring value = space == std::string::npos ? L"" : unescape(line.substr(space + 1));
        if (tag == "tool") current.tool = value;
        else if (tag == "line") current.line = value;
        else if (tag == "crt") current.crt.push_back(value);
        else if (tag == "w32") current.w32.push_back(value);
    }
    return records;
}

std::vector<std::wstring> folder_entries(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        const std::wstring name = found.cFileName;
        if (name != L"." && name != L"..") names.push_back(name);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

std::wstring cmd_exe() {
    wchar_t system[MAX_PATH];
    const UINT n = GetSystemDirectoryW(system, MAX_PATH);
    return std::wstring(system, n) + L"\\cmd.exe";
}

bool run_and_wait(const std::wstring& command_line, const std::wstring& directory, const std::wstring& output,
                  const std::wstring& input) {
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE in = CreateFileW(input.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, nullptr);
    HANDLE out = CreateFileW(output.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = in;
    startup.hStdOutput = out;
    startup.hStdError = out;
    PROCESS_INFORMATION process{};
    std::wstring writable = command_line;
    const std::wstring program = cmd_exe();
    const BOOL started = CreateProcessW(program.c_str(), writable.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                       directory.c_str(), &startup, &process);
    CloseHandle(in);
    CloseHandle(out);
    if (!started) return false;
    const bool finished = WaitForSingleObject(process.hProcess, 120000) == WAIT_OBJECT_0;
    if (!finished) TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return finished;
}

std::vector<DWORD> descendants() {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return {};
    std::vector<std::pair<DWORD, DWORD>> processes;  // id, parent
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL ok = Process32FirstW(snapshot, &entry); ok; ok = Process32NextW(snapshot, &entry))
        processes.emplace_back(entry.th32ProcessID, entry.th32ParentProcessID);
    CloseHandle(snapshot);

    std::set<DWORD> family{GetCurrentProcessId()};
    for (bool grew = true; grew;) {
        grew = false;
        for (const auto& [id, parent] : processes)
            if (family.count(parent) && family.insert(id).second) grew = true;
    }
    family.erase(GetCurrentProcessId());
    return {family.begin(), family.end()};
}

void end_descendants() {
    for (int round = 0; round < 5; ++round) {
        const std::vector<DWORD> family = descendants();
        if (family.empty()) return;
        for (DWORD id : family) {
            if (HANDLE p = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id)) {
                TerminateProcess(p, 1);
                WaitForSingleObject(p, 10000);
                CloseHandle(p);
            }
        }
    }
}
