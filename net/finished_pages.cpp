#include "net/finished_pages.h"

#include <utility>

namespace vortaxel::net {

namespace {

// What a kept page holds on to, its strings' contents and its bookkeeping, so that pages without a
// body still count.
std::size_t Cost(const std::string& url, const web::FetchResult& page) {
    return sizeof(web::FetchResult) + url.size() + page.body.size() + page.error.size() + page.finalUrl.size() +
           page.contentType.size();
}

} // namespace

bool FinishedPages::Put(const std::string& url, web::FetchResult& page) {
    const std::size_t cost = Cost(url, page);
    if (cost > budget_ - bytes_ || pages_.contains(url)) {
        return false;
    }
    pages_.emplace(url, std::move(page));
    page = {};
    bytes_ += cost;
    return true;
}

std::optional<web::FetchResult> FinishedPages::Take(const std::string& url) {
    const auto found = pages_.find(url);
    if (found == pages_.end()) {
        return std::nullopt;
    }
    bytes_ -= Cost(found->first, found->second);
    web::FetchResult page = std::move(found->second);
    pages_.erase(found);
    return page;
}

void FinishedPages::Clear() {
    pages_.clear();
    bytes_ = 0;
}

} // namespace vortaxel::net
