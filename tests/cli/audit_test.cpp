// The audit of a browser-rules crawl as a user reads it: the per-page report's added columns, the links
// file with every broken link's source, the keyword phrases from page texts, the audit page and the
// summary, from a run and from a kept crawl; classic rules refuse the audit options.

#include "child_process.h"
#include "tests/support/loopback_site.h"
#include "tests/support/scratch_folder.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <string>
#include <vector>

namespace vortaxel::test {
namespace {

using namespace std::chrono_literals;

constexpr auto kRunLimit = 60s;

std::string FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

/// The CSV's rows as name -> value maps; fields here hold no quotes or line breaks.
std::vector<std::map<std::string, std::string>> CsvRows(const std::string& text) {
    std::vector<std::vector<std::string>> lines;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t end = text.find("\r\n", at);
        const std::string line = text.substr(at, end - at);
        at = end == std::string::npos ? text.size() : end + 2;
        std::vector<std::string> fields(1);
        for (char c : line) {
            if (c == ',') {
                fields.emplace_back();
            } else {
                fields.back() += c;
            }
        }
        lines.push_back(fields);
    }
    std::vector<std::map<std::string, std::string>> rows;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i].size(), lines[0].size()) << "row " << i;
        std::map<std::string, std::string> row;
        for (std::size_t j = 0; j < lines[0].size() && j < lines[i].size(); ++j) {
            row[lines[0][j]] = lines[i][j];
        }
        rows.push_back(row);
    }
    return rows;
}

class Audit : public ::testing::Test {
protected:
    void SetUp() override {
        site_.Serve("/", Page().WithBody("<html lang=en><head><title>Home</title>"
                                         "<meta name=description content='The start'></head><body><h1>Welcome</h1>"
                                         "<a href=/about.html>About us</a> <a href=/gone.html>Old news</a> "
                                         "<a href=/hop1.html>Moved</a> <a href=/secret.html rel=nofollow>Hidden</a>"));
        site_.Serve("/about.html", Page().WithBody("<title>About</title><link rel=canonical href=/><h1>One</h1>"
                                                   "<h1>Two</h1><a href=/gone.html>Also old</a>"));
        site_.Serve("/secret.html", Page().WithBody("<title>Secret</title><meta name=robots content=noindex>"));
        site_.Serve("/final.html", Page().WithBody("<title>Final</title>"));
        site_.Redirect("/hop1.html", "/hop2.html", 301);
        site_.Redirect("/hop2.html", "/final.html", 302);
        start_ = site_.Url("/");
    }

    struct Outcome {
        int code = -1;
        std::string out;
        std::string err;
        int ExitCode() const { return code; }
        const std::string& Err() const { return err; }
    };
    static Outcome Run(const std::vector<std::string>& args) {
        ChildProcess run(VORTAXEL_CLI_PATH, args);
        EXPECT_TRUE(run.Wait(kRunLimit));
        return {run.ExitCode(), run.Out(), run.Err()};
    }
    std::string Path(const char* name) const { return (folder_.Path() / name).string(); }

    LoopbackSite site_;
    ScratchFolder folder_{"audit"};
    std::string start_;
};

TEST_F(Audit, ReportAddsEachPagesFactsAndLinksFileNamesEveryBrokenLinksSource) {
    auto run = Run({"--rules", "browser", "--report", Path("r.csv"), "--links", Path("l.csv"), start_});
    ASSERT_EQ(run.ExitCode(), 0) << run.Err();
    std::map<std::string, std::map<std::string, std::string>> byUrl;
    for (auto& row : CsvRows(FileBytes(Path("r.csv")))) {
        byUrl[row["url"]] = row;
    }
    const auto& home = byUrl[start_];
    EXPECT_EQ(home.at("title"), "Home");
    EXPECT_EQ(home.at("meta_description"), "The start");
    EXPECT_EQ(home.at("h1"), "Welcome");
    EXPECT_EQ(home.at("lang"), "en");
    EXPECT_EQ(home.at("depth"), "0");
    EXPECT_EQ(home.at("indexability"), "indexable");
    EXPECT_EQ(home.at("outlinks"), "4");
    const auto& about = byUrl[site_.Url("/about.html")];
    EXPECT_EQ(about.at("h1_count"), "2");
    EXPECT_EQ(about.at("canonical"), start_);
    EXPECT_EQ(about.at("indexability"), "canonicalised");
    EXPECT_EQ(about.at("depth"), "1");
    EXPECT_EQ(about.at("inlinks"), "1");
    EXPECT_EQ(byUrl[site_.Url("/gone.html")].at("indexability"), "client error");
    EXPECT_EQ(byUrl[site_.Url("/gone.html")].at("inlinks"), "2");
    EXPECT_EQ(byUrl[site_.Url("/hop1.html")].at("redirect_chain"),
              "301 " + site_.Url("/hop1.html") + " -> 302 " + site_.Url("/hop2.html"));

    const auto links = CsvRows(FileBytes(Path("l.csv")));
    std::vector<std::string> brokenSources;
    for (const auto& link : links) {
        if (link.at("status") == "404") {
            EXPECT_EQ(link.at("target"), site_.Url("/gone.html"));
            brokenSources.push_back(link.at("source") + " " + link.at("anchor"));
        }
        if (link.at("target") == site_.Url("/secret.html")) {
            EXPECT_EQ(link.at("rel"), "nofollow");
            EXPECT_EQ(link.at("follow"), "no");
        }
    }
    EXPECT_EQ(brokenSources, (std::vector<std::string>{start_ + " Old news", site_.Url("/about.html") + " Also old"}));
    // The summary counts what the files list.
    EXPECT_NE(run.Err().find("Broken links: 2"), std::string::npos) << run.Err();
}

