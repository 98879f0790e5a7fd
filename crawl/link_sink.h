#pragma once

#include <string_view>

namespace vortaxel::crawl {

/// Where the link extractors put what they find: the crawl queue in a run, a vector in tests.
/// The text is only valid during the call; a sink keeps its own copy.
class LinkSink {
public:
    virtual ~LinkSink() = default;
    virtual void Append(std::string_view link) = 0;
};

} // namespace vortaxel::crawl
