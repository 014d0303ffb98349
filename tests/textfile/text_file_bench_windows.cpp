// Run by hand under Wine: writes and reads back a million-line file through
// the text-file operations and prints the times.
#include "textfile/text_file.h"
#include "base/win32.h"

#include <cstdio>
#include <string>

namespace {

double seconds_since(LARGE_INTEGER start) {
    LARGE_INTEGER now, freq;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&freq);
    return double(now.QuadPart - start.QuadPart) / double(freq.QuadPart);
}

}  // namespace

int main() {
    wchar_t temp[MAX_PATH + 1];
    if (!GetTempPathW(MAX_PATH + 1, temp)) return 1;
    const std::u16string path = u16(temp) + u"wb_million_lines.txt";
    const std::u16string line = u"rtmp://example.invalid/live/str\u00e4am";

    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    if (!text_file_create(path)) return 1;
    for (int i = 0; i < 1'000'000; ++i) text_file_write_line(line);
    text_file_close();
    std::printf("write 1,000,000 lines: %.3f s\n", seconds_since(start));

    QueryPerformanceCounter(&start);
    if (!text_file_open(path)) return 1;
    long lines = 0;
    while (!text_file_at_end()) {
        if (text_file_read_line() == line) ++lines;
    }
    text_file_close();
    std::printf("read %ld lines: %.3f s\n", lines, seconds_since(start));
    DeleteFileW(wz(path));
    return lines == 1'000'000 ? 0 : 1;
}
