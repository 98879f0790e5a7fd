#pragma once

#include "audit_data.h"

#include <string>

namespace vortaxel::audit {

// The audit page's charts as inline SVG, drawn here rather than by the page's script so that they show
// at first paint. Labels are numbers and fixed words; nothing a site sent reaches them.

/// Pages by HTTP status code, with "none" for pages that got no answer.
std::string StatusChartSvg(const AuditData& data);
/// Pages by clicks from the start address.
std::string DepthChartSvg(const AuditData& data);
/// Pages by response time, in buckets from under 100 ms to 5 s and more.
std::string ResponseTimeChartSvg(const AuditData& data);
/// The count of pages found as the run went on.
std::string FoundOverTimeChartSvg(const AuditData& data);

} // namespace vortaxel::audit
