// What a browser-rules crawl learns beyond the site's links: the pages its sitemaps list (found, marked
// and counted as orphans when no link leads there, whatever hostile shape the sitemaps take) and the
// status of the images, style sheets and scripts its pages use.

#include "store/crawl_store.h"
#include "store/crawl_store_db.h"
#include "store/read/crawl_report.h"
#include "store/sqlite_db.h"
#include "tests/cli/cli_outcome.h"
#include "tests/support/gzip.h"
#include "tests/support/loopback_site.h"
#include "tests/support/scratch_folder.h"

#include <algorithm>
#include <atomic>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace vortaxel::test {
namespace {

using namespace std::chrono_literals;

std::set<std::string> Lines(const std::string& text) {
    std::set<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty()) {
            lines.insert(line);
        }
    }
    return lines;
}

/// The CSV's rows as name -> value maps, keyed by the value of `key`; fields here hold no quotes or commas.
std::map<std::string, std::map<std::string, std::string>> CsvBy(const std::string& text, const std::string& key) {
    std::vector<std::vector<std::string>> rows;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        std::vector<std::string> fields(1);
        for (const char c : line) {
            if (c == ',') {
                fields.emplace_back();
            } else {
                fields.back().push_back(c);
            }
        }
        rows.push_back(fields);
    }
    std::map<std::string, std::map<std::string, std::string>> byKey;
    for (std::size_t i = 1; i < rows.size(); ++i) {
        std::map<std::string, std::string> row;
        for (std::size_t j = 0; j < rows[0].size() && j < rows[i].size(); ++j) {
            row[rows[0][j]] = rows[i][j];
        }
        byKey[row[key]] = row;
    }
    return byKey;
}

using ::vortaxel::test::Gzip;

std::string UrlSet(const std::vector<std::string>& locs) {
    std::string xml = R"(<?xml version="1.0"?><urlset xmlns="http://www.sitemaps.org/schemas/sitemap/0.9">)";
    for (const std::string& loc : locs) {
        xml += "<url><loc>" + loc + "</loc></url>";
    }
    return xml + "</urlset>";
}

std::string Index(const std::vector<std::string>& locs) {
    std::string xml = "<sitemapindex>";
    for (const std::string& loc : locs) {
        xml += "<sitemap><loc>" + loc + "</loc></sitemap>";
    }
    return xml + "</sitemapindex>";
}

class SitemapCrawl : public ::testing::Test {
protected:
    void SetUp() override {
        site_.ServeHtml("/", "<title>Home</title><a href=/linked.html>Linked</a>");
        site_.ServeHtml("/linked.html", "<title>Linked</title>");
        site_.ServeHtml("/orphan.html", "<title>Orphan</title><a href=/behind.html>Behind</a>");
        site_.ServeHtml("/behind.html", "<title>Behind the orphan</title>");
    }
    std::string U(const std::string& target) const { return site_.Url(target); }
    std::string Path(const char* name) const { return (folder_.Path() / name).string(); }

    LoopbackSite site_;
    ScratchFolder folder_{"sitemaps"};
};

/// One way a site offers (or garbles) its sitemaps, and what the crawl must make of it.
struct SitemapCase {
    const char* name;
    /// Sets up the site's sitemaps; `U` spells an address on the site.
    std::function<void(LoopbackSite&, const std::function<std::string(const std::string&)>& U)> serve;
    /// Whether /orphan.html, listed only by the sitemaps, is crawled and counted as the one orphan.
    bool orphanFound;
    /// A text the user is told on standard error.
    const char* said;
};

