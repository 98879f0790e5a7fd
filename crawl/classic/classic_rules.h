#pragma once

#include "crawl/crawl_queue.h"
#include "crawl/link_rules.h"

#include <string>

namespace vortaxel::crawl {

/// The rules the program has always followed: a page is listed as soon as it reaches the head as a
/// new link, before its fetch; links are found by plain text search and joined to the start text
/// as it stands at each use; the queue keeps repeats and is filtered against the start text after
/// every visit.
class ClassicRules final : public LinkRules {
public:
    explicit ClassicRules(UrlStore& store) : store_(store), list1_(store) {}

    void Begin(CrawlRun& run) override;
    void Resume(CrawlRun& run, ResumeSource& from) override;
    bool HasWork() const override { return list1_.Count() != 0; }
    void Turn(CrawlRun& run) override;
    void NextVisits(const FoundList& found, std::size_t wanted, std::vector<std::string>& out) const override;
    bool IsNewLink(const FoundList& found, std::string_view url) const override;
    std::size_t QueueCount() const override { return list1_.Count(); }
    std::string_view QueueText(std::size_t i) const override { return list1_.Text(i); }
    std::size_t QueueOccurrences(std::string_view url) const override { return list1_.Occurrences(url); }
    QueueProgress Progress() const override { return {list1_.Popped(), list1_.Reorders()}; }
    std::size_t MemoryBytes() const override { return list1_.MemoryBytes(); }

private:
    UrlStore& store_;
    CrawlQueue list1_;
    std::string headText_;
    std::string base_;
};

} // namespace vortaxel::crawl
