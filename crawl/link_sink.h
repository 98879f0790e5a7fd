#pragma once

#include <string>
#include <string_view>

namespace vortaxel::crawl {

/// Where the link extractors put what they find: the crawl queue in a run, a vector in tests.
/// The texts are only valid during the call; a sink keeps its own copy.
class LinkSink {
public:
    virtual ~LinkSink() = default;
    virtual void Append(std::string_view link) = 0;
    /// Appends the one link `base` + `tail`; a sink may override it to skip building the text.
    virtual void AppendJoined(std::string_view base, std::string_view tail) {
        std::string link;
        link.reserve(base.size() + tail.size());
        link.append(base).append(tail);
        Append(link);
    }
};

} // namespace vortaxel::crawl
