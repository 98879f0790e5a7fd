#pragma once

#include <optional>
#include <string>
#include <vector>

namespace CLI {
class App;
} // namespace CLI

namespace vortaxel::cli {

/// List mode and the check of links that leave the crawl: what a browser-rules crawl audits besides its site.
struct ListOptions {
    /// The file of addresses to audit (--urls); "-" is standard input.
    std::optional<std::string> urlsFile{};
    /// Audit exactly the pages the site's sitemaps list (--urls-from-sitemaps).
    bool fromSitemaps = false;
    /// Request each distinct target of a link the crawl does not follow, for its status (--check-external).
    bool checkExternal = false;
    /// Whether the run audits a list, from a file or the sitemaps: given, or taken from a kept crawl.
    bool listMode = false;
    /// The addresses read from urlsFile (or kept), each page once, in their order.
    std::vector<std::string> listed{};

    bool operator==(const ListOptions&) const = default;
};

/// Declares --urls, --urls-from-sitemaps and --check-external.
void DeclareListOptions(CLI::App& app, ListOptions& list);

/// The first list option given that the other options cannot serve, and why (see AuditOptionRefusal).
struct ListOptionRefusal {
    const char* option = nullptr;
    const char* reason = nullptr;
};
ListOptionRefusal RefusedListOption(const ListOptions& list, bool browser, bool sitemaps);

/// Refuses what RefusedListOption refuses, unless `keptOnly` (the rules come from a kept crawl, checked then).
void CheckListOptions(const ListOptions& list, bool browser, bool sitemaps, bool keptOnly);

/// Reads the --urls file into `list.listed`, telling each line that is no web address on standard error. Returns
/// why the list cannot be used (a file that cannot be read, or no address in it), or nothing.
std::string ReadListedAddresses(ListOptions& list);

} // namespace vortaxel::cli

namespace vortaxel::crawl {
struct CrawlControls;
} // namespace vortaxel::crawl

namespace vortaxel::cli {

/// Puts the list options into the controls a crawl keeps and runs with.
void PutListControls(const ListOptions& list, crawl::CrawlControls& controls);

/// Fits the list options to those of a kept crawl (`crawl` names it, "the crawl kept in FILE"): a list option
/// given that the kept crawl was not run with is named in the returned text; else the kept ones are taken.
std::string TakeKeptListControls(const crawl::CrawlControls& kept, const std::string& crawl,
                                 const std::vector<std::string>& given, ListOptions& list);

} // namespace vortaxel::cli
