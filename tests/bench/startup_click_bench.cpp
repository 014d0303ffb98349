// Start-up and "testen" click of the real program under Wine, each timed
// against a floor program (bench_floor) in alternating pairs in one run, so
// that the load of a shared machine falls on both alike. Run by hand:
//   xvfb-run -a -s "-screen 0 1280x1024x24" cmake/wine-session.sh build/windows
//     cmake/wine-run.sh build/windows/tests/bench/startup_click_bench.exe [pairs] [program.exe]
// (one command line).
// Start-up: from CreateProcess until the window is visible with its last
// control and its event loop answers. Click: from posting the click until the
// console process (cmd.exe) of the batch file has started; the program's
// previous console is still open then, as after any earlier test.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwctype>
#include <string>
#include <vector>

#include "main/controls.h"
#include "tests/support/win32_support.h"

namespace {

constexpr DWORD kBoundMs = 30000;  // only so that a broken program ends the run

double now_ms() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

std::wstring wide(const std::u16string& text) { return wz(text); }

// Everything the benchmark starts, and everything those start, runs in one
// job: its port reports each new process, and closing it ends them all.
struct Job {
    HANDLE job = nullptr;
    HANDLE port = nullptr;
};

bool make_job(Job& j) {
    j.job = CreateJobObjectW(nullptr, nullptr);
    j.port = CreateIoCompletionPort(INVALID_HANDLE_VALUE, nullptr, 0, 1);
    if (!j.job || !j.port) return false;
    JOBOBJECT_ASSOCIATE_COMPLETION_PORT link{};
    link.CompletionKey = j.job;
    link.CompletionPort = j.port;
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    return SetInformationJobObject(j.job, JobObjectAssociateCompletionPortInformation, &link, sizeof link) &&
           SetInformationJobObject(j.job, JobObjectExtendedLimitInformation, &limits, sizeof limits);
}

void drain(const Job& j) {
    DWORD code;
    ULONG_PTR key;
    LPOVERLAPPED data;
    while (GetQueuedCompletionStatus(j.port, &code, &key, &data, 0)) {
    }
}

struct Program {
    std::wstring exe;
    const wchar_t* window_class;
    int last_control;   // exists once the window is complete
    int test_button;
    HANDLE process = nullptr;
    DWORD pid = 0;
    HWND window = nullptr;
};

bool launch(Program& p, const Job& j, const std::wstring& dir) {
    std::wstring command = L"\"" + p.exe + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    // Detached, as when started from the desktop: the console of a test is
    // then a new one, not ours.
    if (!CreateProcessW(p.exe.c_str(), command.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED | DETACHED_PROCESS, nullptr,
                        dir.c_str(), &startup, &info))
        return false;
    AssignProcessToJobObject(j.job, info.hProcess);
    ResumeThread(info.hThread);
    CloseHandle(info.hThread);
    p.process = info.hProcess;
    p.pid = info.dwProcessId;
    p.window = nullptr;
    return true;
}

HWND ready_window(const Program& p) {
    for (HWND w = FindWindowExW(nullptr, nullptr, p.window_class, nullptr); w;
         w = FindWindowExW(nullptr, w, p.window_class, nullptr)) {
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        DWORD_PTR ignored;
        if (pid == p.pid && IsWindowVisible(w) && GetDlgItem(w, p.last_control) &&
            SendMessageTimeoutW(w, WM_NULL, 0, 0, SMTO_NORMAL, kBoundMs, &ignored))
            return w;
    }
    return nullptr;
}

// Milliseconds to a complete, answering window; negative on failure.
double start(Program& p, const Job& j, const std::wstring& dir) {
    const double t0 = now_ms();
    if (!launch(p, j, dir)) return -1;
    while (!(p.window = ready_window(p))) {
        if (now_ms() - t0 > kBoundMs || WaitForSingleObject(p.process, 0) == WAIT_OBJECT_0) return -1;
        Sleep(1);
    }
    return now_ms() - t0;
}

void close(Program& p) {
    if (!p.process) return;
    PostMessageW(p.window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(p.process, kBoundMs) != WAIT_OBJECT_0) TerminateProcess(p.process, 1);
    CloseHandle(p.process);
    p.process = nullptr;
}

// The batch file's console is a cmd.exe (the console host may come first).
// Its name can be read once it has started, a little after the job reported
// its creation.
bool is_console(DWORD pid) {
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (!process) return false;
    wchar_t name[MAX_PATH];
    DWORD n = MAX_PATH;
    const BOOL ok = QueryFullProcessImageNameW(process, 0, name, &n);
    CloseHandle(process);
    if (!ok) return false;
    std::wstring tail(name, n);
    tail = tail.substr(tail.find_last_of(L'\\') + 1);
    for (auto& c : tail) c = static_cast<wchar_t>(std::towlower(c));
    return tail == L"cmd.exe";
}

// Milliseconds from the click until the console's process has started
// (polled every millisecond or two); negative on failure.
double click(const Program& p, const Job& j, DWORD& console) {
    drain(j);
    std::vector<DWORD> born;
    const double t0 = now_ms();
    PostMessageW(GetDlgItem(p.window, p.test_button), BM_CLICK, 0, 0);
    while (now_ms() - t0 < kBoundMs) {
        DWORD code;
        ULONG_PTR key;
        LPOVERLAPPED data;
        if (GetQueuedCompletionStatus(j.port, &code, &key, &data, 1) && code == JOB_OBJECT_MSG_NEW_PROCESS)
            born.push_back(static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(data)));
        for (DWORD pid : born) {
            if (is_console(pid)) {
                console = pid;
                return now_ms() - t0;
            }
        }
    }
    return -1;
}

