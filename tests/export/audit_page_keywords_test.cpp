#include "export/audit_keywords.h"
#include "export/audit_page.h"
#include "export/audit_page_parts.h"

#include <cmath>
#include <cstdint>
#include <gtest/gtest.h>
#include <limits>
#include <string>
#include <vector>

namespace vortaxel::audit {
namespace {

/// The page with its script nonce, which differs on every build, taken out.
std::string WithoutNonce(std::string page) {
    for (const std::string_view mark : {"nonce-", "nonce=\""}) {
        for (std::size_t at = page.find(mark); at != std::string::npos; at = page.find(mark, at + 1)) {
            page.erase(at + mark.size(), 32);
        }
    }
    return page;
}

/// FNV-1a: a fingerprint of a whole page that a test can hold as one number.
std::uint64_t Fingerprint(std::string_view bytes) {
    std::uint64_t hash = 14695981039346656037ULL;
    for (const char c : bytes) {
        hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ULL;
    }
    return hash;
}

AuditData SmallCrawl() {
    AuditData data;
    data.meta.startUrl = "http://s.test/";
    data.meta.rules = "browser";
    data.meta.startedAt = "2026-01-02T03:04:05Z";
    data.meta.durationMs = 65'400;
    for (int i = 0; i < 3; ++i) {
        AuditPage page;
        page.url = "http://s.test/" + std::to_string(i);
        page.finalUrl = page.url;
        page.status = i == 2 ? 404 : 200;
        page.title = "Page <" + std::to_string(i) + ">";
        page.contentType = "text/html";
        page.depth = i;
        page.elapsedMs = 100 * static_cast<std::uint64_t>(i);
        data.pages.push_back(page);
    }
    AuditLink link;
    link.source = "http://s.test/0";
    link.target = "http://s.test/2";
    link.targetStatus = 404;
    link.anchor = "gone";
    link.element = "a href";
    data.links.push_back(link);
    return data;
}

TEST(AuditPageKeywordsTest, APageWithoutKeywordsIsTheOneItWasBefore) {
    const std::string page = WithoutNonce(BuildAuditPage(SmallCrawl()));
    EXPECT_EQ(page.size(), 31699U);
    EXPECT_EQ(Fingerprint(page), 599003256312920958ULL);
}

std::size_t Occurrences(const std::string& text, std::string_view needle) {
    std::size_t count = 0;
    for (std::size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1)) {
        ++count;
    }
    return count;
}

keyphrase::SitePhrase Phrase(std::string phrase, double score, std::vector<std::string> competing = {}) {
    keyphrase::SitePhrase row;
    row.key = phrase;
    row.phrase = std::move(phrase);
    row.score = score;
    row.pages = 3;
    row.inTitles = 2;
    row.inH1 = 1;
    row.bestPage = "http://s.test/a";
    row.competingPages = std::move(competing);
    row.lang = "en";
    return row;
}

keyphrase::GapRow Gap(std::string phrase, std::string status) {
    return {std::move(phrase), 0.5, 0.25, std::move(status), "http://them.test/x", "http://s.test/a"};
}

TEST(AuditPageKeywordsTest, TheSectionAndItsPartsAreThereOnlyWithTheirData) {
    struct Case {
        const char* name;
        std::optional<KeywordSection> keywords;
        std::vector<std::string> present;
        std::vector<std::string> absent;
    };
    KeywordSection empty;
    KeywordSection withRows;
    withRows.phrases = {Phrase("blue widgets", 0.5, {"http://s.test/b"}), Phrase("red widgets", 0.25)};
    withRows.clusters = {{"widgets", "http://s.test/a", {"http://s.test/a", "http://s.test/b"}}};
    KeywordSection withGap = withRows;
    withGap.gap = std::vector<keyphrase::GapRow>{Gap("green widgets", "gap"), Gap("blue widgets", "shared")};
    withGap.theirStartUrl = "http://them.test/";
    withGap.myStartUrl = "http://s.test/";
    const std::vector<Case> cases = {
        {"no keyword part",
         std::nullopt,
         {},
         {"id=\"keywords\"", "\"keywords\":", "#keywords", "kw-phrases", "if (data.keywords)", "chart-keywords"}},
        {"an empty one",
         empty,
         {"<a href=\"#keywords\">Keywords</a>", "<section id=\"keywords\">", "0 phrases across the site",
          "\"keywords\":{\"tableRows\":0,\"phrases\":[],\"clusters\":[]}", "id=\"kw-phrases\"><span class=\"num\">0<",
          "if (data.keywords)"},
         {"<div id=\"gap-table\">", "\"gap\":", "kw-gaps", "kw-cut", "<svg id=\"chart-keywords\""}},
        {"rows",
         withRows,
         {"2 phrases across the site",
          // Rank, phrase, score, pages, in titles, in H1, in anchors, best page, competing pages and their
          // count, the language as a word of the list.
          "[1,\"blue widgets\",0.5,3,2,1,0,\"http://s.test/a\",[\"http://s.test/b\"],1,0]",
          "[2,\"red widgets\",0.25,3,2,1,0,\"http://s.test/a\",[],0,0]",
          "\"clusters\":[\n[\"widgets\",\"http://s.test/a\",[\"http://s.test/a\",\"http://s.test/b\"],2]]",
          "\"words\":[\"en\"]", "id=\"kw-cannibalised\"><span class=\"num\">1<",
          "id=\"kw-clusters\"><span class=\"num\">1<", "Top 2 phrases", "<title>blue widgets: 0.5</title>"},
         {"<div id=\"gap-table\">", "\"gap\":", "kw-gaps"}},
        {"rows and a gap",
         withGap,
         {"<div id=\"gap-table\">",
          // NOLINTNEXTLINE(bugprone-suspicious-missing-comma): one expected text, split to fit
          "\"gap\":[\n[\"green widgets\",0.5,0.25,1,\"http://them.test/x\",\"http://s.test/a\"],\n"
          "[\"blue widgets\",0.5,0.25,2,",
          "\"words\":[\"en\",\"gap\",\"shared\"]", "id=\"kw-gaps\"><span class=\"num\">1<",
          "Theirs: <span id=\"gap-theirs\">http://them.test/</span>, mine: <span id=\"gap-mine\">http://s.test/<"},
         {}},
    };
    for (const Case& c : cases) {
        AuditData data;
        data.keywords = c.keywords;
        const std::string page = BuildAuditPage(data);
        for (const std::string& text : c.present) {
            EXPECT_NE(page.find(text), std::string::npos) << c.name << ": " << text;
        }
        for (const std::string& text : c.absent) {
            EXPECT_EQ(page.find(text), std::string::npos) << c.name << ": " << text;
        }
    }
}

TEST(AuditPageKeywordsTest, PageAddressesAreRowNumbersAsTheLinksAre) {
    AuditData data = SmallCrawl();
    KeywordSection keywords;
    keywords.phrases = {Phrase("blue widgets", 0.5, {"http://s.test/1", "http://elsewhere.test/"})};
    keywords.phrases[0].bestPage = "http://s.test/2";
    keywords.clusters = {{"widgets", "http://s.test/1", {"http://s.test/0", "http://s.test/1"}}};
    data.keywords = keywords;
    const std::string page = BuildAuditPage(data);
    EXPECT_NE(page.find(",0,2,[1,\"http://elsewhere.test/\"],2,"), std::string::npos);
    EXPECT_NE(page.find("[\"widgets\",1,[0,1],2]"), std::string::npos);
}

TEST(AuditPageKeywordsTest, HostilePhrasesAndAddressesStayText) {
    const std::string hostile = "</script><script>alert(1)</script><!--";
    const std::string badUtf8 = "caf\xC3 \xFF\xFE";
    AuditData data;
    data.meta.startUrl = "http://s.test/";
    KeywordSection keywords;
    std::string accents;
    for (int i = 0; i < 40; ++i) {
        accents += "\xC3\xA9";
    }
    keywords.phrases = {Phrase(hostile, 2, {"http://s.test/</script>"}), Phrase(badUtf8, 1), Phrase(accents, 0.5)};
    keywords.phrases[0].lang = hostile;
    keywords.phrases[1].bestPage = "javascript:alert(1)//</script>";
    keywords.clusters = {{hostile, hostile, {hostile, badUtf8}}};
    keywords.gap = std::vector<keyphrase::GapRow>{{hostile, 1, 0, hostile, hostile, badUtf8}};
    keywords.theirStartUrl = hostile;
    keywords.myStartUrl = badUtf8;
    data.keywords = keywords;
    const std::string page = BuildAuditPage(data);
    // The data block and the script: two elements, each closed once; nothing opens a comment.
    EXPECT_EQ(Occurrences(page, "</script>"), 2U);
    EXPECT_EQ(Occurrences(page, "<script"), 2U);
    EXPECT_EQ(Occurrences(page, "<!--"), 0U);
    // In the chart and the gap's heading as HTML text, in the data as JSON text.
    EXPECT_NE(page.find("&lt;/script&gt;&lt;script&gt;alert(1)&lt;/script&gt;&lt;!--"), std::string::npos);
    EXPECT_NE(page.find("\\u003c/script\\u003e\\u003cscript\\u003ealert(1)"), std::string::npos);
    // A long label is cut at a character's edge, never inside one.
    EXPECT_NE(page.find(">" + accents.substr(0, 64) + "\u2026</text>"), std::string::npos);
    EXPECT_EQ(page.find('\xFF'), std::string::npos);
    EXPECT_EQ(page.find("\xC3 "), std::string::npos);
    EXPECT_NE(page.find("caf\xEF\xBF\xBD \xEF\xBF\xBD\xEF\xBF\xBD"), std::string::npos);
}

TEST(AuditPageKeywordsTest, AGreatSiteShowsTheHeadOfEachListAndSaysHowMuchThereIs) {
    AuditData data;
    KeywordSection keywords;
    for (int i = 0; i < 5000; ++i) {
        std::vector<std::string> competing;
        if (i >= 1500 && i < 4000) {
            for (int k = 0; k < 300; ++k) {
                competing.push_back("http://s.test/c" + std::to_string(k));
            }
        }
        keywords.phrases.push_back(Phrase("kp-" + std::to_string(i), 5000 - i, std::move(competing)));
    }
    for (int i = 0; i < 1500; ++i) {
        keywords.clusters.push_back({"cl-" + std::to_string(i), "http://s.test/a", {"http://s.test/a"}});
    }
    std::vector<keyphrase::GapRow> gap;
    gap.reserve(3000);
    for (int i = 0; i < 3000; ++i) {
        gap.push_back(Gap("gp-" + std::to_string(i), "gap"));
    }
    for (int i = 0; i < 10; ++i) {
        gap.push_back(Gap("gp-shared", "shared"));
    }
    for (int i = 0; i < 2000; ++i) {
        gap.push_back(Gap("gp-mine", "only mine"));
    }
    keywords.gap = std::move(gap);
    data.keywords = std::move(keywords);
    const std::string page = BuildAuditPage(data);

    // The table's first thousand, and the first thousand cannibalised ones, which run past it to rank 2500.
    EXPECT_EQ(Occurrences(page, ",\"kp-"), 1000U + 1000U);
    EXPECT_NE(page.find("[2500,\"kp-2499\""), std::string::npos);
    EXPECT_EQ(page.find("[2501,\"kp-2500\""), std::string::npos);
    EXPECT_EQ(page.find("[1001,\"kp-1000\""), std::string::npos);
    EXPECT_NE(page.find("\"http://s.test/c99\"],300,"), std::string::npos);
    EXPECT_EQ(page.find("http://s.test/c100\""), std::string::npos);
    EXPECT_EQ(Occurrences(page, "[\"cl-"), 1000U);
    EXPECT_EQ(Occurrences(page, "[\"gp-"), 1000U + 10U + 1000U);
    EXPECT_EQ(Occurrences(page, "<rect class=\"bar\" x=\"200\""), kKeywordChartBars);
    for (const char* note :
         {"Showing the first 1000 of 5000 phrases;", "Showing the first 1000 of 2500 cannibalised phrases;",
          "Showing the first 1000 of 1500 clusters;", "Showing the first 1000 of 3000 rows of status \"gap\";",
          "Showing the first 1000 of 2000 rows of status \"only mine\";", "id=\"kw-phrases\"><span class=\"num\">5000<",
          "id=\"kw-gaps\"><span class=\"num\">3000<"}) {
        EXPECT_NE(page.find(note), std::string::npos) << note;
    }
    EXPECT_EQ(page.find("rows of status \"shared\""), std::string::npos);
    EXPECT_LT(page.size(), std::size_t{8} << 20);

    std::string streamed;
    std::size_t pieces = 0;
    StreamAuditPage(data, [&](std::string_view piece) {
        ++pieces;
        streamed += piece;
    });
    EXPECT_GT(pieces, 1U);
    EXPECT_EQ(WithoutNonce(streamed), WithoutNonce(page));
}

TEST(AuditPageKeywordsTest, ScoresAreWrittenAsJsonNumbersInAnyLocale) {
    const struct {
        double score;
        const char* text;
    } rows[] = {
        {0.5, "0.5"},
        {0.123456, "0.1235"},
        {12345.678, "1.235e+04"},
        {0, "0"},
        {-2, "-2"},
        {std::numeric_limits<double>::quiet_NaN(), "0"},
        {std::numeric_limits<double>::infinity(), "0"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(ScoreText(row.score), row.text) << row.score;
    }
}

} // namespace
} // namespace vortaxel::audit
