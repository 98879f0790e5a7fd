// The summary's counts do not depend on which files the run writes beside it: with the links file its
// broken links are counted as that file is read, with the report alone by SQLite, and with the audit page
// from the crawl held in memory.

#include "child_process.h"
#include "tests/support/loopback_site.h"
#include "tests/support/scratch_folder.h"

#include <algorithm>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <string>
#include <vector>

namespace vortaxel::test {
namespace {

using namespace std::chrono_literals;

std::string SummaryOf(const std::string& err) {
    return err.substr(std::min(err.find("Audit: "), err.size()));
}

TEST(AuditCounts, BrokenLinksCountAlikeWhicheverFilesAreWritten) {
    LoopbackSite site;
    site.Serve("/", Page().WithBody("<title>Shop</title><a href=/a.html>a</a> <a href=/gone.html>g</a> "
                                    "<a href=/gone.html>again</a> <a href=/down.html>d</a> <a href=/a.html#x>a</a>"));
    site.Serve("/a.html", Page().WithBody("<title>A</title><a href=/gone.html>g</a> <a href=/>home</a>"));
    site.Serve("/down.html", Page().WithStatus(503).WithBody("<title>Down</title><a href=/gone.html>g</a>"));
    ScratchFolder folder{"audit-counts"};
    const auto path = [&folder](const char* name) { return (folder.Path() / name).string(); };
    ChildProcess crawl(VORTAXEL_CLI_PATH, {"--rules", "browser", "--db", path("c.db"), "--report", path("r1.csv"),
                                           "--links", path("l1.csv"), site.Url("/")});
    ASSERT_TRUE(crawl.Wait(60s));
    ASSERT_EQ(crawl.ExitCode(), 0) << crawl.Err();
    EXPECT_NE(crawl.Err().find("Broken links: 4 (to 2 addresses) on 2 pages\n"), std::string::npos) << crawl.Err();
    const std::vector<std::vector<std::string>> others = {
        {"--report", path("r2.csv")},
        {"--report", path("r3.csv"), "--links", path("l3.csv")},
        {"--html", path("a.html")},
    };
    for (const auto& files : others) {
        std::vector<std::string> args = {"--db", path("c.db"), "--offline"};
        args.insert(args.end(), files.begin(), files.end());
        ChildProcess offline(VORTAXEL_CLI_PATH, args);
        ASSERT_TRUE(offline.Wait(60s));
        ASSERT_EQ(offline.ExitCode(), 0) << offline.Err();
        EXPECT_EQ(SummaryOf(offline.Err()), SummaryOf(crawl.Err())) << files[0];
    }
}

std::string FileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::vector<std::string> Lines(const std::string& text, std::string_view end) {
    std::vector<std::string> lines;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t cut = std::min(text.find(end, at), text.size());
        lines.push_back(text.substr(at, cut - at));
        at = cut + end.size();
    }
    return lines;
}

/// A CSV without quotes or commas in its fields, as rows of column name -> value.
std::vector<std::map<std::string, std::string>> PlainCsv(const std::string& text) {
    std::vector<std::vector<std::string>> table;
    for (const std::string& line : Lines(text, "\r\n")) {
        table.push_back(Lines(line + ",", ","));
    }
    std::vector<std::map<std::string, std::string>> rows;
    for (std::size_t i = 1; i < table.size(); ++i) {
        std::map<std::string, std::string> row;
        for (std::size_t j = 0; j < table[0].size() && j < table[i].size(); ++j) {
            row[table[0][j]] = table[i][j];
        }
        rows.push_back(row);
    }
    return rows;
}

/// A site whose every page is a case the audit once counted wrong: redirects followed hop by hop (as
/// --robots makes the crawl do), a nofollow sent as a header, a page robots.txt blocks, a feed named by an
/// alternate without hreflang, a canonical that is no web address and a page whose anchors are mostly its own.
class AuditFacts : public ::testing::Test {
protected:
    void SetUp() override {
        site_.Serve("/robots.txt",
                    Page().WithContentType("text/plain").WithBody("User-agent: *\nDisallow: /private/\n"));
        site_.ServeHtml("/", "<title>Home</title><a href=/chain.html>Chain</a> <a href=/hdr.html>Header</a> "
                             "<a href=/hdr2.html>Header two</a> <a href=/private/p.html>Private</a> "
                             "<a href=/gone.html>Gone</a> <a href=/self.html>Self page</a> "
                             "<link rel=alternate type=application/rss+xml href=/feed.xml>");
        site_.Redirect("/chain.html", "/hop/a.html", 301);
        site_.Redirect("/hop/a.html", "/final.html", 302);
        site_.ServeHtml("/final.html", "<title>Final</title><a href=/hop/a.html>Again</a>");
        site_.Serve("/hdr.html", Page()
                                     .WithBody("<title>H</title><a href=/behind.html>x</a>")
                                     .WithHeader("X-Robots-Tag", "noindex, nofollow"));
        site_.Serve(
            "/hdr2.html",
            Page().WithBody("<title>H2</title><a href=/behind2.html>y</a>").WithHeader("X-Robots-Tag", "nofollow"));
        site_.ServeHtml("/self.html", "<title>Self</title><link rel=canonical href=file:///doc/self.html>"
                                      "<a href=/self.html>\xC2\xB6</a> <a href=/self.html#a>\xC2\xB6</a> "
                                      "<a href=/self.html#b>\xC2\xB6</a>");
        const auto path = [this](const char* name) { return (folder_.Path() / name).string(); };
        ChildProcess crawl(VORTAXEL_CLI_PATH,
                           {"--rules", "browser", "--robots", "--report", path("r.csv"), "--links", path("l.csv"),
                            "--keywords", path("k.txt"), "--phrases", "anchor", site_.Url("/")});
        EXPECT_TRUE(crawl.Wait(60s));
        EXPECT_EQ(crawl.ExitCode(), 0) << crawl.Err();
        out_ = crawl.Out();
        err_ = crawl.Err();
        for (auto& row : PlainCsv(FileText(path("r.csv")))) {
            report_[row["url"].substr(site_.Url("").size())] = row;
        }
        links_ = PlainCsv(FileText(path("l.csv")));
        keywords_ = Lines(FileText(path("k.txt")), "\r\n");
    }

