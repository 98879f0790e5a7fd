#include "app/crawl_recorder.h"

#include "app/queue_chunk.h"
#include "crawl/browser/audit_links.h"

#include <algorithm>
#include <ctime>

namespace vortaxel::app {

namespace {
// Entries per row when the whole queue is written anew.
constexpr std::size_t kChunkEntries = 4096;

/// The monotonic clock read at the kernel's tick: a batch of a second needs no finer reading, and on
/// some virtual machines the finer one costs as much as writing a row.
std::chrono::steady_clock::time_point BatchClock() {
#ifdef CLOCK_MONOTONIC_COARSE
    timespec now{};
    if (clock_gettime(CLOCK_MONOTONIC_COARSE, &now) == 0) {
        return std::chrono::steady_clock::time_point(std::chrono::duration_cast<std::chrono::steady_clock::duration>(
            std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec)));
    }
#endif
    return std::chrono::steady_clock::now();
}
} // namespace

CrawlRecorder::CrawlRecorder(CrawlStore& store, Batch batch)
    : store_(store), batch_(batch), transaction_(store.Db()), progress_(store.Progress()),
      headBase_(progress_.queueHead), batchStart_(BatchClock()),
      keepsMet_(store.Settings().rules == crawl::RuleSet::Browser) {
    SqlDatabase& db = store_.Db();
    Check(insertPage_.Prepare(db,
                              "INSERT INTO pages (id, url, depth, found_on, turn, event) VALUES (?, ?, ?, ?, ?, ?)")) &&
        Check(insertFetch_.Prepare(db,
                                   "INSERT INTO fetches (event, turn, page_id, url, blocked, ok, status, final_url, "
                                   "content_type, body_skipped, bytes, ms, redirects, error, robots_tag) "
                                   "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)")) &&
        Check(insertChunk_.Prepare(db,
                                   "INSERT INTO queue (pos, pos_end, found_on, depth, urls) VALUES (?, ?, ?, ?, ?)")) &&
        Check(headChunk_.Prepare(
            db, "SELECT pos, pos_end, found_on, depth FROM queue WHERE pos <= ? ORDER BY pos DESC LIMIT 1")) &&
        Check(dropPopped_.Prepare(db, "DELETE FROM queue WHERE pos < ?1 AND pos_end <= ?1")) &&
        Check(pageFacts_.Prepare(db, "UPDATE pages SET title = ?, title_count = ?, meta_description = ?, "
                                     "meta_robots = ?, h1 = ?, h1_count = ?, canonical = ?, lang = ?, word_count = ?, "
                                     "refresh = ?, in_sitemap = ? WHERE id = ?")) &&
        Check(insertLink_.Prepare(db, "INSERT INTO links (page_id, target, anchor, element, rel, hreflang, follow) "
                                      "VALUES (?, ?, ?, ?, ?, ?, ?)")) &&
        Check(insertHop_.Prepare(db, "INSERT INTO hops (fetch_id, hop, code, url) VALUES (?, ?, ?, ?)")) &&
        Check(db.QueryInt("SELECT count(*) FROM pages", pagesWritten_));
}

CrawlRecorder::~CrawlRecorder() = default;

bool CrawlRecorder::Check(const SqlStatus& status) {
    if (status || !error_.empty()) {
        return status.Ok();
    }
    error_ = store_.FailureText(status);
    transaction_.Rollback();
    if (onFailure_) {
        onFailure_();
    }
    return false;
}

void CrawlRecorder::PageFound(std::size_t /*index*/, std::string_view url) {
    turnEvents_.push_back({Event::Kind::Found, std::string(url), {}});
}

void CrawlRecorder::PageFetched(const std::string& url, const crawl::FetchedPage& page) {
    turnEvents_.push_back({Event::Kind::Fetched, url, page});
}

void CrawlRecorder::PageBlocked(std::string_view url) {
    turnEvents_.push_back({Event::Kind::Blocked, std::string(url), {}});
}

