#include "store/write/crawl_recorder.h"

#include "crawl/browser/audit_links.h"
#include "crawl/link_bounds.h"
#include "crawl/run_limits.h"
#include "store/crawl_store_db.h"
#include "store/write/queue_chunk.h"

#include <algorithm>
#include <ctime>

namespace vortaxel::store {

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
    : store_(store), batch_(batch), headBase_(store.Progress().queueHead), transaction_(CrawlStoreDb::Of(store)),
      progress_(store.Progress()), batchStart_(BatchClock()),
      keepsMet_(store.Settings().rules == crawl::RuleSet::Browser) {
    batch_.waiting = std::max<std::size_t>(batch_.waiting, 1);
    tapTail_ = progress_.queueTail;
    SqlDatabase& db = CrawlStoreDb::Of(store_);
    Check(insertPage_.Prepare(db,
                              "INSERT INTO pages (id, url, depth, found_on, turn, event) VALUES (?, ?, ?, ?, ?, ?)")) &&
        Check(insertFetch_.Prepare(db,
                                   "INSERT INTO fetches (event, turn, page_id, url, blocked, ok, status, final_url, "
                                   "content_type, body_skipped, bytes, ms, redirects, error, robots_tag, in_sitemap) "
                                   "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)")) &&
        Check(insertChunk_.Prepare(db,
                                   "INSERT INTO queue (pos, pos_end, found_on, depth, urls) VALUES (?, ?, ?, ?, ?)")) &&
        Check(headChunk_.Prepare(
            db, "SELECT pos, pos_end, found_on, depth FROM queue WHERE pos <= ? ORDER BY pos DESC LIMIT 1")) &&
        Check(dropPopped_.Prepare(db, "DELETE FROM queue WHERE pos < ?1 AND pos_end <= ?1")) &&
        Check(pageFacts_.Prepare(db, "UPDATE pages SET title = ?, title_count = ?, meta_description = ?, "
                                     "meta_robots = ?, h1 = ?, h1_count = ?, canonical = ?, lang = ?, word_count = ?, "
                                     "refresh = ?, in_sitemap = ? WHERE id = ?")) &&
        Check(insertLink_.Prepare(db, "INSERT INTO links (page_id, target, anchor, element, rel, hreflang, follow, "
                                      "href_bytes) VALUES (?, ?, ?, ?, ?, ?, ?, ?)")) &&
        Check(insertHop_.Prepare(db, "INSERT INTO hops (fetch_id, hop, code, url) VALUES (?, ?, ?, ?)")) &&
        Check(termsWriter_.Prepare(db)) && Check(printWriter_.Prepare(db)) && Check(renderedWriter_.Prepare(db)) &&
        Check(db.QueryInt("SELECT count(*) FROM pages", pagesWritten_));
    writer_ = std::thread([this] { WriteTurns(); });
}

CrawlRecorder::~CrawlRecorder() {
    {
        const std::lock_guard lock(mutex_);
        closing_ = true;
    }
    turnsWaiting_.notify_one();
    writer_.join();
}

// The run's thread: what a turn did, taken down as it happens.

void CrawlRecorder::PageFound(std::size_t /*index*/, std::string_view url) {
    turn_.events.push_back({Event::Kind::Found, std::string(url), {}});
}

void CrawlRecorder::PageFetched(const std::string& url, const crawl::FetchedPage& page) {
    turn_.events.push_back({Event::Kind::Fetched, url, page});
    turn_.lastRendered = page.rendered;
}

void CrawlRecorder::PageBlocked(std::string_view url) {
    turn_.events.push_back({Event::Kind::Blocked, std::string(url), {}});
}

void CrawlRecorder::PageParsed(std::string_view url, const std::shared_ptr<const crawl::PageRead>& read) {
    turn_.readUrl = url;
    turn_.read = read;
    // The page read is the one the turn's last fetch brought.
    const auto fetched = std::find_if(turn_.events.rbegin(), turn_.events.rend(),
                                      [](const Event& event) { return event.kind == Event::Kind::Fetched; });
    turn_.readRobotsTag = fetched == turn_.events.rend() ? std::string() : fetched->page.robotsTag;
    turn_.readLinkHeader = fetched == turn_.events.rend() ? std::string() : fetched->page.linkHeader;
    turn_.readRendered = fetched == turn_.events.rend() ? nullptr : turn_.lastRendered;
}

void CrawlRecorder::PageInSitemap(std::string_view url) {
    turn_.inSitemap = true;
    // The fetch of that very address, if the turn made one: a sitemap may list an address that answers 404
    // or redirects, and its row says so though it lists no page.
    const auto asked = std::find_if(turn_.events.rbegin(), turn_.events.rend(), [url](const Event& event) {
        return event.kind != Event::Kind::Found && event.url == url;
    });
    if (asked != turn_.events.rend()) {
        asked->inSitemap = true;
    }
}

void CrawlRecorder::MetPageInSitemap(std::string_view url) {
    turn_.metInSitemap.emplace_back(url);
}

void CrawlRecorder::QueuedUnlinked() {
    turn_.unlinked = true;
}

void CrawlRecorder::TurnEnded(const crawl::RunSnapshot& state) {
    Turn turn = std::exchange(turn_, Turn{});
    if (failed_.load(std::memory_order_acquire)) {
        if (!failureTold_) {
            failureTold_ = true;
            if (onFailure_) {
                onFailure_();
            }
        }
        return;
    }
    turn.rulesNote = state.RulesNote();
    TakeDownQueue(state, turn);
    if (turn.OnlyMovedHead()) {
        ++heldTurns_;
        heldLast_ = std::move(turn);
        return;
    }
    turn.turns += std::exchange(heldTurns_, 0);
    HandOver(std::move(turn));
}

void CrawlRecorder::HandOverHeldTurns() {
    if (heldTurns_ == 0) {
        return;
    }
    Turn turn = std::exchange(heldLast_, Turn{});
    turn.turns = std::exchange(heldTurns_, 0);
    HandOver(std::move(turn));
}

void CrawlRecorder::TakeDownQueue(const crawl::RunSnapshot& state, Turn& turn) {
    const crawl::QueueProgress queue = state.Queue();
    const std::int64_t head = headBase_ + std::int64_t(queue.popped);
    const std::size_t count = state.QueueCount();
    turn.poppedBefore = std::exchange(tapPopped_, queue.popped);
    turn.popped = queue.popped;
    turn.queueCount = count;
    queueEmpty_ = count == 0 && !state.WorkBesideQueue();
    const auto takeDown = [&](std::size_t from, std::size_t to) {
        chunk_.Clear();
        for (std::size_t i = from; i < to; ++i) {
            chunk_.Add(state.QueueText(i));
        }
        turn.chunks.push_back({head + std::int64_t(from), head + std::int64_t(to), chunk_.Bytes()});
    };
    if (queue.reorders != tapReorders_) {
        tapReorders_ = queue.reorders;
        turn.wholeQueue = true;
        for (std::size_t from = 0; from < count; from += kChunkEntries) {
            takeDown(from, std::min(count, from + kChunkEntries));
        }
    } else {
        const auto from = static_cast<std::size_t>(std::max<std::int64_t>(0, tapTail_ - head));
        if (from < count) {
            takeDown(from, count);
        }
    }
    tapTail_ = head + std::int64_t(count);
}

void CrawlRecorder::HandOver(Turn turn) {
    std::unique_lock lock(mutex_);
    roomMade_.wait(lock, [this] { return pending_.size() < batch_.waiting; });
    const bool wasEmpty = pending_.empty();
    pending_.push_back(std::move(turn));
    lock.unlock();
    // The writer sleeps only on an empty hand-off, so only the turn that ends its sleep wakes it.
    if (wasEmpty) {
        turnsWaiting_.notify_one();
    }
}

bool CrawlRecorder::Finish(crawl::RunEnd end, const std::string& stopReason) {
    // A turn cut short by a failure was never whole: nothing of it is kept.
    turn_ = Turn{};
    HandOverHeldTurns();
    Turn last;
    const bool finished = queueEmpty_ && end != crawl::RunEnd::OutOfMemory;
    last.ending.emplace(finished ? CrawlState::Finished : CrawlState::Stopped, stopReason);
    std::future<bool> written = last.ending->written.get_future();
    HandOver(std::move(last));
    return written.get();
}

// The writer's thread.

void CrawlRecorder::WriteTurns() {
    for (;;) {
        std::unique_lock lock(mutex_);
        turnsWaiting_.wait(lock, [this] { return closing_ || !pending_.empty(); });
        if (closing_) {
            // What was not written by now was never committed, as with a kill.
            pending_.clear();
            return;
        }
        Turn turn = std::move(pending_.front());
        pending_.pop_front();
        lock.unlock();
        roomMade_.notify_one();
        if (turn.ending) {
            turn.ending->written.set_value(WriteEnding(*turn.ending));
            continue;
        }
        if (!ReadyToWrite() || !WriteTurn(turn)) {
            continue;
        }
        // The clock is read only after turns that did something: most classic turns drop a repeat.
        const bool due =
            pagesInBatch_ != 0 && (pagesInBatch_ >= batch_.pages || BatchClock() - batchStart_ >= batch_.time);
        if (due) {
            Commit(CrawlState::Running, {});
        }
    }
}

bool CrawlRecorder::Check(const SqlStatus& status) {
    if (status || !error_.empty()) {
        return status.Ok();
    }
    error_ = store_.FailureText(status);
    transaction_.Rollback();
    failed_.store(true, std::memory_order_release);
    return false;
}

bool CrawlRecorder::WriteTurn(const Turn& turn) {
    progress_.turns += turn.turns;
    std::optional<std::int64_t> pageId;
    std::int64_t depth = -1;
    const std::vector<Event>& events = turn.events;
    // Pages first, so that the turn's fetch can name its page; the events keep the order they came in.
    for (std::size_t i = 0; i < events.size(); ++i) {
        if (events[i].kind == Event::Kind::Found) {
            std::int64_t id = 0;
            if (!WritePage(turn, events[i], progress_.events + std::int64_t(i) + 1, id, depth)) {
                return false;
            }
            pageId = id;
        }
    }
    for (std::size_t i = 0; i < events.size(); ++i) {
        if (events[i].kind != Event::Kind::Found &&
            !WriteFetch(events[i], progress_.events + std::int64_t(i) + 1, pageId)) {
            return false;
        }
    }
    if (turn.read && pageId && !WriteRead(turn, *pageId)) {
        return false;
    }
    if (!turn.metInSitemap.empty() && !WriteMetInSitemap(turn.metInSitemap)) {
        return false;
    }
    // A batch counts the turns that fetched or listed something: what a kill would make the next run redo.
    pagesInBatch_ += events.empty() ? 0 : 1;
    progress_.events += std::int64_t(events.size());
    progress_.rulesNote = turn.rulesNote;
    // What no link led to (a sitemap's pages) has no depth, nor has what only such a page links to.
    std::optional<std::int64_t> queuedDepth = std::max<std::int64_t>(depth + 1, 0);
    if (turn.unlinked || (keepsMet_ && pageId && depth < 0)) {
        queuedDepth.reset();
    }
    return WriteQueue(turn, pageId, queuedDepth);
}

bool CrawlRecorder::WriteMetInSitemap(const std::vector<std::string>& urls) {
    // The indexes by address are built only for an audit: one pass over each table for all of them, not one
    // per address.
    SqlDatabase& db = CrawlStoreDb::Of(store_);
    SqlStatement insert;
    if (!Check(db.Execute("CREATE TEMP TABLE IF NOT EXISTS met_in_sitemap (url TEXT PRIMARY KEY) WITHOUT ROWID")) ||
        !Check(insert.Prepare(db, "INSERT OR IGNORE INTO met_in_sitemap (url) VALUES (?)"))) {
        return false;
    }
    for (const std::string& url : urls) {
        insert.Bind(1, url);
        if (!Check(insert.Run())) {
            return false;
        }
    }
    return Check(db.Execute("UPDATE fetches SET in_sitemap = 1 WHERE url IN (SELECT url FROM met_in_sitemap);"
                            "UPDATE pages SET in_sitemap = 1 WHERE url IN (SELECT url FROM met_in_sitemap);"
                            "DELETE FROM met_in_sitemap"));
}

bool CrawlRecorder::WritePage(const Turn& turn, const Event& event, std::int64_t eventNumber, std::int64_t& pageId,
                              std::int64_t& depth) {
    std::optional<std::int64_t> foundOn;
    // The page came from the entry this turn took from the head; that entry's row says where it was found.
    const std::int64_t head = headBase_ + std::int64_t(turn.poppedBefore);
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

bool CrawlRecorder::WriteRead(const Turn& turn, std::int64_t pageId) {
    const std::string& url = turn.readUrl;
    const crawl::PageRead& read = *turn.read;
    const crawl::PageFacts& facts = read.facts;
    pageFacts_.Bind(1, facts.title);
    pageFacts_.Bind(2, static_cast<std::int64_t>(facts.titleCount));
    pageFacts_.Bind(3, facts.metaDescription);
    pageFacts_.Bind(4, facts.metaRobots);
    pageFacts_.Bind(5, facts.h1);
    pageFacts_.Bind(6, static_cast<std::int64_t>(facts.h1Count));
    const std::string base = crawl::LinkBase(url, facts);
    if (!facts.canonical.empty()) {
        pageFacts_.Bind(7, crawl::ResolvedTarget(identities_, base, facts.canonical));
    }
    pageFacts_.Bind(8, facts.lang);
    pageFacts_.Bind(9, static_cast<std::int64_t>(facts.wordCount));
    if (facts.refresh) {
        pageFacts_.Bind(10, *facts.refresh);
    }
    pageFacts_.Bind(11, std::int64_t{turn.inSitemap ? 1 : 0});
    pageFacts_.Bind(12, pageId);
    if (!Check(pageFacts_.Run())) {
        return false;
    }
    if (keepsMet_ && store_.Settings().keyPhrases && !WriteTerms(read, pageId)) {
        return false;
    }
    if (keepsMet_ && store_.Settings().duplicates && !Check(printWriter_.Write(pageId, read.text))) {
        return false;
    }
    if (keepsMet_ && store_.Settings().contentAudit.Any() &&
        !Check(contentAudit_.Write(CrawlStoreDb::Of(store_), store_.Settings().contentAudit, pageId, read,
                                   {url, turn.readLinkHeader}))) {
        return false;
    }
    const bool pageNofollow =
        crawl::RobotsSayNofollow(facts.metaRobots) || crawl::RobotsSayNofollow(turn.readRobotsTag);
    // Links the reader resolved for this very address are taken as they are; a target that names no
    // web page is kept as written.
    const bool resolvedAhead = read.resolvedFor == url;
    // What one page keeps in the file is bounded as what it queues is: a page of many links under a long
    // base would otherwise write the base once per link.
    std::uint64_t budget = crawl::RunLimits{}.pageLinkBytes;
    std::size_t recorded = 0;
    const crawl::RenderedPage* rendered = turn.readRendered.get();
    const crawl::BoundedResolver resolver(identities_, base);
    std::optional<std::string> resolvedHere;
    for (const crawl::PageLink& link : read.links) {
        std::string_view target = link.target;
        if (resolvedAhead) {
            if (link.identity && crawl::IsWithinLinkBound(*link.identity)) {
                target = *link.identity;
            }
        } else if (base.size() > crawl::kMaxCachedBaseBytes) {
            resolvedHere = resolver.Resolve(link.target);
            if (resolvedHere) {
                target = *resolvedHere;
            }
        } else {
            resolvedHere = crawl::ResolvedTarget(identities_, base, link.target);
            if (crawl::IsWithinLinkBound(*resolvedHere)) {
                target = *resolvedHere;
            }
        }
        const std::size_t bytes = target.size() + link.anchor.size() + link.rel.size() + link.hreflang.size();
        if (recorded == crawl::kMaxRecordedLinksPerPage || bytes > budget) {
            break;
        }
        budget -= bytes;
        ++recorded;
        insertLink_.Bind(1, pageId);
        insertLink_.Bind(2, target);
        insertLink_.Bind(3, link.anchor);
        insertLink_.Bind(4, crawl::SourceName(link.source));
        insertLink_.Bind(5, link.rel);
        insertLink_.Bind(6, link.hreflang);
        insertLink_.Bind(7, std::int64_t{crawl::RecordedAsFollowed(link, pageNofollow) ? 1 : 0});
        insertLink_.Bind(8, std::int64_t{0});
        if (!Check(insertLink_.Run())) {
            return false;
        }
        if (rendered != nullptr && recorded <= rendered->seen.size() &&
            !Check(renderedWriter_.MarkLastLink(rendered->seen[recorded - 1]))) {
            return false;
        }
    }
    if (rendered != nullptr && !Check(renderedWriter_.Write(pageId, *rendered))) {
        return false;
    }
    // Too long to follow, yet a link the page holds: kept by how it starts and how long it was, never followed.
    for (const crawl::OverlongLink& link : read.overlong) {
        insertLink_.Bind(1, pageId);
        insertLink_.Bind(2, link.head);
        constexpr std::string_view kNone = "";
        insertLink_.Bind(3, kNone);
        insertLink_.Bind(4, crawl::SourceName(link.source));
        insertLink_.Bind(5, kNone);
        insertLink_.Bind(6, kNone);
        insertLink_.Bind(7, std::int64_t{0});
        insertLink_.Bind(8, static_cast<std::int64_t>(link.bytes));
        if (!Check(insertLink_.Run())) {
            return false;
        }
    }
    return true;
}

bool CrawlRecorder::WriteTerms(const crawl::PageRead& read, std::int64_t pageId) {
    // A page the fetcher did not read was read on the run's thread, which leaves its text to be analysed
    // here, off its path.
    if (read.terms.words != 0 || read.text.empty()) {
        return Check(termsWriter_.Write(pageId, read.facts, read.terms));
    }
    if (!analyser_) {
        analyser_.emplace();
    }
    return Check(termsWriter_.Write(pageId, read.facts, analyser_->Analyse(read.text, read.facts.lang)));
}

bool CrawlRecorder::WriteFetch(const Event& event, std::int64_t eventNumber, std::optional<std::int64_t> pageId) {
    const web::FetchResult& page = event.page;
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
    insertFetch_.Bind(16, std::int64_t{event.inSitemap ? 1 : 0});
    if (!Check(insertFetch_.Run())) {
        return false;
    }
    const std::int64_t fetchId = CrawlStoreDb::Of(store_).LastInsertId();
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

bool CrawlRecorder::WriteQueue(const Turn& turn, std::optional<std::int64_t> foundOn,
                               std::optional<std::int64_t> depth) {
    const std::int64_t head = headBase_ + std::int64_t(turn.popped);
    const auto count = std::int64_t(turn.queueCount);
    progress_.queueHead = head;
    if (turn.wholeQueue) {
        // The queue lost entries behind its head: only writing it whole says where it stands.
        headRow_.reset();
        SqlStatement clear;
        if (!Check(clear.Prepare(CrawlStoreDb::Of(store_), "DELETE FROM queue")) || !Check(clear.Run())) {
            return false;
        }
        for (const Turn::Chunk& chunk : turn.chunks) {
            if (!WriteChunk(chunk, std::nullopt, std::nullopt)) {
                return false;
            }
        }
    } else if (!turn.chunks.empty() && !WriteChunk(turn.chunks.front(), foundOn, depth)) {
        return false;
    }
    progress_.queueTail = head + count;
    return true;
}

bool CrawlRecorder::WriteChunk(const Turn::Chunk& chunk, std::optional<std::int64_t> foundOn,
                               std::optional<std::int64_t> depth) {
    insertChunk_.Bind(1, chunk.pos);
    insertChunk_.Bind(2, chunk.end);
    if (foundOn) {
        insertChunk_.Bind(3, *foundOn);
    }
    if (depth) {
        insertChunk_.Bind(4, *depth);
    }
    insertChunk_.BindBlob(5, chunk.entries);
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

bool CrawlRecorder::ReadyToWrite() {
    return error_.empty() && (transaction_.IsOpen() || Check(transaction_.Begin()));
}

bool CrawlRecorder::WriteEnding(Ending& ending) {
    return ReadyToWrite() && Commit(ending.state, ending.stopReason);
}

} // namespace vortaxel::store
