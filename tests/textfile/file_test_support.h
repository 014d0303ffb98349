#pragma once
// Another process that tries to write or delete a file, holds it open for
// writing, or leaves one of the program's text files open at its exit (the
// share probe, tests/textfile/share_probe.cpp).
#include "tests/support/win32_support.h"

#include <gtest/gtest.h>

#include <string>

// Runs the probe with `args`; with `ready_event` returns the running probe
// once it signals the event, otherwise waits for it and sets `exit_code`.
inline UniqueHandle start_probe(const std::u16string& args, DWORD* exit_code, HANDLE ready_event = nullptr) {
    UniqueHandle process = start_process(windows_path(SHARE_PROBE_EXE), args, {}, 0);
    if (!process) {
        ADD_FAILURE() << "probe did not start, error " << GetLastError();
        return {};
    }
    if (ready_event) {
        HANDLE both[] = {ready_event, process.get()};
        EXPECT_EQ(WaitForMultipleObjects(2, both, FALSE, 30000), WAIT_OBJECT_0) << "probe did not get ready";
        return process;
    }
    EXPECT_EQ(WaitForSingleObject(process.get(), 30000), WAIT_OBJECT_0);
    DWORD code = 99;
    GetExitCodeProcess(process.get(), &code);
    if (exit_code) *exit_code = code;
    return {};
}

// 0 when another process could open `path` for writing (or delete it), 1
// when it could not.
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
        const std::u16string stem = from_utf8("wb_probe_" + std::to_string(GetCurrentProcessId()) + "_" +
                                              std::to_string(++counter_));
        ready_.reset(CreateEventW(nullptr, TRUE, FALSE, wz(stem + u"_ready")));
        release_.reset(CreateEventW(nullptr, TRUE, FALSE, wz(stem + u"_release")));
        process_ = start_probe(u"hold \"" + path + u"\" " + stem + u"_ready " + stem + u"_release", nullptr,
                               ready_.get());
    }
    ~HeldForWriting() {
        SetEvent(release_.get());
        if (process_) WaitForSingleObject(process_.get(), 30000);
    }
    HeldForWriting(const HeldForWriting&) = delete;
    HeldForWriting& operator=(const HeldForWriting&) = delete;

private:
    static inline unsigned counter_ = 0;
    UniqueHandle ready_, release_, process_;
};