void CrawlRecorder::PageParsed(std::string_view url, const crawl::PageRead& read) {
    turnRead_.emplace(std::string(url), read);
}

void CrawlRecorder::PageInSitemap(std::string_view /*url*/) {
    turnInSitemap_ = true;
}

void CrawlRecorder::QueuedUnlinked() {
    turnUnlinked_ = true;
}

void CrawlRecorder::TurnEnded(const crawl::RunSnapshot& state) {
    if (!error_.empty()) {
        turnEvents_.clear();
        turnRead_.reset();
        turnInSitemap_ = turnUnlinked_ = false;
        return;
    }
    if (!transaction_.IsOpen() && !Check(transaction_.Begin())) {
        return;
    }
    if (!WriteTurn(state)) {
        return;
    }
    // The clock is read only after turns that did something: most classic turns drop a repeat.
    const bool due = pagesInBatch_ != 0 && (pagesInBatch_ >= batch_.pages || BatchClock() - batchStart_ >= batch_.time);
    if (due) {
        Commit(CrawlState::Running, {});
    }
}

bool CrawlRecorder::WriteTurn(const crawl::RunSnapshot& state) {
    ++progress_.turns;
    std::optional<std::int64_t> pageId;
    std::int64_t depth = -1;
    // Pages first, so that the turn's fetch can name its page; the events keep the order they came in.
    for (std::size_t i = 0; i < turnEvents_.size(); ++i) {
        if (turnEvents_[i].kind == Event::Kind::Found) {
            std::int64_t id = 0;
            if (!WritePage(turnEvents_[i], progress_.events + std::int64_t(i) + 1, id, depth)) {
                return false;
            }
            pageId = id;
        }
    }
    for (std::size_t i = 0; i < turnEvents_.size(); ++i) {
        if (turnEvents_[i].kind != Event::Kind::Found &&
            !WriteFetch(turnEvents_[i], progress_.events + std::int64_t(i) + 1, pageId)) {
            return false;
        }
    }
    if (turnRead_ && pageId && !WriteRead(*pageId)) {
        return false;
    }
    turnRead_.reset();
    turnInSitemap_ = false;
    // A batch counts the turns that fetched or listed something: what a kill would make the next run redo.
    pagesInBatch_ += turnEvents_.empty() ? 0 : 1;
    progress_.events += std::int64_t(turnEvents_.size());
    turnEvents_.clear();
    progress_.rulesNote = state.RulesNote();
    // What no link led to (a sitemap's pages) has no depth, nor has what only such a page links to.
    std::optional<std::int64_t> queuedDepth = std::max<std::int64_t>(depth + 1, 0);
    if (turnUnlinked_ || (keepsMet_ && pageId && depth < 0)) {
        queuedDepth.reset();
    }
    turnUnlinked_ = false;
    return WriteQueue(state, pageId, queuedDepth);
}

bool CrawlRecorder::WritePage(const Event& event, std::int64_t eventNumber, std::int64_t& pageId, std::int64_t& depth) {
    std::optional<std::int64_t> foundOn;
    // The page came from the entry this turn took from the head; that entry's row says where it was found.
    const std::int64_t head = headBase_ + std::int64_t(previousPopped_);
    // A row holds the links of a whole page, so most turns take their entry from the row the turn
    // before took its own from.
    if (!headRow_ || head < headRow_->pos || head >= headRow_->end) {
        headRow_.reset();
        HeadRow row;
        headChunk_.Bind(1, head);
        if (headChunk_.Step()) {
            row = {headChunk_.Int(0), headChunk_.Int(1),
                   headChunk_.IsNull(2) ? std::nullopt : std::optional<std::int64_t>(headChunk_.Int(2)),
                   headChunk_.IsNull(3) ? -1 : headChunk_.Int(3)};
        }
        const SqlStatus lookup = headChunk_.Status();
        headChunk_.Reset();
        if (!Check(lookup)) {
            return false;
        }
        if (head >= row.pos && head < row.end) {
            headRow_ = row;
        }
        depth = row.depth;
        foundOn = row.foundOn;
    } else {
        depth = headRow_->depth;
        foundOn = headRow_->foundOn;
    }
    pageId = ++pagesWritten_;
    insertPage_.Bind(1, pageId);
    insertPage_.Bind(2, event.url);
    if (depth >= 0) {
        insertPage_.Bind(3, depth);
    }
    if (foundOn) {
        insertPage_.Bind(4, *foundOn);
    }
    insertPage_.Bind(5, progress_.turns);
    insertPage_.Bind(6, eventNumber);
    return Check(insertPage_.Run());
}

