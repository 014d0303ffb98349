// How fast a million-line link file is cut into lines, independent of the
// disk: the bytes come from memory in 64 KiB pieces like file reads.
#include "textfile/line_reader.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <string>

namespace {

std::string million_lines(const char* line_end) {
    std::string data;
    for (int i = 0; i < 1'000'000; ++i) {
        data += "rtmp://example.invalid/live/stream";
        data += std::to_string(i);
        data += line_end;
    }
    return data;
}

void read_all(benchmark::State& state, const std::string& data) {
    for (auto _ : state) {
        std::size_t at = 0;
        LineReader r([&](unsigned char* dest, std::size_t cap) {
            const std::size_t n = std::min(cap, data.size() - at);
            std::memcpy(dest, data.data() + at, n);
            at += n;
            return n;
        });
        std::size_t lines = 0;
        while (!line_reader_at_end(r)) {
            benchmark::DoNotOptimize(line_reader_next(r));
            ++lines;
        }
        benchmark::DoNotOptimize(lines);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * data.size()));
}

void BM_MillionLinesCrLf(benchmark::State& state) {
    static const std::string data = million_lines("\r\n");
    read_all(state, data);
}
void BM_MillionLinesLf(benchmark::State& state) {
    static const std::string data = million_lines("\n");
    read_all(state, data);
}
BENCHMARK(BM_MillionLinesCrLf)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MillionLinesLf)->Unit(benchmark::kMillisecond);

}  // namespace
