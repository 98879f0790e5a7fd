// vortaxel-cli with --db against the same run without it, on a loopback site serving the generated
// shop, runs alternating. Prints each run (wall time, and processor time of the program from
// getrusage), the medians, their ratio, each run's peak resident size, and whether both kinds of run
// listed the same pages.
//
// usage: vortaxel-crawl-database-overhead [PAGES [ROUNDS]]

#include "bench/generated_site.h"
#include "bench/served_shop.h"
#include "tests/cli/child_process.h"
#include "tests/support/loopback_site.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/resource.h>
#include <vector>

namespace {

double ChildCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    const auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) * 1e-6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

} // namespace

int main(int argc, char** argv) {
    using namespace vortaxel;
    using namespace std::chrono_literals;
    const auto number = [&](int i, long fallback) { return argc > i ? std::strtol(argv[i], nullptr, 10) : fallback; };
    const auto pages = static_cast<std::size_t>(number(1, 5000));
    const auto rounds = static_cast<int>(number(2, 5));

    test::LoopbackSite site;
    const bench::GeneratedSite shop(pages, 20240601, site.Url("/"));
    bench::ServeShop(site, shop, 0ms);
    const std::string file = (std::filesystem::temp_directory_path() / "vortaxel-overhead.db").string();

    std::vector<double> wall[2];
    std::vector<double> cpu[2];
    std::string outputs[2];
    const char* names[2] = {"plain", "--db"};
    for (int round = 0; round < rounds; ++round) {
        for (int which = 0; which < 2; ++which) {
            std::filesystem::remove(file);
            std::vector<std::string> args = {"--quiet"};
            if (which == 1) {
                args.insert(args.end(), {"--db", file});
            }
            args.push_back(shop.Root());
            const double cpuBefore = ChildCpuSeconds();
            const auto start = std::chrono::steady_clock::now();
            test::ChildProcess cli(VORTAXEL_CLI_PATH, args);
            if (!cli.Wait(600s) || cli.ExitCode() != 0) {
                std::fprintf(stderr, "run failed: %s\n", cli.Err().c_str());
                return 1;
            }
            const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
            wall[which].push_back(took.count());
            cpu[which].push_back(ChildCpuSeconds() - cpuBefore);
            outputs[which] = cli.Out();
            std::printf("round %d %-6s %.3f s wall, %.3f s processor\n", round + 1, names[which], took.count(),
                        cpu[which].back());
        }
    }
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    const double plain = bench::Median(wall[0]);
    const double kept = bench::Median(wall[1]);
    std::printf("median wall: plain %.3f s, --db %.3f s, ratio %.3f; median processor: %.3f s, %.3f s, ratio %.3f\n",
                plain, kept, kept / plain, bench::Median(cpu[0]), bench::Median(cpu[1]),
                bench::Median(cpu[1]) / bench::Median(cpu[0]));
    std::printf("file %.1f MB; largest peak resident size of any run %ld kB; same pages listed: %s\n",
                double(std::filesystem::file_size(file)) / 1048576.0, usage.ru_maxrss,
                outputs[0] == outputs[1] ? "yes" : "NO");
    std::filesystem::remove(file);
    return outputs[0] == outputs[1] ? 0 : 1;
}
