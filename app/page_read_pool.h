#pragma once

#include "crawl/content/content_audit_choices.h"
#include "crawl/page/page_address.h"
#include "crawl/page/page_reader.h"
#include "text/text_analyser.h"

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace vortaxel::app {

/// Reads pages on threads of its own, so that the thread driving the fetches goes on fetching while
/// the pages already fetched are read.
class PageReadPool {
public:
    using Read = std::shared_ptr<const crawl::PageRead>;

    /// `threads` workers, at least one.
    explicit PageReadPool(std::size_t threads);
    /// Reads that were not started are dropped; the workers end after the read in hand.
    ~PageReadPool();
    PageReadPool(const PageReadPool&) = delete;
    PageReadPool& operator=(const PageReadPool&) = delete;
    PageReadPool(PageReadPool&&) = delete;
    PageReadPool& operator=(PageReadPool&&) = delete;

    /// The read of `html`, to come; with its links resolved ahead when `address`, the page's identity,
    /// is given, with its text read and analysed (PageRead::terms) when `analyseText`, its text read alone
    /// when `readText`, and its content read for what `content` asks (crawl::ReadPageFor) when given.
    std::shared_future<Read> Submit(std::string html, std::string address = {}, bool analyseText = false,
                                    bool readText = false,
                                    std::shared_ptr<const crawl::ContentAuditChoices> content = {});

private:
    /// What a worker keeps from one page to the next.
    struct WorkerState {
        crawl::PageIdentityCache identities;
        // Made at the first page that asks for it: its stemmers and break iterators are worth keeping,
        // and a run that reads no text never pays for them.
        std::optional<text::TextAnalyser> analyser;
    };

    void Work();

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::packaged_task<Read(WorkerState&)>> tasks_;
    bool stopping_ = false;
    std::vector<std::thread> workers_;
};

} // namespace vortaxel::app
