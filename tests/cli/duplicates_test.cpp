// The duplicate checks and the link score from the command line: a site of known duplicates, near-duplicates
// and thin pages, the report's columns at two thresholds, a resumed and an offline crawl, and the refusals.

#include "tests/cli/cli_outcome.h"
#include "tests/support/loopback_site.h"
#include "tests/support/scratch_folder.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace vortaxel::test {
namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(line);
    }
    return lines;
}

std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> fields(1);
    for (const char c : line) {
        if (c == ',') {
            fields.emplace_back();
        } else {
            fields.back().push_back(c);
        }
    }
    return fields;
}

using Row = std::map<std::string, std::string>;

/// The report's rows by address; the fields here hold no commas or quotes.
std::map<std::string, Row> RowsByUrl(const std::string& text) {
    const std::vector<std::string> lines = Lines(text);
    std::map<std::string, Row> rows;
    if (lines.empty()) {
        return rows;
    }
    const std::vector<std::string> header = Fields(lines[0]);
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const std::vector<std::string> fields = Fields(lines[i]);
        Row row;
        for (std::size_t j = 0; j < header.size() && j < fields.size(); ++j) {
            row[header[j]] = fields[j];
        }
        rows[fields[0]] = row;
    }
    return rows;
}

/// `count` words "PREFIXn" from `from` on, a paragraph of 20 words each.
std::string Paragraphs(const std::string& prefix, int from, int count) {
    std::string html;
    for (int i = 0; i < count; ++i) {
        if (i % 20 == 0) {
            html += i == 0 ? "<p>" : "</p><p>";
        }
        html += prefix + std::to_string(from + i) + " ";
    }
    return html + "</p>";
}

constexpr const char* kNav = "<nav><a href=/>Home</a> <a href=/a.html>Guides</a> <a href=/b.html>Articles</a> "
                             "<a href=/c.html>Stories</a></nav>";
constexpr const char* kFooter = "<footer><p>Copyright the example shop, all rights reserved; call us on any day "
                                "of the week between nine and five.</p></footer>";

// The pages, in the order the home page links them (and the crawl lists them).
const std::vector<std::string> kPages = {"a.html",   "a-copy.html", "b.html",  "b-side.html", "c.html",  "c95.html",
                                         "c85.html", "c50.html",    "d1.html", "d2.html",     "d3.html", "d4.html"};

std::string Page(const std::string& body) {
    return std::string("<html lang=en><title>Example shop</title>") + kNav + "<main>" + body + "</main>" + kFooter +
           "</html>";
}

/// Identical text under two addresses (a, a-copy); one article with two sidebars (b, b-side); an article
/// (c) and pages that keep 95%, 85% and 50% of its words (their first 20, 60 or 200 words replaced); four
/// short pages of their own (d1-d4), thin as the home page is.
void ServeSite(LoopbackSite& site) {
    std::string home = "<p>Welcome.</p><ul>";
    for (const std::string& page : kPages) {
        home += "<li><a href=/" + page + ">" + page + "</a></li>";
    }
    site.ServeHtml("/", Page(home + "</ul>"));
    site.ServeHtml("/a.html", Page(Paragraphs("alpha", 0, 250)));
    site.ServeHtml("/a-copy.html", Page(Paragraphs("alpha", 0, 250)));
    site.ServeHtml("/b.html",
                   Page(Paragraphs("beta", 0, 300) + "<aside><p>" + Paragraphs("related", 0, 10) + "</p></aside>"));
    site.ServeHtml("/b-side.html",
                   Page(Paragraphs("beta", 0, 300) + "<aside><p>" + Paragraphs("popular", 0, 10) + "</p></aside>"));
    site.ServeHtml("/c.html", Page(Paragraphs("gamma", 0, 400)));
    site.ServeHtml("/c95.html", Page(Paragraphs("ninetyfive", 0, 20) + Paragraphs("gamma", 20, 380)));
    site.ServeHtml("/c85.html", Page(Paragraphs("eightyfive", 0, 60) + Paragraphs("gamma", 60, 340)));
    site.ServeHtml("/c50.html", Page(Paragraphs("fifty", 0, 200) + Paragraphs("gamma", 200, 200)));
    for (int d = 1; d <= 4; ++d) {
        site.ServeHtml("/d" + std::to_string(d) + ".html", Page(Paragraphs("delta" + std::to_string(d) + "x", 0, 60)));
    }
}

using Pair = std::pair<std::string, std::string>;

/// Each row's page and its closest match, the pair in byte order.
std::set<Pair> NearPairs(const std::map<std::string, Row>& rows) {
    std::set<Pair> pairs;
    for (const auto& [url, row] : rows) {
        if (const std::string& other = row.at("near_duplicate_of"); !other.empty()) {
            pairs.insert(url < other ? Pair{url, other} : Pair{other, url});
        }
    }
    return pairs;
}

