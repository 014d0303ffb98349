// A generated million-line link file written and read back through the
// text-file operations, then loaded into the real list control, each timed.
// Built with the tests, never run by ctest:
//   wine link_list_bench.exe [lines]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "main/controls.h"
#include "main/link_list.h"
#include "main/main_window.h"
#include "textfile/text_file.h"

namespace {

double seconds_since(LARGE_INTEGER start) {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return double(now.QuadPart - start.QuadPart) / double(frequency.QuadPart);
}

}  // namespace

int main(int argc, char** argv) {
    const long lines = argc > 1 ? std::atol(argv[1]) : 1000000;
    wchar_t temp[MAX_PATH] = {};
    if (!GetTempPathW(MAX_PATH, temp)) return 1;
    const std::filesystem::path file = std::filesystem::path(temp) / "wb_bench_links.txt";

    // The text-file operations alone, writing and reading the lines back.
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    if (!text_file_create(file.u16string())) return 1;
    for (long i = 0; i < lines; ++i)
        text_file_write_line(u"\thttp://stream.example/live/channel\u00e4" + std::u16string(i % 10 + 1, u'1') + u" ");
    text_file_close();
    std::printf("text_file_write_line: %ld lines, %.2f s\n", lines, seconds_since(start));
    QueryPerformanceCounter(&start);
    if (!text_file_open(file.u16string())) return 1;
    long read = 0;
    for (; !text_file_at_end(); ++read) text_file_read_line();
    text_file_close();
    std::printf("text_file_read_line: %ld lines, %.2f s\n", read, seconds_since(start));

    ProgramState state;
    HWND window = build_main_window(GetModuleHandleW(nullptr), state, SW_HIDE);
    if (!window) return 1;

    QueryPerformanceCounter(&start);
    load_links_from(state, window, file.u16string());
    const double load = seconds_since(start);
    const LRESULT shown = SendMessageW(GetDlgItem(window, LinkList), LB_GETCOUNT, 0, 0);
    std::printf("load_links_from: %ld lines, list holds %ld, %.2f s\n", lines, long(shown), load);

    // For comparison: the same lines appended one by one to a fresh list
    // without reserving storage or pausing its drawing.
    HWND plain = CreateWindowExW(0, L"ListBox", nullptr,
                                 WS_CHILD | WS_VISIBLE | LBS_NOTIFY | LBS_HASSTRINGS |
                                     LBS_NOINTEGRALHEIGHT | WS_VSCROLL,
                                 0, 0, 300, 200, window, nullptr, nullptr, nullptr);
    QueryPerformanceCounter(&start);
    for (const std::u16string& line : state.links)
        SendMessageW(plain, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
    std::printf("plain LB_ADDSTRING loop: %.2f s\n", seconds_since(start));

    DestroyWindow(window);
    std::filesystem::remove(file);
    return 0;
}
