#include "cli/kept_settings.h"

#include "cli/output_escape.h"
#include "cli/scope_options.h"
#include "crawl/run_limits.h"
#include "crawl/start_text.h"
#include "store/read/crawl_file_check.h"
#include "web/address_login.h"

#include <algorithm>

namespace vortaxel::cli {

namespace {

// A kept crawl is refused when it holds what the command line would not take.
static_assert(store::kMaxKeptDelay == kMaxDelay && store::kMinKeptMemory == kMinMaxMemory);

bool Given(const std::vector<std::string>& given, const char* name) {
    return std::find(given.begin(), given.end(), name) != given.end();
}

const char* RulesName(RuleSet rules) {
    return rules == RuleSet::Browser ? "browser" : "classic";
}

std::string StatusText(std::int64_t status) {
    return status == 0 ? std::string() : std::to_string(status);
}

} // namespace

store::CrawlSettings SettingsOf(const Options& options, const std::string& startText) {
    store::CrawlSettings settings;
    settings.startText = startText;
    settings.rules = options.rules;
    settings.obeyRobots = options.obeyRobots;
    settings.delay = options.delay;
    settings.maxPages = options.maxPages;
    settings.maxMemory = options.maxMemory;
    settings.followNofollow = options.audit.followNofollow;
    settings.sitemaps = options.audit.sitemaps;
    settings.checkResources = options.audit.checkResources;
    settings.keyPhrases = options.audit.keyPhrases;
    // The duplicate checks and the link score.
    settings.duplicates = options.content.duplicates;
    settings.nearPercent = options.content.nearPercent.value_or(settings.nearPercent);
    settings.thinWords = options.content.thinWords.value_or(settings.thinWords);
    settings.linkScore = options.content.linkScore;
    settings.contentAudit = options.audit.content;
    PutListControls(options.list, settings.controls);
    settings.controls.robotsAgent = options.identity.robotsAgent;
    settings.identity = KeptIdentityOf(options.identity);
    // Scope, patterns, depth and parameters to strip.
    CopyScope(options.controls, settings.controls);
    return settings;
}

std::string TakeKeptSettings(const store::CrawlSettings& kept, const std::string& path,
                             const std::vector<std::string>& given, Options& options) {
    const std::string crawl = "the crawl kept in " + path;
    std::string url = options.url;
    // A file kept before passwords were hidden holds the start address whole.
    const std::string keptStart = web::RedactPasswords(kept.startText);
    if (Given(given, "URL") && (!crawl::PrepareStartText(url, kept.rules) || web::RedactPasswords(url) != keptStart)) {
        return "URL: " + crawl + " starts from " + EscapeControlBytes(keptStart);
    }
    const std::optional<web::OriginLogin> login = web::LoginOf(kept.startText);
    if (options.resume && !Given(given, "URL") && login && login->userinfo.ends_with(":***")) {
        return "URL: " + crawl + " logs in to its site, and its password is not kept: give its start address " +
               "with the password to carry it on";
    }
    if (Given(given, "--rules") && options.rules != kept.rules) {
        return std::string("--rules: ") + crawl + " follows " + RulesName(kept.rules) + " rules";
    }
    if (Given(given, "--robots") && options.obeyRobots != kept.obeyRobots) {
        return "--robots: " + crawl + " does not obey robots.txt";
    }
    if (Given(given, "--max-memory") && options.maxMemory != kept.maxMemory) {
        return "--max-memory: " + crawl + " has a memory budget of " + crawl::BudgetText(kept.maxMemory);
    }
    // A flag can only be given as set, so a flag given against the kept crawl is one it was not run with.
    const struct {
        const char* option;
        bool given;
        bool kept;
        const char* without;
    } flags[] = {
        {"--follow-nofollow", options.audit.followNofollow, kept.followNofollow, "does not follow nofollow links"},
        {"--sitemaps", options.audit.sitemaps, kept.sitemaps, "does not read sitemaps"},
        {"--check-resources", options.audit.checkResources, kept.checkResources, "does not check resources"},
        {"--key-phrases", options.audit.keyPhrases, kept.keyPhrases, "does not keep key phrases"},
        {"--structured-data", options.audit.content.structuredData, kept.contentAudit.structuredData,
         "does not read structured data"},
        {"--hreflang", options.audit.content.hreflang, kept.contentAudit.hreflang, "does not check hreflang"},
        {"--extract-all", options.audit.content.extractAll, kept.contentAudit.extractAll,
         "keeps each extractor's first match alone"},
        {"--spelling", options.audit.content.spelling, kept.contentAudit.spelling, "does not check spelling"},
    };
    for (const auto& flag : flags) {
        if (Given(given, flag.option) && flag.given != flag.kept) {
            return std::string(flag.option) + ": " + crawl + " " + flag.without;
        }
    }
    if (Given(given, "--extract") && options.audit.content.extractors != kept.contentAudit.extractors) {
        return "--extract: " + crawl + " was read with other extractors (" +
               std::to_string(kept.contentAudit.extractors.size()) + " of them)";
    }
    // Scope, patterns, depth and parameters to strip.
    if (std::string contradicted = ContradictedScopeOption(options.controls, kept.controls, given, crawl);
        !contradicted.empty()) {
        return contradicted;
    }
    CopyScope(kept.controls, options.controls);
    if (std::string list = TakeKeptListControls(kept.controls, crawl, given, options.list); !list.empty()) {
        return list;
    }
    options.url = Given(given, "URL") ? url : kept.startText;
    options.rules = kept.rules;
    options.obeyRobots = kept.obeyRobots;
    options.maxMemory = kept.maxMemory;
    options.audit.followNofollow = kept.followNofollow;
    options.audit.sitemaps = kept.sitemaps;
    options.audit.checkResources = kept.checkResources;
    options.audit.content = kept.contentAudit;
    // Asked for by an output of them as well as by the switch: see ParseOptions.
    const bool keyPhrasesWanted = options.audit.keyPhrases;
    options.audit.keyPhrases = kept.keyPhrases;
    if (const AuditOptionRefusal refused = RefusedAuditOption(options.audit, kept.rules == RuleSet::Browser);
        refused.option != nullptr) {
        return std::string(refused.option) + ": " + refused.reason + " (" + crawl + " follows classic rules)";
    }
    if (const char* refused = RefusedIdentityOption(options.identity, kept.rules == RuleSet::Browser)) {
        return std::string(refused) + ": needs --rules browser (" + crawl + " follows classic rules)";
    }
    if (std::string contradiction = TakeKeptIdentity(kept.identity, crawl, given, options.identity);
        !contradiction.empty()) {
        return contradiction;
    }
    if (keyPhrasesWanted && !kept.keyPhrases) {
        const char* asking = Given(given, "--keyphrases") ? "--keyphrases"
                             : Given(given, "--clusters") ? "--clusters"
                             : Given(given, "--phrases")  ? "--phrases"
                                                          : "--key-phrases";
        return std::string(asking) + ": " + crawl + " kept no text to find key phrases in: it was made without " +
               "key phrases (crawl it again with --key-phrases)";
    }
    // The duplicate checks and the link score: the thresholds and the score are worked out after the crawl,
    // so that a kept crawl may be judged anew; the text prints they compare come from the crawl alone.
    if (const char* refused = RefusedContentOption(options.content, kept.rules == RuleSet::Browser)) {
        return std::string(refused) + ": needs --rules browser (" + crawl + " follows classic rules)";
    }
    if (options.content.duplicates && !kept.duplicates) {
        const char* asking = Given(given, "--near-duplicates") ? "--near-duplicates"
                             : Given(given, "--thin-words")    ? "--thin-words"
                                                               : "--duplicates";
        return std::string(asking) + ": " + crawl + " kept no text prints to compare its pages by: it was made " +
               "without --duplicates (crawl it again with --duplicates)";
    }
    options.content.duplicates = kept.duplicates;
    options.content.nearPercent = options.content.nearPercent.value_or(kept.nearPercent);
    options.content.thinWords = options.content.thinWords.value_or(kept.thinWords);
    options.content.linkScore = options.content.linkScore || kept.linkScore;
    if (!Given(given, "--delay")) {
        options.delay = kept.delay;
    }
    if (!Given(given, "--max-pages")) {
        options.maxPages = kept.maxPages;
    }
    return {};
}

std::string CompareLine(const store::PageChange& change) {
    std::string line = store::PageChangeName(change.kind);
    for (const std::string& field :
         {EscapeControlBytes(change.url), StatusText(change.oldStatus), StatusText(change.newStatus),
          EscapeControlBytes(change.oldFinalUrl), EscapeControlBytes(change.newFinalUrl)}) {
        line.append(1, '\t').append(field);
    }
    return line;
}

} // namespace vortaxel::cli