TEST_F(SitemapCrawl, PagesOnlyASitemapListsAreCrawledMarkedAndCountedAsOrphans) {
    const std::vector<SitemapCase> cases = {
        {"robots_names_an_index_of_gzip_files_that_also_names_itself",
         [](LoopbackSite& site, const auto& U) {
             site.Serve("/robots.txt", Page().WithContentType("text/plain").WithBody("Sitemap: " + U("/maps/all.xml")));
             site.Serve("/maps/all.xml", Page()
                                             .WithContentType("application/xml")
                                             .WithBody(Index({U("/maps/pages.xml.gz"), U("/maps/all.xml"),
                                                              "http://elsewhere.test/x.xml"})));
             site.Serve("/maps/pages.xml.gz",
                        Page()
                            .WithContentType("application/gzip")
                            .WithBody(Gzip(UrlSet({U("/linked.html"), U("/orphan.html"),
                                                   "http://elsewhere.test/page.html", U("/gone.html")}))));
         },
         true, "elsewhere.test/x.xml: left out, not on the site"},
        {"plain_sitemap_xml_with_no_robots_txt",
         [](LoopbackSite& site, const auto& U) {
             site.Serve("/sitemap.xml", Page().WithContentType("text/xml").WithBody(UrlSet({U("/orphan.html")})));
         },
         true, "sitemaps: 1 file read, 1 page of the site listed"},
        {"indexes_that_name_each_other",
         [](LoopbackSite& site, const auto& U) {
             site.Serve("/sitemap.xml", Page().WithBody(Index({U("/b.xml")})).WithContentType("text/xml"));
             site.Serve("/b.xml", Page().WithBody(Index({U("/sitemap.xml"), U("/c.xml")})).WithContentType("text/xml"));
             site.Serve("/c.xml", Page().WithBody(UrlSet({U("/orphan.html")}) + Index({U("/b.xml")})));
         },
         true, "sitemaps: 3 files read"},
        {"gzip_bomb_unpacking_to_200_mb",
         [](LoopbackSite& site, const auto& U) {
             site.Serve("/sitemap.xml", Page()
                                            .WithContentType("application/x-gzip")
                                            .WithBody(Gzip("<urlset><url><loc>" + U("/orphan.html") + "</loc></url>",
                                                           std::size_t{200} << 20, ' ',
                                                           "<url><loc>" + U("/never.html") + "</loc></url></urlset>")));
         },
         true, "sitemap.xml: read only the first 52428800 bytes"},
        {"only_other_hosts_pages",
         [](LoopbackSite& site, const auto&) {
             site.Serve("/sitemap.xml",
                        Page()
                            .WithContentType("text/xml")
                            .WithBody(UrlSet({"http://elsewhere.test/orphan.html", "https://127.0.0.2/orphan.html"})));
         },
         false, "sitemaps: 1 file read, 0 pages of the site listed"},
        {"not_xml_at_all",
         [](LoopbackSite& site, const auto&) { site.ServeHtml("/sitemap.xml", "<html>\xff<loc>nothing</loc>"); }, false,
         "0 pages of the site listed"},
    };
    for (const SitemapCase& c : cases) {
        SCOPED_TRACE(c.name);
        LoopbackSite site;
        site.ServeHtml("/", "<title>Home</title><a href=/linked.html>Linked</a>");
        site.ServeHtml("/linked.html", "<title>Linked</title>");
        site.ServeHtml("/orphan.html", "<title>Orphan</title><a href=/behind.html>Behind</a>");
        site.ServeHtml("/behind.html", "<title>Behind the orphan</title>");
        const auto U = [&site](const std::string& target) { return site.Url(target); };
        c.serve(site, U);
        const std::string report = Path("report.csv");
        const Outcome run = RunCli({"--rules", "browser", "--sitemaps", "--report", report, U("/")});
        ASSERT_EQ(run.code, 0) << run.err;
        EXPECT_NE(run.err.find(c.said), std::string::npos) << run.err;

        std::set<std::string> pages = {U("/"), U("/linked.html")};
        if (c.orphanFound) {
            pages.insert({U("/orphan.html"), U("/behind.html")});
        }
        EXPECT_EQ(Lines(run.out), pages);
        auto rows = CsvBy(ReadFile(report), "url");
        EXPECT_EQ(rows[U("/")]["in_sitemap"], "no");
        if (c.orphanFound) {
            EXPECT_EQ(rows[U("/orphan.html")]["in_sitemap"], "yes");
            // No click leads there, nor to what only it links to.
            EXPECT_EQ(rows[U("/orphan.html")]["depth"], "");
            EXPECT_EQ(rows[U("/behind.html")]["depth"], "");
            EXPECT_EQ(rows[U("/behind.html")]["in_sitemap"], "no");
        }
        EXPECT_NE(run.err.find(c.orphanFound ? "Orphan pages: 1\n" : "Orphan pages: 0\n"), std::string::npos)
            << run.err;
        // Every sitemap address is asked for once, however often indexes name it.
        std::vector<std::string> targets = site.Targets();
        std::sort(targets.begin(), targets.end());
        EXPECT_EQ(std::adjacent_find(targets.begin(), targets.end()), targets.end());
    }
}