// An href too long to follow is no link lost without a word: the links file names it by its first 200 bytes
// and its length, with the status "too long", on the run and from the kept crawl alike.
TEST(AuditLinks, AnHrefTooLongToFollowIsWrittenCutWithItsLength) {
    LoopbackSite site;
    const std::string huge = "/far/" + std::string(100'000 - 5, 'x');
    site.ServeHtml("/", "<a href=\"" + huge + "\">far</a><iframe src=\"" + huge + "y\"></iframe><a href=/b.html>b</a>");
    site.ServeHtml("/b.html", "b");
    ScratchFolder folder("too-long");
    const std::string db = (folder.Path() / "c.db").string();
    const std::string onRun = (folder.Path() / "run.csv").string();
    const std::string offline = (folder.Path() / "offline.csv").string();
    ChildProcess run(VORTAXEL_CLI_PATH, {"--quiet", "--rules", "browser", "--db", db, "--links", onRun, site.Url("/")});
    ASSERT_TRUE(run.Wait(kRunLimit));
    ASSERT_EQ(run.ExitCode(), 0) << run.Err();
    ChildProcess kept(VORTAXEL_CLI_PATH, {"--quiet", "--db", db, "--offline", "--links", offline});
    ASSERT_TRUE(kept.Wait(kRunLimit));
    ASSERT_EQ(kept.ExitCode(), 0) << kept.Err();
    for (const std::string& file : {onRun, offline}) {
        SCOPED_TRACE(file);
        const auto links = CsvRows(FileBytes(file));
        ASSERT_EQ(links.size(), 3U);
        const std::map<std::string, std::string> far = {{"source", site.Url("/")},
                                                        {"target", huge.substr(0, 200)},
                                                        {"anchor", ""},
                                                        {"element", "a"},
                                                        {"rel", ""},
                                                        {"follow", "no"},
                                                        {"status", "too long (100000 bytes)"}};
        // The links followed first, then those too long, each in the page's order.
        EXPECT_EQ(links[0].at("target"), site.Url("/b.html"));
        EXPECT_EQ(links[0].at("status"), "200");
        EXPECT_EQ(links[1], far);
        EXPECT_EQ(links[2].at("element"), "iframe");
        EXPECT_EQ(links[2].at("status"), "too long (100001 bytes)");
    }
    EXPECT_EQ(run.Out(), site.Url("/") + "\n" + site.Url("/b.html") + "\n");
}

TEST_F(Audit, KeptCrawlGivesTheSameFilesOfflineAndPhrasesComeFromTheChosenText) {
    auto crawl = Run({"--quiet", "--rules", "browser", "--db", Path("c.db"), "--links", Path("l1.csv"), "--keywords",
                      Path("k1.txt"), "--phrases", "title", start_});
    ASSERT_EQ(crawl.ExitCode(), 0) << crawl.Err();
    EXPECT_EQ(crawl.Err(), "");
    const std::size_t requests = site_.Targets().size();
    auto offline = Run({"--quiet", "--db", Path("c.db"), "--offline", "--links", Path("l2.csv"), "--keywords",
                        Path("k2.txt"), "--phrases", "h1", "--html", Path("a.html")});
    ASSERT_EQ(offline.ExitCode(), 0) << offline.Err();
    EXPECT_EQ(site_.Targets().size(), requests);
    EXPECT_EQ(FileBytes(Path("l2.csv")), FileBytes(Path("l1.csv")));
    EXPECT_EQ(FileBytes(Path("k1.txt")).substr(0, 6), "Home\r\n");
    EXPECT_EQ(FileBytes(Path("k2.txt")).substr(0, 9), "Welcome\r\n");
    EXPECT_NE(FileBytes(Path("a.html")).find("Old news"), std::string::npos);
}

TEST(AuditSummary, CountsSharedTextsAndBrokenLinksAlikeWithAndWithoutTheAuditPage) {
    LoopbackSite site;
    site.Serve("/", Page().WithBody("<title>Shop</title><meta name=description content=Same><a href=/a.html>a</a> "
                                    "<a href=/b.html>b</a> <a href=/c.html>c</a> <a href=/gone.html>g</a> "
                                    "<a href=/down.html>d</a>"));
    site.Serve("/a.html", Page().WithBody("<title>Item</title><a href=/gone.html>g</a>"));
    site.Serve("/b.html", Page().WithBody("<title>Item</title><meta name=description content=Same>"));
    site.Serve("/c.html", Page().WithBody("<meta name=description content=Same><a href=/gone.html>g</a>"));
    site.Serve("/down.html", Page().WithStatus(500).WithBody("<title>Item</title>"));
    ScratchFolder folder{"audit-summary"};
    const std::string db = (folder.Path() / "c.db").string();
    // The summary alone is counted by the database, beside the report or on its own; with the audit page,
    // from the crawl held in memory.
    ChildProcess alone(VORTAXEL_CLI_PATH, {"--rules", "browser", "--db", db, "--report",
                                           (folder.Path() / "r.csv").string(), site.Url("/")});
    ASSERT_TRUE(alone.Wait(kRunLimit));
    ASSERT_EQ(alone.ExitCode(), 0) << alone.Err();
    ChildProcess withPage(VORTAXEL_CLI_PATH, {"--db", db, "--offline", "--html", (folder.Path() / "a.html").string()});
    ASSERT_TRUE(withPage.Wait(kRunLimit));
    ASSERT_EQ(withPage.ExitCode(), 0) << withPage.Err();
    const std::string expected = "Broken links: 4 (to 2 addresses) on 3 pages\n"
                                 "Redirects: 0 pages redirected, 0 chains of two hops or more\n"
                                 "Titles: 1 missing, 1 shared by 2 pages\n"
                                 "Descriptions: 1 missing, 1 shared by 3 pages\n";
    EXPECT_NE(alone.Err().find(expected), std::string::npos) << alone.Err();
    ChildProcess withLinks(VORTAXEL_CLI_PATH, {"--db", db, "--offline", "--links", (folder.Path() / "l.csv").string()});
    ASSERT_TRUE(withLinks.Wait(kRunLimit));
    const auto summary = [](const std::string& err) { return err.substr(std::min(err.find("Audit: "), err.size())); };
    EXPECT_EQ(summary(alone.Err()), summary(withPage.Err()));
    EXPECT_EQ(summary(alone.Err()), summary(withLinks.Err()));
}

TEST_F(Audit, WithoutDbTheLinksLiveInATemporaryFileRemovedAtTheEnd) {
    const char* before = std::getenv("TMPDIR");
    const std::string saved = before ? before : "";
    ScratchFolder temp{"audit-tmp"};
    ::setenv("TMPDIR", temp.Path().c_str(), 1);
    auto run = Run({"--quiet", "--rules", "browser", "--links", Path("l.csv"), start_});
    before ? ::setenv("TMPDIR", saved.c_str(), 1) : ::unsetenv("TMPDIR");
    ASSERT_EQ(run.ExitCode(), 0) << run.Err();
    EXPECT_EQ(CsvRows(FileBytes(Path("l.csv"))).size(), 6u);
    EXPECT_TRUE(std::filesystem::is_empty(temp.Path()));
}

TEST_F(Audit, ClassicRulesRefuseTheAuditOptionsBeforeAnyRequest) {
    const std::vector<std::vector<std::string>> refused = {
        {"--links", Path("l.csv"), start_},
        {"--html", Path("a.html"), start_},
        {"--phrases", "title", "--keywords", Path("k.txt"), start_},
        {"--rules", "browser", "--phrases", "bogus", start_},
    };
    for (const auto& args : refused) {
        auto run = Run(args);
        EXPECT_EQ(run.ExitCode(), 2) << args[0];
        EXPECT_NE(run.Err().find(args[0] == "--rules" ? "--phrases" : args[0]), std::string::npos) << run.Err();
    }
    EXPECT_TRUE(site_.Targets().empty());
}

/// Pages a search engine reaches besides a/area links, pages it must not follow links from, and loops.
class Directives : public ::testing::Test {
protected:
    void SetUp() override {
        site_.ServeHtml("/", "<a href=/nf.html>a</a> <a href=/r.html>b</a> <a href=/c.html>c</a> "
                             "<a href=/marked.html rel='external nofollow'>d</a> <a href=/loop1.html>e</a> "
                             "<link rel=next href=/n1.html><link rel=alternate hreflang=de href=/de.html>");
        site_.ServeHtml("/nf.html", "<meta name=robots content='index, nofollow'><a href=/behind.html>x</a>");
        site_.Serve("/hdr.html",
                    Page().WithBody("<a href=/behind-header.html>x</a>").WithHeader("X-Robots-Tag", "nofollow"));
        site_.ServeHtml("/r.html", "<meta http-equiv=refresh content='0; url=/refreshed.html'><a href=/hdr.html>h</a>");
        site_.ServeHtml("/refreshed.html", "done");
        site_.ServeHtml("/c.html", "<link rel=canonical href=/canon.html>");
        site_.ServeHtml("/canon.html", "<link rel=canonical href=/c.html>");
        site_.ServeHtml("/loop1.html", "<meta http-equiv=refresh content='0;url=/loop2.html'>");
        site_.ServeHtml("/loop2.html", "<meta http-equiv=refresh content='0;url=/loop1.html'>");
        site_.ServeHtml("/de.html", "de");
        site_.ServeHtml("/behind.html", "b");
        site_.ServeHtml("/behind-header.html", "b");
        site_.ServeHtml("/marked.html", "m");
        // rel=next without end, as a calendar's: only the page limit ends it.
        for (int i = 1; i < 300; ++i) {
            site_.ServeHtml("/n" + std::to_string(i) + ".html",
                            "<link rel=next href=/n" + std::to_string(i + 1) + ".html>");
        }
    }

    std::vector<std::string> Listed(std::vector<std::string> args) {
        args.insert(args.begin(), {"--quiet", "--rules", "browser"});
        args.push_back(site_.Url("/"));
        auto run = ChildProcess(VORTAXEL_CLI_PATH, args);
        EXPECT_TRUE(run.Wait(kRunLimit));
        EXPECT_EQ(run.ExitCode(), 0) << run.Err();
        std::vector<std::string> paths;
        std::size_t at = 0;
        const std::string prefix = site_.Url("");
        while (at < run.Out().size()) {
            const std::size_t end = run.Out().find('\n', at);
            paths.push_back(run.Out().substr(at + prefix.size(), end - at - prefix.size()));
            at = end + 1;
        }
        return paths;
    }
    static bool Has(const std::vector<std::string>& paths, const std::string& path) {
        return std::find(paths.begin(), paths.end(), path) != paths.end();
    }

    LoopbackSite site_;
};

TEST_F(Directives, NofollowIsObeyedUnlessAskedAndOtherLinkKindsAreFollowedWithinBounds) {
    const auto obeyed = Listed({"--max-pages", "30"});
    EXPECT_EQ(obeyed.size(), 30u);
    for (const char* path : {"/refreshed.html", "/canon.html", "/de.html", "/n1.html", "/loop1.html", "/loop2.html"}) {
        EXPECT_TRUE(Has(obeyed, path)) << path;
    }
    for (const char* path : {"/behind.html", "/behind-header.html", "/marked.html"}) {
        EXPECT_FALSE(Has(obeyed, path)) << path;
    }
    const auto all = Listed({"--max-pages", "30", "--follow-nofollow"});
    for (const char* path : {"/behind.html", "/behind-header.html", "/marked.html"}) {
        EXPECT_TRUE(Has(all, path)) << path;
    }
}

TEST(BrowserCookies, ASiteThatNeedsItsSessionCookieIsCrawledThrough) {
    LoopbackSite site;
    // Without the cookie every page sends the client back round a redirect that sets it.
    const auto gate = [](const std::string& body) {
        return [body](const httplib::Request& request, httplib::Response& response) {
            if (request.get_header_value("Cookie").find("session=1") == std::string::npos) {
                response.status = 302;
                response.set_header("Set-Cookie", "session=1; Path=/");
                response.set_header("Location", request.path);
                return;
            }
            response.set_content(body, "text/html");
        };
    };
    site.Handle("/", gate("<a href=/inner.html>in</a>"));
    site.Handle("/inner.html", gate("inner"));
    auto run = ChildProcess(VORTAXEL_CLI_PATH, {"--quiet", "--rules", "browser", site.Url("/")});
    ASSERT_TRUE(run.Wait(kRunLimit));
    EXPECT_EQ(run.ExitCode(), 0) << run.Err();
    EXPECT_EQ(run.Out(), site.Url("/") + "\n" + site.Url("/inner.html") + "\n");
}

} // namespace
} // namespace vortaxel::test
