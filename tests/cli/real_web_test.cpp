// The command line against sites a real crawl meets: failing pages, a per-page report, robots.txt and
// a politeness delay, each on a loopback site that logs what it was asked.

#include "child_process.h"
#include "tests/support/loopback_site.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/test_tls.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <mutex>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace vortaxel::test {
namespace {

using namespace std::chrono_literals;
using Lines = std::vector<std::string>;

constexpr auto kRunLimit = 30s;

Lines SplitLines(const std::string& text) {
    Lines lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(line);
    }
    return lines;
}

/// A report line with its time column, which no test can predict, made "*".
std::string WithoutTime(const std::string& line) {
    std::vector<std::string> fields;
    std::istringstream in(line);
    for (std::string field; std::getline(in, field, ',');) {
        fields.push_back(field);
    }
    if (fields.size() > 5) {
        fields[5] = "*";
    }
    std::string joined;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        joined += (i == 0 ? "" : ",") + fields[i];
    }
    return line.ends_with(',') ? joined + "," : joined;
}

ChildProcess RunCli(const std::vector<std::string>& args) {
    return ChildProcess(VORTAXEL_CLI_PATH, args);
}

bool Contains(const std::vector<std::string>& items, const std::string& item) {
    return std::ranges::find(items, item) != items.end();
}

/// A shop with a broken link, a redirect, a file that is no page and a private corner.
class RealWeb : public ::testing::Test {
protected:
    void SetUp() override {
        site_.ServeHtml("/", R"(<a href="/missing.html">x</a> <a href="/moved">m</a> <a href="/price.txt">t</a>
            <a href="/private/x.html">p</a> <a href="/shop.html">s</a>)");
        site_.Redirect("/moved", "/shop.html");
        site_.ServeHtml("/shop.html", "no links");
        site_.Serve("/price.txt", Page().WithBody("12.50").WithContentType("text/plain"));
        site_.ServeHtml("/private/x.html", "secret");
        start_ = site_.Url("/");
    }

    void ServeRobots(Page page) { site_.Serve("/robots.txt", std::move(page)); }
    static Page DisallowPrivate() {
        return Page().WithBody("User-agent: *\nDisallow: /private/\n").WithContentType("text/plain");
    }

    LoopbackSite site_;
    std::string start_;
};

TEST_F(RealWeb, EachFailedFetchIsOneLineOnStandardErrorUnlessQuiet) {
    for (const bool quiet : {false, true}) {
        SCOPED_TRACE(quiet);
        auto cli = quiet ? RunCli({"--quiet", start_}) : RunCli({start_});
        ASSERT_TRUE(cli.Wait(kRunLimit));
        EXPECT_EQ(cli.ExitCode(), 0);
        // Still listed and counted, as a page without links.
        EXPECT_TRUE(Contains(SplitLines(cli.Out()), start_ + "missing.html"));
        EXPECT_EQ(cli.Err(), quiet ? "" : "vortaxel-cli: " + start_ + "missing.html: HTTP status 404 Not Found\n");
    }
}