TEST_F(SitemapCrawl, ALinkedPageIsMarkedAsListedAndNoSitemapChangesNothingWithoutTheOption) {
    site_.Serve("/sitemap.xml", Page().WithContentType("text/xml").WithBody(UrlSet({U("/linked.html")})));
    const Outcome with = RunCli({"--rules", "browser", "--sitemaps", "--report", Path("with.csv"), U("/")});
    ASSERT_EQ(with.code, 0) << with.err;
    auto rows = CsvBy(ReadFile(Path("with.csv")), "url");
    EXPECT_EQ(rows[U("/linked.html")]["in_sitemap"], "yes");
    EXPECT_EQ(rows[U("/linked.html")]["depth"], "1");
    EXPECT_NE(with.err.find("Orphan pages: 0\n"), std::string::npos) << with.err;

    site_.ClearRequests();
    site_.Serve("/sitemap.xml", Page().WithContentType("text/xml").WithBody(UrlSet({U("/orphan.html")})));
    const Outcome without = RunCli({"--rules", "browser", U("/")});
    EXPECT_EQ(Lines(without.out), (std::set<std::string>{U("/"), U("/linked.html")}));
    EXPECT_EQ(site_.Targets(), (std::vector<std::string>{"/", "/linked.html"}));
}

TEST_F(SitemapCrawl, ACrawlStoppedAsItsLinksRunOutCrawlsTheSitemapsPagesWhenResumed) {
    site_.Serve("/sitemap.xml", Page().WithContentType("text/xml").WithBody(UrlSet({U("/orphan.html")})));
    const Outcome first =
        RunCli({"--rules", "browser", "--sitemaps", "--db", Path("c.db"), "--max-pages", "2", U("/")});
    ASSERT_EQ(first.code, 0) << first.err;
    const Outcome resumed = RunCli({"--sitemaps", "--db", Path("c.db"), "--resume", "--max-pages", "100"});
    ASSERT_EQ(resumed.code, 0) << resumed.err;
    EXPECT_EQ(first.out + resumed.out,
              U("/") + "\n" + U("/linked.html") + "\n" + U("/orphan.html") + "\n" + U("/behind.html") + "\n");
    const Outcome offline = RunCli({"--db", Path("c.db"), "--offline", "--report", Path("r.csv")});
    auto rows = CsvBy(ReadFile(Path("r.csv")), "url");
    EXPECT_EQ(rows[U("/orphan.html")]["in_sitemap"], "yes");
    EXPECT_NE(offline.err.find("Orphan pages: 1\n"), std::string::npos) << offline.err;
}

TEST_F(SitemapCrawl, AListedAddressThatAnswers404OrRedirectsIsInTheSitemapAndASitemapError) {
    site_.ServeHtml("/", "<title>Home</title><a href=/linked.html>Linked</a><a href=/missing.html>Missing</a>"
                         "<a href=/via.html>Via</a>");
    // Only the sitemap names these: one answers 404, one redirects to a page met before, one to a new page.
    site_.Redirect("/moved.html", U("/linked.html"), 301);
    site_.Redirect("/renamed.html", U("/renamed-to.html"), 301);
    site_.ServeHtml("/renamed-to.html", "<title>Renamed</title>");
    // A link that redirects to a page the sitemap lists is no sitemap error: the sitemap names the target.
    site_.Redirect("/via.html", U("/listed-target.html"), 301);
    site_.ServeHtml("/listed-target.html", "<title>Target</title>");
    site_.Serve("/sitemap.xml",
                Page()
                    .WithContentType("text/xml")
                    .WithBody(UrlSet({U("/linked.html"), U("/orphan.html"), U("/gone.html"), U("/moved.html"),
                                      U("/renamed.html"), U("/listed-target.html")})));
    const Outcome run = RunCli({"--rules", "browser", "--sitemaps", "--db", Path("c.db"), "--report", Path("r.csv"),
                                "--html", Path("a.html"), U("/")});
    ASSERT_EQ(run.code, 0) << run.err;

    auto rows = CsvBy(ReadFile(Path("r.csv")), "url");
    const std::map<std::string, std::string> listed = {
        {"/", "no"},
        {"/linked.html", "yes"},
        {"/missing.html", "no"},
        {"/via.html", "yes"},
        {"/orphan.html", "yes"},
        {"/gone.html", "yes"},
        {"/moved.html", "yes"},
        {"/renamed.html", "yes"},
    };
    for (const auto& [path, expected] : listed) {
        ASSERT_EQ(rows.count(U(path)), 1U) << path;
        EXPECT_EQ(rows[U(path)]["in_sitemap"], expected) << path;
    }
    EXPECT_NE(run.err.find("Sitemap errors: 3 addresses listed but no page: 1 4xx or 5xx, 2 redirected, 0 without an "
                           "answer, 0 blocked by robots.txt\n"),
              std::string::npos)
        << run.err;
    // What a sitemap lists and answers with no page is its error, not an orphan page.
    EXPECT_NE(run.err.find("Orphan pages: 1\n"), std::string::npos) << run.err;
    const std::string page = ReadFile(Path("a.html"));
    EXPECT_NE(page.find("id=\"ov-sitemap-errors\"><span class=\"num\">3<"), std::string::npos);
    EXPECT_NE(page.find("\"answers 404\""), std::string::npos);

    std::string error;
    auto store = store::CrawlStore::Open(Path("c.db"), store::CrawlStore::Access::Read, error);
    ASSERT_NE(store, nullptr) << error;
    std::map<std::string, std::int64_t> kept;
    store::SqlStatement fetches;
    ASSERT_TRUE(fetches.Prepare(store::CrawlStoreDb::Of(*store), "SELECT url, in_sitemap FROM fetches"));
    while (fetches.Step()) {
        kept[std::string(fetches.Text(0))] = fetches.Int(1);
    }
    for (const auto& [path, expected] : listed) {
        // The database keeps whether a sitemap lists the very address asked for.
        EXPECT_EQ(kept.at(U(path)), expected == "yes" && path != "/via.html" ? 1 : 0) << path;
    }
    ASSERT_EQ(store::BuildReportIssues(*store), "");
    store::ReportTable issues(*store, store::ReportKind::Issues);
    issues.OnlyIssue(audit::IssueKind::SitemapError);
    std::vector<store::ReportRow> found;
    ASSERT_TRUE(issues.Rows(0, 10, found));
    std::vector<std::string> said;
    said.reserve(found.size());
    for (const store::ReportRow& row : found) {
        said.push_back(row.cells[1] + " " + row.cells[2] + " " + row.cells[3]);
    }
    EXPECT_EQ(said,
              (std::vector<std::string>{
                  U("/gone.html") + " listed in a sitemap but answers 404 warning",
                  U("/moved.html") + " listed in a sitemap but redirects to " + U("/linked.html") + " warning",
                  U("/renamed.html") + " listed in a sitemap but redirects to " + U("/renamed-to.html") + " warning",
              }));
}

