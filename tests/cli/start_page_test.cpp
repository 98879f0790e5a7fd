// The start address a user types is the first request, and a start that yields nothing says why.

#include "child_process.h"
#include "crawl/start_text.h"
#include "tests/support/loopback_site.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace vortaxel::test {
namespace {

using namespace std::chrono_literals;

TEST(StartText, BrowserRulesKeepTheAddressAsTyped) {
    struct Row {
        const char* typed;
        const char* classic;
        const char* browser;
    };
    const Row rows[] = {
        {"http://host/index.html", "http://host/index.html/", "http://host/index.html"},
        {"http://host", "http://host/", "http://host/"},
        {"http://host:81?q=1", "http://host:81?q=1/", "http://host:81/?q=1"},
        {"http://host#top", "http://host#top/", "http://host/#top"},
        {"http://host/docs/", "http://host/docs/", "http://host/docs/"},
        {"http://host/a?b/c", "http://host/a?b/c/", "http://host/a?b/c"},
        {"htp:/x", "htp:/x/", "htp:/x"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.typed);
        std::string classic = row.typed;
        std::string browser = row.typed;
        ASSERT_TRUE(crawl::PrepareStartText(classic, crawl::RuleSet::Classic));
        ASSERT_TRUE(crawl::PrepareStartText(browser, crawl::RuleSet::Browser));
        EXPECT_EQ(classic, row.classic);
        EXPECT_EQ(browser, row.browser);
    }
    for (const auto rules : {crawl::RuleSet::Classic, crawl::RuleSet::Browser}) {
        for (std::string refused : {"", "http://"}) {
            EXPECT_FALSE(crawl::PrepareStartText(refused, rules));
        }
    }
}

struct Outcome {
    int exitCode = -1;
    std::string out;
    std::string err;
};

Outcome Crawl(const std::vector<std::string>& args) {
    std::vector<std::string> all = {"--quiet"};
    all.insert(all.end(), args.begin(), args.end());
    ChildProcess cli(VORTAXEL_CLI_PATH, all);
    EXPECT_TRUE(cli.Wait(30s));
    return {cli.ExitCode(), cli.Out(), cli.Err()};
}

TEST(StartPage, BrowserRulesRequestAFileAsTyped) {
    LoopbackSite site;
    site.ServeHtml("/index.html", R"(<a href="b.html">b</a>)");
    site.ServeHtml("/b.html", "b");
    const Outcome run = Crawl({"--rules", "browser", site.Url("/index.html")});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, site.Url("/index.html") + "\n" + site.Url("/b.html") + "\n");
    EXPECT_EQ(site.Targets(), (std::vector<std::string>{"/index.html", "/b.html"}));
}

TEST(StartPage, ClassicRulesKeepTheirSlash) {
    LoopbackSite site;
    site.ServeHtml("/index.html", "x");
    const Outcome run = Crawl({site.Url("/index.html")});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, site.Url("/index.html/") + "\n");
    EXPECT_EQ(site.Targets(), (std::vector<std::string>{"/index.html/"}));
}

TEST(StartPage, AStartThatGivesNoPageSaysWhyAndFails) {
    LoopbackSite site;
    site.ServeHtml("/", "home");
    site.Serve("/gone.html", Page{}.WithStatus(404).WithBody("no"));
    site.Serve("/notes.txt", Page{}.WithBody("plain").WithContentType("text/plain"));
    site.Redirect("/away.html", "http://localhost:" + std::to_string(site.Port()) + "/", 301);
    site.Serve("/robots.txt", Page{}.WithBody("User-agent: *\nDisallow: /private/\n").WithContentType("text/plain"));
    site.ServeHtml("/private/p.html", "p");
    // Answers long after the run's own bound, which the fetcher's default would wait out.
    site.Serve("/slow.html", Page{}.WithBody("late").WithDelay(30s));
    struct Row {
        std::vector<std::string> args;
        const char* reason;
    };
    const Row rows[] = {
        {{site.Url("/gone.html")}, "404"},
        {{site.Url("/notes.txt")}, "it is no HTML page (text/plain)"},
        {{site.Url("/away.html")}, "it redirects off its site"},
        {{"--robots", site.Url("/private/p.html")}, "robots.txt disallows it"},
        {{"htp:/" + site.Url("/").substr(7)}, "it is no web address"},
        {{site.Url("/file.zip")}, "never fetched"},
        {{"--timeout", "1", site.Url("/slow.html")}, "time-out after 1 s"},
    };
    for (const Row& row : rows) {
        std::vector<std::string> args = {"--rules", "browser"};
        args.insert(args.end(), row.args.begin(), row.args.end());
        SCOPED_TRACE(args.back());
        const Outcome run = Crawl(args);
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(run.out, "");
        EXPECT_NE(run.err.find("start page"), std::string::npos) << run.err;
        EXPECT_NE(run.err.find(row.reason), std::string::npos) << run.err;
    }
    // A start that lands is no failure, and classic rules keep their exit status whatever the start gives.
    EXPECT_EQ(Crawl({"--rules", "browser", site.Url("/")}).exitCode, 0);
    const Outcome classic = Crawl({site.Url("/gone.html")});
    EXPECT_EQ(classic.exitCode, 0) << classic.err;
    EXPECT_EQ(classic.err, "");
}

} // namespace
} // namespace vortaxel::test
