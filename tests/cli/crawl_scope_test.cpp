// Scope, patterns, depth and stripped parameters of a browser-rules crawl, end to end. Other hosts are
// reached through the loopback site acting as the HTTP proxy, so that no name is ever looked up.

#include "child_process.h"
#include "cli/kept_settings.h"
#include "cli/options.h"
#include "tests/support/loopback_site.h"
#include "tests/support/scratch_folder.h"

#include <algorithm>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

namespace vortaxel::test {
namespace {

using namespace std::chrono_literals;
using Args = std::vector<std::string>;

struct Outcome {
    int exitCode = -1;
    std::string out;
    std::string err;
};

/// vortaxel-cli with `args`, every http request going to `proxy` when it is given.
Outcome Cli(const Args& args, const LoopbackSite* proxy = nullptr) {
    Args full = {"no_proxy=", "NO_PROXY=", "ALL_PROXY=", "all_proxy="};
    if (proxy != nullptr) {
        full.push_back("http_proxy=http://127.0.0.1:" + std::to_string(proxy->Port()));
    }
    full.push_back(VORTAXEL_CLI_PATH);
    full.insert(full.end(), args.begin(), args.end());
    ChildProcess cli("/usr/bin/env", full);
    EXPECT_TRUE(cli.Wait(60s));
    return {cli.ExitCode(), cli.Out(), cli.Err()};
}

std::string Lines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += line + "\n";
    }
    return text;
}

/// www.example.com's docs, which link to the other hosts of example.com and to another site.
void ServeHosts(LoopbackSite& site) {
    site.ServeHtml("http://www.example.com/docs/",
                   R"(<a href="a">a</a> <a href="/top">top</a> <a href="http://shop.example.com/">shop</a>
                      <a href="http://example.com/">bare</a> <a href="http://other.com/">other</a>)");
    for (const char* page : {"http://www.example.com/docs/a", "http://www.example.com/top", "http://shop.example.com/",
                             "http://example.com/", "http://other.com/"}) {
        site.ServeHtml(page, "<p>page</p>");
    }
}

bool Requested(const LoopbackSite& site, const std::string& target) {
    const auto requests = site.Requests();
    return std::any_of(requests.begin(), requests.end(),
                       [&](const RecordedRequest& request) { return request.target == target; });
}

TEST(CrawlScope, TakesTheHostsOfItsScope) {
    const std::string start = "http://www.example.com/docs/";
    const struct {
        const char* scope;
        std::vector<std::string> listed;
    } rows[] = {
        {"host", {start, start + "a"}},
        {"subdomains", {start, start + "a", "http://www.example.com/top", "http://shop.example.com/"}},
        {"domain",
         {start, start + "a", "http://www.example.com/top", "http://shop.example.com/", "http://example.com/"}},
    };
    for (const auto& row : rows) {
        LoopbackSite site;
        ServeHosts(site);
        const Outcome run = Cli({"--quiet", "--rules", "browser", "--scope", row.scope, start}, &site);
        EXPECT_EQ(run.exitCode, 0) << row.scope << run.err;
        EXPECT_EQ(run.out, Lines(row.listed)) << row.scope;
        EXPECT_FALSE(Requested(site, "http://other.com/")) << row.scope;
    }
}

TEST(CrawlScope, OnlyLinksOutOfTheScopeAreCheckedAsExternal) {
    const std::string start = "http://www.example.com/docs/";
    const std::vector<std::string> hostOnly = {"http://example.com/", "http://other.com/", "http://shop.example.com/",
                                               "http://www.example.com/top"};
    const struct {
        const char* name;
        Args args;
        std::vector<std::string> checked;
    } rows[] = {
        {"host", {"--scope", "host"}, hostOnly},
        {"host, no links followed", {"--scope", "host", "--max-depth", "0"}, hostOnly},
        {"subdomains", {"--scope", "subdomains"}, {"http://example.com/", "http://other.com/"}},
        // Pages of the scope past the depth are left alone, as the start host's are: they are no other site's.
        {"subdomains, no links followed",
         {"--scope", "subdomains", "--max-depth", "0"},
         {"http://example.com/", "http://other.com/"}},
        {"domain", {"--scope", "domain"}, {"http://other.com/"}},
        {"domain, no links followed", {"--scope", "domain", "--max-depth", "0"}, {"http://other.com/"}},
    };
    for (const auto& row : rows) {
        LoopbackSite site;
        ServeHosts(site);
        Args args = {"--quiet", "--rules", "browser", "--check-external"};
        args.insert(args.end(), row.args.begin(), row.args.end());
        args.push_back(start);
        const Outcome run = Cli(args, &site);
        EXPECT_EQ(run.exitCode, 0) << row.name << run.err;
        std::vector<std::string> checked;
        for (const RecordedRequest& request : site.Requests()) {
            if (request.method == "HEAD") {
                checked.push_back(request.target);
            }
        }
        std::sort(checked.begin(), checked.end());
        EXPECT_EQ(checked, row.checked) << row.name;
    }
}

