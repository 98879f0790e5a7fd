// Input: the first line is the start URL, the rest is the page. Both extractors run into a plain list
// and into the real crawl queue, which then gets a filter pass; everything is compared with a plain
// re-reading of the link rules built on std::string::find.

#include "crawl/classic/link_extraction.h"
#include "crawl/crawl_queue.h"
#include "crawl/queue_filter.h"
#include "crawl/url_store.h"
#include "fuzz_check.h"
#include "naive_text.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace vortaxel::fuzz {
namespace {

constexpr auto npos = std::string_view::npos;
constexpr std::string_view kHref = "href";
constexpr std::string_view kWindowOpen = "window.open('";

struct ListSink : crawl::LinkSink {
    void Append(std::string_view link) override { entries.emplace_back(link); }
    std::vector<std::string> entries;
};

std::string PlainBase(std::string_view startUrl) {
    const std::size_t first = startUrl.find_first_not_of(' ');
    if (first == npos) {
        return "/";
    }
    std::string base(startUrl.substr(first, startUrl.find_last_not_of(' ') - first + 1));
    if (base.back() != '/') {
        base += '/';
    }
    return base;
}

std::string Joined(const std::string& base, std::string_view value) {
    return base + std::string(!value.empty() && value.front() == '/' ? value.substr(1) : value);
}

bool IsWebAbsolute(std::string_view value) {
    return NaiveStartsCaseless(value, "http://") || NaiveStartsCaseless(value, "https://");
}

bool HoldsWebScheme(std::string_view value) {
    return NaiveContainsCaseless(value, "http://") || NaiveContainsCaseless(value, "https://");
}

std::vector<std::string> PlainHrefLinks(std::string_view page, const std::string& base) {
    std::vector<std::string> out;
    const std::string low = Lowered(page);
    for (std::size_t at = low.find(kHref); at != npos; at = low.find(kHref, at)) {
        const std::size_t open = page.find_first_of("\"'", at);
        if (open == npos) {
            break;
        }
        const std::size_t close = page.find(page[open], open + 1);
        if (close == npos) {
            break;
        }
        const std::string_view value = page.substr(open + 1, close - open - 1);
        if (!IsWebAbsolute(value)) {
            out.push_back(Joined(base, value));
        } else if (value.find(base) != npos) {
            out.emplace_back(value);
        }
        at = close;
    }
    return out;
}

std::vector<std::string> PlainWindowOpenLinks(std::string_view page, const std::string& base) {
    std::vector<std::string> out;
    const std::string low = Lowered(page);
    for (std::size_t at = low.find(kWindowOpen); at != npos; at = low.find(kWindowOpen, at)) {
        const std::size_t start = at + kWindowOpen.size();
        const std::size_t close = page.find('\'', start);
        if (close == npos) {
            break;
        }
        const std::string_view value = page.substr(start, close - start);
        out.push_back(HoldsWebScheme(value) ? std::string(value) : Joined(base, value));
        at = close;
    }
    return out;
}

bool PlainFilteredOut(std::string_view entry, std::string_view startUrl) {
    const std::string low = Lowered(entry);
    const std::string ending = low.size() >= 4 ? low.substr(low.size() - 4) : low;
    return ending == ".zip" || ending == ".pdf" || ending == ".exe" || !NaiveContainsCaseless(entry, startUrl) ||
           low.find("mailto:") != npos || low.find("javascript:") != npos || low.find("document.write") != npos;
}

void CheckQueueAfterPass(crawl::CrawlQueue& queue, std::vector<std::string>& expected, std::string_view startUrl) {
    std::erase_if(expected, [&](const std::string& entry) { return PlainFilteredOut(entry, startUrl); });
    queue.Filter(startUrl);
    VORTAXEL_FUZZ_CHECK(queue.Count() == expected.size());
    // Counted once up front: a page of a few thousand equal links made a count per entry the bulk of
    // the run.
    std::unordered_map<std::string_view, std::size_t> counts;
    for (const std::string& entry : expected) {
        ++counts[entry];
    }
    for (std::size_t i = 0; i < expected.size(); ++i) {
        VORTAXEL_FUZZ_CHECK(queue.Text(i) == expected[i]);
        VORTAXEL_FUZZ_CHECK(queue.Occurrences(expected[i]) == counts[expected[i]]);
    }
}

/// The store outlives the inputs, as the window's outlives its runs. A fresh store's first block is
/// a mebibyte, and allocating one per input was nearly all of the time an input took under the
/// sanitizers. Each input ends with its queue empty, so it leaves no counts behind for the next; a
/// count left behind is itself a fault the checks then see. Emptied once it has grown large.
crawl::UrlStore& SharedStore() {
    constexpr std::size_t kLargeStoreBytes = std::size_t{64} << 20;
    static crawl::UrlStore store;
    if (store.MemoryBytes() > kLargeStoreBytes) {
        store.Clear();
    }
    return store;
}

} // namespace
} // namespace vortaxel::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vortaxel;
    using namespace vortaxel::fuzz;
    // Copied so that ASan sees exactly the input's bytes and nothing after them.
    const std::vector<char> input(data, data + size);
    const std::string_view text(input.data(), input.size());
    const std::size_t lineEnd = text.find('\n');
    const std::string_view startUrl = text.substr(0, lineEnd);
    const std::string_view page = lineEnd == npos ? std::string_view() : text.substr(lineEnd + 1);
    const std::string base = PlainBase(startUrl);

    ListSink href;
    crawl::ExtractHrefLinks(page, href, startUrl);
    VORTAXEL_FUZZ_CHECK(href.entries.size() <= NaiveCountCaseless(page, kHref));
    for (const std::string& entry : href.entries) {
        VORTAXEL_FUZZ_CHECK(entry.starts_with(base) || (IsWebAbsolute(entry) && entry.find(base) != npos));
    }
    VORTAXEL_FUZZ_CHECK(href.entries == PlainHrefLinks(page, base));

    ListSink windowOpen;
    crawl::ExtractWindowOpenLinks(page, windowOpen, startUrl);
    VORTAXEL_FUZZ_CHECK(windowOpen.entries.size() <= NaiveCountCaseless(page, kWindowOpen));
    for (const std::string& entry : windowOpen.entries) {
        VORTAXEL_FUZZ_CHECK(entry.starts_with(base) || HoldsWebScheme(entry));
    }
    VORTAXEL_FUZZ_CHECK(windowOpen.entries == PlainWindowOpenLinks(page, base));

    // The real queue stages links as text and stores only survivors; a second pass against a longer
    // start URL must re-examine what the first pass kept.
    crawl::UrlStore& store = SharedStore();
    crawl::CrawlQueue queue(store);
    crawl::ExtractHrefLinks(page, queue, startUrl);
    crawl::ExtractWindowOpenLinks(page, queue, startUrl);
    std::vector<std::string> expected = href.entries;
    expected.insert(expected.end(), windowOpen.entries.begin(), windowOpen.entries.end());
    CheckQueueAfterPass(queue, expected, startUrl);
    CheckQueueAfterPass(queue, expected, std::string(startUrl) + std::string(page.substr(0, 6)));
    // Links still waiting as text behind stored ones: the head walks through both kinds in order.
    crawl::ExtractHrefLinks(page, queue, startUrl);
    expected.insert(expected.end(), href.entries.begin(), href.entries.end());
    for (const std::string& entry : expected) {
        VORTAXEL_FUZZ_CHECK(queue.Count() > 0 && store.Text(queue.Head()) == entry);
        queue.PopHead();
    }
    VORTAXEL_FUZZ_CHECK(queue.Count() == 0);
    // The store is shared with the next input, which must find every count released.
    for (const std::string& entry : expected) {
        VORTAXEL_FUZZ_CHECK(queue.Occurrences(entry) == 0);
    }
    return 0;
}