bool CrawlRecorder::WriteRead(std::int64_t pageId) {
    const auto& [url, read] = *turnRead_;
    const crawl::PageFacts& facts = read.facts;
    pageFacts_.Bind(1, facts.title);
    pageFacts_.Bind(2, static_cast<std::int64_t>(facts.titleCount));
    pageFacts_.Bind(3, facts.metaDescription);
    pageFacts_.Bind(4, facts.metaRobots);
    pageFacts_.Bind(5, facts.h1);
    pageFacts_.Bind(6, static_cast<std::int64_t>(facts.h1Count));
    const std::string base = crawl::LinkBase(url, facts);
    if (!facts.canonical.empty()) {
        pageFacts_.Bind(7, crawl::ResolvedTarget(base, facts.canonical));
    }
    pageFacts_.Bind(8, facts.lang);
    pageFacts_.Bind(9, static_cast<std::int64_t>(facts.wordCount));
    if (facts.refresh) {
        pageFacts_.Bind(10, *facts.refresh);
    }
    pageFacts_.Bind(11, std::int64_t{turnInSitemap_ ? 1 : 0});
    pageFacts_.Bind(12, pageId);
    if (!Check(pageFacts_.Run())) {
        return false;
    }
    const bool pageNofollow = crawl::RobotsSayNofollow(facts.metaRobots);
    for (const crawl::PageLink& link : read.links) {
        insertLink_.Bind(1, pageId);
        insertLink_.Bind(2, crawl::ResolvedTarget(base, link.target));
        insertLink_.Bind(3, link.anchor);
        insertLink_.Bind(4, crawl::SourceName(link.source));
        insertLink_.Bind(5, link.rel);
        insertLink_.Bind(6, link.hreflang);
        insertLink_.Bind(7, std::int64_t{!pageNofollow && !crawl::RelSaysNofollow(link.rel) ? 1 : 0});
        if (!Check(insertLink_.Run())) {
            return false;
        }
    }
    return true;
}

bool CrawlRecorder::WriteFetch(const Event& event, std::int64_t eventNumber, std::optional<std::int64_t> pageId) {
    const crawl::FetchedPage& page = event.page;
    insertFetch_.Bind(1, eventNumber);
    insertFetch_.Bind(2, progress_.turns);
    if (pageId) {
        insertFetch_.Bind(3, *pageId);
    }
    insertFetch_.Bind(4, event.url);
    insertFetch_.Bind(5, std::int64_t{event.kind == Event::Kind::Blocked ? 1 : 0});
    insertFetch_.Bind(6, std::int64_t{page.ok ? 1 : 0});
    insertFetch_.Bind(7, static_cast<std::int64_t>(page.status));
    insertFetch_.Bind(8, page.finalUrl);
    insertFetch_.Bind(9, page.contentType);
    insertFetch_.Bind(10, std::int64_t{page.bodySkipped ? 1 : 0});
    insertFetch_.Bind(11, static_cast<std::int64_t>(page.bytes));
    insertFetch_.Bind(12, static_cast<std::int64_t>(page.elapsed.count()));
    insertFetch_.Bind(13, static_cast<std::int64_t>(page.redirects));
    insertFetch_.Bind(14, page.error);
    insertFetch_.Bind(15, page.robotsTag);
    if (!Check(insertFetch_.Run())) {
        return false;
    }
    const std::int64_t fetchId = store_.Db().LastInsertId();
    for (std::size_t i = 0; i < page.hops.size(); ++i) {
        insertHop_.Bind(1, fetchId);
        insertHop_.Bind(2, static_cast<std::int64_t>(i));
        insertHop_.Bind(3, static_cast<std::int64_t>(page.hops[i].code));
        insertHop_.Bind(4, page.hops[i].url);
        if (!Check(insertHop_.Run())) {
            return false;
        }
    }
    return true;
}

