#include "cli/kept_settings.h"

#include "cli/output_escape.h"
#include "crawl/run_limits.h"
#include "crawl/start_text.h"

#include <algorithm>

namespace vortaxel::cli {

namespace {

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

app::CrawlSettings SettingsOf(const Options& options, const std::string& startText) {
    app::CrawlSettings settings;
    settings.startText = startText;
    settings.rules = options.rules;
    settings.obeyRobots = options.obeyRobots;
    settings.delay = options.delay;
    settings.maxPages = options.maxPages;
    settings.maxMemory = options.maxMemory;
    return settings;
}

std::string TakeKeptSettings(const app::CrawlSettings& kept, const std::string& path,
                             const std::vector<std::string>& given, Options& options) {
    const std::string crawl = "the crawl kept in " + path;
    std::string url = options.url;
    if (Given(given, "URL") && (!crawl::PrepareStartText(url, kept.rules) || url != kept.startText)) {
        return "URL: " + crawl + " starts from " + EscapeControlBytes(kept.startText);
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
    options.url = kept.startText;
    options.rules = kept.rules;
    options.obeyRobots = kept.obeyRobots;
    options.maxMemory = kept.maxMemory;
    if (!Given(given, "--delay")) {
        options.delay = kept.delay;
    }
    if (!Given(given, "--max-pages")) {
        options.maxPages = kept.maxPages;
    }
    return {};
}

std::string CompareLine(const app::PageChange& change) {
    std::string line = app::PageChangeName(change.kind);
    for (const std::string& field :
         {EscapeControlBytes(change.url), StatusText(change.oldStatus), StatusText(change.newStatus),
          EscapeControlBytes(change.oldFinalUrl), EscapeControlBytes(change.newFinalUrl)}) {
        line.append(1, '\t').append(field);
    }
    return line;
}

} // namespace vortaxel::cli
