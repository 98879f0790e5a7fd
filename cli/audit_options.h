#pragma once

#include "crawl/content/content_audit_choices.h"
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
    /// Read each page's text and work out its key phrases (--key-phrases, or implied by an output of them).
    bool keyPhrases = false;
    /// The site's keyword map as CSV.
    std::optional<std::string> keyphrasesFile{};
    /// The site's topic clusters as CSV.
    std::optional<std::string> clustersFile{};
    /// Structured data, language versions and custom extractors (see content_audit_options.h).
    crawl::ContentAuditChoices content{};

    bool operator==(const AuditOptions&) const = default;
    /// Whether a run must keep its page facts and links on disk for these outputs.
    bool WantsAudit(bool report) const {
        return report || linksFile || htmlFile || phrasesGiven || keyphrasesFile || clustersFile;
    }
    /// Whether the key phrases are asked for, by the switch or by an output that shows them.
    bool WantsKeyPhrases() const {
        return keyPhrases || keyphrasesFile || clustersFile || phrases == keywords::PhraseSource::KeyPhrase;
    }
};

/// Declares --links, --html, --phrases, --key-phrases, --keyphrases, --clusters, --follow-nofollow,
/// --sitemaps and --check-resources.
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
