#pragma once

#include "export/keyphrase/key_phrases.h"
#include "export/keyphrase/site_map.h"

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

namespace vortaxel::keyphrase {

// The keyword map's files. Each is CSV as the per-page report writes it (RFC 4180, CR LF line ends, cells
// kept data: see keywords::AppendCsvField), in UTF-8: a byte that belongs to no well-formed sequence (an
// address is bytes as the site sent it) becomes U+FFFD.

/// How many decimals a score is written with, whatever the locale: "12.345".
inline constexpr int kScoreDecimals = 3;

/// Appends `score` with kScoreDecimals decimals and a point; a score that is no finite number as 0.
void AppendScore(std::string& text, double score);

/// The report's columns after its audit columns, starting with ",".
inline constexpr std::string_view kReportKeyPhraseColumns = ",target_phrase,key_phrases,meta_keywords";

/// A page's key phrases as one cell: "phrase:score;phrase:score", best first, at most kKeyPhrasesPerPage.
/// The score follows a phrase's last colon (a phrase may hold one, "std:string"); a ";" or a control byte
/// inside a phrase becomes a blank, so the list always splits back into its phrases.
std::string KeyPhrasesCell(std::span<const KeyPhrase> phrases);

/// The report's three key phrase fields, each with its leading comma: the target phrase (the first), the
/// key phrases, the meta keywords tag as the page wrote it.
void AppendReportKeyPhraseFields(std::string& fields, std::span<const KeyPhrase> phrases,
                                 std::string_view metaKeywords);

/// The site's keyword map, one row per phrase in the map's order. Competing pages are joined by a blank
/// (an address's own blank, if it has one, is written %20, so the join splits back).
inline constexpr std::string_view kKeywordMapHeader =
    "phrase,score,pages,in_titles,in_h1,in_anchors,best_page,competing_pages,lang";

/// Appends one row of the map with its line end.
void AppendKeywordMapRow(std::string& text, const SitePhrase& phrase);

/// The whole map file: the header line, then the rows.
std::string KeywordMapCsv(std::span<const SitePhrase> phrases);

/// The clusters, one row per page of a cluster (a spreadsheet filters and counts rows, it does not split
/// cells): `cluster` numbers the clusters from 1 in the order given, `name` and `hub` are the cluster's,
/// `pages` how many pages it has, `page` one of them; a cluster's rows follow its pages' order.
inline constexpr std::string_view kClustersHeader = "cluster,name,hub,pages,page";

/// Appends the rows of the cluster numbered `number`, with their line ends.
void AppendClusterRows(std::string& text, std::size_t number, const Cluster& cluster);

/// The whole clusters file: the header line, then each cluster's rows.
std::string ClustersCsv(std::span<const Cluster> clusters);

/// The keyword gap on standard output: the header, then a line per row. A score of a site that does not
/// have the phrase (mine for a gap, theirs for "only mine") is an empty cell, not a zero.
inline constexpr std::string_view kKeywordGapHeader =
    "phrase,theirs_score,mine_score,status,their_best_page,my_best_page";

/// One line of the gap, without its line end.
std::string KeywordGapLine(const GapRow& row);

} // namespace vortaxel::keyphrase
