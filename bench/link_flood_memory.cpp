// One page of nothing but short distinct relative links, under a start URL of 1,000 bytes, crawled
// through the engine in a process of its own: each link joined to the start URL is some 250 times
// its size on the page, which is what the per-page link budget is for. Prints the peak resident
// size before and after, how many links the page had dropped and how the run ended.
//
// usage: vortaxel-link-flood-memory PAGE_MIB [PAGE_BUDGET_MIB]   (budget 0: none)

#include "bench/peak_memory.h"
#include "crawl/crawl_engine.h"
#include "crawl/start_text.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

namespace crawl = vortaxel::crawl;
using vortaxel::bench::PeakResidentKb;

/// `<a href="1a2b">` links, each value a distinct base-36 number, until the page holds `bytes`.
std::string FloodPage(std::size_t bytes) {
    std::string page;
    page.reserve(bytes + 32);
    std::string digits;
    for (std::uint64_t n = 0; page.size() < bytes; ++n) {
        digits.clear();
        for (std::uint64_t v = n; digits.empty() || v != 0; v /= 36) {
            digits.push_back("0123456789abcdefghijklmnopqrstuvwxyz"[v % 36]);
        }
        page.append("<a href=\"").append(digits).append("\">\n");
    }
    return page;
}

/// The flood page at the start URL; every other page is there and empty.
class FloodSite final : public crawl::PageFetcher, public crawl::CrawlListener {
public:
    FloodSite(std::string start, std::string page) : start_(std::move(start)), page_(std::move(page)) {}

    crawl::FetchedPage Fetch(const std::string& url) override {
        return crawl::FetchedPage::Success(url == start_ ? page_ : std::string());
    }
    void LinksDropped(std::string_view, std::size_t count) override {
        dropped += count;
        ++droppingPages;
    }

    std::size_t dropped = 0;
    std::size_t droppingPages = 0;

private:
    std::string start_;
    std::string page_;
};

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: vortaxel-link-flood-memory PAGE_MIB [PAGE_BUDGET_MIB]\n");
        return 2;
    }
    const std::uint64_t pageMib = std::strtoull(argv[1], nullptr, 10);
    crawl::RunLimits limits;
    if (argc > 2) {
        const std::uint64_t budget = std::strtoull(argv[2], nullptr, 10);
        limits.pageLinkBytes = budget == 0 ? UINT64_MAX : budget << 20;
    }
    std::string start = "http://flood.test/";
    start.append(999 - start.size(), 'x').push_back('/');
    crawl::PrepareStartText(start);

    FloodSite site(start, FloodPage(pageMib << 20));
    crawl::CrawlEngine engine(site, site);
    engine.SetLimits(limits);
    const long before = PeakResidentKb();
    engine.Run(start, crawl::RuleSet::Classic);
    const long after = PeakResidentKb();

    std::printf("page %llu MiB, start URL %zu bytes, page budget %s\n", static_cast<unsigned long long>(pageMib),
                start.size(),
                limits.pageLinkBytes == UINT64_MAX ? "none" : crawl::BudgetText(limits.pageLinkBytes).c_str());
    std::printf("found %zu, links dropped %zu on %zu page(s), ended %s\n", engine.List2().Count(), site.dropped,
                site.droppingPages, engine.StopReason().empty() ? "with an empty queue" : engine.StopReason().c_str());
    std::printf("peak RSS before %ld kB (the page and its copy), after %ld kB = %.1f MB\n", before, after,
                static_cast<double>(after) / 1024.0);
    return 0;
}
