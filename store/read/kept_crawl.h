#pragma once

#include "crawl/crawl_listener.h"
#include "crawl/run_journal.h"
#include "store/crawl_store.h"
#include "store/sqlite_db.h"

#include <string>

namespace vortaxel::store {

/// A kept crawl read back: the state a run carries on from, and what its runs met, in order.
class KeptCrawl final : public crawl::ResumeSource {
public:
    explicit KeptCrawl(CrawlStore& store) : store_(store) {}

    void ForEachMet(const Visit& visit) override;
    void ForEachFound(const Visit& visit) override;
    void ForEachQueued(const Visit& visit) override;
    std::string RulesNote() override { return store_.Progress().rulesNote; }

    /// Tells `listener` every page listed, fetched or blocked, in the order the runs met them, turn
    /// by turn, just as the runs told their own listeners.
    void Replay(crawl::CrawlListener& listener);

    /// Why reading failed, naming the file; empty while all went well.
    const std::string& Error() const { return error_; }

private:
    /// Visits the kept queue's entries at positions below (`before`) or from the head on.
    void ForEachQueueEntry(bool before, const Visit& visit);
    bool Check(const SqlStatus& status);

    CrawlStore& store_;
    std::string error_;
};

} // namespace vortaxel::store
