#pragma once

#include <string>

namespace vortaxel::store {

/// Removes the crawl file at `path` and the logs SQLite keeps beside it; what is not there is no failure.
void RemoveCrawlFile(const std::string& path);

} // namespace vortaxel::store
