#include "app/page_read_pool.h"

#include "crawl/browser/audit_links.h"
#include "crawl/content/content_read.h"
#include "crawl/link_bounds.h"

#include <algorithm>
#include <utility>

namespace vortaxel::app {

PageReadPool::PageReadPool(std::size_t threads) {
    for (std::size_t i = 0; i < std::max<std::size_t>(threads, 1); ++i) {
        workers_.emplace_back([this] { Work(); });
    }
}

PageReadPool::~PageReadPool() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
        tasks_.clear();
    }
    wake_.notify_all();
    for (std::thread& worker : workers_) {
        worker.join();
    }
}

std::shared_future<PageReadPool::Read> PageReadPool::Submit(std::string html, std::string address, bool analyseText,
                                                            bool readText,
                                                            std::shared_ptr<const crawl::ContentAuditChoices> content) {
    std::packaged_task<Read(WorkerState&)> task([html = std::move(html), address = std::move(address), analyseText,
                                                 readText, content = std::move(content)](WorkerState& worker) {
        const bool keepsText = analyseText || readText;
        auto read = std::make_shared<crawl::PageRead>(content ? crawl::ReadPageFor(html, keepsText, *content)
                                                              : crawl::ReadPage(html, crawl::ReadLimitsFor(keepsText)));
        // Links under a long base are resolved where they are used, one at a time: resolved here, all
        // of them would be held at once, each as long as the base.
        if (!address.empty() && crawl::LinkBase(address, read->facts).size() <= crawl::kMaxCachedBaseBytes) {
            crawl::ResolveLinksAhead(*read, address, worker.identities);
        }
        if (analyseText) {
            if (!worker.analyser) {
                worker.analyser.emplace();
            }
            read->terms = worker.analyser->Analyse(read->text, read->facts.lang);
        }
        return Read(std::move(read));
    });
    std::shared_future<Read> read = task.get_future().share();
    {
        const std::lock_guard lock(mutex_);
        tasks_.push_back(std::move(task));
    }
    wake_.notify_one();
    return read;
}

void PageReadPool::Work() {
    // Each worker remembers the identities it resolved, as the run's thread does.
    WorkerState state;
    for (;;) {
        std::packaged_task<Read(WorkerState&)> task;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || !tasks_.empty(); });
            if (stopping_) {
                return;
            }
            task = std::move(tasks_.front());
            tasks_.pop_front();
        }
        task(state);
    }
}

} // namespace vortaxel::app
