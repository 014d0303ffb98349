#pragma once
// Real files for the Win32 tests: a fresh folder per test, raw bytes in and
// out, and the share-probe helper program started as a separate process.
#include "tests/support/test_files.h"
#include "base/win32.h"

#include <gtest/gtest.h>

#include <string>

namespace file_test {

inline std::wstring wide(const std::u16string& s) { return std::wstring(wz(s)); }

// An empty folder under the temporary directory, removed with its files
// (one level deep) when the object goes.
class TempFolder {
public:
    TempFolder() {
        wchar_t base[MAX_PATH + 1];
        const DWORD n = GetTempPathW(MAX_PATH + 1, base);
        EXPECT_GT(n, 0u);
        static unsigned counter = 0;
        path_ = u16(base) + u"wbfiles-" + to_u16(GetCurrentProcessId()) + u"-" + to_u16(++counter) + u"\\";
        EXPECT_TRUE(CreateDirectoryW(wz(path_), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
    }
    ~TempFolder() {
        WIN32_FIND_DATAW fd;
        HANDLE find = FindFirstFileW(wz(path_ + u"*"), &fd);
        if (find != INVALID_HANDLE_VALUE) {
            do {
                const std::u16string name = u16(fd.cFileName);
                if (name == u"." || name == u"..") continue;
                const std::u16string full = path_ + name;
                SetFileAttributesW(wz(full), FILE_ATTRIBUTE_NORMAL);
                if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                    RemoveDirectoryW(wz(full));
                else
                    DeleteFileW(wz(full));
            } while (FindNextFileW(find, &fd));
            FindClose(find);
        }
        RemoveDirectoryW(wz(path_));
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::u16string& path() const { return path_; }
    std::u16string file(const std::u16string& name) const { return path_ + name; }

    static std::u16string to_u16(unsigned long v) {
        const std::string s = std::to_string(v);
        return std::u16string(s.begin(), s.end());
    }

private:
    std::u16string path_;
};

using ::file_exists;
using ::write_bytes;

// The whole file; "<missing>" when it cannot be opened.
inline std::string read_bytes(const std::u16string& path) {
    return file_bytes(path).value_or("<missing>");
}

#ifdef SHARE_PROBE_EXE
// The probe's location as a Windows path (the build tree is reached via Z:).
inline std::u16string probe_exe() {
    const std::string unix_path = SHARE_PROBE_EXE;
    std::u16string p = u"Z:";
    for (char c : unix_path) p += c == '/' ? u'\\' : static_cast<char16_t>(c);
    return p;
}

// Starts the probe with `args`; without `ready_event` waits for its exit
// code, otherwise returns the running process once it signals the event.
inline UniqueHandle start_probe(const std::u16string& args, DWORD* exit_code,
                                HANDLE ready_event = nullptr) {
    // Built with append: GCC 12 warns falsely about literal + temporary.
    std::u16string cmd = u"\"";
    cmd += probe_exe();
    cmd += u"\" ";
    cmd += args;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, reinterpret_cast<wchar_t*>(cmd.data()), nullptr, nullptr, FALSE, 0,
                        nullptr, nullptr, &si, &pi)) {
        ADD_FAILURE() << "probe did not start, error " << GetLastError();
        return {};
    }
    UniqueHandle process(pi.hProcess);
    CloseHandle(pi.hThread);
    if (ready_event) {
        HANDLE both[] = {ready_event, process.get()};
        const DWORD w = WaitForMultipleObjects(2, both, FALSE, 30000);
        EXPECT_EQ(w, WAIT_OBJECT_0) << "probe did not get ready";
        return process;
    }
    EXPECT_EQ(WaitForSingleObject(process.get(), 30000), WAIT_OBJECT_0);
    DWORD code = 99;
    GetExitCodeProcess(process.get(), &code);
    if (exit_code) *exit_code = code;
    return {};
}

// 0 when another process could open `path` for writing, 1 when it could not.
inline DWORD probe(const char16_t* mode, const std::u16string& path) {
    DWORD code = 99;
    start_probe(std::u16string(mode) + u" \"" + path + u"\"", &code);
    return code;
}

// Another process holding `path` open for writing (sharing everything)
// until the object goes.
class HeldForWriting {
public:
    explicit HeldForWriting(const std::u16string& path) {
        const std::u16string stem = u"wb_probe_" + TempFolder::to_u16(GetCurrentProcessId()) +
                                    u"_" + TempFolder::to_u16(++counter_);
        ready_name_ = stem + u"_ready";
        release_name_ = stem + u"_release";
        ready_.reset(CreateEventW(nullptr, TRUE, FALSE, wz(ready_name_)));
        release_.reset(CreateEventW(nullptr, TRUE, FALSE, wz(release_name_)));
        process_ = start_probe(u"hold \"" + path + u"\" " + ready_name_ + u" " + release_name_,
                               nullptr, ready_.get());
    }
    ~HeldForWriting() {
        SetEvent(release_.get());
        if (process_) WaitForSingleObject(process_.get(), 30000);
    }
    HeldForWriting(const HeldForWriting&) = delete;
    HeldForWriting& operator=(const HeldForWriting&) = delete;

private:
    static inline unsigned counter_ = 0;
    std::u16string ready_name_, release_name_;
    UniqueHandle ready_, release_, process_;
};
#endif

}  // namespace file_test
