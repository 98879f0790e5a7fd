// The window fetching ahead, on a loopback site that answers every request after a fixed delay:
// the window at one page at a time, the window at K pages at once and `vortaxel-cli --parallel K`,
// runs alternating. Prints each run, the medians, both ratios, and whether every run found the
// same pages.
//
// usage: QT_QPA_PLATFORM=offscreen vortaxel-window-parallel-bench [PAGES [DELAY_MS [K [ROUNDS]]]]

#include "bench/generated_site.h"
#include "bench/quiet_desktop.h"
#include "bench/served_shop.h"
#include "tests/cli/child_process.h"
#include "tests/support/loopback_site.h"
#include "ui/main_window.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <QAction>
#include <QApplication>
#include <QLineEdit>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

/// One whole crawl in a fresh window at `width`; the found list, one URL a line, as the command
/// line prints it for these plain addresses.
std::string WindowRun(const std::string& root, std::size_t width, double& seconds) {
    vortaxel::bench::QuietDesktop desktop;
    vortaxel::ui::frmMain window(desktop.Services(), QString());
    window.show();
    window.findChild<QAction*>(QString("mnuPagesAtOnce%1").arg(width))->trigger();
    window.findChild<QLineEdit*>("txturl")->setText(QString::fromStdString(root));
    const Clock::time_point start = Clock::now();
    window.cmdstart_Click();
    seconds = std::chrono::duration<double>(Clock::now() - start).count();
    std::string found;
    const vortaxel::crawl::FoundList& list = window.Engine().List2();
    for (std::size_t i = 0; i < list.Count(); ++i) {
        found.append(list.Text(i)).push_back('\n');
    }
    return found;
}

std::string CliRun(const std::string& root, std::size_t width, double& seconds) {
    const Clock::time_point start = Clock::now();
    vortaxel::test::ChildProcess cli(VORTAXEL_CLI_PATH, {"--quiet", "--parallel", std::to_string(width), root});
    if (!cli.Wait(600s) || cli.ExitCode() != 0) {
        std::fprintf(stderr, "command line failed: %s\n", cli.Err().c_str());
        std::exit(1);
    }
    seconds = std::chrono::duration<double>(Clock::now() - start).count();
    return cli.Out();
}

} // namespace

int main(int argc, char** argv) {
    using namespace vortaxel;
    QApplication app(argc, argv);
    const auto number = [&](int i, long fallback) { return argc > i ? std::strtol(argv[i], nullptr, 10) : fallback; };
    const auto pages = static_cast<std::size_t>(number(1, 1000));
    const auto delay = std::chrono::milliseconds(number(2, 20));
    const auto width = static_cast<std::size_t>(number(3, 8));
    const auto rounds = static_cast<int>(number(4, 3));

    test::LoopbackSite site;
    const bench::GeneratedSite shop(pages, 20240601, site.Url("/"));
    bench::ServeShop(site, shop, delay);

    const char* names[3] = {"window, 1 at once", "window, K at once", "command line --parallel K"};
    std::vector<double> seconds[3];
    std::string first;
    bool same = true;
    for (int round = 0; round < rounds; ++round) {
        for (int which = 0; which < 3; ++which) {
            double took = 0;
            const std::string found =
                which == 2 ? CliRun(shop.Root(), width, took) : WindowRun(shop.Root(), which == 0 ? 1 : width, took);
            first = first.empty() ? found : first;
            same = same && found == first;
            seconds[which].push_back(took);
            std::printf("round %d %s: %.3f s\n", round + 1, names[which], took);
        }
    }
    const double one = bench::Median(seconds[0]);
    const double wide = bench::Median(seconds[1]);
    const double cli = bench::Median(seconds[2]);
    std::printf("pages found %zu, delay %lld ms, K = %zu\n", static_cast<std::size_t>(std::ranges::count(first, '\n')),
                static_cast<long long>(delay.count()), width);
    std::printf("median window K=1: %.3f s; window K=%zu: %.3f s; command line: %.3f s\n", one, width, wide, cli);
    std::printf("window K=%zu over K=1: %.2fx faster; window over command line: %.2f times its time; same pages: %s\n",
                width, one / wide, wide / cli, same ? "yes" : "NO");
    return same ? 0 : 1;
}
