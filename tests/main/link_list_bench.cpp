// A generated million-line link file written and read back through the
// text-file operations, then loaded into the real list control, each timed;
// then a channel list of 100,000 channels beside a plain file of the same
// lines, each loaded, with the cost per line. Built with the tests, never
// run by ctest:
//   wine link_list_bench.exe [lines] [channels]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>

#include "main/controls.h"
#include "main/link_list.h"
#include "main/main_window.h"
#include "textfile/text_file.h"
#include "base/win32.h"

namespace {

double seconds_since(LARGE_INTEGER start) {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return double(now.QuadPart - start.QuadPart) / double(frequency.QuadPart);
}

// Loads a file into the window's list; the seconds per line read.
void time_load(const char* what, ProgramState& state, HWND window, const std::filesystem::path& file, long lines) {
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    load_links_from(state, window, file.u16string());
    const double load = seconds_since(start);
    const LRESULT shown = SendMessageW(GetDlgItem(window, LinkList), LB_GETCOUNT, 0, 0);
    std::printf("%s: %ld lines, list holds %ld, %.2f s, %.2f us per line\n", what, lines, long(shown), load,
                load * 1e6 / double(lines));
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

    // A channel list: a name with a quoted comma, a user agent and the
    // address of each channel; the same lines behind a plain address
    // instead of "#EXTM3U" load as a plain file, one item per line. Then a list as media centres write it:
    // no "#EXTM3U", headers on a #KODIPROP line and behind the address,
    // with an empty pair.
    const long channels = argc > 2 ? std::atol(argv[2]) : 100000;
    const std::filesystem::path list = std::filesystem::path(temp) / "wb_bench_channels.m3u8";
    const std::filesystem::path same = std::filesystem::path(temp) / "wb_bench_channels.txt";
    const std::filesystem::path suffixed = std::filesystem::path(temp) / "wb_bench_suffixed.m3u";
    for (const auto& [path, header] : {std::pair{list, true}, std::pair{same, false}}) {
        if (!text_file_create(path.u16string())) return 1;
        text_file_write_line(header ? u"#EXTM3U" : u"https://stream.example/first");
        for (long i = 0; i < channels; ++i) {
            const std::u16string n = u16(std::to_wstring(i).c_str());
            text_file_write_line(u"#EXTINF:-1 tvg-id=\"" + n + u"\" group-title=\"News, Talk\",Sender " + n);
            text_file_write_line(u"#EXTVLCOPT:http-user-agent=Mozilla/5.0 (Windows NT 10.0; Win64; x64)");
            text_file_write_line(u"https://stream.example/live/" + n + u"/index.m3u8");
        }
        text_file_close();
    }
    if (!text_file_create(suffixed.u16string())) return 1;
    for (long i = 0; i < channels; ++i) {
        const std::u16string n = u16(std::to_wstring(i).c_str());
        text_file_write_line(u"#KODIPROP:inputstream.adaptive.manifest_headers=Origin=https://site.example&Cookie=a%3D" + n);
        text_file_write_line(u"#EXTINF:-1 tvg-logo=\"https://logo.example/" + n + u".png\",Sender " + n);
        text_file_write_line(u"https://stream.example/live/" + n + u"/index.m3u8?|Referer=https://site.example/"
                             u"&&User-Agent=Mozilla/5.0 (Windows NT 10.0; Win64; x64)");
    }
    text_file_close();
    time_load("channel list", state, window, list, 3 * channels + 1);
    time_load("plain file of the same lines", state, window, same, 3 * channels + 1);
    time_load("channel list with header suffixes", state, window, suffixed, 3 * channels);

    DestroyWindow(window);
    std::filesystem::remove(file);
    std::filesystem::remove(list);
    std::filesystem::remove(same);
    std::filesystem::remove(suffixed);
    return 0;
}
