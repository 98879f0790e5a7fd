#include "store/read/kept_crawl.h"

#include "store/write/queue_chunk.h"

#include <cstdint>

namespace vortaxel::store {

bool KeptCrawl::Check(const SqlStatus& status) {
    if (!status && error_.empty()) {
        error_ = "cannot read the crawl in " + store_.Path() + ": " + status.message;
    }
    return status.Ok();
}

void KeptCrawl::ForEachMet(const Visit& visit) {
    ForEachQueueEntry(true, visit);
}

void KeptCrawl::ForEachQueued(const Visit& visit) {
    ForEachQueueEntry(false, visit);
}

void KeptCrawl::ForEachFound(const Visit& visit) {
    SqlStatement pages;
    if (!Check(pages.Prepare(store_.Db(), "SELECT url FROM pages ORDER BY id"))) {
        return;
    }
    while (pages.Step()) {
        visit(pages.Text(0));
    }
    Check(pages.Status());
}

void KeptCrawl::ForEachQueueEntry(bool before, const Visit& visit) {
    const std::int64_t head = store_.Progress().queueHead;
    SqlStatement rows;
    const char* sql =
        before ? "SELECT pos, urls FROM queue WHERE pos < ?1 ORDER BY pos"
               : "SELECT pos, urls FROM queue WHERE pos >= coalesce((SELECT max(pos) FROM queue WHERE pos <= ?1), 0) "
                 "ORDER BY pos";
    if (!Check(rows.Prepare(store_.Db(), sql))) {
        return;
    }
    rows.Bind(1, head);
    while (rows.Step()) {
        std::int64_t pos = rows.Int(0);
        ChunkReader chunk(rows.Blob(1));
        std::string_view entry;
        while (chunk.Next(entry)) {
            if ((pos < head) == before) {
                visit(entry);
            }
            ++pos;
        }
        if (!chunk.AtEnd()) {
            Check({1, "a queue row is damaged"});
            return;
        }
    }
    Check(rows.Status());
}

void KeptCrawl::Replay(crawl::CrawlListener& listener) {
    SqlStatement pages;
    SqlStatement fetches;
    if (!Check(pages.Prepare(store_.Db(), "SELECT id, url, event, turn FROM pages ORDER BY event")) ||
        !Check(fetches.Prepare(store_.Db(), "SELECT url, blocked, ok, status, final_url, content_type, body_skipped, "
                                            "bytes, ms, redirects, error, event, turn FROM fetches ORDER BY event"))) {
        return;
    }
    bool morePages = pages.Step();
    bool moreFetches = fetches.Step();
    std::int64_t turn = -1;
    while (morePages || moreFetches) {
        const bool pageFirst = morePages && (!moreFetches || pages.Int(2) < fetches.Int(11));
        const std::int64_t eventTurn = pageFirst ? pages.Int(3) : fetches.Int(12);
        if (eventTurn != turn) {
            turn = eventTurn;
            listener.Yield();
        }
        if (pageFirst) {
            listener.PageFound(static_cast<std::size_t>(pages.Int(0) - 1), pages.Text(1));
            morePages = pages.Step();
            continue;
        }
        const std::string url(fetches.Text(0));
        if (fetches.Int(1) != 0) {
            listener.PageBlocked(url);
        } else {
            crawl::FetchedPage page;
            page.ok = fetches.Int(2) != 0;
            page.status = static_cast<long>(fetches.Int(3));
            page.finalUrl = std::string(fetches.Text(4));
            page.contentType = std::string(fetches.Text(5));
            page.bodySkipped = fetches.Int(6) != 0;
            page.bytes = static_cast<std::size_t>(fetches.Int(7));
            page.elapsed = std::chrono::milliseconds(fetches.Int(8));
            page.redirects = static_cast<long>(fetches.Int(9));
            page.error = std::string(fetches.Text(10));
            listener.PageFetched(url, page);
        }
        moreFetches = fetches.Step();
    }
    Check(pages.Status());
    Check(fetches.Status());
}

} // namespace vortaxel::store
