#include "audit_summary.h"

#include <algorithm>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace vortaxel::audit {
namespace {

struct Duplicates {
    std::size_t missing = 0;
    std::size_t pages = 0;
    std::size_t values = 0;
};

template <typename Field> Duplicates CountDuplicates(const std::vector<AuditPage>& pages, Field field) {
    std::unordered_map<std::string_view, std::size_t> seen;
    Duplicates result;
    for (const AuditPage& page : pages) {
        if (!HasPageText(page)) {
            continue;
        }
        const std::string& value = field(page);
        if (value.empty()) {
            ++result.missing;
            continue;
        }
        ++seen[value];
    }
    for (const auto& [value, count] : seen) {
        if (count > 1) {
            result.pages += count;
            ++result.values;
        }
    }
    return result;
}

std::string Count(std::size_t n, std::string_view one, std::string_view many) {
    std::string out = std::to_string(n);
    out += ' ';
    out += n == 1 ? one : many;
    return out;
}

} // namespace

bool HasPageText(const AuditPage& page) {
    return page.indexability == Indexability::Indexable || page.indexability == Indexability::Noindex ||
           page.indexability == Indexability::Canonicalised;
}

std::string SitemapProblem(const AuditPage& page) {
    if (!page.urlInSitemap) {
        return {};
    }
    switch (page.indexability) {
    case Indexability::Redirect:
        return "redirects";
    case Indexability::ClientError:
    case Indexability::ServerError:
        return "answers " + std::to_string(page.status.value_or(0));
    case Indexability::Failed:
        return "gets no answer";
    case Indexability::BlockedByRobots:
        return "is blocked by robots.txt";
    default:
        return {};
    }
}

bool IsOrphan(const AuditPage& page, const AuditRunMeta& meta) {
    return page.inSitemap && page.inlinks == 0 && page.url != meta.startUrl && SitemapProblem(page).empty();
}

void CountPage(AuditSummary& s, const AuditPage& page, const AuditRunMeta& meta) {
    ++s.pages;
    const int status = page.status.value_or(0);
    s.statusClasses.at(status >= 100 && status < 600 ? static_cast<std::size_t>(status / 100) : 0)++;
    s.indexability.at(static_cast<std::size_t>(page.indexability))++;
    if (!page.redirectChain.empty()) {
        ++s.redirected;
        s.redirectChains += page.redirectChain.size() > 1 ? 1 : 0;
        s.longestChain = std::max(s.longestChain, page.redirectChain.size());
    }
    s.orphans += IsOrphan(page, meta) ? 1 : 0;
    if (!SitemapProblem(page).empty()) {
        ++s.sitemapErrors;
        switch (page.indexability) {
        case Indexability::Redirect:
            ++s.sitemapRedirects;
            break;
        case Indexability::Failed:
            ++s.sitemapNoAnswer;
            break;
        case Indexability::BlockedByRobots:
            ++s.sitemapBlocked;
            break;
        default:
            ++s.sitemapErrorStatus;
            break;
        }
    }
    s.noindex = s.indexability.at(static_cast<std::size_t>(Indexability::Noindex));
}

AuditSummary SummariseAudit(const AuditData& data) {
    AuditSummary s;
    s.durationMs = data.meta.durationMs;
    for (const AuditPage& page : data.pages) {
        CountPage(s, page, data.meta);
    }

    std::unordered_set<std::string_view> targets(data.brokenTally.targets.begin(), data.brokenTally.targets.end());
    std::unordered_set<std::string_view> sources(data.brokenTally.sources.begin(), data.brokenTally.sources.end());
    s.brokenLinks = data.brokenTally.links;
    for (const AuditLink& link : data.links) {
        if (IsBrokenLink(link)) {
            ++s.brokenLinks;
            targets.insert(link.target);
            sources.insert(link.source);
        }
    }
    s.brokenTargets = targets.size();
    s.pagesWithBrokenLinks = sources.size();

    const Duplicates titles =
        CountDuplicates(data.pages, [](const AuditPage& p) -> const std::string& { return p.title; });
    s.missingTitles = titles.missing;
    s.duplicateTitlePages = titles.pages;
    s.duplicateTitles = titles.values;
    const Duplicates descriptions =
        CountDuplicates(data.pages, [](const AuditPage& p) -> const std::string& { return p.metaDescription; });
    s.missingDescriptions = descriptions.missing;
    s.duplicateDescriptionPages = descriptions.pages;
    s.duplicateDescriptions = descriptions.values;
    return s;
}

std::string AuditSummaryText(const AuditSummary& s) {
    std::string out = "Audit: " + Count(s.pages, "page", "pages") + ":";
    for (std::size_t c = 1; c < s.statusClasses.size(); ++c) {
        out += ' ' + std::to_string(s.statusClasses.at(c)) + ' ' + std::to_string(c) + "xx,";
    }
    out += ' ' + std::to_string(s.statusClasses.at(0)) + " without an answer\n";
    out += "Broken links: " + std::to_string(s.brokenLinks) + " (to " + Count(s.brokenTargets, "address", "addresses") +
           ") on " + Count(s.pagesWithBrokenLinks, "page", "pages") + "\n";
    out += "Redirects: " + Count(s.redirected, "page", "pages") + " redirected, " +
           Count(s.redirectChains, "chain", "chains") + " of two hops or more";
    if (s.longestChain > 1) {
        out += " (longest " + std::to_string(s.longestChain) + " hops)";
    }
    out += '\n';
    out += "Titles: " + std::to_string(s.missingTitles) + " missing, " + std::to_string(s.duplicateTitles) +
           " shared by " + Count(s.duplicateTitlePages, "page", "pages") + '\n';
    out += "Descriptions: " + std::to_string(s.missingDescriptions) + " missing, " +
           std::to_string(s.duplicateDescriptions) + " shared by " +
           Count(s.duplicateDescriptionPages, "page", "pages") + '\n';
    out += "Noindex pages: " + std::to_string(s.noindex) + '\n';
    out += "Orphan pages: " + std::to_string(s.orphans) + '\n';
    out += "Sitemap errors: " + Count(s.sitemapErrors, "address", "addresses") +
           " listed but no page: " + std::to_string(s.sitemapErrorStatus) + " 4xx or 5xx, " +
           std::to_string(s.sitemapRedirects) + " redirected, " + std::to_string(s.sitemapNoAnswer) +
           " without an answer, " + std::to_string(s.sitemapBlocked) + " blocked by robots.txt\n";
    return out;
}

} // namespace vortaxel::audit
