#pragma once

#include "fetched_page.h"

#include <string>

namespace vortaxel::crawl {

/// Fetches pages for the engine. Given to the engine directly, so a page travels from the network
/// to the engine without passing through the window.
class PageFetcher {
public:
    virtual ~PageFetcher() = default;
    /// One blocking fetch of the URL exactly as queued. May throw; the engine takes that as a failure.
    virtual FetchedPage Fetch(const std::string& url) = 0;
};

} // namespace vortaxel::crawl
