// The report window over a large kept crawl: writes a crawl database of PAGES pages with LINKS links each
// (titles shared by ten pages, every hundredth link dead), then times opening the window to its first rows
// drawn, a sort, a filter, a page's details and the issues, and the peak memory.
//
// usage: QT_QPA_PLATFORM=offscreen vortaxel-report-window-bench FILE [PAGES] [LINKS]

#include "bench/peak_memory.h"
#include "bench/quiet_desktop.h"
#include "store/crawl_store.h"
#include "store/sqlite_db.h"
#include "ui/report_window.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <QApplication>
#include <QLineEdit>
#include <QTabWidget>
#include <QTableView>

namespace {

using Clock = std::chrono::steady_clock;
using vortaxel::store::SqlStatement;

double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

std::string PageUrl(long i) {
    return "http://site.test/section-" + std::to_string(i % 100) + "/page-" + std::to_string(i) + ".html";
}

/// A crawl as a browser-rules run keeps it, written straight into the tables.
bool WriteCrawl(const std::string& path, long pages, long links) {
    std::string error;
    auto store = vortaxel::store::CrawlStore::Open(path, vortaxel::store::CrawlStore::Access::Create, error);
    if (!store || !store->StartRun({PageUrl(0), vortaxel::crawl::RuleSet::Browser, false, {}, {}, 1 << 30})) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return false;
    }
    auto& db = store->Db();
    SqlStatement page;
    SqlStatement fetch;
    SqlStatement link;
    db.Execute("BEGIN");
    page.Prepare(db, "INSERT INTO pages (id, url, depth, found_on, turn, event, title, title_count, meta_description,"
                     " h1, h1_count, word_count, in_sitemap) VALUES (?, ?, ?, 1, ?, ?, ?, 1, ?, ?, 1, 500, 0)");
    fetch.Prepare(db, "INSERT INTO fetches (event, turn, page_id, url, blocked, ok, status, final_url, content_type,"
                      " body_skipped, bytes, ms, redirects, error) VALUES (?, ?, ?, ?, 0, ?, ?, ?, 'text/html', 0,"
                      " 20000, 12, 0, ?)");
    link.Prepare(db, "INSERT INTO links (page_id, target, anchor, element, rel, hreflang, follow)"
                     " VALUES (?, ?, 'Read more', 'a href', '', '', 1)");
    for (long i = 0; i < pages; ++i) {
        const std::string url = PageUrl(i);
        const std::string title = "Title of group " + std::to_string(i / 10);
        page.Bind(1, std::int64_t{i + 1});
        page.Bind(2, url);
        page.Bind(3, std::int64_t{i % 7});
        page.Bind(4, std::int64_t{i});
        page.Bind(5, std::int64_t{2 * i});
        page.Bind(6, title);
        page.Bind(7, "A description of page " + std::to_string(i));
        page.Bind(8, "Heading " + std::to_string(i));
        page.Run();
        fetch.Bind(1, std::int64_t{2 * i + 1});
        fetch.Bind(2, std::int64_t{i});
        fetch.Bind(3, std::int64_t{i + 1});
        fetch.Bind(4, url);
        fetch.Bind(5, std::int64_t{1});
        fetch.Bind(6, std::int64_t{200});
        fetch.Bind(7, url);
        fetch.Bind(8, std::string_view());
        fetch.Run();
        for (long k = 0; k < links; ++k) {
            link.Bind(1, std::int64_t{i + 1});
            const long target = (i * 31 + k * 977) % pages;
            link.Bind(2, (i * links + k) % 100 == 0 ? "http://site.test/gone-" + std::to_string(k) : PageUrl(target));
            link.Run();
        }
    }
    for (long k = 0; k < links; ++k) {
        const std::string url = "http://site.test/gone-" + std::to_string(k);
        fetch.Bind(1, std::int64_t{2 * pages + k});
        fetch.Bind(2, std::int64_t{pages + k});
        fetch.BindNull(3);
        fetch.Bind(4, url);
        fetch.Bind(5, std::int64_t{0});
        fetch.Bind(6, std::int64_t{404});
        fetch.Bind(7, url);
        fetch.Bind(8, std::string_view("HTTP status 404"));
        fetch.Run();
    }
    return db.Execute("COMMIT").Ok();
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: vortaxel-report-window-bench FILE [PAGES] [LINKS]\n");
        return 2;
    }
    const std::string path = argv[1];
    const long pages = argc > 2 ? std::atol(argv[2]) : 100000;
    const long links = argc > 3 ? std::atol(argv[3]) : 10;
    QApplication app(argc, argv);
    if (!std::filesystem::exists(path)) {
        const Clock::time_point start = Clock::now();
        if (!WriteCrawl(path, pages, links)) {
            return 1;
        }
        std::printf("wrote %ld pages, %ld links: %.0f ms, %.1f MB\n", pages, pages * links, MsSince(start),
                    static_cast<double>(std::filesystem::file_size(path)) / 1e6);
    }
    const long before = vortaxel::bench::PeakResidentKb();
    vortaxel::bench::QuietDesktop desktop;
    std::unique_ptr<vortaxel::ui::ReportWindow> window;
    // Views read their rows when they paint: each step ends with the window drawn.
    const auto time = [&window](const char* what, auto&& step) {
        const Clock::time_point start = Clock::now();
        step();
        QApplication::processEvents();
        window->repaint();
        std::printf("%-34s %9.1f ms, peak %ld kB\n", what, MsSince(start), vortaxel::bench::PeakResidentKb());
    };
    // Work done away from the window: waits for it, drawing the window meanwhile, and says the longest
    // the window went without a pass of its event loop, which is how long an input could wait.
    const auto awaitBackground = [&window](const char* what) {
        const Clock::time_point start = Clock::now();
        Clock::time_point last = start;
        double longest = 0;
        while (window->Busy()) {
            QApplication::processEvents(QEventLoop::AllEvents, 5);
            window->repaint();
            const Clock::time_point now = Clock::now();
            longest = std::max(longest, std::chrono::duration<double, std::milli>(now - last).count());
            last = now;
        }
        std::printf("%-34s %9.1f ms, window unanswered %.1f ms at most, peak %ld kB\n", what, MsSince(start), longest,
                    vortaxel::bench::PeakResidentKb());
    };
    time("open, first rows drawn", [&] {
        std::string error;
        window = vortaxel::ui::ReportWindow::Open(path, desktop.Services(), error);
        if (!window) {
            std::fprintf(stderr, "%s\n", error.c_str());
            std::exit(1);
        }
        window->show();
    });
    awaitBackground("lookups built (background)");
    auto* pagesView = window->findChild<QTableView*>("tblPages");
    time("scroll to the last row given", [&] { pagesView->scrollToBottom(); });
    time("every row given, scrolled to the end", [&] {
        while (pagesView->model()->canFetchMore({})) {
            pagesView->model()->fetchMore({});
        }
        pagesView->scrollToBottom();
    });
    time("sort pages by title", [&] { pagesView->sortByColumn(4, Qt::DescendingOrder); });
    time("a page's details (first)", [&] { pagesView->setCurrentIndex(pagesView->model()->index(0, 0)); });
    time("a page's details (again)", [&] { pagesView->setCurrentIndex(pagesView->model()->index(5, 0)); });
    time("filter pages", [&] { window->findChild<QLineEdit*>("txtFilterPages")->setText("page-4242"); });
    time("clear the filter", [&] { window->findChild<QLineEdit*>("txtFilterPages")->setText(""); });
    time("refresh with nothing new", [&] { window->Refresh(); });
    time("links tab", [&] { window->findChild<QTabWidget*>("tabsReport")->setCurrentIndex(1); });
    auto* linksView = window->findChild<QTableView*>("tblLinks");
    time("sort links by anchor", [&] { linksView->sortByColumn(2, Qt::AscendingOrder); });
    time("sort links by target's status", [&] { linksView->sortByColumn(6, Qt::DescendingOrder); });
    time("filter links", [&] { window->findChild<QLineEdit*>("txtFilterLinks")->setText("gone-7"); });
    time("issues tab (asks for them)", [&] { window->findChild<QTabWidget*>("tabsReport")->setCurrentIndex(2); });
    awaitBackground("issues found (background)");
    std::printf("peak resident: %ld kB before the window, %ld kB after\n", before, vortaxel::bench::PeakResidentKb());
    return 0;
}
