#include "cli/report_output.h"
#include "crawl/robots/robots_rules.h"
#include "export/page_report.h"

#include <benchmark/benchmark.h>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace vortaxel::bench {
namespace {

constexpr int kPages = 5'000;

/// Rows shaped like a crawl of the generated shop: every address answered, a few quoted fields.
std::vector<keywords::PageReportRow> ShopRows() {
    std::vector<keywords::PageReportRow> rows;
    rows.reserve(kPages);
    for (int i = 0; i < kPages; ++i) {
        const std::string url = "http://127.0.0.1:8080/catalogue/section-" + std::to_string(i % 40) + "/item-" +
                                std::to_string(i) + (i % 50 == 0 ? "?a=1,2" : ".html");
        rows.push_back({url, 200, url, "text/html; charset=utf-8", 4200u + static_cast<std::uint64_t>(i % 300),
                        static_cast<std::uint64_t>(i % 9), 0, i % 100 == 0 ? "HTTP 404 \"Not Found\"" : ""});
    }
    return rows;
}

/// Building the whole report of a 5,000-page crawl: the part the report adds to the crawl itself.
void BuildReport(benchmark::State& state) {
    const auto rows = ShopRows();
    std::size_t bytes = 0;
    for (auto _ : state) {
        keywords::PageReportBuilder builder(rows.size());
        for (const auto& row : rows) {
            builder.Add(row);
        }
        bytes = builder.Text().size();
        benchmark::DoNotOptimize(builder.Text().data());
    }
    state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BuildReport)->Unit(benchmark::kMicrosecond);

/// Writing that report through the atomic writer, synced to disk like the keyword file.
void WriteReport(benchmark::State& state) {
    const std::string text = keywords::BuildPageReport(ShopRows());
    const auto path = std::filesystem::temp_directory_path() / "vortaxel-report-bench.csv";
    for (auto _ : state) {
        if (!cli::WriteReportFile(path.string(), text).empty()) {
            state.SkipWithError("cannot write the report");
            break;
        }
    }
    std::filesystem::remove(path);
}
BENCHMARK(WriteReport)->Unit(benchmark::kMicrosecond);

/// One robots.txt decision per page of the crawl, against a file of some size.
void RobotsDecisions(benchmark::State& state) {
    std::string body = "User-agent: *\nCrawl-delay: 1\n";
    for (int i = 0; i < 200; ++i) {
        body += "Disallow: /catalogue/section-" + std::to_string(i) + "/*.pdf$\nAllow: /catalogue/section-" +
                std::to_string(i) + "/public/\n";
    }
    const crawl::RobotsRules rules = crawl::RobotsRules::Parse(body, crawl::kRobotsAgent);
    const auto rows = ShopRows();
    std::size_t allowed = 0;
    for (auto _ : state) {
        allowed = 0;
        for (const auto& row : rows) {
            allowed += rules.Allows(row.url.substr(row.url.find('/', 7))) ? 1 : 0;
        }
    }
    state.counters["allowed"] = static_cast<double>(allowed);
}
BENCHMARK(RobotsDecisions)->Unit(benchmark::kMicrosecond);

/// A hostile robots.txt: six 70,000-byte wildcard rules that almost match one long link. Matching
/// is linear in pattern and path, so this costs about what reading the bytes costs.
void RobotsHostileWildcards(benchmark::State& state) {
    std::string body = "User-agent: *\n";
    for (int i = 0; i < 6; ++i) {
        std::string pattern = "/";
        while (pattern.size() < 70000) {
            pattern += "*a";
        }
        body += (i % 2 == 0 ? "Disallow: " : "Allow: ") + pattern + std::to_string(i) + "\n";
    }
    const crawl::RobotsRules rules = crawl::RobotsRules::Parse(body, crawl::kRobotsAgent);
    const std::string link = "/" + std::string(60000, 'a');
    bool allowed = false;
    for (auto _ : state) {
        allowed = rules.Allows(link);
        benchmark::DoNotOptimize(allowed);
    }
    state.counters["allowed"] = allowed ? 1 : 0;
}
BENCHMARK(RobotsHostileWildcards)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace vortaxel::bench

BENCHMARK_MAIN();
