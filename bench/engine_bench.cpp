#include "bench/generated_site.h"
#include "bench/measured_crawl.h"

#include <benchmark/benchmark.h>
#include <cstdint>
#include <string>

namespace vortaxel::bench {
namespace {

constexpr std::uint64_t kSeed = 20240601;

/// Whole crawl runs over a generated site. The reported time is the engine's alone: the time
/// taken to draw as many pages, measured right after each run, is taken out.
void WholeCrawl(benchmark::State& state) {
    const GeneratedSite site(static_cast<std::size_t>(state.range(0)), kSeed);
    CrawlFigures last;
    double engineCpu = 0;
    double pages = 0;
    for (auto _ : state) {
        last = MeasureCrawl(site);
        state.SetIterationTime(last.Engine().wall);
        engineCpu += last.Engine().cpu;
        pages += static_cast<double>(last.found);
    }
    state.counters["found"] = static_cast<double>(last.found);
    state.counters["pages_per_s"] = benchmark::Counter(pages, benchmark::Counter::kIsRate);
    state.counters["pages_per_cpu_s"] = pages / engineCpu;
    state.counters["gen_us_per_page"] = last.generation.wall * 1e6 / static_cast<double>(last.fetches);
    state.counters["store_MB"] = static_cast<double>(last.storeBytes) / 1e6;
}
BENCHMARK(WholeCrawl)->Arg(10'000)->Arg(100'000)->Arg(1'000'000)->UseManualTime()->Unit(benchmark::kMillisecond);

/// Drawing one page alone, the share that WholeCrawl leaves out.
void PageGeneration(benchmark::State& state) {
    const GeneratedSite site(1'000'000, kSeed);
    std::string body;
    std::size_t i = 0;
    std::size_t bytes = 0;
    for (auto _ : state) {
        site.WritePage(i, body);
        bytes += body.size();
        i = (i + 7919) % site.Pages();
        benchmark::DoNotOptimize(body.data());
    }
    state.counters["bytes_per_page"] = static_cast<double>(bytes) / static_cast<double>(state.iterations());
}
BENCHMARK(PageGeneration);

} // namespace
} // namespace vortaxel::bench

BENCHMARK_MAIN();
