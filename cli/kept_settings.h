#pragma once

#include "cli/options.h"
#include "store/crawl_store.h"
#include "store/read/crawl_compare.h"

#include <string>
#include <vector>

namespace vortaxel::cli {

/// The settings a new crawl from `startText` (prepared) keeps.
store::CrawlSettings SettingsOf(const Options& options, const std::string& startText);

/// Fits the command line to the crawl kept in `path`: what was left out (see ParsedOptions::given) is
/// taken from `kept`; a page limit and a delay given replace the kept ones. Returns why the command
/// line contradicts the kept crawl, naming the option, or nothing.
std::string TakeKeptSettings(const store::CrawlSettings& kept, const std::string& path,
                             const std::vector<std::string>& given, Options& options);

/// The first line of a comparison.
inline constexpr const char* kCompareHeader =
    "change\taddress\told_status\tnew_status\told_final_address\tnew_final_address";

/// One line of a comparison, without its line end: the fields tab-separated, control bytes escaped.
std::string CompareLine(const store::PageChange& change);

} // namespace vortaxel::cli
