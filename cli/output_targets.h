#pragma once

#include "cli/options.h"

#include <string>

namespace vortaxel::cli {

/// Why the files a run is asked to write cannot all be written, found before the first request so that a
/// long crawl does not end by losing what it was for.
struct OutputTargetRefusal {
    /// Names the file and the reason; empty when every target can be written.
    std::string text;
    /// 2 when the command line itself is at fault (two outputs naming one file), 1 when a file cannot be
    /// written, as the exit status documents.
    int exitCode = 0;
};

/// Checks every output file the options name: no two of them (nor standard output) are the same file,
/// whatever the spelling of its path, and each is a regular file or none yet, in a folder that exists and
/// that this process may write to.
OutputTargetRefusal CheckOutputTargets(const Options& options);

} // namespace vortaxel::cli
