#pragma once

#include "audit_data.h"

#include <span>
#include <string>

namespace vortaxel::audit {

// The audit page's charts as inline SVG, drawn here rather than by the page's script so that they show
// at first paint. Labels are numbers and fixed words, but for the key phrases, which go in as text.

/// Pages by HTTP status code, with "none" for pages that got no answer.
std::string StatusChartSvg(const AuditData& data);
/// Pages by clicks from the start address.
std::string DepthChartSvg(const AuditData& data);
/// Pages by response time, in buckets from under 100 ms to 5 s and more.
std::string ResponseTimeChartSvg(const AuditData& data);
/// The count of pages found as the run went on.
std::string FoundOverTimeChartSvg(const AuditData& data);
/// The given phrases as horizontal bars, longest for the highest score, each labelled with its phrase
/// (cut to the chart's room; the bar's title holds it whole) and its score.
std::string KeywordChartSvg(std::span<const keyphrase::SitePhrase> phrases);

} // namespace vortaxel::audit
