#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace vortaxel::text {

/// Where a block of text stands. A page's own text is read as Title, H1, Heading, Description, ImageAlt
/// and Body; Anchor (the texts of the links that point to the page from the rest of the site) and Slug (its
/// address's last segment) are added from outside the page after the crawl.
enum class Zone : std::uint8_t { Title, H1, Heading, Description, ImageAlt, Body, Anchor, Slug };
inline constexpr std::size_t kZoneCount = 8;

/// One block of text, white space collapsed to single blanks: a paragraph, a list item, a table cell, a
/// heading, a title. No phrase crosses from one block into the next.
struct TextBlock {
    Zone zone = Zone::Body;
    std::string text;
};

} // namespace vortaxel::text