TEST(CrawlScope, AResumedCrawlKeepsItsWiderScope) {
    ScratchFolder folder;
    const std::string db = (folder.Path() / "scope.db").string();
    const std::string start = "http://www.example.com/docs/";
    LoopbackSite site;
    ServeHosts(site);
    const Outcome first =
        Cli({"--quiet", "--rules", "browser", "--scope", "subdomains", "--max-pages", "2", "--db", db, start}, &site);
    ASSERT_EQ(first.exitCode, 0) << first.err;
    EXPECT_EQ(first.out, Lines({start, start + "a"}));
    // The queue holds another host of the domain, which the crawl's own scope takes.
    const Outcome contradicted = Cli({"--quiet", "--db", db, "--resume", "--scope", "host"}, &site);
    EXPECT_EQ(contradicted.exitCode, 2);
    EXPECT_NE(contradicted.err.find("--scope"), std::string::npos) << contradicted.err;
    EXPECT_NE(contradicted.err.find("subdomains"), std::string::npos) << contradicted.err;
    const Outcome resumed = Cli({"--quiet", "--db", db, "--resume", "--max-pages", "10"}, &site);
    EXPECT_EQ(resumed.exitCode, 0) << resumed.err;
    // Standard output lists the pages found from now on.
    EXPECT_EQ(resumed.out, Lines({"http://www.example.com/top", "http://shop.example.com/"}));
}

TEST(CrawlScope, AStartWithoutARegistrableDomainKeepsToItsHostAndSaysSo) {
    LoopbackSite site;
    site.ServeHtml("/", R"(<a href="/a">a</a>)");
    site.ServeHtml("/a", "a");
    const Outcome run = Cli({"--rules", "browser", "--scope", "domain", site.Url("/")});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, Lines({site.Url("/"), site.Url("/a")}));
    const std::string note = "has no registrable domain";
    const std::size_t first = run.err.find(note);
    EXPECT_NE(first, std::string::npos) << run.err;
    EXPECT_EQ(run.err.find(note, first + 1), std::string::npos) << run.err;
}

TEST(CrawlScope, RefusedControlsStopTheRunBeforeAnyRequest) {
    const struct {
        Args args;
        std::vector<std::string> said;
    } rows[] = {
        {{"--scope", "domain"}, {"--scope", "needs --rules browser"}},
        {{"--include", "x"}, {"--include", "needs --rules browser"}},
        {{"--exclude", "x"}, {"--exclude", "needs --rules browser"}},
        {{"--max-depth", "1"}, {"--max-depth", "needs --rules browser"}},
        {{"--strip-query", "utm_*"}, {"--strip-query", "needs --rules browser"}},
        {{"--rules", "browser", "--include", "(blog"}, {"--include", "(blog", "missing )"}},
        {{"--rules", "browser", "--exclude", "ok", "--exclude", "a**"}, {"--exclude", "a**", "bad repetition"}},
        {{"--rules", "browser", "--scope", "everything"}, {"--scope", "host, subdomains or domain"}},
        {{"--rules", "browser", "--max-depth", "-1"}, {"--max-depth"}},
        {{"--rules", "browser", "--strip-query", "a=b"}, {"--strip-query"}},
    };
    for (const auto& row : rows) {
        LoopbackSite site;
        site.ServeHtml("/", "home");
        Args args = row.args;
        args.push_back(site.Url("/"));
        const Outcome run = Cli(args);
        EXPECT_EQ(run.exitCode, 2) << row.args[0] << run.err;
        for (const std::string& said : row.said) {
            EXPECT_NE(run.err.find(said), std::string::npos) << said << " in " << run.err;
        }
        EXPECT_TRUE(site.Requests().empty()) << row.args[0];
    }
}

