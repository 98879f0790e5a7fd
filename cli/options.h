#pragma once

#include "crawl/rule_set.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace vortaxel::cli {

struct Options {
    std::string url;
    std::optional<std::size_t> maxPages;
    std::optional<std::string> keywordsFile;
    std::size_t parallel = 1;
    bool quiet = false;
    crawl::RuleSet rules = crawl::RuleSet::Classic;
};

/// The parsed command line, or the reason it is not one.
struct ParsedOptions {
    std::optional<Options> options;
    std::string error;
};

ParsedOptions ParseOptions(const std::vector<std::string>& args);

/// Each fetch in flight holds a connection and its buffers; past this, more only burdens the site.
inline constexpr std::size_t kMaxParallel = 64;

inline constexpr const char* kUsage =
    "usage: vortaxel-cli [--max-pages N] [--parallel K] [--keywords FILE] [--rules classic|browser] [--quiet]\n"
    "                    URL\n";

} // namespace vortaxel::cli
