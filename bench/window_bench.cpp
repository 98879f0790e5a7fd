// The main window at scale: a whole crawl of a generated site through the offscreen window, the
// pages fetched from memory. Times every turn (from one page fetch to the next, the fetch itself
// left out) and compares the turns around the 1,000th with those around the last.
//
// usage: QT_QPA_PLATFORM=offscreen vortaxel-window-bench [PAGES]

#include "bench/generated_site.h"
#include "bench/quiet_desktop.h"
#include "services/platform_services.h"
#include "ui/main_window.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QTableView>

namespace {

using Clock = std::chrono::steady_clock;

/// The real window with its network swapped for the generated site. Notes when each fetch begins
/// and how long drawing the page took, so a turn's cost is the time between two fetches less that.
class MemoryWindow final : public vortaxel::crawl::PageFetcher, public vortaxel::ui::frmMain {
public:
    MemoryWindow(vortaxel::services::PlatformServices services, const vortaxel::bench::GeneratedSite& site)
        : frmMain(services, QString(), static_cast<vortaxel::crawl::PageFetcher&>(*this)), site_(site) {}

    vortaxel::crawl::FetchedPage Fetch(const std::string& url) override {
        const Clock::time_point start = Clock::now();
        vortaxel::crawl::FetchedPage result = site_.PageAt(url, page_) ? vortaxel::crawl::FetchedPage::Success(page_)
                                                                       : vortaxel::crawl::FetchedPage::Failure("404");
        starts.push_back(start);
        fetchTimes.push_back(Clock::now() - start);
        return result;
    }

    std::vector<Clock::time_point> starts;
    std::vector<Clock::duration> fetchTimes;

private:
    const vortaxel::bench::GeneratedSite& site_;
    std::string page_;
};

double MedianMicros(std::vector<double> values) {
    std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const std::size_t pages = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 200'000;
    const vortaxel::bench::GeneratedSite site(pages, 20240601);
    vortaxel::bench::QuietDesktop desktop;
    MemoryWindow window(desktop.Services(), site);
    window.show();
    window.findChild<QLineEdit*>("txturl")->setText(QString::fromStdString(site.Root()));
    window.starts.reserve(pages + 1);
    window.fetchTimes.reserve(pages + 1);

    const Clock::time_point start = Clock::now();
    window.cmdstart_Click();
    const std::chrono::duration<double> total = Clock::now() - start;

    // Turn k runs from fetch k to fetch k + 1, less the drawing of page k.
    std::vector<double> turns;
    for (std::size_t k = 0; k + 1 < window.starts.size(); ++k) {
        const std::chrono::duration<double, std::micro> turn =
            window.starts[k + 1] - window.starts[k] - window.fetchTimes[k];
        turns.push_back(turn.count());
    }
    const auto around = [&](std::size_t turn) {
        const std::size_t from = turn > 500 ? turn - 500 : 0;
        const std::size_t to = std::min(turns.size(), from + 1000);
        return MedianMicros(std::vector<double>(turns.begin() + static_cast<std::ptrdiff_t>(from),
                                                turns.begin() + static_cast<std::ptrdiff_t>(to)));
    };
    const std::size_t found = window.Engine().List2().Count();
    const double early = around(1000);
    const double late = around(turns.size() - 500);
    std::printf("pages %zu found %zu selected %zu rows %d in %.1f s\n", pages, found,
                window.Engine().List2().SelectedCount(), window.findChild<QTableView*>("List2")->model()->rowCount(),
                total.count());
    std::printf("median turn around the 1,000th: %.2f us; around the %zuth: %.2f us; ratio %.2f\n", early, turns.size(),
                late, late / early);
    return 0;
}
