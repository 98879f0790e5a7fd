#pragma once

#include "app/crawl_store.h"
#include "app/queue_chunk.h"
#include "app/sqlite_db.h"
#include "crawl/crawl_engine.h"
#include "crawl/crawl_listener.h"
#include "crawl/run_journal.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace vortaxel::app {

/// Keeps a run in its crawl store as it goes: every page listed, every fetch, and the queue, written
/// in batches of whole turns. A file cut off at any moment holds the state after the last batch, from
/// which a later run carries on exactly.
class CrawlRecorder final : public crawl::CrawlListener, public crawl::RunJournal {
public:
    /// When a batch is due: after this many pages, or this much time, whichever comes first.
    struct Batch {
        std::size_t pages = 2000;
        std::chrono::milliseconds time{1000};
    };

    CrawlRecorder(CrawlStore& store, Batch batch);
    ~CrawlRecorder() override;
    CrawlRecorder(const CrawlRecorder&) = delete;
    CrawlRecorder& operator=(const CrawlRecorder&) = delete;
    CrawlRecorder(CrawlRecorder&&) = delete;
    CrawlRecorder& operator=(CrawlRecorder&&) = delete;

    /// Called once when writing fails: the run should stop.
    void OnFailure(std::function<void()> onFailure) { onFailure_ = std::move(onFailure); }
    /// Why keeping the crawl failed; empty while it works.
    const std::string& Error() const { return error_; }

    /// Writes the last whole turns and how the run ended. Returns false when the file could not be
    /// written.
    bool Finish(crawl::RunEnd end, const std::string& stopReason);

    void PageFound(std::size_t index, std::string_view url) override;
    void PageFetched(const std::string& url, const crawl::FetchedPage& page) override;
    void PageBlocked(std::string_view url) override;
    void PageParsed(std::string_view url, const crawl::PageRead& read) override;
    void PageInSitemap(std::string_view url) override;
    void QueuedUnlinked() override;
    void TurnEnded(const crawl::RunSnapshot& state) override;

private:
    struct Event {
        enum class Kind { Found, Fetched, Blocked } kind;
        std::string url;
        crawl::FetchedPage page;
    };

    bool Check(const SqlStatus& status);
    bool WriteTurn(const crawl::RunSnapshot& state);
    bool WritePage(const Event& event, std::int64_t eventNumber, std::int64_t& pageId, std::int64_t& depth);
    bool WriteRead(std::int64_t pageId);
    bool WriteFetch(const Event& event, std::int64_t eventNumber, std::optional<std::int64_t> pageId);
    bool WriteQueue(const crawl::RunSnapshot& state, std::optional<std::int64_t> foundOn,
                    std::optional<std::int64_t> depth);
    /// Queue entries [first, second) of `state`, with where they were found.
    using Entries = std::pair<std::size_t, std::size_t>;
    bool WriteChunk(const crawl::RunSnapshot& state, Entries entries, std::optional<std::int64_t> foundOn,
                    std::optional<std::int64_t> depth);
    bool Commit(CrawlState state, const std::string& stopReason);

    /// The queue row the head's entry came from: positions [pos, end), where its links were found.
    struct HeadRow {
        std::int64_t pos = 0;
        std::int64_t end = 0;
        std::optional<std::int64_t> foundOn;
        std::int64_t depth = -1;
    };

    CrawlStore& store_;
    Batch batch_;
    SqlTransaction transaction_;
    SqlStatement insertPage_;
    SqlStatement insertFetch_;
    SqlStatement insertChunk_;
    SqlStatement headChunk_;
    SqlStatement dropPopped_;
    SqlStatement pageFacts_;
    SqlStatement insertLink_;
    SqlStatement insertHop_;
    std::vector<Event> turnEvents_;
    // What the turn's listed page said: its address, and what was read there.
    std::optional<std::pair<std::string, crawl::PageRead>> turnRead_;
    bool turnInSitemap_ = false;
    // The turn queued pages no link led to.
    bool turnUnlinked_ = false;
    ChunkWriter chunk_;
    std::optional<HeadRow> headRow_;
    CrawlProgressRow progress_;
    // The queue's absolute position of the engine's head when this run began.
    std::int64_t headBase_ = 0;
    std::uint64_t reorders_ = 0;
    // Entries popped as the last turn ended; the turn being written popped one more.
    std::uint64_t previousPopped_ = 0;
    std::int64_t pagesWritten_ = 0;
    std::size_t pagesInBatch_ = 0;
    std::chrono::steady_clock::time_point batchStart_;
    bool queueEmpty_ = false;
    bool keepsMet_ = false;
    std::function<void()> onFailure_;
    std::string error_;
};

} // namespace vortaxel::app
