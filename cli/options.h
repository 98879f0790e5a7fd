#pragma once

#include "cli/audit_options.h"
#include "cli/content_options.h"
#include "cli/identity_options.h"
#include "cli/list_options.h"
#include "cli/render_options.h"
#include "crawl/crawl_controls.h"
#include "crawl/rule_set.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vortaxel::cli {

/// Which link rules a run follows; classic is the behaviour every earlier release had.
using crawl::RuleSet;

/// Each fetch in flight holds a connection and its buffers; past this, more only burdens the site.
inline constexpr std::size_t kMaxParallel = 64;
inline constexpr std::uint64_t kMiB = std::uint64_t{1} << 20;
/// Enough for millions of queued addresses, yet well inside a desktop machine's memory.
inline constexpr std::uint64_t kDefaultMaxMemory = std::uint64_t{4} << 30;
/// The address store takes memory in blocks of 1 MiB and counts a block whole from its first address, so
/// a budget must leave room past the first block and the tables beside it for a crawl to go on at all.
inline constexpr std::uint64_t kMinMaxMemory = 4 * kMiB;
/// A pause longer than an hour per request is a typing slip, and it keeps time arithmetic far from overflow.
inline constexpr std::chrono::milliseconds kMaxDelay = std::chrono::hours(1);
/// A request left waiting longer than an hour is one that will not answer.
inline constexpr std::chrono::seconds kMaxTimeout = std::chrono::hours(1);

struct Options {
    std::string url{};
    std::optional<std::size_t> maxPages{};
    std::optional<std::string> keywordsFile{};
    std::size_t parallel = 1;
    bool quiet = false;
    RuleSet rules = RuleSet::Classic;
    /// Budget in bytes for the store of addresses found and queued.
    std::uint64_t maxMemory = kDefaultMaxMemory;
    /// Per-page CSV report.
    std::optional<std::string> reportFile{};
    bool obeyRobots = false;
    /// Least time between the starts of two requests to the same host.
    std::chrono::milliseconds delay{0};
    /// How long one request may take, redirects included; the fetcher's own when not given.
    std::optional<std::chrono::seconds> timeout{};
    /// Extra CA bundle trusted beside the system store.
    std::optional<std::string> caFile{};
    /// The crawl database the crawl is kept in.
    std::optional<std::string> dbFile{};
    /// Carry on the crawl kept in dbFile.
    bool resume = false;
    /// Read the crawl kept in dbFile, with no request at all.
    bool offline = false;
    /// An older crawl database of the same site to compare dbFile's crawl with.
    std::optional<std::string> compareFile{};
    /// Another site's crawl database (mine) to set against dbFile's (theirs) for the keyword gap.
    std::optional<std::string> gapFile{};
    /// The audit outputs of a browser-rules crawl.
    AuditOptions audit{};
    /// The duplicate checks and the link score.
    ContentOptions content{};
    /// Pages shown in headless Chromium.
    RenderOptions render{};
    /// List mode and the check of links that leave the crawl.
    ListOptions list{};
    /// Who a browser-rules crawl goes as, and its login.
    IdentityOptions identity{};
    /// Scope, patterns, depth and the rest of what narrows or widens a browser-rules crawl.
    crawl::CrawlControls controls{};

    bool operator==(const Options&) const = default;
};

/// The parsed command line; exactly one of the three is set.
struct ParsedOptions {
    std::optional<Options> options;
    /// Why the command line is refused (exit 2); it names the option at fault.
    std::string error;
    /// What --help or --version asked for, to print on standard output before a successful exit.
    std::string reply;
    /// The options given on the command line (the address as "URL"), each once: a kept crawl
    /// takes what is left out from its settings.
    std::vector<std::string> given{};
};

ParsedOptions ParseOptions(const std::vector<std::string>& args);

/// "2.00": the form the program has always shown its version in.
const char* VersionText();

inline constexpr const char* kUsage = "usage: vortaxel-cli [OPTIONS] URL\n"
                                      "Try 'vortaxel-cli --help' for the options.\n";

} // namespace vortaxel::cli
