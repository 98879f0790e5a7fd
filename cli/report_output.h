#pragma once

#include <string>
#include <string_view>

namespace vortaxel::cli {

/// Writes the per-page report to `path`, all or nothing, the way the keyword file is written. Returns the
/// reason on failure, or an empty string; an existing file is left as it was when the write fails.
std::string WriteReportFile(const std::string& path, std::string_view text);

} // namespace vortaxel::cli
