#include "export/audit_summary.h"

#include <gtest/gtest.h>
#include <optional>
#include <string_view>
#include <vector>

namespace vortaxel::audit {
namespace {

struct IndexabilityRow {
    const char* name;
    IndexabilityFacts facts;
    Indexability expected;
};

class IndexabilityTest : public ::testing::TestWithParam<IndexabilityRow> {};

TEST_P(IndexabilityTest, DecidesTheFirstReason) {
    EXPECT_EQ(IndexabilityText(DecideIndexability(GetParam().facts)), IndexabilityText(GetParam().expected));
}

constexpr std::string_view kUrl = "http://site.test/a";

INSTANTIATE_TEST_SUITE_P(
    Rows, IndexabilityTest,
    ::testing::Values(
        IndexabilityRow{"plain", {200, false, false, true, "", "", kUrl}, Indexability::Indexable},
        IndexabilityRow{
            "self_canonical", {200, false, false, true, "index, follow", kUrl, kUrl}, Indexability::Indexable},
        IndexabilityRow{
            "other_canonical", {200, false, false, true, "", "http://site.test/b", kUrl}, Indexability::Canonicalised},
        IndexabilityRow{
            "noindex_upper", {200, false, false, true, "NOINDEX,nofollow", "", kUrl}, Indexability::Noindex},
        IndexabilityRow{"none", {200, false, false, true, "none", "", kUrl}, Indexability::Noindex},
        IndexabilityRow{
            "agent_prefixed", {200, false, false, true, "otherbot: noindex", "", kUrl}, Indexability::Noindex},
        IndexabilityRow{"agent_joined", {200, false, false, true, "otherbot:noindex", "", kUrl}, Indexability::Noindex},
        IndexabilityRow{
            "noindex_like_word", {200, false, false, true, "noindexing, nofollow", "", kUrl}, Indexability::Indexable},
        IndexabilityRow{"noindex_beats_canonical",
                        {200, false, false, true, "noindex", "http://site.test/b", kUrl},
                        Indexability::Noindex},
        IndexabilityRow{"not_html", {200, false, false, false, "noindex", "", kUrl}, Indexability::NotHtml},
        IndexabilityRow{"redirect", {301, false, false, true, "", "", kUrl}, Indexability::Redirect},
        IndexabilityRow{"client_error", {404, false, false, true, "", "", kUrl}, Indexability::ClientError},
        IndexabilityRow{"server_error", {503, false, false, true, "", "", kUrl}, Indexability::ServerError},
        IndexabilityRow{"blocked", {std::nullopt, true, false, true, "", "", kUrl}, Indexability::BlockedByRobots},
        IndexabilityRow{"failed", {std::nullopt, false, true, true, "", "", kUrl}, Indexability::Failed},
        IndexabilityRow{"no_status", {std::nullopt, false, false, true, "", "", kUrl}, Indexability::Failed},
        // A canonical that names no web page is ignored, as search engines ignore it.
        IndexabilityRow{
            "file_canonical", {200, false, false, true, "", "file:///doc/a.html", kUrl}, Indexability::Indexable},
        IndexabilityRow{"mailto_canonical", {200, false, false, true, "", "mailto:a@b", kUrl}, Indexability::Indexable},
        IndexabilityRow{
            "scheme_only_canonical", {200, false, false, true, "", "http://", kUrl}, Indexability::Indexable},
        IndexabilityRow{"upper_scheme_canonical",
                        {200, false, false, true, "", "HTTPS://site.test/b", kUrl},
                        Indexability::Canonicalised},
        // A redirect is one whatever its last answer was.
        IndexabilityRow{"redirected_to_a_page", {200, false, false, true, "", "", kUrl, true}, Indexability::Redirect},
        IndexabilityRow{
            "redirected_then_failed", {std::nullopt, false, true, true, "", "", kUrl, true}, Indexability::Failed}),
    [](const ::testing::TestParamInfo<IndexabilityRow>& info) { return info.param.name; });

TEST(IndexabilityTextTest, EveryValueHasItsWords) {
    EXPECT_EQ(IndexabilityText(Indexability::BlockedByRobots), "blocked by robots.txt");
    EXPECT_EQ(IndexabilityText(Indexability::ClientError), "client error");
    EXPECT_EQ(IndexabilityText(Indexability::Failed), "failed");
    EXPECT_EQ(IndexabilityText(Indexability::NotHtml), "not html");
}

AuditPage Page(std::string url, std::optional<int> status, std::string title, std::string description) {
    AuditPage page;
    page.url = std::move(url);
    page.status = status;
    page.title = std::move(title);
    page.metaDescription = std::move(description);
    if (!status) {
        page.indexability = Indexability::Failed;
    } else if (*status >= 400) {
        page.indexability = *status >= 500 ? Indexability::ServerError : Indexability::ClientError;
    }
    return page;
}

AuditLink Link(std::string source, std::string target, std::optional<int> status, std::string error = {}) {
    AuditLink link;
    link.source = std::move(source);
    link.target = std::move(target);
    link.targetStatus = status;
    link.targetError = std::move(error);
    return link;
}

AuditData ConstructedCrawl() {
    AuditData data;
    data.meta.startUrl = "http://s.test/";
    data.meta.durationMs = 1234;
    data.pages.push_back(Page("http://s.test/", 200, "Home", "Welcome"));
    data.pages.push_back(Page("http://s.test/a", 200, "Same", ""));
    data.pages.push_back(Page("http://s.test/b", 200, "Same", "Welcome"));
    data.pages.push_back(Page("http://s.test/c", 200, "Same", "Other"));
    data.pages.push_back(Page("http://s.test/d", 200, "", "Other"));
    data.pages.back().indexability = Indexability::Noindex;
    data.pages.push_back(Page("http://s.test/gone", 404, "", ""));
    // Listed in a sitemap, linked from nothing, yet no page: a sitemap error, not an orphan.
    data.pages.back().inSitemap = true;
    data.pages.back().urlInSitemap = true;
    data.pages.push_back(Page("http://s.test/down", 503, "", ""));
    data.pages.push_back(Page("http://s.test/off", std::nullopt, "", ""));
    AuditPage chained = Page("http://s.test/old", 200, "Moved", "Moved");
    chained.redirectChain = {{301, "http://s.test/old"}, {302, "http://s.test/older"}, {301, "http://s.test/x"}};
    data.pages.push_back(chained);
    AuditPage once = Page("http://s.test/once", 200, "Once", "Once");
    once.redirectChain = {{308, "http://s.test/once"}};
    data.pages.push_back(once);
    AuditPage orphan = Page("http://s.test/lonely", 200, "Lonely", "Lonely");
    orphan.inSitemap = true;
    data.pages.push_back(orphan);
    AuditPage linked = Page("http://s.test/listed", 200, "Listed", "Listed");
    linked.inSitemap = true;
    linked.inlinks = 2;
    data.pages.push_back(linked);
    data.pages.at(0).inSitemap = true; // the start address is never an orphan

    data.links.push_back(Link("http://s.test/", "http://s.test/gone", 404));
    data.links.push_back(Link("http://s.test/a", "http://s.test/gone", 404));
    data.links.push_back(Link("http://s.test/a", "http://s.test/down", 503));
    data.links.push_back(Link("http://s.test/b", "http://s.test/off", std::nullopt, "Connection refused"));
    data.links.push_back(Link("http://s.test/b", "http://s.test/a", 200));
    data.links.push_back(Link("http://s.test/c", "http://elsewhere.test/", std::nullopt));
    data.links.push_back(Link("http://s.test/c", "http://s.test/old", 301));
    return data;
}

TEST(AuditSummaryTest, CountsWhatAUserLooksFor) {
    const AuditSummary s = SummariseAudit(ConstructedCrawl());
    EXPECT_EQ(s.pages, 12U);
    EXPECT_EQ(s.statusClasses.at(2), 9U);
    EXPECT_EQ(s.statusClasses.at(4), 1U);
    EXPECT_EQ(s.statusClasses.at(5), 1U);
    EXPECT_EQ(s.statusClasses.at(0), 1U);
    EXPECT_EQ(s.brokenLinks, 4U);
    EXPECT_EQ(s.brokenTargets, 3U);
    EXPECT_EQ(s.pagesWithBrokenLinks, 3U);
    EXPECT_EQ(s.redirected, 2U);
    EXPECT_EQ(s.redirectChains, 1U);
    EXPECT_EQ(s.longestChain, 3U);
    // Error pages have no title to miss.
    EXPECT_EQ(s.missingTitles, 1U);
    EXPECT_EQ(s.duplicateTitles, 1U);
    EXPECT_EQ(s.duplicateTitlePages, 3U);
    EXPECT_EQ(s.missingDescriptions, 1U);
    EXPECT_EQ(s.duplicateDescriptions, 2U);
    EXPECT_EQ(s.duplicateDescriptionPages, 4U);
    EXPECT_EQ(s.noindex, 1U);
    EXPECT_EQ(s.orphans, 1U);
    EXPECT_EQ(s.indexability.at(static_cast<std::size_t>(Indexability::Failed)), 1U);
}

TEST(AuditSummaryTest, BrokenLinksCountedRatherThanKeptGiveTheSameSummary) {
    const AuditData kept = ConstructedCrawl();
    AuditData tallied = ConstructedCrawl();
    tallied.links.clear();
    for (const AuditLink& link : kept.links) {
        if (IsBrokenLink(link)) {
            tallied.brokenTally.Add(link);
        } else {
            tallied.links.push_back(link);
        }
    }
    EXPECT_EQ(AuditSummaryText(SummariseAudit(tallied)), AuditSummaryText(SummariseAudit(kept)));
}

TEST(AuditSummaryTest, TextNamesEveryCount) {
    EXPECT_EQ(AuditSummaryText(SummariseAudit(ConstructedCrawl())),
              "Audit: 12 pages: 0 1xx, 9 2xx, 0 3xx, 1 4xx, 1 5xx, 1 without an answer\n"
              "Broken links: 4 (to 3 addresses) on 3 pages\n"
              "Redirects: 2 pages redirected, 1 chain of two hops or more (longest 3 hops)\n"
              "Titles: 1 missing, 1 shared by 3 pages\n"
              "Descriptions: 1 missing, 2 shared by 4 pages\n"
              "Noindex pages: 1\n"
              "Orphan pages: 1\n"
              "Sitemap errors: 1 address listed but no page: 1 4xx or 5xx, 0 redirected, 0 without an answer, 0 "
              "blocked by robots.txt\n");
}

TEST(AuditSummaryTest, AnEmptyCrawlSaysNothingIsWrong) {
    EXPECT_EQ(AuditSummaryText(SummariseAudit(AuditData{})),
              "Audit: 0 pages: 0 1xx, 0 2xx, 0 3xx, 0 4xx, 0 5xx, 0 without an answer\n"
              "Broken links: 0 (to 0 addresses) on 0 pages\n"
              "Redirects: 0 pages redirected, 0 chains of two hops or more\n"
              "Titles: 0 missing, 0 shared by 0 pages\n"
              "Descriptions: 0 missing, 0 shared by 0 pages\n"
              "Noindex pages: 0\n"
              "Orphan pages: 0\n"
              "Sitemap errors: 0 addresses listed but no page: 0 4xx or 5xx, 0 redirected, 0 without an answer, 0 "
              "blocked by robots.txt\n");
}

struct SitemapRow {
    const char* name;
    std::optional<int> status;
    Indexability indexability;
    /// Whether a sitemap lists the address itself, or only the page where it landed.
    bool urlListed;
    const char* problem;
    bool orphan;
};

TEST(SitemapErrors, AnAddressASitemapListsThatIsNoPageIsAnErrorAndNoOrphan) {
    const std::vector<SitemapRow> rows = {
        {"page", 200, Indexability::Indexable, true, "", true},
        {"noindex_page", 200, Indexability::Noindex, true, "", true},
        {"not_found", 404, Indexability::ClientError, true, "answers 404", false},
        {"gone", 410, Indexability::ClientError, true, "answers 410", false},
        {"server_error", 503, Indexability::ServerError, true, "answers 503", false},
        {"moved", 301, Indexability::Redirect, true, "redirects", false},
        {"redirect_followed", 200, Indexability::Redirect, true, "redirects", false},
        {"no_answer", std::nullopt, Indexability::Failed, true, "gets no answer", false},
        {"blocked", std::nullopt, Indexability::BlockedByRobots, true, "is blocked by robots.txt", false},
        // The sitemap names where the redirect lands, not the address that redirects.
        {"redirect_to_a_listed_page", 200, Indexability::Redirect, false, "", true},
        {"not_found_unlisted", 404, Indexability::ClientError, false, "", false},
    };
    const AuditRunMeta meta{"http://s.test/", "browser", {}, 0, true};
    for (const SitemapRow& row : rows) {
        SCOPED_TRACE(row.name);
        AuditPage page;
        page.url = "http://s.test/listed";
        page.status = row.status;
        page.indexability = row.indexability;
        page.urlInSitemap = row.urlListed;
        page.inSitemap = row.urlListed || row.indexability == Indexability::Redirect;
        EXPECT_EQ(SitemapProblem(page), row.problem);
        EXPECT_EQ(IsOrphan(page, meta), row.orphan);
        AuditSummary summary;
        CountPage(summary, page, meta);
        EXPECT_EQ(summary.sitemapErrors, std::string_view(row.problem).empty() ? 0U : 1U);
    }
}

} // namespace
} // namespace vortaxel::audit