TEST_F(SitemapCrawl, AGigabyteSitemapIsReadOnlyUpToItsCap) {
    std::atomic<std::size_t> sent{0};
    site_.Handle("/sitemap.xml", [&](const httplib::Request&, httplib::Response& response) {
        const std::string head = "<urlset><url><loc>" + U("/orphan.html") + "</loc></url>";
        response.set_content_provider(std::size_t{1} << 30, "application/xml",
                                      [&, head](std::size_t offset, std::size_t, httplib::DataSink& sink) {
                                          std::string chunk = offset == 0 ? head : std::string();
                                          chunk.resize(std::size_t{1} << 16, ' ');
                                          if (site_.WaitForShutdown(0ms) || !sink.write(chunk.data(), chunk.size())) {
                                              return false;
                                          }
                                          sent += chunk.size();
                                          return true;
                                      });
    });
    const Outcome run = RunCli({"--rules", "browser", "--sitemaps", U("/")});
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(Lines(run.out), (std::set<std::string>{U("/"), U("/linked.html"), U("/orphan.html"), U("/behind.html")}));
    // What went out before the crawler hung up: its cap, and what the sockets buffer.
    EXPECT_GT(sent.load(), std::size_t{8} << 20);
    EXPECT_LT(sent.load(), std::size_t{64} << 20);
}

// Sitemaps are read alongside the crawl: one that answers only once the crawl has gone on without it still
// marks the pages crawled meanwhile as listed, and its own pages are crawled once the links run out.
TEST_F(SitemapCrawl, ASitemapThatAnswersLateStillMarksThePagesCrawledMeanwhile) {
    site_.Handle("/sitemap.xml", [&](const httplib::Request&, httplib::Response& response) {
        const auto linkedAsked = [&] {
            const std::vector<std::string> targets = site_.Targets();
            return std::find(targets.begin(), targets.end(), "/linked.html") != targets.end();
        };
        // A crawl held up by its sitemap never asks for /linked.html first: it gets no sitemap at all.
        for (int i = 0; i < 1000 && !linkedAsked(); ++i) {
            if (site_.WaitForShutdown(10ms)) {
                return;
            }
        }
        if (!linkedAsked()) {
            response.status = 404;
            return;
        }
        response.set_content(UrlSet({U("/linked.html"), U("/orphan.html")}), "text/xml");
    });
    for (const char* parallel : {"1", "3"}) {
        SCOPED_TRACE(parallel);
        site_.ClearRequests();
        const std::string report = Path(parallel);
        const Outcome run =
            RunCli({"--rules", "browser", "--sitemaps", "--parallel", parallel, "--report", report, U("/")});
        ASSERT_EQ(run.code, 0) << run.err;
        EXPECT_EQ(Lines(run.out),
                  (std::set<std::string>{U("/"), U("/linked.html"), U("/orphan.html"), U("/behind.html")}));
        auto rows = CsvBy(ReadFile(report), "url");
        EXPECT_EQ(rows[U("/")]["in_sitemap"], "no");
        EXPECT_EQ(rows[U("/linked.html")]["in_sitemap"], "yes");
        EXPECT_EQ(rows[U("/linked.html")]["depth"], "1");
        EXPECT_EQ(rows[U("/orphan.html")]["in_sitemap"], "yes");
        EXPECT_EQ(rows[U("/orphan.html")]["depth"], "");
        EXPECT_NE(run.err.find("Orphan pages: 1\n"), std::string::npos) << run.err;
    }
}

