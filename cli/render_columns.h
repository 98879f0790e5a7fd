#pragma once

#include "crawl/rendered_page.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vortaxel::cli {

/// The report's columns for a crawl that rendered its pages, after every other column.
inline constexpr std::string_view kReportRenderedColumns = ",rendered_title,rendered_description,rendered_h1,"
                                                           "rendered_canonical,rendered_robots,js_links,js_errors,"
                                                           "render_requests,render_ms,js_words,render_failed";

/// The links file's column for a crawl that rendered its pages: where each link was seen.
inline constexpr std::string_view kLinkSeenInColumn = ",seen_in";
/// The field of that column for a link kept with `seenIn` (raw, rendered or both), after its comma.
std::string LinkSeenInField(std::int64_t seenIn);

/// Appends a row's rendered fields, each after a comma; a row that was not rendered has them empty.
void AppendReportRenderedFields(std::string& fields, const std::optional<crawl::RenderedPage>& rendered);

} // namespace vortaxel::cli
