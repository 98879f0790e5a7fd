// Obeying robots.txt against hosts that make it hard: a robots.txt that breaks off after its headers,
// one far too long, and redirects that lead where robots.txt forbids.

#include "app/net_page_fetcher.h"
#include "crawl/crawl_engine.h"
#include "hostile_server.h"
#include "net/fetcher.h"
#include "tests/support/gzip.h"
#include "tests/support/loopback_site.h"

#include <algorithm>
#include <chrono>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace vortaxel::test {
namespace {

using namespace std::chrono_literals;

const std::string kDisallowAll = "User-agent: *\nDisallow: /\n";

/// One crawl through the engine and the real fetcher, robots.txt obeyed; what it listed.
std::vector<std::string> CrawlObeyingRobots(const std::string& start, crawl::RuleSet rules) {
    net::FetchOptions base;
    base.timeout = 1500ms;
    net::Fetcher fetcher(app::FetchOptionsFor({.rules = rules, .obeyRobots = true}, base));
    app::NetPageFetcher pages(fetcher);
    crawl::CrawlListener quiet;
    crawl::CrawlEngine engine(pages, quiet);
    engine.SetObeyRobots(true);
    engine.Run(start, rules);
    std::vector<std::string> found;
    for (std::size_t i = 0; i < engine.List2().Count(); ++i) {
        found.emplace_back(engine.List2().Text(i));
    }
    return found;
}

struct BrokenRobots {
    const char* name;
    std::function<void(HostileStream&)> answer;
};

// Each robots.txt begins by forbidding everything and then fails, or runs on far past what is read:
// not one page of the host may be fetched.
TEST(RobotsObeyed, ARobotsFileThatCannotBeReadWholeForbidsAllAndALongOneIsReadInPart) {
    const std::string forty = std::to_string(std::size_t{40} << 20);
    // Made before any request, so that the time taken to make it cannot pass for a stalled reply.
    const std::string gzipped = vortaxel::test::Gzip(kDisallowAll + std::string(std::size_t{40} << 20, '#'));
    const BrokenRobots cases[] = {
        {"cut short",
         [](HostileStream& s) { s.Send("HTTP/1.1 200 OK\r\nContent-Length: 5000\r\n\r\n" + kDisallowAll); }},
        {"stalled past the time-out",
         [](HostileStream& s) {
             s.Send("HTTP/1.1 200 OK\r\nContent-Length: 5000\r\n\r\n" + kDisallowAll);
             s.Pause(5s);
         }},
        {"two lengths",
         [](HostileStream& s) {
             s.Send("HTTP/1.1 200 OK\r\nContent-Length: 26\r\nContent-Length: 27\r\n\r\n" + kDisallowAll);
         }},
        {"40 MiB plain",
         [forty](HostileStream& s) {
             bool open = s.Send("HTTP/1.1 200 OK\r\nContent-Length: " + forty + "\r\n\r\n" + kDisallowAll);
             const std::string filler(std::size_t{1} << 20, '#');
             for (int i = 0; open && i < 40; ++i) {
                 open = s.Send(filler);
             }
         }},
        {"40 MiB once un-gzipped",
         [&gzipped](HostileStream& s) {
             s.Send("HTTP/1.1 200 OK\r\nContent-Encoding: gzip\r\nContent-Length: " + std::to_string(gzipped.size()) +
                    "\r\n\r\n" + gzipped);
         }},
    };
    for (const BrokenRobots& c : cases) {
        for (const crawl::RuleSet rules : {crawl::RuleSet::Classic, crawl::RuleSet::Browser}) {
            SCOPED_TRACE(std::string(c.name) + (rules == crawl::RuleSet::Classic ? ", classic" : ", browser"));
            HostileServer server;
            server.On("/robots.txt", c.answer);
            server.On("/", [](HostileStream& s) {
                s.Send("HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: 0\r\n\r\n");
            });
            server.Start();
            EXPECT_EQ(CrawlObeyingRobots(server.Url("/"), rules), std::vector<std::string>{});
            for (const std::string& head : server.Requests()) {
                EXPECT_NE(head.find(" /robots.txt "), std::string::npos) << "requested: " << head.substr(0, 40);
            }
        }
    }
}

// Redirect hops are asked of robots.txt like pages: into a forbidden path on the same host, and
// onto another host (another port), whose own robots.txt forbids everything.
TEST(RobotsObeyed, RedirectsLeadOnlyWhereRobotsAllow) {
    for (const crawl::RuleSet rules : {crawl::RuleSet::Classic, crawl::RuleSet::Browser}) {
        SCOPED_TRACE(rules == crawl::RuleSet::Classic ? "classic" : "browser");
        LoopbackSite site;
        LoopbackSite other;
        site.ServeHtml("/robots.txt", "User-agent: *\nDisallow: /private/\n");
        site.ServeHtml("/", R"(<a href="inside.html">a</a> <a href="away.html">b</a> <a href="open.html">c</a>)");
        site.Redirect("/inside.html", "/private/secret.html");
        site.Redirect("/away.html", other.Url("/elsewhere.html"));
        site.Redirect("/open.html", "/landed.html");
        site.ServeHtml("/private/secret.html", "secret");
        site.ServeHtml("/landed.html", "landed");
        other.ServeHtml("/robots.txt", kDisallowAll);
        other.ServeHtml("/elsewhere.html", "elsewhere");

        CrawlObeyingRobots(site.Url("/"), rules);
        const auto targets = site.Targets();
        EXPECT_EQ(std::ranges::count(targets, "/private/secret.html"), 0);
        EXPECT_GE(std::ranges::count(targets, "/landed.html"), 1) << "an allowed redirect is still followed";
        EXPECT_EQ(other.Targets(), std::vector<std::string>{"/robots.txt"});
    }
}

} // namespace
} // namespace vortaxel::test
