#pragma once

#include "crawl/content/content_audit_choices.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace vortaxel::crawl {

/// Bounds on what the extractors keep of one page, so that an XPath selecting a million nodes or a regex
/// matching all over a large page costs little beyond the page itself: at most this many values per
/// extractor, each at most kMaxExtractedBytes (cut at a UTF-8 character boundary), white space collapsed.
inline constexpr std::size_t kMaxExtractedValues = 100;
inline constexpr std::size_t kMaxExtractedBytes = 1024;

/// Why `extractor` cannot run (its expression does not compile, or its name is unfit for a column), or "".
std::string ExtractorProblem(const Extractor& extractor);

/// What each extractor finds in `html`, in the extractors' order: the first match alone, or with
/// `all` every match up to kMaxExtractedValues. An XPath selecting nodes gives each node's text (an
/// attribute's value); one giving a string, number or boolean gives that. A regex with a capturing group
/// gives the group, else the whole match.
std::vector<std::vector<std::string>> ExtractFrom(std::string_view html, const std::vector<Extractor>& extractors,
                                                  bool all);

} // namespace vortaxel::crawl