class Duplicates : public ::testing::Test {
protected:
    void SetUp() override { ServeSite(site_); }
    std::string U(const std::string& page) const { return site_.Url("/" + page); }
    std::string Path(const char* name) const { return (folder_.Path() / name).string(); }
    Pair P(const std::string& a, const std::string& b) const {
        return U(a) < U(b) ? Pair{U(a), U(b)} : Pair{U(b), U(a)};
    }

    LoopbackSite site_;
    ScratchFolder folder_{"duplicates"};
};

TEST_F(Duplicates, FindsTheSitesDuplicatesAtTheDefaultAndAtEightyPercent) {
    const Outcome crawl = RunCli({"--quiet", "--rules", "browser", "--duplicates", "--db", Path("site.db"), "--report",
                                  Path("default.csv"), U("")});
    ASSERT_EQ(crawl.code, 0) << crawl.err;
    const auto rows = RowsByUrl(ReadFile(Path("default.csv")));
    ASSERT_EQ(rows.size(), kPages.size() + 1) << ReadFile(Path("default.csv"));

    // Exact duplicates: the later of the two names the first; nothing else is one.
    for (const auto& [url, row] : rows) {
        EXPECT_EQ(row.at("duplicate_of"), url == U("a-copy.html") ? U("a.html") : "") << url;
    }
    // At 90%: the two sidebars and the 95% page, no more (precision and recall 1).
    const std::set<Pair> expected = {P("b.html", "b-side.html"), P("c.html", "c95.html")};
    EXPECT_EQ(NearPairs(rows), expected);
    EXPECT_EQ(rows.at(U("c.html")).at("near_duplicate_of"), U("c95.html"));
    EXPECT_EQ(rows.at(U("c.html")).at("similarity"), "94");
    EXPECT_EQ(rows.at(U("c85.html")).at("similarity"), "");

    const struct {
        std::string page;
        const char* thin;
    } thin[] = {{"", "yes"}, {"a.html", "no"}, {"c50.html", "no"}, {"d1.html", "yes"}, {"d4.html", "yes"}};
    for (const auto& item : thin) {
        EXPECT_EQ(rows.at(U(item.page)).at("thin"), item.thin) << item.page;
    }
    EXPECT_GE(std::stoi(rows.at(U("c.html")).at("word_count")), 400);

    // Judged anew at 80% from the kept crawl: the 85% page joins, its closest match the first it meets.
    site_.ClearRequests();
    const Outcome lower = RunCli(
        {"--quiet", "--db", Path("site.db"), "--offline", "--near-duplicates", "80", "--report", Path("eighty.csv")});
    ASSERT_EQ(lower.code, 0) << lower.err;
    EXPECT_TRUE(site_.Targets().empty());
    const auto eighty = RowsByUrl(ReadFile(Path("eighty.csv")));
    const std::set<Pair> expected80 = {P("b.html", "b-side.html"), P("c.html", "c95.html"), P("c.html", "c85.html")};
    EXPECT_EQ(NearPairs(eighty), expected80);
    std::size_t flagged = 0;
    for (const auto& [url, row] : eighty) {
        flagged += row.at("near_duplicate_of").empty() ? 0 : 1;
    }
    EXPECT_EQ(flagged, 5U);
    EXPECT_EQ(eighty.at(U("c85.html")).at("similarity"), "84");
    EXPECT_EQ(eighty.at(U("c50.html")).at("near_duplicate_of"), "");
}

TEST_F(Duplicates, ColumnsComeOnlyWithTheSwitchesAndAfterTodaysOnes) {
    const Outcome plain = RunCli({"--quiet", "--rules", "browser", "--report", Path("plain.csv"), U("")});
    ASSERT_EQ(plain.code, 0) << plain.err;
    const Outcome both =
        RunCli({"--quiet", "--rules", "browser", "--duplicates", "--link-score", "--report", Path("both.csv"), U("")});
    ASSERT_EQ(both.code, 0) << both.err;
    const std::vector<std::string> plainLines = Lines(ReadFile(Path("plain.csv")));
    const std::vector<std::string> bothLines = Lines(ReadFile(Path("both.csv")));
    ASSERT_EQ(plainLines.size(), bothLines.size());
    EXPECT_EQ(bothLines[0], plainLines[0] + ",duplicate_of,near_duplicate_of,similarity,word_count,thin,link_score");
    const auto rows = RowsByUrl(ReadFile(Path("both.csv")));
    // The pages the navigation links score above the ones the home page alone links, and the best scores 100.
    int best = 0;
    for (const auto& [url, row] : rows) {
        best = std::max(best, std::stoi(row.at("link_score")));
    }
    EXPECT_EQ(best, 100);
    EXPECT_LT(std::stoi(rows.at(U("d1.html")).at("link_score")), std::stoi(rows.at(U("a.html")).at("link_score")));
    EXPECT_EQ(rows.at(U("d1.html")).at("link_score"), rows.at(U("d4.html")).at("link_score"));
}

