// Under browser rules every page costs one GET (plus its redirect hops), whatever the server makes
// of HEAD.

#include "app/net_page_fetcher.h"
#include "child_process.h"
#include "tests/support/loopback_site.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <map>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace vortaxel::test {
namespace {

using namespace std::chrono_literals;

/// The pages a browser-rules crawl from `start` lists, one a line.
std::string CrawlBrowser(const std::string& start, const char* parallel = "1") {
    ChildProcess cli(VORTAXEL_CLI_PATH, {"--quiet", "--rules", "browser", "--parallel", parallel, start});
    EXPECT_TRUE(cli.Wait(30s));
    EXPECT_EQ(cli.ExitCode(), 0) << cli.Err();
    return cli.Out();
}

/// Answers GET with `body` as HTML and HEAD with `headStatus`, as some servers and frameworks do.
LoopbackSite::Handler HtmlWithHead(std::string body, int headStatus) {
    return [body = std::move(body), headStatus](const httplib::Request& request, httplib::Response& response) {
        if (request.method == "HEAD") {
            response.status = headStatus;
            return;
        }
        response.set_content(body, "text/html");
    };
}

TEST(BrowserRequests, OneGetPerPageWhateverHeadAnswers) {
    for (const int headStatus : {404, 405, 501, 500}) {
        SCOPED_TRACE(headStatus);
        LoopbackSite site;
        site.Handle("/", HtmlWithHead(R"(<a href="/b.html">b</a> <a href="/old.html">old</a>)", headStatus));
        site.Handle("/b.html", HtmlWithHead(R"(<a href="/">home</a>)", headStatus));
        site.Handle("/new.html", HtmlWithHead("new", headStatus));
        site.Redirect("/old.html", "/new.html", 301);
        EXPECT_EQ(CrawlBrowser(site.Url("/")),
                  site.Url("/") + "\n" + site.Url("/b.html") + "\n" + site.Url("/new.html") + "\n");
        std::map<std::string, int> gets;
        for (const RecordedRequest& request : site.Requests()) {
            EXPECT_EQ(request.method, "GET") << request.target;
            ++gets[request.target];
        }
        // Three pages, one of them behind a redirect hop.
        EXPECT_EQ(gets, (std::map<std::string, int>{{"/", 1}, {"/b.html", 1}, {"/old.html", 1}, {"/new.html", 1}}));
    }
}

TEST(BrowserRequests, PagesComeReadWhenAsked) {
    LoopbackSite site;
    site.ServeHtml("/", R"(<base href="/b/"><a href="x.html">x</a>)");
    site.Serve("/t.txt", Page{}.WithBody("<a href=no>").WithContentType("text/plain"));
    net::FetchOptions options;
    options.htmlOnly = true;
    for (const bool readPages : {false, true}) {
        net::Fetcher fetcher(options, 2);
        app::NetPageFetcher pages(fetcher, readPages);
        const crawl::FetchedPage page = pages.Fetch(site.Url("/"));
        ASSERT_TRUE(page.ok) << page.error;
        ASSERT_EQ(page.read != nullptr, readPages);
        if (readPages) {
            EXPECT_EQ(page.read->facts.baseHref.value_or(""), "/b/");
            ASSERT_EQ(page.read->links.size(), 1U);
            EXPECT_EQ(page.read->links[0].target, "x.html");
        }
        EXPECT_EQ(pages.Fetch(site.Url("/t.txt")).read, nullptr);
    }
}

// Pages are read on other threads as their fetches end; the list and the requests stay those of one
// page at a time.
TEST(BrowserRequests, PagesAtOnceListWhatOneAtATimeLists) {
    LoopbackSite site;
    std::mt19937 random(7);
    constexpr int kPages = 120;
    for (int i = 0; i < kPages; ++i) {
        std::string body = "<title>p" + std::to_string(i) + "</title>";
        for (int link = 0; link < 6; ++link) {
            const auto target = random() % (kPages + 10);
            body += "<a href=\"p" + std::to_string(target) + ".html\">x</a>";
        }
        if (i % 7 == 0) {
            body += "<base href=\"/sub/\"><a href=\"p" + std::to_string(i + 1) + ".html\">";
        }
        site.ServeHtml(i == 0 ? "/" : "/p" + std::to_string(i) + ".html", body);
        site.ServeHtml("/sub/p" + std::to_string(i) + ".html", "<a href=\"../p" + std::to_string(i) + ".html\">");
    }
    const std::string alone = CrawlBrowser(site.Url("/"), "1");
    EXPECT_GT(std::count(alone.begin(), alone.end(), '\n'), 100);
    auto requests = [&site] {
        std::map<std::string, int> count;
        for (const RecordedRequest& request : site.Requests()) {
            ++count[request.method + " " + request.target];
        }
        site.ClearRequests();
        return count;
    };
    const auto aloneRequests = requests();
    for (const char* parallel : {"2", "8"}) {
        SCOPED_TRACE(parallel);
        EXPECT_EQ(CrawlBrowser(site.Url("/"), parallel), alone);
        EXPECT_EQ(requests(), aloneRequests);
    }
}

// One at a time is one request in flight, as the server counts them, whatever the rules do ahead.
TEST(BrowserRequests, OnePageAtOnceKeepsOneRequestInFlight) {
    LoopbackSite site;
    std::mutex mutex;
    int inFlight = 0;
    int most = 0;
    constexpr int kPages = 12;
    std::string home;
    for (int i = 1; i <= kPages; ++i) {
        home += "<a href=\"/p" + std::to_string(i) + ".html\">p</a>";
    }
    const auto counted = [&](std::string body) {
        return [&, body = std::move(body)](const httplib::Request&, httplib::Response& response) {
            {
                const std::lock_guard lock(mutex);
                most = std::max(most, ++inFlight);
            }
            // Long enough that a request sent ahead would arrive while this one is served.
            std::this_thread::sleep_for(20ms);
            {
                const std::lock_guard lock(mutex);
                --inFlight;
            }
            response.set_content(body, "text/html");
        };
    };
    site.Handle("/", counted(home));
    for (int i = 1; i <= kPages; ++i) {
        site.Handle("/p" + std::to_string(i) + ".html", counted("<p>page</p>"));
    }
    const std::string listed = CrawlBrowser(site.Url("/"), "1");
    EXPECT_EQ(std::count(listed.begin(), listed.end(), '\n'), kPages + 1);
    const std::lock_guard lock(mutex);
    EXPECT_EQ(most, 1);
}

// A sitemap that never answers holds neither the crawl nor its end: the links are crawled while it is asked
// for, and the page limit gives it up, whatever the pages at once. Its time-out is a minute; the crawl
// must end long before it.
TEST(BrowserRequests, ASitemapThatNeverAnswersHoldsNeitherTheCrawlNorThePageLimit) {
    LoopbackSite site;
    site.ServeHtml("/", R"(<a href="/a.html">a</a> <a href="/b.html">b</a>)");
    site.ServeHtml("/a.html", "a");
    site.ServeHtml("/b.html", "b");
    site.Serve("/robots.txt",
               Page{}.WithBody("Sitemap: " + site.Url("/never.xml") + "\n").WithContentType("text/plain"));
    site.Serve("/never.xml", Page{}.WithBody("<urlset></urlset>").WithContentType("application/xml"));
    site.Hold("/never.xml", 120s);
    for (const char* robots : {"--sitemaps", "--robots"}) {
        for (const char* parallel : {"1", "4"}) {
            SCOPED_TRACE(std::string(robots) + " --parallel " + parallel);
            site.ClearRequests();
            ChildProcess cli(VORTAXEL_CLI_PATH, {"--quiet", "--rules", "browser", "--sitemaps", robots, "--parallel",
                                                 parallel, "--max-pages", "2", site.Url("/")});
            ASSERT_TRUE(cli.Wait(30s)) << "the crawl waited for the sitemap";
            EXPECT_EQ(cli.ExitCode(), 0) << cli.Err();
            EXPECT_EQ(cli.Out(), site.Url("/") + "\n" + site.Url("/a.html") + "\n");
            // Asked for at most once: the page limit may come first.
            const std::vector<std::string> targets = site.Targets();
            EXPECT_LE(std::count(targets.begin(), targets.end(), "/never.xml"), 1);
        }
    }
    site.Release("/never.xml");
}

// The gate and the sitemaps read one robots.txt: one request for it per scheme, host and port.
TEST(BrowserRequests, RobotsAndSitemapsAskForRobotsTxtOnce) {
    LoopbackSite site;
    site.Serve("/robots.txt",
               Page{}
                   .WithBody("User-agent: *\nDisallow: /private/\nSitemap: " + site.Url("/map.xml") + "\n")
                   .WithContentType("text/plain"));
    site.Serve("/map.xml",
               Page{}
                   .WithBody(R"(<urlset><url><loc>)" + site.Url("/only-in-map.html") + R"(</loc></url></urlset>)")
                   .WithContentType("application/xml"));
    site.ServeHtml("/", R"(<a href="/b.html">b</a>)");
    site.ServeHtml("/b.html", "b");
    site.ServeHtml("/only-in-map.html", "m");
    ChildProcess cli(VORTAXEL_CLI_PATH, {"--quiet", "--rules", "browser", "--robots", "--sitemaps", site.Url("/")});
    ASSERT_TRUE(cli.Wait(30s));
    EXPECT_EQ(cli.ExitCode(), 0) << cli.Err();
    EXPECT_EQ(cli.Out(), site.Url("/") + "\n" + site.Url("/b.html") + "\n" + site.Url("/only-in-map.html") + "\n");
    const std::vector<std::string> targets = site.Targets();
    EXPECT_EQ(std::count(targets.begin(), targets.end(), "/robots.txt"), 1);
    EXPECT_EQ(std::count(targets.begin(), targets.end(), "/map.xml"), 1);
}

} // namespace
} // namespace vortaxel::test
