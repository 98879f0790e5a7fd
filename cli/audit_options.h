#pragma once

#include "export/text_phrase.h"

#include <optional>
#include <string>

namespace CLI {
class App;
} // namespace CLI

namespace vortaxel::cli {

/// What a browser-rules crawl is audited for, beyond the page list.
struct AuditOptions {
    /// The link graph as CSV.
    std::optional<std::string> linksFile{};
    /// The self-contained audit page.
    std::optional<std::string> htmlFile{};
    keywords::PhraseSource phrases = keywords::PhraseSource::Slug;
    bool phrasesGiven = false;
    bool followNofollow = false;
    /// Read the site's sitemaps: their pages join the crawl and each page says whether one lists it.
    bool sitemaps = false;
    /// Request the site's images, style sheets, icons and scripts for the links file's status column.
    bool checkResources = false;
    /// Each page's text is read for its key phrases, and kept with the crawl.
    bool keyPhrases = false;

    bool operator==(const AuditOptions&) const = default;
    /// Whether a run must keep its page facts and links on disk for these outputs.
    bool WantsAudit(bool report) const { return report || linksFile || htmlFile || phrasesGiven; }
};

/// Declares --links, --html, --phrases, --follow-nofollow, --sitemaps and --check-resources.
void DeclareAuditOptions(CLI::App& app, AuditOptions& audit);

/// An audit option that the rules cannot serve, and why; no option when all of them can be.
struct AuditOptionRefusal {
    const char* option = nullptr;
    const char* reason = nullptr;
};

/// The first audit option given that classic rules, which keep no page facts, cannot serve.
AuditOptionRefusal RefusedAuditOption(const AuditOptions& audit, bool browser);

/// Refuses the audit options under classic rules, which keep no page facts. `keptOnly`: the rules
/// come from a kept crawl, checked when it is opened.
void CheckAuditOptions(const AuditOptions& audit, bool browser, bool keptOnly);

} // namespace vortaxel::cli
