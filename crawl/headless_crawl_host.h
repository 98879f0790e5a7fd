#pragma once

#include "crawl_host.h"

#include <string>
#include <utility>

namespace vortaxel::crawl {

/// A host with no window: the URL field is a plain string, the select-all box is always ticked, and
/// there is nothing to show, hide or focus. Front ends without a window override what they do show,
/// and supply the fetch.
class HeadlessCrawlHost : public CrawlHost {
public:
    explicit HeadlessCrawlHost(std::string url) : url_(std::move(url)) {}

    CheckValue SelectAllValue() override { return CheckValue::Ticked; }
    std::string UrlText() override { return url_; }
    void SetUrlText(const std::string& text) override { url_ = text; }
    void FocusUrlField() override {}
    void SetStartButtonVisible(bool) override {}
    void SetAnimationVisible(bool) override {}
    void SetCounterCaption(const std::string&) override {}
    void ShowMessage(const std::string&, const std::string&) override {}
    void Yield() override {}

private:
    std::string url_;
};

} // namespace vortaxel::crawl
