#pragma once

#include "web/fetch_result.h"

#include <cstddef>
#include <optional>
#include <string>
#include <unordered_map>

namespace vortaxel::net {

/// Pages fetched ahead and not yet asked for, within a budget of bytes.
class FinishedPages {
public:
    explicit FinishedPages(std::size_t budget) : budget_(budget) {}

    bool Holds(const std::string& url) const { return pages_.contains(url); }

    /// Keeps the page under url when it fits in what is left of the budget, and then empties `page`;
    /// otherwise returns false and leaves it with the caller.
    bool Put(const std::string& url, web::FetchResult& page);

    /// The page kept under url, which is forgotten here; nothing when none is kept.
    std::optional<web::FetchResult> Take(const std::string& url);

    void Clear();

    std::size_t Pages() const { return pages_.size(); }
    std::size_t Bytes() const { return bytes_; }

private:
    std::size_t budget_;
    std::size_t bytes_ = 0;
    std::unordered_map<std::string, web::FetchResult> pages_;
};

} // namespace vortaxel::net
