#pragma once

#include "cli/audit_options.h"
#include "crawl/crawl_controls.h"

#include <string>
#include <vector>

namespace CLI {
class App;
} // namespace CLI

namespace vortaxel::cli {

/// Declares --scope, --include, --exclude, --max-depth and --strip-query into `controls`; a pattern RE2
/// does not take is refused as it is parsed, naming the option, the pattern and RE2's message.
void DeclareScopeOptions(CLI::App& app, crawl::CrawlControls& controls);

/// The first of those options given that classic rules cannot serve; no option when all of them can be.
AuditOptionRefusal RefusedScopeOption(const crawl::CrawlControls& controls, bool browser);

/// The first of those options given whose value contradicts what a kept crawl was made with, as
/// "--option: <crawl> <what it was made with>"; empty when none does. `given` as ParsedOptions has it.
std::string ContradictedScopeOption(const crawl::CrawlControls& wanted, const crawl::CrawlControls& kept,
                                    const std::vector<std::string>& given, const std::string& crawl);

/// Copies the scope, patterns, depth and parameters to strip of `from` into `to`, and nothing else of them.
void CopyScope(const crawl::CrawlControls& from, crawl::CrawlControls& to);

} // namespace vortaxel::cli
