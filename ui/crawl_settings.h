#pragma once

#include "crawl/crawl_controls.h"
#include "services/platform_services.h"
#include "store/kept_controls.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace vortaxel::ui {

/// What the "Crawl Settings" dialog holds, as the user wrote it: lists one entry a line, blank lines
/// left out. They narrow, widen or disguise a browser-rules crawl; the classic rules ignore them.
struct CrawlSettingsValues {
    crawl::CrawlScope scope = crawl::CrawlScope::Host;
    std::vector<std::string> include{};
    std::vector<std::string> exclude{};
    std::optional<std::size_t> maxDepth{};
    std::vector<std::string> stripQuery{};
    /// Empty for the program's own agent, a preset's name, or kCustomUserAgent for `customUserAgent`.
    std::string userAgent{};
    std::string customUserAgent{};
    /// "Name: value" each.
    std::vector<std::string> headers{};
    /// The user of an HTTP login; its password is asked when a crawl starts and never kept.
    std::string loginUser{};
    /// "name=value" each.
    std::vector<std::string> cookies{};
    bool listMode = false;
    /// The addresses list mode audits, with "#" comment lines as written.
    std::vector<std::string> listed{};

    bool operator==(const CrawlSettingsValues&) const = default;
};

inline constexpr const char* kCustomUserAgent = "custom";

/// The fields a problem can be in, each a control of the dialog.
enum class CrawlSettingsField { Include, Exclude, StripQuery, UserAgent, Headers, LoginUser, Cookies, Listed };

/// Why a value cannot be used, in the user's words. A problem that `blocks` keeps a crawl from starting
/// until it is mended; the others only say what the crawl will pass over.
struct CrawlSettingsProblem {
    CrawlSettingsField field;
    std::string text;
    bool blocks = true;

    bool operator==(const CrawlSettingsProblem&) const = default;
};

/// Every problem of `values`, field by field in the dialog's order.
std::vector<CrawlSettingsProblem> ProblemsOf(const CrawlSettingsValues& values);

/// `text` cut into lines, each trimmed of spaces and tabs, blank ones left out.
std::vector<std::string> LinesOf(const std::string& text);

/// The values as a crawl takes and keeps them: presets resolved to their strings and robots token,
/// comment lines and lines that are no web address left out of the list.
store::KeptControls ControlsOf(const CrawlSettingsValues& values);

/// The values remembered in `settings`; one stored as none of the choices reads as its default.
CrawlSettingsValues ReadCrawlSettings(services::SettingsStore& settings);
/// Remembers `values` in `settings`, each under a key of its own.
void RememberCrawlSettings(services::SettingsStore& settings, const CrawlSettingsValues& values);

} // namespace vortaxel::ui
