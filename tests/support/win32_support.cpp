#include "tests/support/win32_support.h"

#include <tlhelp32.h>

#include <algorithm>
#include <cstring>
#include <set>

std::u16string from_utf8(std::string_view text) {
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    const int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0);
    std::u16string out(static_cast<std::size_t>(n), u'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), size, reinterpret_cast<wchar_t*>(out.data()), n);
    return out;
}

std::u16string windows_path(std::string_view build_path) {
    std::u16string path = from_utf8(build_path);
    if (path.empty() || path.front() != u'/') return path;
    std::replace(path.begin(), path.end(), u'/', u'\\');
    return u"Z:" + path;  // Wine maps the Unix root to drive Z:
}

std::u16string temp_folder() {
    wchar_t shortened[MAX_PATH + 1] = {};
    if (!GetTempPathW(MAX_PATH + 1, shortened)) return {};
    wchar_t full[MAX_PATH + 1] = {};
    const DWORD n = GetLongPathNameW(shortened, full, MAX_PATH + 1);
    std::u16string folder = n > 0 && n <= MAX_PATH ? u16(full) : u16(shortened);
    if (!folder.empty() && folder.back() != u'\\') folder += u'\\';
    return folder;
}

ScratchFolder::ScratchFolder() {
    static int serial = 0;
    const std::string name = "wb-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++serial);
    path_ = temp_folder() + from_utf8(name) + u"\\";
    remove_tree(path_);
    CreateDirectoryW(wz(path_), nullptr);
}

ScratchFolder::~ScratchFolder() { remove_tree(path_); }

namespace {

void remove_contents(const std::u16string& folder) {
    for (const auto& name : folder_entries(folder)) {
        const std::u16string full = folder + name;
        if (is_directory(full)) {
            remove_contents(full + u"\\");
            RemoveDirectoryW(wz(full));
        } else {
            SetFileAttributesW(wz(full), FILE_ATTRIBUTE_NORMAL);
            DeleteFileW(wz(full));
        }
    }
}

}  // namespace

void remove_tree(const std::u16string& folder) {
    std::u16string dir = folder;
    if (!dir.empty() && dir.back() != u'\\') dir += u'\\';
    // A process that was just terminated may hold its image file a moment
    // longer than its handle says it runs.
    wait_until(
        [&] {
            remove_contents(dir);
            RemoveDirectoryW(wz(dir));
            return !file_exists(dir);
        },
        5000);
}

bool make_folder(const std::u16string& path) { return CreateDirectoryW(wz(path), nullptr) != 0; }

