#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace vortaxel::crawl {

/// Where a rendering run found a link: in the page the server sent, in the page its scripts made, or both.
enum class LinkSeen : unsigned char { Raw, Rendered, Both };

/// What a browser running the page's scripts showed, beside what the server sent. A fact is given only where
/// the rendered page differs from the raw one.
struct RenderedPage {
    std::optional<std::string> title;
    std::optional<std::string> description;
    std::optional<std::string> h1;
    std::optional<std::string> canonical;
    std::optional<std::string> robots;
    /// Links the rendered page holds and the raw one does not.
    std::size_t jsLinks = 0;
    /// Words of visible text the rendered page holds beyond the raw one's (text::AddedWords).
    std::size_t jsWords = 0;
    /// Where each link of the page's read was found, in the read's order.
    std::vector<LinkSeen> seen;
    /// Uncaught exceptions and console errors.
    std::vector<std::string> jsErrors;
    /// Requests the page made to render, and how many of them were refused (robots.txt) or failed.
    std::size_t requests = 0;
    std::size_t blocked = 0;
    std::chrono::milliseconds elapsed{0};
    /// Where a script sent the page; not followed.
    std::optional<std::string> jsRedirect;
    /// Why the page could not be rendered; empty when it was.
    std::string error;
};

} // namespace vortaxel::crawl
