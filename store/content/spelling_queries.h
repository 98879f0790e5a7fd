#pragma once

#include "store/crawl_store.h"
#include "store/sqlite_db.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace vortaxel::store {

/// A word a site's links use as their text on this many pages at least, and on this share of the pages that
/// link (1 in kSiteWordShare), is the site's own (its name, its products, its places): it is not reported.
inline constexpr std::size_t kSiteWordPages = 3;
inline constexpr std::size_t kSiteWordShare = 10;

/// The words `anchor` is made of, for matching against a reported word: split at every ASCII byte that is no
/// letter or digit (bytes 0x80 and up are letters), ASCII folded to lower case.
std::vector<std::string> AnchorWords(std::string_view anchor);

/// Each page's unknown words by its id, joined by kContentListSeparator, without the site's own words.
SqlStatus ReadSpelling(SqlDatabase& db, std::unordered_map<std::int64_t, std::string>& out);

/// One note for each language whose pages were not checked, and for the pages of no known language; ""
/// when read, else why not.
std::string SpellingNotes(CrawlStore& store, std::vector<std::string>& notes);

} // namespace vortaxel::store
