#pragma once

#include "crawl/crawl_host.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace vortaxel::crawl::testing {

/// A window and network in memory. Records every call in order as one short line, serves pages
/// from a map (a missing page is a failed fetch) and runs optional hooks at yields and fetches,
/// where a real window would deliver the user's input.
class FakeCrawlHost : public CrawlHost {
public:
    CheckValue SelectAllValue() override {
        Record("select?");
        return checkValue;
    }
    std::string UrlText() override {
        Record("url?");
        if (onUrlText) {
            onUrlText();
        }
        return urlText;
    }
    void SetUrlText(const std::string& text) override {
        Record("url=" + text);
        urlText = text;
    }
    void FocusUrlField() override { Record("focus"); }
    void SetStartButtonVisible(bool visible) override { Record(visible ? "start+" : "start-"); }
    void SetAnimationVisible(bool visible) override { Record(visible ? "an+" : "an-"); }
    void SetCounterCaption(const std::string& caption) override {
        Record("counter=" + caption);
        counter = caption;
    }
    void ShowMessage(const std::string& text, const std::string& title) override {
        Record("message=" + title + ":" + text);
    }
    void Yield() override {
        Record("yield");
        ++yields;
        if (onYield) {
            onYield(yields);
        }
    }
    FetchResult Fetch(const std::string& url) override {
        Record("fetch=" + url);
        fetched.push_back(url);
        if (onFetch) {
            onFetch(fetched.size());
        }
        const auto page = pages.find(url);
        return page == pages.end() ? FetchResult::Failure("not found") : FetchResult::Success(page->second);
    }

    std::string urlText;
    CheckValue checkValue = CheckValue::Ticked;
    std::string counter;
    std::map<std::string, std::string> pages;
    std::vector<std::string> calls;
    std::vector<std::string> fetched;
    int yields = 0;
    /// Run inside the n-th yield (1-based), as input handled there would be.
    std::function<void(int)> onYield;
    /// Run whenever the URL field is read.
    std::function<void()> onUrlText;
    /// Run inside the n-th fetch (1-based), before the page is returned.
    std::function<void(std::size_t)> onFetch;

private:
    void Record(std::string call) { calls.push_back(std::move(call)); }
};

} // namespace vortaxel::crawl::testing
