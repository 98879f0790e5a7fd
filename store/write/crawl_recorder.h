#pragma once

#include "crawl/crawl_engine.h"
#include "crawl/crawl_listener.h"
#include "crawl/page/page_address.h"
#include "crawl/run_journal.h"
#include "store/content/content_audit_writer.h"
#include "store/crawl_store.h"
#include "store/sqlite_db.h"
#include "store/write/page_terms_writer.h"
#include "store/write/queue_chunk.h"
#include "store/write/rendered_writer.h"
#include "store/write/text_print_writer.h"
#include "text/text_analyser.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace vortaxel::store {

/// Keeps a run in its crawl store as it goes: every page listed, every fetch, and the queue, written
/// in batches of whole turns. A file cut off at any moment holds the state after the last batch, from
/// which a later run carries on exactly.
///
/// The run's thread only takes down what each turn did; a thread of the recorder's own writes it, so
/// SQLite, the links' resolution and the disk stay off the run's path. At most `Batch::waiting` turns
/// wait for it, which bounds the memory they hold and what a kill can lose beyond the open batch.
class CrawlRecorder final : public crawl::CrawlListener, public crawl::RunJournal {
public:
    /// When a batch is due: after this many pages, or this much time, whichever comes first.
    struct Batch {
        std::size_t pages = 2000;
        std::chrono::milliseconds time{1000};
        /// Turns taken down and not yet written before the run waits for the writer.
        std::size_t waiting = 256;
    };

    CrawlRecorder(CrawlStore& store, Batch batch);
    ~CrawlRecorder() override;
    CrawlRecorder(const CrawlRecorder&) = delete;
    CrawlRecorder& operator=(const CrawlRecorder&) = delete;
    CrawlRecorder(CrawlRecorder&&) = delete;
    CrawlRecorder& operator=(CrawlRecorder&&) = delete;

    /// Called once, on the run's thread, when writing has failed: the run should stop.
    void OnFailure(std::function<void()> onFailure) { onFailure_ = std::move(onFailure); }
    /// Why keeping the crawl failed; empty while it works. Read it after Finish.
    const std::string& Error() const { return error_; }

    /// Writes the last whole turns and how the run ended, once every turn before is written. Returns
    /// false when the file could not be written.
    bool Finish(crawl::RunEnd end, const std::string& stopReason);

    void PageFound(std::size_t index, std::string_view url) override;
    void PageFetched(const std::string& url, const crawl::FetchedPage& page) override;
    void PageBlocked(std::string_view url) override;
    void PageParsed(std::string_view url, const std::shared_ptr<const crawl::PageRead>& read) override;
    void PageInSitemap(std::string_view url) override;
    void MetPageInSitemap(std::string_view url) override;
    void QueuedUnlinked() override;
    void TurnEnded(const crawl::RunSnapshot& state) override;

private:
    struct Event {
        enum class Kind { Found, Fetched, Blocked } kind;
        std::string url;
        web::FetchResult page;
        // A fetched or blocked address a sitemap lists.
        bool inSitemap = false;
    };

    /// How a run ended, and the promise of whether that was written.
    struct Ending {
        Ending(CrawlState endState, std::string reason) : state(endState), stopReason(std::move(reason)) {}
        CrawlState state;
        std::string stopReason;
        std::promise<bool> written;
    };

    /// One whole turn as the run's thread saw it, holding nothing of the run's own state.
    struct Turn {
        std::vector<Event> events;
        // The listed page's address and what was read there.
        std::string readUrl;
        std::shared_ptr<const crawl::PageRead> read;
        // The X-Robots-Tag its answer carried.
        std::string readRobotsTag;
        // And its Link headers.
        std::string readLinkHeader;
        // What a browser showed of it, when the run renders pages; and of the turn's last page fetched.
        std::shared_ptr<const crawl::RenderedPage> readRendered;
        std::shared_ptr<const crawl::RenderedPage> lastRendered;
        // A sitemap lists the page the turn listed, as it was asked for or where it landed.
        bool inSitemap = false;
        // Addresses earlier turns fetched or listed that sitemaps read since list.
        std::vector<std::string> metInSitemap;
        // The turn queued pages no link led to.
        bool unlinked = false;
        std::string rulesNote;
        // The turns this stands for: the ones before its last changed nothing that is kept but the
        // queue's head (most classic turns drop a repeat), so they go over as a count.
        std::int64_t turns = 1;
        // Entries taken from the queue's head before the last turn, and after it; how many wait
        // behind the head now.
        std::uint64_t poppedBefore = 0;
        std::uint64_t popped = 0;
        std::size_t queueCount = 0;
        // The queue lost entries behind its head: `chunks` hold it whole. Else they hold its new entries.
        bool wholeQueue = false;
        struct Chunk {
            std::int64_t pos = 0;
            std::int64_t end = 0;
            std::string entries;
        };
        std::vector<Chunk> chunks;
        std::optional<Ending> ending;

