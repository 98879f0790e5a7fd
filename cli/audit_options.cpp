#include "cli/audit_options.h"

#include "cli/content_audit_options.h"

#include <CLI/CLI.hpp>

namespace vortaxel::cli {

namespace {

void DeclareFollowOptions(CLI::App& app, AuditOptions& audit) {
    app.add_flag("--follow-nofollow", audit.followNofollow,
                 "With --rules browser: also follow links that a page or the link itself marks nofollow");
    app.add_flag("--sitemaps", audit.sitemaps,
                 "With --rules browser: read the site's sitemaps (robots.txt's Sitemap lines, /sitemap.xml) and "
                 "crawl the pages they list too");
    app.add_flag("--check-resources", audit.checkResources,
                 "With --rules browser: request the site's images, style sheets, icons and scripts for --links' "
                 "status column; they are never listed");
}

} // namespace

void DeclareAuditOptions(CLI::App& app, AuditOptions& audit) {
    const auto file = [](const char* option, const std::string& text) {
        if (text.empty()) {
            throw CLI::ValidationError(option, "needs a file name");
        }
        return text;
    };
    app.add_option_function<std::string>(
           "--links", [&audit, file](const std::string& v) { audit.linksFile = file("--links", v); },
           "With --rules browser: write every link with its source page and target's status to FILE (CSV)")
        ->type_name("FILE");
    app.add_option_function<std::string>(
           "--html", [&audit, file](const std::string& v) { audit.htmlFile = file("--html", v); },
           "With --rules browser: write the crawl's audit as one self-contained HTML page to FILE")
        ->type_name("FILE");
    app.add_option_function<std::string>(
           "--phrases",
           [&audit](const std::string& v) {
               const auto source = keywords::PhraseSourceNamed(v);
               if (!source) {
                   throw CLI::ValidationError("--phrases", "takes slug, title, h1, anchor or keyphrase");
               }
               audit.phrases = *source;
               audit.phrasesGiven = *source != keywords::PhraseSource::Slug;
           },
           "Keyword phrases from each page's slug (default), title, h1, anchor texts or target phrase "
           "(keyphrase); all but slug need --rules browser")
        ->type_name("SOURCE");
    app.add_flag("--key-phrases", audit.keyPhrases,
                 "With --rules browser: read each page's text for its key phrases; --report gains the columns "
                 "target_phrase, key_phrases and meta_keywords");
    app.add_option_function<std::string>(
           "--keyphrases", [&audit, file](const std::string& v) { audit.keyphrasesFile = file("--keyphrases", v); },
           "With --rules browser: write the site's keyword map, its phrases ranked, to FILE (CSV); implies "
           "--key-phrases")
        ->type_name("FILE");
    app.add_option_function<std::string>(
           "--clusters", [&audit, file](const std::string& v) { audit.clustersFile = file("--clusters", v); },
           "With --rules browser: write the site's topic clusters, a row per page, to FILE (CSV); implies "
           "--key-phrases")
        ->type_name("FILE");
    DeclareFollowOptions(app, audit);
    DeclareContentAuditOptions(app, audit.content);
}

AuditOptionRefusal RefusedAuditOption(const AuditOptions& audit, bool browser) {
    if (browser) {
        return {};
    }
    const char* const needsBrowser = "needs --rules browser";
    if (audit.linksFile) {
        return {"--links", needsBrowser};
    }
    if (audit.htmlFile) {
        return {"--html", needsBrowser};
    }
    if (audit.followNofollow) {
        return {"--follow-nofollow", needsBrowser};
    }
    if (audit.sitemaps) {
        return {"--sitemaps", needsBrowser};
    }
    if (audit.checkResources) {
        return {"--check-resources", needsBrowser};
    }
    if (audit.keyPhrases) {
        return {"--key-phrases", needsBrowser};
    }
    if (audit.keyphrasesFile) {
        return {"--keyphrases", needsBrowser};
    }
    if (audit.clustersFile) {
        return {"--clusters", needsBrowser};
    }
    if (audit.phrasesGiven) {
        return {"--phrases", "takes only slug without --rules browser"};
    }
    if (const char* content = GivenContentAuditOption(audit.content)) {
        return {content, needsBrowser};
    }
    return {};
}

void CheckAuditOptions(const AuditOptions& audit, bool browser, bool keptOnly) {
    if (keptOnly) {
        return;
    }
    if (const AuditOptionRefusal refused = RefusedAuditOption(audit, browser); refused.option != nullptr) {
        throw CLI::ValidationError(refused.option, refused.reason);
    }
}

} // namespace vortaxel::cli
