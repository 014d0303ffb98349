// The two steps of a "testen" click that read the whole address, on pasted
// texts up to the 32,767 units the address field takes: normalise_link on
// rtmp dialects, and the whole composition of the test (header list,
// pipeline, protected batch line) on any text. The time of one call (the
// click waits for it) and, from the lengths, Google Benchmark's complexity
// fit (the BigO lines), which should read linear.
#include "link/normalise_link.h"
#include "link/stream_command.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

namespace {

std::u16string fill_to(std::u16string text, std::u16string_view filler, std::size_t n) {
    while (text.size() < n) text.append(filler);
    text.resize(n);
    return text;
}

// A real-looking address followed by junk full of space runs and
// alias-like fragments, most of which match some row.
std::u16string mixed_address(std::size_t n) {
    return fill_to(u"rtmpdump -y stream -r rtmp://$OPT:rtmp-raw=rtmp://example/live swfUrl=http://e/p.swf -v",
                   u" junk      s=a -t x &live=1 <app>x</app>   -W w -x  v= &verbose y=1 -o - \U0001F600   ", n);
}

// Near misses of the longest search text: every 'h' starts a long compare.
std::u16string near_miss_address(std::size_t n) {
    return fill_to(u"rtmp://example/live ", u"http://127.0.0.1/cgi-bin/rtmp.cgi!", n);
}

std::u16string spaces_address(std::size_t n) {
    return fill_to(u"rtmp://example/live", u"                               x", n);
}

template <std::u16string (*Make)(std::size_t)>
void bm_normalise(benchmark::State& state) {
    const std::u16string address = Make(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(normalise_link(address));
    }
    state.SetComplexityN(state.range(0));
}

// Texts for the composition: every '|' a candidate for the header list,
// every '&' an empty pair, a pair behind every '|', a new name in every
// pair, and a real list whose last value runs on.
std::u16string all_bars(std::size_t n) { return fill_to(u"https://h/a.m3u8", u"|", n); }
std::u16string all_ampersands(std::size_t n) { return fill_to(u"https://h/a.m3u8|", u"&", n); }
std::u16string bar_pairs(std::size_t n) { return fill_to(u"https://h/a.m3u8", u"|a=", n); }
std::u16string new_names(std::size_t n) {
    std::u16string text = u"https://h/a.m3u8|";
    for (int i = 0; text.size() < n; ++i)
        for (char c : "N" + std::to_string(i) + "=1&") text += static_cast<char16_t>(c);
    text.resize(n);
    return text;
}
std::u16string real_suffix(std::size_t n) {
    return fill_to(u"https://host/index.m3u8?|Referer=https://site/&Origin=https://site&&User-Agent=Mozilla/5.0 "
                   u"(Windows NT 10.0; Win64; x64)",
                   u" AppleWebKit/537.36 (KHTML, like Gecko) Chrome/120.0 Safari/537.36 %26|", n);
}

template <std::u16string (*Make)(std::size_t)>
void bm_compose(benchmark::State& state) {
    ProgramState s;
    s.stream_address = Make(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        compose_test_command(s);
        benchmark::DoNotOptimize(s.test_command);
    }
    state.SetComplexityN(state.range(0));
}

}  // namespace

#define WB_FIELD_BENCH(bench, input)                                                                 \
    BENCHMARK(bench<input>)->Unit(benchmark::kMillisecond)                                           \
        ->Arg(1024)->Arg(2048)->Arg(4096)->Arg(8192)->Arg(16384)->Arg(32767)->Complexity()

WB_FIELD_BENCH(bm_normalise, mixed_address);
WB_FIELD_BENCH(bm_normalise, near_miss_address);
WB_FIELD_BENCH(bm_normalise, spaces_address);
WB_FIELD_BENCH(bm_compose, all_bars);
WB_FIELD_BENCH(bm_compose, all_ampersands);
WB_FIELD_BENCH(bm_compose, bar_pairs);
WB_FIELD_BENCH(bm_compose, new_names);
WB_FIELD_BENCH(bm_compose, real_suffix);
