#pragma once

#include "audit_data.h"
#include "audit_page_parts.h"

#include <cstddef>
#include <string>

namespace vortaxel::audit {

// The audit page's keyword section. A 100,000-page site's map can hold a million phrases and clusters of
// tens of thousands of pages; the page shows the head of each list, says how much there is, and leaves the
// whole to the keyword map's files.

/// The most phrases the phrase table lists, best first.
inline constexpr std::size_t kKeywordTableRows = 1'000;
/// The most rows of each other list: cannibalised phrases, clusters, and the gap's rows of each status.
inline constexpr std::size_t kKeywordListRows = 1'000;
/// The most pages a row names (a cluster's pages, a phrase's competing pages); the row still says how many.
inline constexpr std::size_t kKeywordListedPages = 100;
/// The bars of the phrase chart.
inline constexpr std::size_t kKeywordChartBars = 20;

/// The overview's keyword numbers.
void AppendKeywordOverview(std::string& out, const KeywordSection& keywords);

/// The section's headings, notes, chart and the places its tables are drawn in.
void AppendKeywordSection(std::string& out, const KeywordSection& keywords);

/// The data block's "keywords" member, with its leading comma.
void AppendKeywordData(DataWriter& w, const KeywordSection& keywords, PieceOut& pieces);

} // namespace vortaxel::audit