// Lets the console of a click come up and the program finish its handler
// before the next measurement starts.
void settle(const Program& p) {
    Sleep(400);
    DWORD_PTR ignored;
    SendMessageTimeoutW(p.window, WM_NULL, 0, 0, SMTO_NORMAL, kBoundMs, &ignored);
}

void end_process(DWORD pid) {
    HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
    if (!process) return;
    TerminateProcess(process, 1);
    WaitForSingleObject(process, 5000);
    CloseHandle(process);
}

struct Samples {
    std::vector<double> program, floor;
};

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

void report(const char* what, const Samples& s) {
    const double pmin = *std::min_element(s.program.begin(), s.program.end());
    const double fmin = *std::min_element(s.floor.begin(), s.floor.end());
    const double pmed = median(s.program), fmed = median(s.floor);
    std::printf("%s (%zu pairs)\n", what, s.program.size());
    std::printf("  program  min %7.1f ms  median %7.1f ms\n", pmin, pmed);
    std::printf("  floor    min %7.1f ms  median %7.1f ms\n", fmin, fmed);
    // The two runs of a pair lie close in time; the median of their ratios
    // is less shaken by the load of a shared machine than the medians are.
    std::vector<double> pair_ratios;
    for (std::size_t i = 0; i < s.program.size(); ++i) pair_ratios.push_back(s.program[i] / s.floor[i]);
    std::printf("  ratio    min %7.2f     median %7.2f     pairs' median %5.2f\n", pmin / fmin, pmed / fmed,
                median(pair_ratios));
    std::printf("  pairs (program/floor ms):");
    for (std::size_t i = 0; i < s.program.size(); ++i) std::printf(" %.0f/%.0f", s.program[i], s.floor[i]);
    std::printf("\n");
    std::fflush(stdout);
}

bool fail(const char* what) {
    std::printf("failed: %s\n", what);
    return false;
}

bool run(int pairs, const std::wstring& program_exe, const std::wstring& floor_exe, const std::wstring& work) {
    Job job;
    if (!make_job(job)) return fail("job object");
    Program program{program_exe, L"WellenblickMain", DownloadButton, TestButton};
    Program floor{floor_exe, L"WbBenchFloor", 1, 1};

    // Start-up, after one start of each that is not counted.
    Samples startup;
    for (int i = -1; i < pairs; ++i) {
        for (int k = 0; k < 2; ++k) {
            const bool program_turn = (i + k) % 2 == 0;  // the order alternates
            Program& p = program_turn ? program : floor;
            const double ms = start(p, job, work);
            close(p);
            if (ms < 0) return fail(program_turn ? "program start" : "floor start");
            if (i >= 0) (program_turn ? startup.program : startup.floor).push_back(ms);
        }
    }
    report("start-up to a complete, answering window", startup);

    // Click: both running; the floor writes the bytes the program wrote.
    const std::wstring batch = wide(temp_folder()) + L"stream.bat";
    const std::wstring floor_batch = work + L"floor-source.bat";
    if (start(program, job, work) < 0) return fail("program start");
    DWORD_PTR ignored;
    const wchar_t address[] = L"rtmp://example/live -y stream -W http://example/player.swf";
    SendMessageTimeoutW(GetDlgItem(program.window, AddressField), WM_SETTEXT, 0,
                        reinterpret_cast<LPARAM>(address), SMTO_NORMAL, kBoundMs, &ignored);
    DWORD console = 0;
    if (click(program, job, console) < 0) return fail("program click");
    settle(program);
    if (!CopyFileW(batch.c_str(), floor_batch.c_str(), FALSE)) return fail("copy of the batch file");
    SetEnvironmentVariableW(L"WB_FLOOR_BATCH", floor_batch.c_str());
    const bool floor_up = start(floor, job, work) >= 0;
    SetEnvironmentVariableW(L"WB_FLOOR_BATCH", nullptr);
    if (!floor_up) return fail("floor start");
    if (click(floor, job, console) < 0) return fail("floor click");
    settle(floor);
    end_process(console);

    Samples clicks;
    for (int i = 0; i < pairs; ++i) {
        for (int k = 0; k < 2; ++k) {
            const bool program_turn = (i + k) % 2 == 0;
            Program& p = program_turn ? program : floor;
            const double ms = click(p, job, console);
            if (ms < 0) return fail(program_turn ? "program click" : "floor click");
            settle(p);
            // The floor ends nothing itself; its console must not pile up.
            if (!program_turn) end_process(console);
            (program_turn ? clicks.program : clicks.floor).push_back(ms);
        }
    }
    close(program);
    close(floor);
    report("click on \"testen\" to console started", clicks);
    CloseHandle(job.job);  // ends whatever is left
    CloseHandle(job.port);
    return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const int pairs = argc > 1 ? std::max(1, _wtoi(argv[1])) : 15;
    const std::wstring program = argc > 2 ? argv[2] : wide(windows_path(WELLENBLICK_EXE));
    const std::wstring floor = wide(windows_path(FLOOR_EXE));
    const std::wstring work = wide(temp_folder()) + L"wb-bench-" + std::to_wstring(GetCurrentProcessId()) + L"\\";
    CreateDirectoryW(work.c_str(), nullptr);
    std::wprintf(L"program %ls\n", program.c_str());
    std::fflush(stdout);
    const bool ok = run(pairs, program, floor, work);
    DeleteFileW((work + L"Wellenblick.ini").c_str());
    DeleteFileW((work + L"floor-source.bat").c_str());
    RemoveDirectoryW(work.c_str());
    DeleteFileW((wide(temp_folder()) + L"wb-floor-stream.bat").c_str());
    return ok ? 0 : 1;
}