TEST(CrawlScope, PatternsDepthAndStrippedParametersShapeTheCrawl) {
    const auto serve = [](LoopbackSite& site) {
        site.ServeHtml("/", R"(<a href="/a?utm_source=x&amp;id=1">a</a> <a href="/a?id=1">a</a>
                               <a href="/private/p">p</a> <a href="/b">b</a>)");
        site.ServeHtml("/a?id=1", R"(<a href="/deep">deep</a>)");
        site.ServeHtml("/a?utm_source=x&id=1", "tracked");
        site.ServeHtml("/private/p", "private");
        site.ServeHtml("/b", "b");
        site.ServeHtml("/deep", "deep");
    };
    const struct {
        const char* name;
        Args args;
        std::vector<std::string> listed;
        std::vector<std::string> neverRequested;
    } rows[] = {
        {"depth 0", {"--max-depth", "0"}, {"/"}, {"/b", "/a?id=1"}},
        {"depth 1", {"--max-depth", "1"}, {"/", "/a?utm_source=x&id=1", "/a?id=1", "/private/p", "/b"}, {"/deep"}},
        {"exclude",
         {"--exclude", "/private/", "--exclude", "utm_"},
         {"/", "/a?id=1", "/b", "/deep"},
         {"/private/p", "/a?utm_source=x&id=1"}},
        {"include", {"--include", "^http://[^/]*/$", "--include", "/b$"}, {"/", "/b"}, {"/a?id=1", "/private/p"}},
        {"strip", {"--strip-query", "utm_*"}, {"/", "/a?id=1", "/private/p", "/b", "/deep"}, {"/a?utm_source=x&id=1"}},
    };
    for (const auto& row : rows) {
        LoopbackSite site;
        serve(site);
        Args args = {"--quiet", "--rules", "browser"};
        args.insert(args.end(), row.args.begin(), row.args.end());
        args.push_back(site.Url("/"));
        const Outcome run = Cli(args);
        EXPECT_EQ(run.exitCode, 0) << row.name << run.err;
        std::vector<std::string> listed;
        for (const std::string& target : row.listed) {
            listed.push_back(site.Url(target));
        }
        EXPECT_EQ(run.out, Lines(listed)) << row.name;
        for (const std::string& target : row.neverRequested) {
            EXPECT_FALSE(Requested(site, target)) << row.name << ' ' << target;
        }
        const auto requests = site.Requests();
        EXPECT_EQ(std::count_if(requests.begin(), requests.end(),
                                [](const RecordedRequest& request) { return request.target == "/a?id=1"; }),
                  row.name == std::string("depth 0") || row.name == std::string("include") ? 0 : 1)
            << row.name;
    }
}

TEST(CrawlScope, LinksToExcludedAddressesAreKeptWithTheirOwnStatus) {
    ScratchFolder folder;
    const std::string links = (folder.Path() / "links.csv").string();
    LoopbackSite site;
    site.ServeHtml("/", R"(<a href="/private/p">p</a> <a href="/b">b</a> <a href="/gone">gone</a>)");
    site.ServeHtml("/b", "b");
    const Outcome run =
        Cli({"--quiet", "--rules", "browser", "--exclude", "/private/", "--links", links, site.Url("/")});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    std::ifstream file(links, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    const std::string home = site.Url("/");
    EXPECT_EQ(text.str(), "source,target,anchor,element,rel,follow,status\r\n" + home + "," + site.Url("/private/p") +
                              ",p,a,,yes,excluded\r\n" + home + "," + site.Url("/b") + ",b,a,,yes,200\r\n" + home +
                              "," + site.Url("/gone") + ",gone,a,,yes,404\r\n");
    EXPECT_FALSE(Requested(site, "/private/p"));
}

TEST(CrawlScope, RepeatedOptionsKeepEveryValueInOrderAndGoToTheKeptCrawl) {
    const cli::ParsedOptions parsed =
        cli::ParseOptions({"--rules", "browser", "--exclude", "b", "--include", "x", "--exclude", "a", "--strip-query",
                           "utm_*", "--strip-query", "sid", "--max-depth", "3", "--scope", "domain", "http://s/"});
    ASSERT_TRUE(parsed.options.has_value()) << parsed.error;
    const cli::Options& options = *parsed.options;
    EXPECT_EQ(options.url, "http://s/");
    EXPECT_EQ(options.controls.exclude, (std::vector<std::string>{"b", "a"}));
    EXPECT_EQ(options.controls.include, (std::vector<std::string>{"x"}));
    EXPECT_EQ(options.controls.stripQuery, (std::vector<std::string>{"utm_*", "sid"}));
    EXPECT_EQ(options.controls.maxDepth, std::optional<std::size_t>(3));
    EXPECT_EQ(options.controls.scope, crawl::CrawlScope::Domain);
    const store::CrawlSettings kept = cli::SettingsOf(options, "http://s/");
    EXPECT_EQ(kept.controls, options.controls);

    // Resumed, each given control must be the kept one; left out, it is taken from the kept crawl.
    const struct {
        std::vector<std::string> args;
        const char* refused;
    } rows[] = {
        {{"--db", "f", "--resume"}, nullptr},
        {{"--db", "f", "--resume", "--exclude", "b", "--exclude", "a"}, nullptr},
        {{"--db", "f", "--resume", "--exclude", "a"}, "--exclude"},
        {{"--db", "f", "--resume", "--include", "y"}, "--include"},
        {{"--db", "f", "--resume", "--max-depth", "2"}, "--max-depth"},
        {{"--db", "f", "--resume", "--strip-query", "sid"}, "--strip-query"},
        {{"--db", "f", "--resume", "--scope", "subdomains"}, "--scope"},
    };
    for (const auto& row : rows) {
        cli::ParsedOptions resumed = cli::ParseOptions(row.args);
        ASSERT_TRUE(resumed.options.has_value()) << resumed.error;
        const std::string refused = cli::TakeKeptSettings(kept, "f", resumed.given, *resumed.options);
        if (row.refused == nullptr) {
            EXPECT_EQ(refused, "") << row.args.back();
            EXPECT_EQ(resumed.options->controls, options.controls) << row.args.back();
        } else {
            EXPECT_TRUE(refused.starts_with(row.refused)) << refused;
        }
    }
}

} // namespace
} // namespace vortaxel::test
