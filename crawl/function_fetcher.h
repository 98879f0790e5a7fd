#pragma once

#include "page_fetcher.h"

#include <functional>
#include <string>
#include <utility>

namespace vortaxel::crawl {

/// A page fetcher made of one function, for front ends whose fetch is a call on something else.
class FunctionFetcher final : public PageFetcher {
public:
    using Function = std::function<FetchedPage(const std::string&)>;

    explicit FunctionFetcher(Function fetch) : fetch_(std::move(fetch)) {}
    FetchedPage Fetch(const std::string& url) override { return fetch_(url); }

private:
    Function fetch_;
};

} // namespace vortaxel::crawl