    LoopbackSite site_;
    ScratchFolder folder_{"audit-facts"};
    std::string out_;
    std::string err_;
    std::map<std::string, std::map<std::string, std::string>> report_;
    std::vector<std::map<std::string, std::string>> links_;
    std::vector<std::string> keywords_;
};

TEST_F(AuditFacts, ReportRowsSayWhatEachAddressIs) {
    struct Case {
        const char* path;
        const char* column;
        std::string expected;
    };
    const std::vector<Case> cases = {
        // Links name the address as written: a redirect's inlinks are the links to it.
        {"/chain.html", "inlinks", "1"},
        {"/hop/a.html", "inlinks", "1"},
        // Hops followed one by one are each kept.
        {"/chain.html", "redirect_chain", "301 " + site_.Url("/chain.html") + " -> 302 " + site_.Url("/hop/a.html")},
        {"/hop/a.html", "redirect_chain", "302 " + site_.Url("/hop/a.html")},
        // A redirect is its own indexability, whatever its last answer was.
        {"/chain.html", "indexability", "redirect"},
        {"/hop/a.html", "indexability", "redirect"},
        // A canonical that is no web address is no canonical.
        {"/self.html", "canonical", "file:///doc/self.html"},
        {"/self.html", "indexability", "indexable"},
        {"/private/p.html", "error", "blocked by robots.txt"},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(report_.contains(c.path)) << c.path;
        EXPECT_EQ(report_[c.path][c.column], c.expected) << c.path << " " << c.column;
    }
}

TEST_F(AuditFacts, LinksFileSaysWhichLinksTheCrawlFollows) {
    struct Case {
        const char* source;
        const char* target;
        const char* follow;
    };
    const std::vector<Case> cases = {
        {"/", "/chain.html", "yes"},
        // A nofollow sent in the header, alone or beside noindex.
        {"/hdr.html", "/behind.html", "no"},
        {"/hdr2.html", "/behind2.html", "no"},
        // An alternate without hreflang is never requested.
        {"/", "/feed.xml", "no"},
    };
    for (const Case& c : cases) {
        const auto link = std::find_if(links_.begin(), links_.end(), [&](auto& row) {
            return row["source"] == site_.Url(c.source) && row["target"] == site_.Url(c.target);
        });
        ASSERT_NE(link, links_.end()) << c.source << " -> " << c.target;
        EXPECT_EQ(link->at("follow"), c.follow) << c.source << " -> " << c.target;
    }
    for (const char* never : {"/behind.html", "/behind2.html", "/feed.xml"}) {
        const auto targets = site_.Targets();
        EXPECT_EQ(std::count(targets.begin(), targets.end(), never), 0) << never;
    }
}

TEST_F(AuditFacts, SummaryCountsRedirectsAndTellsBlockedFromBroken) {
    for (const char* line : {"Broken links: 1 (to 1 address) on 1 page\n",
                             "Redirects: 2 pages redirected, 1 chain of two hops or more (longest 2 hops)\n"}) {
        EXPECT_NE(err_.find(line), std::string::npos) << line << err_;
    }
    // No title is missing: a redirect has none to miss.
    EXPECT_NE(err_.find("Titles: 0 missing"), std::string::npos) << err_;
}

TEST_F(AuditFacts, AnchorPhrasesLeaveOutThePagesLinksToItself) {
    // The self page's own permalink signs outnumber the one link to it from elsewhere.
    EXPECT_NE(std::find(keywords_.begin(), keywords_.end(), "Self page"), keywords_.end());
    EXPECT_EQ(std::find(keywords_.begin(), keywords_.end(), "\xC2\xB6"), keywords_.end());
}

TEST(AuditPage, SaysHowLongTheCrawlTookAndThatAKeptCrawlDidNotKeepIt) {
    LoopbackSite site;
    site.Serve("/", Page().WithBody("<title>Slow</title><a href=/b.html>b</a>").WithDelay(300ms));
    site.ServeHtml("/b.html", "<title>B</title>");
    ScratchFolder folder{"audit-time"};
    const std::string db = (folder.Path() / "c.db").string();
    const std::string page = (folder.Path() / "a.html").string();
    ChildProcess crawl(VORTAXEL_CLI_PATH, {"--quiet", "--rules", "browser", "--db", db, "--html", page, site.Url("/")});
    ASSERT_TRUE(crawl.Wait(60s));
    ASSERT_EQ(crawl.ExitCode(), 0) << crawl.Err();
    const std::string html = FileText(page);
    const std::size_t took = html.find("took ");
    ASSERT_NE(took, std::string::npos);
    EXPECT_NE(html.substr(took, 10), "took 0.0 s") << html.substr(took, 20);
    EXPECT_NE(html.find(">1</span><span class=\"label\">Links<"), std::string::npos);
    ChildProcess offline(VORTAXEL_CLI_PATH, {"--quiet", "--db", db, "--offline", "--html", page});
    ASSERT_TRUE(offline.Wait(60s));
    ASSERT_EQ(offline.ExitCode(), 0) << offline.Err();
    EXPECT_NE(FileText(page).find("time taken not kept"), std::string::npos);
}

TEST(AuditText, TitlesThatAreNotUtf8ReachTheTextFilesWithTheirBadBytesReplaced) {
    LoopbackSite site;
    site.ServeHtml("/", "<title>caf\xE9 cr\xE8me</title><h1>Men\xE9u</h1><a href=/odd.html>odd</a>");
    site.Serve("/odd.html", Page().WithContentType("text/pl\xE4in"));
    ScratchFolder folder{"audit-text"};
    const std::string report = (folder.Path() / "r.csv").string();
    const std::string keywords = (folder.Path() / "k.txt").string();
    for (const char* source : {"title", "h1"}) {
        ChildProcess crawl(VORTAXEL_CLI_PATH, {"--quiet", "--rules", "browser", "--report", report, "--keywords",
                                               keywords, "--phrases", source, site.Url("/")});
        ASSERT_TRUE(crawl.Wait(60s));
        ASSERT_EQ(crawl.ExitCode(), 0) << crawl.Err();
        const std::string expected =
            std::string(source) == "title" ? "caf\xEF\xBF\xBD cr\xEF\xBF\xBDme\r\n" : "Men\xEF\xBF\xBDu\r\n";
        EXPECT_EQ(FileText(keywords), expected) << source;
        const auto rows = PlainCsv(FileText(report));
        ASSERT_EQ(rows.size(), 2U);
        EXPECT_EQ(rows[0].at("title"), "caf\xEF\xBF\xBD cr\xEF\xBF\xBDme");
        EXPECT_EQ(rows[0].at("h1"), "Men\xEF\xBF\xBDu");
        EXPECT_EQ(rows[1].at("content_type"), "text/pl\xEF\xBF\xBDin");
    }
}

// The site's title suffix, the numbering, the permalink signs and the navigation links are the same
// on every page; what is left names each page.
TEST(AuditText, TextPhrasesKeepWhatNamesEachPage) {
    LoopbackSite site;
    const std::string nav = "<a href=/b.html>Next \xC2\xBB</a> <a href=/c.html>[1]</a> <a href=/c.html>Up</a> ";
    site.ServeHtml("/", "<title>Shop</title><h1>Shop</h1>" + nav + "<a href=/b.html>apt-get tips</a>");
    site.ServeHtml("/b.html", "<title>1.5.\xC2\xA0"
                              "apt-get tips | Shop</title><h1>1.5. apt-get tips<a "
                              "href=#t>\xC2\xB6"
                              "</a></h1><a href=/c.html>C&nbsp;and&nbsp;D</a>" +
                                  nav);
    site.ServeHtml("/c.html", "<title>Chapter 2. C and D | Shop</title><h1>C and D</h1><a href=/>Home</a> "
                              "<a href=/d.html>Extra</a>" +
                                  nav);
    site.ServeHtml("/d.html", "<title>Extra | Shop</title>");
    ScratchFolder folder{"audit-clean-text"};
    const std::string keywords = (folder.Path() / "k.txt").string();
    const std::map<std::string, std::string> expected = {
        {"title", "Shop\r\napt-get tips\r\nC and D\r\nExtra\r\n"},
        {"h1", "Shop\r\napt-get tips\r\nC and D\r\n"},
        // The start page's only anchor is "Home": it has none.
        {"anchor", "apt-get tips\r\nC and D\r\nExtra\r\n"},
    };
    for (const auto& [source, lines] : expected) {
        ChildProcess crawl(VORTAXEL_CLI_PATH, {"--quiet", "--rules", "browser", "--keywords", keywords, "--phrases",
                                               source, site.Url("/")});
        ASSERT_TRUE(crawl.Wait(60s));
        ASSERT_EQ(crawl.ExitCode(), 0) << crawl.Err();
        EXPECT_EQ(FileText(keywords), lines) << source;
    }
}

} // namespace
} // namespace vortaxel::test
