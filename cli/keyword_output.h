#pragma once

#include "crawl/found_list.h"

#include <string>

namespace vortaxel::cli {

/// Writes the keyword phrase of every found URL to `path`, all or nothing. Returns the reason on failure, or
/// an empty string; an existing file is left as it was when the write fails. `decodeSlugs`: browser
/// rules' phrases, with percent escapes decoded as UTF-8.
std::string WriteKeywordFile(const crawl::FoundList& found, const std::string& path, bool decodeSlugs = false);

} // namespace vortaxel::cli
