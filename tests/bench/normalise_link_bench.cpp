// normalise_link on long pasted addresses, up to the 32,767 units the
// address field takes: the time of one call (the "testen" click waits for
// it) and, from the lengths, Google Benchmark's complexity fit (the BigO
// lines), which should read linear.
#include "link/normalise_link.h"

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

}  // namespace

#define WB_NORMALISE_BENCH(input)                                                                    \
    BENCHMARK(bm_normalise<input>)->Unit(benchmark::kMillisecond)                                    \
        ->Arg(1024)->Arg(2048)->Arg(4096)->Arg(8192)->Arg(16384)->Arg(32767)->Complexity()

WB_NORMALISE_BENCH(mixed_address);
WB_NORMALISE_BENCH(near_miss_address);
WB_NORMALISE_BENCH(spaces_address);
