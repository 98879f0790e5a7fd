#pragma once

#include "text/text_block.h"

#include <cstddef>

namespace vortaxel::store {

/// The zones of a page's own text, which its candidates count one column each, in Zone's order; Anchor and
/// Slug come from outside the page and are worked out when its key phrases are.
inline constexpr std::size_t kOwnZones = static_cast<std::size_t>(text::Zone::Body) + 1;
inline constexpr const char* kOwnZoneColumns = "in_title, in_h1, in_heading, in_description, in_image_alt, in_body";

} // namespace vortaxel::store