std::optional<std::string> file_bytes(const std::u16string& path) {
    UniqueHandle file(CreateFileW(wz(path), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return std::nullopt;
    std::string bytes;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
    return bytes;
}

std::string read_bytes(const std::u16string& path) { return file_bytes(path).value_or("<missing>"); }

bool write_bytes(const std::u16string& path, std::string_view bytes) {
    UniqueHandle file(CreateFileW(wz(path), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return file && WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

bool file_exists(const std::u16string& path) { return GetFileAttributesW(wz(path)) != INVALID_FILE_ATTRIBUTES; }

bool is_file(const std::u16string& path) {
    const DWORD a = GetFileAttributesW(wz(path));
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool is_directory(const std::u16string& path) {
    const DWORD a = GetFileAttributesW(wz(path));
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

std::vector<std::u16string> folder_entries(const std::u16string& folder) {
    std::vector<std::u16string> names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(wz(folder + u"*"), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        const std::u16string name = u16(found.cFileName);
        if (name != u"." && name != u"..") names.push_back(name);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

UniqueHandle start_process(const std::u16string& exe, const std::u16string& arguments,
                           const std::u16string& directory, DWORD flags) {
    std::u16string command = u"\"" + exe + u"\"";
    if (!arguments.empty()) command += u" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    // The application name is given, so names without ".exe" start as well.
    if (!CreateProcessW(wz(exe), reinterpret_cast<wchar_t*>(command.data()), nullptr, nullptr, FALSE, flags,
                        nullptr, directory.empty() ? nullptr : wz(directory), &startup, &info))
        return UniqueHandle();
    CloseHandle(info.hThread);
    return UniqueHandle(info.hProcess);
}

bool run_and_wait(const std::u16string& command_line, const std::u16string& directory,
                  const std::u16string& output, const std::u16string& input, DWORD bound_ms) {
    // Wine starts its desktop process for the first window a process asks
    // for, and that process keeps its starter's standard handles for the
    // whole session: it must not be the child, holding the output file.
    GetDesktopWindow();
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    UniqueHandle in(CreateFileW(wz(input), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING,
                                0, nullptr));
    UniqueHandle out(CreateFileW(wz(output), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = in.get();
    startup.hStdOutput = startup.hStdError = out.get();
    PROCESS_INFORMATION process{};
    std::u16string writable = command_line;
    if (!CreateProcessW(nullptr, reinterpret_cast<wchar_t*>(writable.data()), nullptr, nullptr, TRUE, 0, nullptr,
                        wz(directory), &startup, &process))
        return false;
    UniqueHandle thread(process.hThread), handle(process.hProcess);
    const bool finished = WaitForSingleObject(handle.get(), bound_ms) == WAIT_OBJECT_0;
    if (!finished) TerminateProcess(handle.get(), 1);
    return finished;
}

namespace {

std::vector<PROCESSENTRY32W> process_table() {
    std::vector<PROCESSENTRY32W> all;
    UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return all;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL ok = Process32FirstW(snapshot.get(), &entry); ok; ok = Process32NextW(snapshot.get(), &entry))
        all.push_back(entry);
    return all;
}

}  // namespace

std::vector<DWORD> descendants(DWORD root) {
    const auto all = process_table();
    std::set<DWORD> family{root};
    for (bool grew = true; grew;) {
        grew = false;
        for (const auto& e : all)
            if (family.count(e.th32ParentProcessID) && family.insert(e.th32ProcessID).second) grew = true;
    }
    family.erase(root);
    return {family.begin(), family.end()};
}

void end_descendants(DWORD root) {
    for (int round = 0; round < 5; ++round) {
        const std::vector<DWORD> family = descendants(root);
        if (family.empty()) return;
        for (DWORD id : family) {
            UniqueHandle process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id));
            if (!process) continue;
            TerminateProcess(process.get(), 1);
            WaitForSingleObject(process.get(), 10000);
        }
    }
}

std::vector<std::u16string> running_process_names() {
    std::vector<std::u16string> names;
    for (const auto& e : process_table()) {
        std::u16string name = u16(e.szExeFile);
        for (auto& c : name) c = static_cast<char16_t>(towlower(c));
        names.push_back(std::move(name));
    }
    return names;
}

std::u16string process_name(DWORD pid) {
    for (const auto& e : process_table())
        if (e.th32ProcessID == pid) return u16(e.szExeFile);
    return {};
}

DWORD exit_code_when_ended(HANDLE process, DWORD bound_ms) {
    DWORD code = STILL_ACTIVE;
    if (WaitForSingleObject(process, bound_ms) != WAIT_OBJECT_0 || !GetExitCodeProcess(process, &code))
        return STILL_ACTIVE;
    return code;
}

DWORD end_process(HANDLE process, UINT code) {
    TerminateProcess(process, code);
    return exit_code_when_ended(process);
}

std::u16string clipboard_text() {
    if (!wait_until([] { return OpenClipboard(nullptr) != FALSE; }, 5000)) return {};
    std::u16string text;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
            text = u16(chars);
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

bool put_clipboard(const std::u16string& text) {
    if (!wait_until([] { return OpenClipboard(nullptr) != FALSE; }, 5000)) return false;
    bool done = false;
    EmptyClipboard();
    const std::size_t bytes = (text.size() + 1) * sizeof(char16_t);
    if (HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes)) {
        if (void* target = GlobalLock(memory)) {
            std::memcpy(target, text.c_str(), bytes);
            GlobalUnlock(memory);
            done = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
        }
        if (!done) GlobalFree(memory);
    }
    CloseClipboard();
    return done;
}
