#pragma once

// A small site crawled under browser rules into a crawl file, for the tests of what its text becomes.

#include "app/run_controller.h"
#include "crawl/page_fetcher.h"
#include "store/crawl_store.h"
#include "store/read/audit_reader.h"

#include <gtest/gtest.h>
#include <map>
#include <string>
#include <vector>

namespace vortaxel::test {

inline constexpr const char* kSiteStart = "http://site.test/";

/// Pages by address; anything else answers 404.
class FakeSite final : public crawl::PageFetcher {
public:
    void Add(const std::string& path, std::string html) { pages_[kSiteStart + path] = std::move(html); }

    crawl::FetchedPage Fetch(const std::string& url) override {
        const auto page = pages_.find(url);
        if (page == pages_.end()) {
            crawl::FetchedPage missing = crawl::FetchedPage::Failure("HTTP status 404");
            missing.status = 404;
            return missing;
        }
        crawl::FetchedPage found = crawl::FetchedPage::Success(page->second);
        found.status = 200;
        found.contentType = "text/html";
        return found;
    }

private:
    std::map<std::string, std::string> pages_;
};

/// Crawls `site` into a new file at `path`.
inline void CrawlInto(const std::string& path, FakeSite& site, crawl::RuleSet rules, bool keyPhrases) {
    std::string error;
    auto store = store::CrawlStore::Open(path, store::CrawlStore::Access::Create, error);
    ASSERT_NE(store, nullptr) << error;
    store::CrawlSettings settings{kSiteStart, rules, false, {}, {}, 1 << 30};
    settings.keyPhrases = keyPhrases;
    ASSERT_TRUE(store->StartRun(settings));
    app::RunSetup setup;
    setup.rules = rules;
    setup.limits.keyPhrases = keyPhrases;
    crawl::CrawlListener quiet;
    app::RunController run(setup, quiet, site);
    run.KeepIn(*store);
    run.Run(kSiteStart);
    EXPECT_EQ(run.StopReason(), "");
}

/// What a user reads of each listed page: its key phrases, by address.
inline std::map<std::string, std::vector<keyphrase::KeyPhrase>> KeyPhrasesByPage(store::CrawlStore& store) {
    std::map<std::string, std::vector<keyphrase::KeyPhrase>> pages;
    store::AuditReader reader(store);
    const std::string error = reader.ForEachRow([&pages](const store::AuditRow& row) {
        if (row.listed) {
            pages[row.page.url] = row.keyPhrases;
        }
    });
    EXPECT_EQ(error, "");
    return pages;
}

} // namespace vortaxel::test
