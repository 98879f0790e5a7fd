#pragma once

#include "crawl/crawl_engine.h"
#include "crawl/start_requests.h"
#include "crawl/start_text.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace vortaxel::crawl::testing {

/// Value of the select-all check box `chkSelect`.
enum class CheckValue { Unticked = 0, Ticked = 1, Greyed = 2 };

/// The window as the crawl sees it, widget by widget: what the plain reading of the crawl calls, and
/// what the engine's window side reaches through its handlers.
class CrawlHost {
public:
    virtual ~CrawlHost() = default;

    /// `chkSelect`: the current value of the select-all box.
    virtual CheckValue SelectAllValue() = 0;

    /// `txturl`: the start URL field. Read afresh at every use.
    virtual std::string UrlText() = 0;
    virtual void SetUrlText(const std::string& text) = 0;
    virtual void FocusUrlField() = 0;

    /// `cmdstart` and the busy animation `an`.
    virtual void SetStartButtonVisible(bool visible) = 0;
    virtual void SetAnimationVisible(bool visible) = 0;

    /// `lblcounter`.
    virtual void SetCounterCaption(const std::string& caption) = 0;

    /// A message box with one OK button and no icon; returns when dismissed.
    virtual void ShowMessage(const std::string& text, const std::string& title) = 0;

    /// Lets the window system deliver waiting input, each handler running to its end.
    virtual void Yield() = 0;

    /// One blocking GET of the URL exactly as queued.
    virtual FetchedPage Fetch(const std::string& url) = 0;
};

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
    FetchedPage Fetch(const std::string& url) override {
        Record("fetch=" + url);
        fetched.push_back(url);
        if (onFetch) {
            onFetch(fetched.size());
        }
        const auto page = pages.find(url);
        return page == pages.end() ? FetchedPage::Failure("not found") : FetchedPage::Success(page->second);
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

/// The window's handlers over the engine, as ui/main_window wires them, with the window's widgets
/// replaced by a host: the engine fetches through the host and reports to it, and every edit of the
/// URL field made in a yield or a fetch reaches the engine as the window's text-changed signal would.
class EngineWindow final : private PageFetcher, private CrawlListener {
public:
    explicit EngineWindow(CrawlHost& host) : host_(host) {}

    CrawlEngine& Engine() { return engine_; }
    const CrawlEngine& Engine() const { return engine_; }

    void cmdstart_Click() {
        starts_.Start([this] {
            std::string text = host_.UrlText();
            const std::size_t typed = text.size();
            if (!PrepareStartText(text)) {
                host_.ShowMessage(kRefusalText, kRefusalTitle);
                host_.FocusUrlField();
                return;
            }
            if (text.size() != typed) {
                host_.SetUrlText(text);
            }
            engine_.Run(host_.UrlText(), rules);
        });
    }
    void txturl_KeyPress(int& keyAscii) {
        if (keyAscii == 13) {
            cmdstart_Click();
        }
    }
    void cmdstop_Click() { starts_.Stop(); }

    RuleSet rules = RuleSet::Classic;

private:
    void RunStarted() override {
        host_.SetAnimationVisible(true);
        host_.SetStartButtonVisible(false);
    }
    void RunEnded() override {
        host_.SetAnimationVisible(false);
        host_.SetStartButtonVisible(true);
    }
    void PageFound(std::size_t index, std::string_view) override {
        if (host_.SelectAllValue() == CheckValue::Ticked) {
            engine_.List2().SelectAll();
        }
        host_.SetCounterCaption("Retrieving URLs: " + std::to_string(index + 1));
    }
    void Yield() override {
        host_.Yield();
        engine_.SetStartText(host_.UrlText());
    }
    FetchedPage Fetch(const std::string& url) override {
        FetchedPage page = host_.Fetch(url);
        engine_.SetStartText(host_.UrlText());
        return page;
    }

    CrawlHost& host_;
    CrawlEngine engine_{*this, *this};
    StartRequests starts_{engine_};
};

} // namespace vortaxel::crawl::testing