TEST_F(SitemapCrawl, ClassicRulesRefuseTheOptions) {
    for (const char* option : {"--sitemaps", "--check-resources"}) {
        const Outcome run = RunCli({option, U("/")});
        EXPECT_EQ(run.code, 2) << option;
        EXPECT_NE(run.err.find(std::string(option) + ": needs --rules browser"), std::string::npos) << run.err;
        EXPECT_TRUE(site_.Targets().empty());
    }
}

TEST(ResourceCheck, ResourcesGetTheirStatusInTheLinksFileAndAreNeverListed) {
    LoopbackSite site;
    site.ServeHtml("/", "<title>Home</title><link rel=stylesheet href=/style.css><link rel=icon href=/favicon.ico>"
                        "<script src=/app.js></script><img src=/ok.png alt=Fine>"
                        "<img src=/dead.png srcset='/small.png 1x, /dead-big.png 2x'>"
                        "<img src=http://elsewhere.test/x.png><img src=/private/secret.png>"
                        "<a href=/page.html>Page</a><img src=/page.html>");
    site.ServeHtml("/page.html", "<title>Page</title><img src=/ok.png>");
    site.Serve("/style.css", Page().WithContentType("text/css").WithBody("body{}"));
    site.Serve("/favicon.ico", Page().WithContentType("image/x-icon").WithBody("ico"));
    site.Serve("/ok.png", Page().WithContentType("image/png").WithBody("png"));
    site.Serve("/small.png", Page().WithContentType("image/png").WithBody("png"));
    site.Serve("/robots.txt", Page().WithContentType("text/plain").WithBody("User-agent: *\nDisallow: /private/\n"));
    // A script answered with an error page that is HTML: still a resource, never a page.
    site.Serve("/app.js", Page().WithStatus(500).WithBody("<title>Oops</title>"));
    ScratchFolder folder("resources");
    const std::string links = (folder.Path() / "links.csv").string();
    const std::string keywords = (folder.Path() / "k.txt").string();

    const Outcome plain = RunCli({"--rules", "browser", "--robots", "--keywords", keywords, site.Url("/")});
    const std::string plainKeywords = ReadFile(keywords);
    site.ClearRequests();
    const Outcome run = RunCli({"--rules", "browser", "--robots", "--check-resources", "--links", links, "--keywords",
                                keywords, site.Url("/")});
    ASSERT_EQ(run.code, 0) << run.err;
    // The page list and the keyword file are the pages alone, as without the option.
    EXPECT_EQ(run.out, plain.out);
    EXPECT_EQ(Lines(run.out), (std::set<std::string>{site.Url("/"), site.Url("/page.html")}));
    EXPECT_EQ(ReadFile(keywords), plainKeywords);

    std::map<std::string, std::string> status;
    for (auto& [key, row] : CsvBy(ReadFile(links), "target")) {
        status[key] = row["status"];
    }
    const std::map<std::string, std::string> expected = {
        {site.Url("/style.css"), "200"},    {site.Url("/favicon.ico"), "200"},
        {site.Url("/app.js"), "500"},       {site.Url("/ok.png"), "200"},
        {site.Url("/dead.png"), "404"},     {site.Url("/small.png"), "200"},
        {site.Url("/dead-big.png"), "404"}, {"http://elsewhere.test/x.png", ""},
        {site.Url("/page.html"), "200"},    {site.Url("/private/secret.png"), "blocked by robots.txt"},
    };
    for (const auto& [target, code] : expected) {
        EXPECT_EQ(status[target], code) << target;
    }
    // Each resource is asked for once, however many pages use it; robots.txt is obeyed for them as for pages.
    std::vector<std::string> targets = site.Targets();
    EXPECT_EQ(std::count(targets.begin(), targets.end(), "/ok.png"), 1);
    EXPECT_EQ(std::count(targets.begin(), targets.end(), "/private/secret.png"), 0);
}

} // namespace
} // namespace vortaxel::test
