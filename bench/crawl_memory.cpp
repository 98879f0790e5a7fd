// One whole crawl of a generated site in a process of its own, so that the process's peak
// resident size is the crawl's. Prints the peak before the crawl (program, libraries and the
// generator) and after it; the difference is the engine's data.
//
// usage: vortaxel-crawl-memory PAGES [SEED]

#include "bench/generated_site.h"
#include "bench/measured_crawl.h"
#include "bench/peak_memory.h"

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
    using namespace vortaxel::bench;
    if (argc < 2) {
        std::fprintf(stderr, "usage: vortaxel-crawl-memory PAGES [SEED]\n");
        return 2;
    }
    const auto pages = static_cast<std::size_t>(std::strtoull(argv[1], nullptr, 10));
    const auto seed = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 20240601ULL;
    const GeneratedSite site(pages, seed);
    // The generator's own share: one page and its copy, drawn before the crawl as during it.
    std::string page;
    site.WritePage(0, page);
    const std::string copy = page;
    const long before = PeakResidentKb();

    const CrawlFigures figures = MeasureCrawl(site);
    const long after = PeakResidentKb();

    const Seconds engine = figures.Engine();
    const auto found = static_cast<double>(figures.found);
    std::printf("pages %zu found %zu fetches %zu\n", pages, figures.found, figures.fetches);
    std::printf("engine wall %.3f s = %.0f pages/s (%.2f us/page); engine cpu %.3f s = %.0f pages/s\n", engine.wall,
                found / engine.wall, engine.wall * 1e6 / found, engine.cpu, found / engine.cpu);
    std::printf("generation left out: wall %.3f s, cpu %.3f s\n", figures.generation.wall, figures.generation.cpu);
    std::printf("peak RSS before %ld kB, after %ld kB: crawl %.1f MB (store %.1f MB)\n", before, after,
                static_cast<double>(after - before) / 1024.0, static_cast<double>(figures.storeBytes) / 1048576.0);
    return 0;
}