TEST_F(Duplicates, AuditPageListsThemInItsContentSectionOnlyWithTheSwitches) {
    ASSERT_EQ(RunCli({"--quiet", "--rules", "browser", "--html", Path("plain.html"), U("")}).code, 0);
    ASSERT_EQ(
        RunCli({"--quiet", "--rules", "browser", "--duplicates", "--link-score", "--html", Path("checked.html"), U("")})
            .code,
        0);
    EXPECT_EQ(ReadFile(Path("plain.html")).find("<section id=\"content\">"), std::string::npos);
    const std::string page = ReadFile(Path("checked.html"));
    const struct {
        const char* table;
        std::string holds;
    } cases[] = {
        {"<table id=\"exact-duplicates\">", "<td>" + U("a-copy.html") + "</td><td>" + U("a.html") + "</td>"},
        {"<table id=\"near-duplicates\">", "<td>" + U("c95.html") + "</td><td>" + U("c.html") + "</td><td>94</td>"},
        {"<table id=\"thin-pages\">", "<td>" + U("d1.html") + "</td>"},
        {"<table id=\"weakest-pages\">", "<td>" + U("d1.html") + "</td>"},
    };
    for (const auto& item : cases) {
        const std::size_t table = page.find(item.table);
        ASSERT_NE(table, std::string::npos) << item.table;
        EXPECT_LT(page.find(item.holds, table), page.find("</table>", table)) << item.table;
    }
    EXPECT_NE(page.find("id=\"near-duplicates-note\">4 pages."), std::string::npos);
}

TEST_F(Duplicates, AResumedCrawlAndTheOfflineReportGiveTheOneRunsFindings) {
    const std::vector<std::string> options = {"--quiet", "--rules", "browser", "--duplicates", "--link-score"};
    std::vector<std::string> once = options;
    once.insert(once.end(), {"--db", Path("once.db"), "--report", Path("once.csv"), U("")});
    ASSERT_EQ(RunCli(once).code, 0);
    std::vector<std::string> cut = options;
    cut.insert(cut.end(), {"--db", Path("cut.db"), "--max-pages", "5", U("")});
    ASSERT_EQ(RunCli(cut).code, 0);
    const Outcome resumed =
        RunCli({"--quiet", "--db", Path("cut.db"), "--resume", "--max-pages", "100", "--report", Path("resumed.csv")});
    ASSERT_EQ(resumed.code, 0) << resumed.err;
    const Outcome offline = RunCli({"--quiet", "--db", Path("cut.db"), "--offline", "--report", Path("offline.csv")});
    ASSERT_EQ(offline.code, 0) << offline.err;
    EXPECT_EQ(ReadFile(Path("offline.csv")), ReadFile(Path("resumed.csv")));

    const auto a = RowsByUrl(ReadFile(Path("once.csv")));
    const auto b = RowsByUrl(ReadFile(Path("resumed.csv")));
    ASSERT_EQ(a.size(), b.size());
    for (const auto& [url, row] : a) {
        for (const char* column :
             {"duplicate_of", "near_duplicate_of", "similarity", "word_count", "thin", "link_score"}) {
            EXPECT_EQ(b.at(url).at(column), row.at(column)) << url << " " << column;
        }
    }
}

TEST_F(Duplicates, RefusedWhereTheyCannotBeServed) {
    const struct {
        std::vector<std::string> args;
        const char* names;
    } cases[] = {
        {{"--duplicates"}, "--duplicates"},
        {{"--near-duplicates", "80"}, "--near-duplicates"},
        {{"--thin-words", "50"}, "--thin-words"},
        {{"--link-score"}, "--link-score"},
        {{"--rules", "browser", "--near-duplicates", "0"}, "--near-duplicates"},
        {{"--rules", "browser", "--near-duplicates", "101"}, "--near-duplicates"},
        {{"--rules", "browser", "--thin-words", "-1"}, "--thin-words"},
    };
    for (const auto& item : cases) {
        std::vector<std::string> args = item.args;
        args.push_back(U(""));
        const Outcome refused = RunCli(args);
        EXPECT_EQ(refused.code, 2) << item.names;
        EXPECT_NE(refused.err.find(item.names), std::string::npos) << refused.err;
    }
    // A crawl kept without text prints cannot be compared afterwards.
    ASSERT_EQ(RunCli({"--quiet", "--rules", "browser", "--db", Path("plain.db"), U("")}).code, 0);
    const Outcome later =
        RunCli({"--quiet", "--db", Path("plain.db"), "--offline", "--duplicates", "--report", Path("later.csv")});
    EXPECT_EQ(later.code, 2);
    EXPECT_NE(later.err.find("kept no text prints"), std::string::npos) << later.err;
}

} // namespace
} // namespace vortaxel::test