        /// Whether the turn changed nothing but the queue's head.
        bool OnlyMovedHead() const {
            return events.empty() && !read && !inSitemap && metInSitemap.empty() && !unlinked && !wholeQueue &&
                   chunks.empty();
        }
    };

    // The run's thread.
    void HandOver(Turn turn);
    void HandOverHeldTurns();
    void TakeDownQueue(const crawl::RunSnapshot& state, Turn& turn);

    // The writer's thread.
    void WriteTurns();
    bool Check(const SqlStatus& status);
    /// Whether nothing has failed and a transaction is open to write into.
    bool ReadyToWrite();
    bool WriteTurn(const Turn& turn);
    bool WritePage(const Turn& turn, const Event& event, std::int64_t eventNumber, std::int64_t& pageId,
                   std::int64_t& depth);
    bool WriteRead(const Turn& turn, std::int64_t pageId);
    bool WriteMetInSitemap(const std::vector<std::string>& urls);
    bool WriteTerms(const crawl::PageRead& read, std::int64_t pageId);
    bool WriteFetch(const Event& event, std::int64_t eventNumber, std::optional<std::int64_t> pageId);
    bool WriteQueue(const Turn& turn, std::optional<std::int64_t> foundOn, std::optional<std::int64_t> depth);
    bool WriteChunk(const Turn::Chunk& chunk, std::optional<std::int64_t> foundOn, std::optional<std::int64_t> depth);
    bool Commit(CrawlState state, const std::string& stopReason);
    bool WriteEnding(Ending& ending);

    /// The queue row the head's entry came from: positions [pos, end), where its links were found.
    struct HeadRow {
        std::int64_t pos = 0;
        std::int64_t end = 0;
        std::optional<std::int64_t> foundOn;
        std::int64_t depth = -1;
    };

    CrawlStore& store_;
    Batch batch_;
    // The queue's absolute position of the engine's head when this run began.
    const std::int64_t headBase_;

    // Taken down on the run's thread during a turn.
    Turn turn_;
    ChunkWriter chunk_;
    std::int64_t tapTail_ = 0;
    std::uint64_t tapReorders_ = 0;
    std::uint64_t tapPopped_ = 0;
    // Turns that only moved the queue's head, not handed over yet; the last of them.
    std::int64_t heldTurns_ = 0;
    Turn heldLast_;
    bool queueEmpty_ = false;
    bool failureTold_ = false;
    std::function<void()> onFailure_;

    // Handed from the run's thread to the writer's.
    std::mutex mutex_;
    std::condition_variable turnsWaiting_;
    std::condition_variable roomMade_;
    std::deque<Turn> pending_;
    bool closing_ = false;
    std::atomic<bool> failed_{false};

    // The writer's own.
    SqlTransaction transaction_;
    SqlStatement insertPage_;
    SqlStatement insertFetch_;
    SqlStatement insertChunk_;
    SqlStatement headChunk_;
    SqlStatement dropPopped_;
    SqlStatement pageFacts_;
    SqlStatement insertLink_;
    SqlStatement insertHop_;
    PageTermsWriter termsWriter_;
    TextPrintWriter printWriter_;
    RenderedWriter renderedWriter_;
    ContentAuditWriter contentAudit_;
    // For the pages read on the run's thread, which come with their text and not what it holds; made at
    // the first.
    std::optional<text::TextAnalyser> analyser_;
    std::optional<HeadRow> headRow_;
    crawl::PageIdentityCache identities_;
    CrawlProgressRow progress_;
    std::int64_t pagesWritten_ = 0;
    std::size_t pagesInBatch_ = 0;
    std::chrono::steady_clock::time_point batchStart_;
    bool keepsMet_ = false;
    std::string error_;

    std::thread writer_;
};

} // namespace vortaxel::store
