#pragma once

#include "crawl/rule_set.h"

#include <string>

namespace vortaxel::crawl {

/// Shown, with the title "Oops", when a start is refused.
inline constexpr const char* kRefusalText = "Please enter a Starting URL";
inline constexpr const char* kRefusalTitle = "Oops";

/// Readies the URL field's text for a run: false when there is nothing to start from (empty or the
/// bare "http://"), else true with "/" appended unless the text already ends in one.
bool PrepareStartText(std::string& text);

/// The same for a run under `rules`. Browser rules request the start address as typed, since one that
/// names a file (".../index.html") is no folder; only an address with an empty path gains the "/" a
/// browser would send for it.
bool PrepareStartText(std::string& text, RuleSet rules);

} // namespace vortaxel::crawl