// Under browser rules the redirect's target is fetched once, by the redirect, so it has no row of its
// own; classic rules list and fetch every address, so every listed one has its row, in list order.
TEST_F(RealWeb, ReportHasARowPerFetchedPageAndPerBlockedAddress) {
    ServeRobots(DisallowPrivate());
    const ScratchFolder dir("cli-report");
    const auto report = dir / "pages.csv";
    const std::string s = start_;
    const std::string header = "url,status,final_url,content_type,bytes,*,redirects,error";
    const std::string home = s + "," + "200," + s + ",text/html,150,*,0,";
    const std::string missing = s + "missing.html,404," + s + "missing.html,text/html,0,*,0,HTTP status 404 Not Found";
    const std::string moved = s + "moved,200," + s + "shop.html,text/html,8,*,1,";
    const std::string blocked = s + "private/x.html,,,,0,*,0,blocked by robots.txt";
    struct Row {
        const char* rules;
        Lines report;
        Lines listed;
    };
    const Row rows[] = {
        {"browser",
         {header, home, missing, moved, s + "price.txt,200," + s + "price.txt,text/plain,0,*,0,", blocked},
         {s, s + "shop.html"}},
        {"classic",
         {header, home, missing, moved, s + "price.txt,200," + s + "price.txt,text/plain,5,*,0,", blocked,
          s + "shop.html,200," + s + "shop.html,text/html,8,*,0,"},
         {s, s + "missing.html", s + "moved", s + "price.txt", s + "shop.html"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.rules);
        auto cli = RunCli({"--quiet", "--rules", row.rules, "--robots", "--report", report.string(), s});
        ASSERT_TRUE(cli.Wait(kRunLimit));
        EXPECT_EQ(cli.ExitCode(), 0) << cli.Err();
        Lines written;
        const bool browser = std::string_view(row.rules) == "browser";
        for (std::string line : SplitLines(ReadFile(report))) {
            if (browser) {
                // The audit's columns follow today's; their values are the audit tests' concern.
                std::size_t cut = 0;
                for (int field = 0; field < 8 && cut != std::string::npos; ++field) {
                    cut = line.find(',', cut + (field == 0 ? 0 : 1));
                }
                EXPECT_NE(cut, std::string::npos) << line;
                line = line.substr(0, cut);
            }
            written.push_back(WithoutTime(line));
        }
        EXPECT_EQ(written, row.report);
        EXPECT_EQ(SplitLines(ReadFile(report)).front().ends_with(",redirect_chain,in_sitemap"), browser);
        EXPECT_EQ(SplitLines(cli.Out()), row.listed);
    }
}

// Found out before the crawl, not after it: a long crawl is not spent on a report that cannot land.
TEST_F(RealWeb, AReportThatCannotBeWrittenFailsBeforeTheCrawlNamingThePath) {
    const ScratchFolder dir("cli-report-fail");
    const std::string path = (dir / "no-such-folder" / "pages.csv").string();
    auto cli = RunCli({"--quiet", "--report", path, start_});
    ASSERT_TRUE(cli.Wait(kRunLimit));
    EXPECT_EQ(cli.ExitCode(), 1);
    EXPECT_TRUE(cli.Err().starts_with("vortaxel-cli: cannot write " + path + ": ")) << cli.Err();
    EXPECT_EQ(cli.Out(), "");
}

TEST_F(RealWeb, RobotsTxtDecidesWhatIsRequestedAndListed) {
    const std::string s = start_;
    const Lines everything = {
        s, s + "missing.html", s + "moved", s + "price.txt", s + "private/x.html", s + "shop.html"};
    struct Row {
        const char* name;
        bool obey;
        Page robots;
        Lines listed;
        Lines requested;
    };
    const Row rows[] = {
        {"default run asks for no robots.txt",
         false,
         DisallowPrivate(),
         everything,
         {"/", "/missing.html", "/moved", "/shop.html", "/price.txt", "/private/x.html", "/shop.html"}},
        {"a disallowed page is neither requested nor listed",
         true,
         DisallowPrivate(),
         {s, s + "missing.html", s + "moved", s + "price.txt", s + "shop.html"},
         {"/robots.txt", "/", "/missing.html", "/moved", "/shop.html", "/price.txt", "/shop.html"}},
        {"a missing robots.txt restricts nothing",
         true,
         Page().WithStatus(404),
         everything,
         {"/robots.txt", "/", "/missing.html", "/moved", "/shop.html", "/price.txt", "/private/x.html", "/shop.html"}},
        {"a 5xx robots.txt: nothing of the host", true, Page().WithStatus(503), {}, {"/robots.txt"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        site_.ClearRequests();
        ServeRobots(row.robots);
        auto cli = row.obey ? RunCli({"--robots", s}) : RunCli({s});
        ASSERT_TRUE(cli.Wait(kRunLimit));
        EXPECT_EQ(SplitLines(cli.Out()), row.listed);
        EXPECT_EQ(site_.Targets(), row.requested);
        const bool named =
            cli.Err().find("vortaxel-cli: " + s + "private/x.html: blocked by robots.txt\n") != std::string::npos;
        EXPECT_EQ(named, !Contains(row.listed, s + "private/x.html") && !row.listed.empty()) << cli.Err();
    }
}

TEST(RealWebDelay, RequestsToOneHostStartAtLeastTheDelayApart) {
    LoopbackSite site;
    std::mutex mutex;
    std::vector<std::chrono::steady_clock::time_point> starts;
    const auto page = [&](const std::string& body) {
        return [&, body](const httplib::Request&, httplib::Response& response) {
            {
                const std::lock_guard lock(mutex);
                starts.push_back(std::chrono::steady_clock::now());
            }
            response.set_content(body, "text/html");
        };
    };
    site.Handle("/", page(R"(<a href="/a">a</a> <a href="/b">b</a> <a href="/c">c</a>)"));
    for (const char* target : {"/a", "/b", "/c"}) {
        site.Handle(target, page(""));
    }
    auto cli = RunCli({"--quiet", "--delay", "300", "--parallel", "4", site.Url("/")});
    ASSERT_TRUE(cli.Wait(kRunLimit));
    ASSERT_EQ(starts.size(), 4u);
    // The pacing itself is tested on an injected clock; this checks that --delay reaches it. The server sees each
    // request some time after it was sent, and on a busy machine that time differs from one request to the
    // next by more than any small slack, so the bound is on the whole run and leaves one delay for it: four
    // requests at once, without the delay, would arrive within a few milliseconds.
    EXPECT_GE(starts.back() - starts.front(), 600ms);
}

} // namespace
} // namespace vortaxel::test

namespace vortaxel::test {
namespace {

// 32 MiB of short distinct links under a start address of 1,000 bytes would join to gigabytes.
std::string PageOfShortLinks() {
    constexpr std::string_view kDigits = "0123456789abcdefghijklmnopqrstuvwxyz";
    std::string page;
    page.reserve(std::size_t{32} << 20);
    for (std::size_t n = 0; page.size() < (std::size_t{32} << 20) - 64; ++n) {
        std::string name;
        for (std::size_t rest = n; name.empty() || rest != 0; rest /= kDigits.size()) {
            name.insert(name.begin(), kDigits[rest % kDigits.size()]);
        }
        page += "<a href=\"" + name + "\">x</a>";
    }
    return page;
}

TEST(RealWebMemory, AFloodOfLinksUnderAMemoryLimitStopsTheRunAndKeepsTheKeywordFile) {
    LoopbackSite site;
    const std::string target = "/" + std::string(980, 'd') + "/";
    // A type the server does not compress: compressing 32 MiB per request would outlast the test.
    site.Serve(target, Page().WithBody(PageOfShortLinks()).WithContentType("application/octet-stream"));
    const ScratchFolder dir("cli-memory");
    const std::string keywords = (dir / "k.txt").string();
    // The shell puts the process under a 1 GiB address-space limit before it becomes the command line;
    // not under AddressSanitizer, which reserves terabytes of address space before main.
#if defined(__SANITIZE_ADDRESS__)
    const std::string limit;
#else
    const std::string limit = "ulimit -v 1048576 && ";
#endif
    ChildProcess cli("/bin/sh", {"-c", limit + "exec \"$0\" \"$@\"", VORTAXEL_CLI_PATH, "--quiet", "--max-memory",
                                 "16M", "--keywords", keywords, site.Url(target)});
    ASSERT_TRUE(cli.Wait(kRunLimit)) << cli.Err().substr(0, 2000) << " out " << cli.Out().size();
    EXPECT_EQ(cli.ExitCode(), 1) << cli.Err();
    EXPECT_EQ(SplitLines(cli.Out()), Lines{site.Url(target)});
    const Lines err = SplitLines(cli.Err());
    ASSERT_EQ(err.size(), 2u) << cli.Err();
    EXPECT_TRUE(err[0].ends_with("links past the page budget of 64 MiB dropped")) << err[0];
    EXPECT_EQ(err[1], "vortaxel-cli: run stopped: URL store reached its memory budget of 16 MiB");
    EXPECT_TRUE(std::filesystem::exists(keywords));
}

} // namespace
} // namespace vortaxel::test

namespace vortaxel::test {
namespace {

TEST(RealWebTls, AnExtraAuthorityIsTrustedAndASelfSignedSiteFailsWithItsReason) {
    const ScratchFolder folder("cli-tls");
    const Identity authority("Vortaxel Test CA", true, -kDay, kDay);
    authority.Write(folder / "ca.pem", folder / "ca.key");
    struct Row {
        const char* name;
        Identity server;
        bool listed;
        const char* reason;
    };
    const Row rows[] = {
        {"signed by the authority given", Identity("127.0.0.1", false, -kDay, kDay, &authority), true, ""},
        {"self-signed", Identity("127.0.0.1", false, -kDay, kDay), true, "self-signed"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        row.server.Write(folder / "server.pem", folder / "server.key");
        const TlsSite site(folder / "server.pem", folder / "server.key");
        const std::string url = "https://127.0.0.1:" + std::to_string(site.Port()) + "/";
        auto cli = RunCli({"--ca-file", (folder / "ca.pem").string(), url});
        ASSERT_TRUE(cli.Wait(kRunLimit));
        EXPECT_EQ(cli.ExitCode(), 0);
        EXPECT_EQ(SplitLines(cli.Out()), Lines{url});
        if (*row.reason == '\0') {
            EXPECT_EQ(cli.Err(), "");
        } else {
            EXPECT_TRUE(cli.Err().starts_with("vortaxel-cli: " + url + ": ")) << cli.Err();
            EXPECT_NE(cli.Err().find(row.reason), std::string::npos) << cli.Err();
        }
    }
}

} // namespace
} // namespace vortaxel::test

namespace vortaxel::test {
namespace {

TEST(RealWebPoliteness, ComeBackLaterIsWaitedOutOnlyWhenPolitenessIsAskedFor) {
    struct Row {
        std::vector<std::string> options;
        std::size_t requests;
        bool failed;
    };
    const Row rows[] = {
        {{}, 1, true},
        {{"--delay", "10"}, 2, false},
        {{"--robots"}, 2, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.options.empty() ? "default" : row.options[0]);
        LoopbackSite site;
        std::atomic<int> asked{0};
        site.Handle("/", [&asked](const httplib::Request&, httplib::Response& response) {
            if (asked++ == 0) {
                response.status = 429;
                response.set_header("Retry-After", "1");
                return;
            }
            response.set_content("welcome", "text/html");
        });
        std::vector<std::string> args = row.options;
        args.push_back(site.Url("/"));
        auto cli = RunCli(args);
        ASSERT_TRUE(cli.Wait(kRunLimit));
        EXPECT_EQ(std::ranges::count(site.Targets(), std::string("/")), row.requests);
        EXPECT_EQ(cli.Err().find("429") != std::string::npos, row.failed) << cli.Err();
    }
}

TEST(RealWebSummary, ARunWithFailuresEndsWithASummaryOnATerminal) {
    LoopbackSite site;
    site.ServeHtml("/", R"(<a href="/gone">g</a> <a href="/here">h</a>)");
    site.ServeHtml("/here", "");
    // script(1) gives the program a terminal for its standard error.
    ChildProcess cli("/usr/bin/script", {"-qec", std::string(VORTAXEL_CLI_PATH) + " " + site.Url("/"), "/dev/null"});
    ASSERT_TRUE(cli.Wait(kRunLimit));
    EXPECT_NE(cli.Out().find("vortaxel-cli: 1 of 3 pages failed"), std::string::npos) << cli.Out();
}

} // namespace
} // namespace vortaxel::test
