// normalise_link on long pasted addresses: time per call grows linearly
// with the length (N counts UTF-16 units); Google Benchmark fits each row's
// complexity and prints it (the BigO lines). The bm_reference rows time the
// plain reference of the rewriting table on the same inputs in the same run,
// the baseline to compare the bm_normalise rows' CPU times with.
#include "link/normalise_link.h"
#include "tests/support/normalise_reference.h"

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
    return fill_to(u"rtmp://$OPT:rtmp-raw=rtmp://example/live -y stream swfUrl=http://e/p.swf -v",
                   u" junk      s=a -t x &live=1 <app>   -W w -x  v= &verbose y=1 \U0001F600   ", n);
}

// Near misses of the longest search text: every 'h' starts a long compare.
std::u16string near_miss_address(std::size_t n) {
    return fill_to(u"rtmp://example/live ", u"http://127.0.0.1/cgi-bin/rtmp.cgi!", n);
}

std::u16string spaces_address(std::size_t n) {
    return fill_to(u"rtmp://example/live", u"                               x", n);
}

template <std::u16string (*Make)(std::size_t), std::u16string (*Normalise)(std::u16string_view)>
void bm_run(benchmark::State& state) {
    const auto n = static_cast<std::size_t>(state.range(0));
    const std::u16string address = Make(n);
    if (normalise_link(address) != normalise_reference::normalise(address)) {
        state.SkipWithError("normalise_link and the reference differ");
        return;
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(Normalise(address));
    }
    state.SetComplexityN(state.range(0));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0) * 2);
}

template <std::u16string (*Make)(std::size_t)>
void bm_normalise(benchmark::State& state) { bm_run<Make, normalise_link>(state); }
template <std::u16string (*Make)(std::size_t)>
void bm_reference(benchmark::State& state) { bm_run<Make, normalise_reference::normalise>(state); }

constexpr std::int64_t kib = 1024;

}  // namespace

#define WB_NORMALISE_BENCH(input)                                                              \
    BENCHMARK(bm_normalise<input>)->RangeMultiplier(4)->Range(kib, 1024 * kib)->Complexity(); \
    BENCHMARK(bm_reference<input>)->RangeMultiplier(4)->Range(kib, 1024 * kib)->Complexity()

WB_NORMALISE_BENCH(mixed_address);
WB_NORMALISE_BENCH(near_miss_address);
WB_NORMALISE_BENCH(spaces_address);