bool CrawlRecorder::WriteQueue(const crawl::RunSnapshot& state, std::optional<std::int64_t> foundOn,
                               std::optional<std::int64_t> depth) {
    const crawl::QueueProgress queue = state.Queue();
    previousPopped_ = queue.popped;
    const std::int64_t head = headBase_ + std::int64_t(queue.popped);
    const std::size_t count = state.QueueCount();
    progress_.queueHead = head;
    queueEmpty_ = count == 0;
    if (queue.reorders != reorders_) {
        // The queue lost entries behind its head: only writing it whole says where it stands.
        reorders_ = queue.reorders;
        headRow_.reset();
        SqlStatement clear;
        if (!Check(clear.Prepare(store_.Db(), "DELETE FROM queue")) || !Check(clear.Run())) {
            return false;
        }
        for (std::size_t from = 0; from < count; from += kChunkEntries) {
            if (!WriteChunk(state, {from, std::min(count, from + kChunkEntries)}, std::nullopt, std::nullopt)) {
                return false;
            }
        }
    } else {
        const std::size_t from = static_cast<std::size_t>(std::max<std::int64_t>(0, progress_.queueTail - head));
        if (from < count && !WriteChunk(state, {from, count}, foundOn, depth)) {
            return false;
        }
    }
    progress_.queueTail = head + std::int64_t(count);
    return true;
}

bool CrawlRecorder::WriteChunk(const crawl::RunSnapshot& state, Entries entries, std::optional<std::int64_t> foundOn,
                               std::optional<std::int64_t> depth) {
    const auto [from, to] = entries;
    chunk_.Clear();
    for (std::size_t i = from; i < to; ++i) {
        chunk_.Add(state.QueueText(i));
    }
    const std::int64_t head = progress_.queueHead;
    insertChunk_.Bind(1, head + std::int64_t(from));
    insertChunk_.Bind(2, head + std::int64_t(to));
    if (foundOn) {
        insertChunk_.Bind(3, *foundOn);
    }
    if (depth) {
        insertChunk_.Bind(4, *depth);
    }
    insertChunk_.BindBlob(5, chunk_.Bytes());
    return Check(insertChunk_.Run());
}

bool CrawlRecorder::Commit(CrawlState state, const std::string& stopReason) {
    progress_.state = state;
    progress_.stopReason = stopReason;
    if (!keepsMet_) {
        dropPopped_.Bind(1, progress_.queueHead);
        if (!Check(dropPopped_.Run())) {
            return false;
        }
    }
    if (!Check(store_.WriteProgress(progress_)) || !Check(transaction_.Commit())) {
        return false;
    }
    pagesInBatch_ = 0;
    batchStart_ = BatchClock();
    return true;
}

bool CrawlRecorder::Finish(crawl::RunEnd end, const std::string& stopReason) {
    // A turn cut short by a failure was never whole: nothing of it is kept.
    turnEvents_.clear();
    turnRead_.reset();
    turnInSitemap_ = turnUnlinked_ = false;
    if (!error_.empty()) {
        return false;
    }
    if (!transaction_.IsOpen() && !Check(transaction_.Begin())) {
        return false;
    }
    const bool finished = queueEmpty_ && end != crawl::RunEnd::OutOfMemory;
    return Commit(finished ? CrawlState::Finished : CrawlState::Stopped, stopReason);
}

} // namespace vortaxel::app
