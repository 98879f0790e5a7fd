// The crawl database over a generated site served from memory, one mode per process so that the
// process's peak resident size is that mode's:
//   plain   the crawl with no database
//   keep    the same crawl kept in FILE (a new file), then the file's size
//   resume  FILE holds a crawl stopped part way (see --stop-at): time from the start of the resumed
//           run, and from opening the file, to its first turn, which is all a resume adds, and the
//           peak size then
// With no network the figures bound the database's cost from above: a real site's fetches dwarf it.
//
// usage: vortaxel-crawl-database-bench plain|keep|resume PAGES FILE [--stop-at N]

#include "app/run_controller.h"
#include "bench/generated_site.h"
#include "bench/measured_crawl.h"
#include "bench/peak_memory.h"
#include "store/crawl_store.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

using namespace vortaxel;
using Clock = std::chrono::steady_clock;

/// Notes when the first turn of a run begins, and stops the run there when asked to.
class FirstTurn final : public crawl::CrawlListener {
public:
    explicit FirstTurn(bool stopThere) : stopThere_(stopThere) {}
    void Yield() override {
        if (!seen) {
            seen = true;
            at = Clock::now();
            if (stopThere_ && stop) {
                stop();
            }
        }
    }
    bool seen = false;
    Clock::time_point at;
    std::function<void()> stop;

private:
    bool stopThere_;
};

double Since(Clock::time_point start, Clock::time_point end = Clock::now()) {
    return std::chrono::duration<double>(end - start).count();
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: vortaxel-crawl-database-bench plain|keep|resume PAGES FILE [--stop-at N]\n");
        return 2;
    }
    const std::string mode = argv[1];
    const auto pages = static_cast<std::size_t>(std::strtoull(argv[2], nullptr, 10));
    const std::string path = argv[3];
    const std::size_t stopAt =
        argc > 5 && std::string(argv[4]) == "--stop-at" ? std::strtoull(argv[5], nullptr, 10) : SIZE_MAX;
    const bench::GeneratedSite site(pages, 20240601ULL);
    bench::MemoryCrawlHost fetcher(site);
    const long before = bench::PeakResidentKb();

    app::RunSetup setup;
    setup.limits.pages = stopAt;
    FirstTurn first(mode == "resume");
    app::RunController run(setup, first, fetcher);
    first.stop = [&run] { run.Stop(); };
    std::unique_ptr<store::CrawlStore> store;
    // A resume's start counts opening the file and reading its settings as well as rebuilding the crawl.
    const auto opened = Clock::now();
    if (mode != "plain") {
        std::string error;
        store = store::CrawlStore::Open(
            path, mode == "keep" ? store::CrawlStore::Access::Create : store::CrawlStore::Access::Resume, error);
        if (!store ||
            !store->StartRun({site.Root(), crawl::RuleSet::Classic, false, {}, {}, setup.limits.storeBytes})) {
            std::fprintf(stderr, "%s\n", error.c_str());
            return 1;
        }
        run.KeepIn(*store);
    }
    const auto start = Clock::now();
    run.Run(site.Root(), mode == "resume");
    const double wall = Since(start);
    const long after = bench::PeakResidentKb();
    store.reset();
    std::printf("%s: %zu pages listed, %zu fetched, %.3f s", mode.c_str(), run.Engine().List2().Count(),
                fetcher.Fetches(), wall);
    if (mode == "resume") {
        std::printf(", first turn after %.3f s (%.3f s from opening the file)", Since(start, first.at),
                    Since(opened, first.at));
    }
    if (mode != "plain") {
        std::error_code ignored;
        std::printf(", file %.1f MB", static_cast<double>(std::filesystem::file_size(path, ignored)) / 1048576.0);
    }
    std::printf(", peak RSS %ld kB before, %ld kB after\n", before, after);
    return run.StopReason().empty() ? 0 : 1;
}
