// vortaxel-cli --parallel 1 against --parallel K on a loopback site that answers every request
// after a fixed delay, runs alternating. Prints each run, the medians and their ratio, and whether
// every run listed the same pages.
//
// usage: vortaxel-parallel-bench [PAGES [DELAY_MS [K [ROUNDS [MAX_PAGES]]]]]

#include "bench/generated_site.h"
#include "bench/served_shop.h"
#include "tests/cli/child_process.h"
#include "tests/support/loopback_site.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    using namespace vortaxel;
    using namespace std::chrono_literals;
    const auto number = [&](int i, long fallback) { return argc > i ? std::strtol(argv[i], nullptr, 10) : fallback; };
    const auto pages = static_cast<std::size_t>(number(1, 300));
    const auto delay = std::chrono::milliseconds(number(2, 20));
    const auto width = static_cast<std::size_t>(number(3, 8));
    const auto rounds = static_cast<int>(number(4, 3));
    const auto maxPages = number(5, 0);

    test::LoopbackSite site;
    const bench::GeneratedSite shop(pages, 20240601, site.Url("/"));
    bench::ServeShop(site, shop, delay);

    std::vector<double> seconds[2];
    std::string firstOutput;
    bool same = true;
    const std::size_t widths[2] = {1, width};
    for (int round = 0; round < rounds; ++round) {
        for (int which = 0; which < 2; ++which) {
            const auto start = std::chrono::steady_clock::now();
            std::vector<std::string> args = {"--quiet", "--parallel", std::to_string(widths[which])};
            if (maxPages > 0) {
                args.insert(args.end(), {"--max-pages", std::to_string(maxPages)});
            }
            args.push_back(shop.Root());
            test::ChildProcess cli(VORTAXEL_CLI_PATH, args);
            if (!cli.Wait(600s) || cli.ExitCode() != 0) {
                std::fprintf(stderr, "run failed: %s\n", cli.Err().c_str());
                return 1;
            }
            const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
            seconds[which].push_back(took.count());
            if (firstOutput.empty()) {
                firstOutput = cli.Out();
            }
            same = same && cli.Out() == firstOutput;
            std::printf("round %d --parallel %zu: %.3f s\n", round + 1, widths[which], took.count());
        }
    }
    const double sequential = bench::Median(seconds[0]);
    const double parallel = bench::Median(seconds[1]);
    const auto found = static_cast<std::size_t>(std::count(firstOutput.begin(), firstOutput.end(), '\n'));
    std::printf("pages found %zu, delay %lld ms\n", found, static_cast<long long>(delay.count()));
    std::printf("median --parallel 1: %.3f s; --parallel %zu: %.3f s; speed-up %.2fx; same output: %s\n", sequential,
                width, parallel, sequential / parallel, same ? "yes" : "NO");
    return same ? 0 : 1;
}
