// Pages whose bytes are anything but tidy HTML, and start addresses that are anything but tidy URLs.

#include "crawl_harness.h"
#include "hostile_behaviours.h"
#include "tests/cli/child_process.h"
#include "tests/support/named_rows.h"

#include <algorithm>
#include <chrono>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <sys/resource.h>
#include <vector>

namespace vortaxel::test {
namespace {

using namespace std::chrono_literals;
using namespace std::string_literals;
using test::PrintTo;

constexpr std::size_t kBodyCap = std::size_t{32} << 20;

std::string RandomBytes(std::size_t count) {
    std::mt19937 generator(20240611);
    std::string bytes(count, '\0');
    for (char& c : bytes) {
        c = static_cast<char>(generator() & 0xFF);
    }
    return bytes;
}

std::string Utf16LittleEndianWithMark(std::string_view ascii) {
    std::string out = "\xFF\xFE";
    for (const char c : ascii) {
        out += c;
        out += '\0';
    }
    return out;
}

/// A page of links `size` bytes long exactly: "<a href="pN.html">" over and over, padded with blanks.
std::string PageOfLinks(std::size_t size) {
    std::string page;
    page.reserve(size);
    for (std::size_t i = 0;; ++i) {
        const std::string link = "<a href=\"p" + std::to_string(i) + ".html\">\n";
        if (page.size() + link.size() > size) {
            break;
        }
        page += link;
    }
    page.append(size - page.size(), ' ');
    return page;
}

struct ContentCase {
    const char* name;
    std::string page;
    /// Found after the start page, as tails of the start URL.
    std::vector<std::string> found;
};

class PageContentTest : public testing::TestWithParam<ContentCase> {};

TEST_P(PageContentTest, LinksAreTakenAsBytesAndTheRunEnds) {
    HostileServer server;
    const std::string page = GetParam().page;
    server.On("/", [page](HostileStream& s) {
        if (s.target == "/") {
            SendPage(s, page);
        } else {
            SendPage(s, "", "404 Not Found");
        }
    });
    server.Start();
    const std::string root = server.Url("/");

    const CrawlOutcome outcome = RunCrawl(root);

    EXPECT_FALSE(outcome.timedOut);
    EXPECT_EQ(outcome.FetchOk(root), true);
    EXPECT_EQ(outcome.BufferAfter(root), page.size());
    std::vector<std::string> expected{root};
    for (const std::string& tail : GetParam().found) {
        expected.push_back(root + tail);
    }
    EXPECT_EQ(outcome.found, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Pages, PageContentTest,
    testing::Values(ContentCase{"NulBytes",
                                "\0\0<a href=\"nul-a.html\">\0</a>\0 href=\"b\0c.html\"\0"s,
                                {"nul-a.html", "b\0c.html"s}},
                    ContentCase{"InvalidUtf8",
                                "<a href=\"\xFF\xFE\xC3(.html\"> \xC0\xAF href='\xED\xA0\x80'",
                                {"\xFF\xFE\xC3(.html", "\xED\xA0\x80"}},
                    ContentCase{"Latin1", "<a href=\"caf\xE9.html\">Caf\xE9</a>", {"caf\xE9.html"}},
                    // Link extraction reads bytes; a UTF-16 page has a NUL between the letters of every keyword.
                    ContentCase{"Utf16WithByteOrderMark", Utf16LittleEndianWithMark("<a href=\"u.html\">"), {}}),
    RowName());

TEST(PageContent, MebibyteOfRandomBytesStaysInsideTheSite) {
    HostileServer server;
    const std::string page = RandomBytes(std::size_t{1} << 20);
    server.On("/", [page](HostileStream& s) { SendPage(s, s.target == "/" ? page : std::string()); });
    server.Start();
    const std::string root = server.Url("/");

    CrawlLimits limits;
    limits.maxPages = 20;
    const CrawlOutcome outcome = RunCrawl(root, limits);

    EXPECT_FALSE(outcome.timedOut);
    EXPECT_EQ(outcome.BufferAfter(root), page.size());
    ASSERT_FALSE(outcome.found.empty());
    for (const std::string& url : outcome.found) {
        EXPECT_TRUE(url.starts_with(root)) << url;
    }
}

struct SizeCase {
    const char* name;
    std::size_t size;
    bool taken;
};

class LargePageTest : public testing::TestWithParam<SizeCase> {};

TEST_P(LargePageTest, PageUpToTheCapIsCrawledAndOneByteMoreIsAFailedFetch) {
    // Declared first so that it outlives the server's threads.
    const std::string page = PageOfLinks(GetParam().size);
    HostileServer server;
    server.On("/", [&page](HostileStream& s) { SendPage(s, s.target == "/" ? std::string_view(page) : ""); });
    server.Start();
    const std::string root = server.Url("/");

    CrawlLimits limits;
    limits.maxPages = 3;
    limits.watchdog = 120s;
    const CrawlOutcome outcome = RunCrawl(root, limits);

    EXPECT_FALSE(outcome.timedOut);
    EXPECT_EQ(outcome.FetchOk(root), GetParam().taken);
    EXPECT_EQ(outcome.BufferAfter(root), GetParam().taken ? page.size() : 0u);
    if (GetParam().taken) {
        EXPECT_EQ(outcome.found, (std::vector<std::string>{root, root + "p0.html", root + "p1.html"}));
        EXPECT_GT(outcome.queue.size(), std::size_t{1'000'000});
    } else {
        EXPECT_EQ(outcome.found, std::vector<std::string>{root});
        EXPECT_TRUE(outcome.queue.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, LargePageTest,
                         testing::Values(SizeCase{"ExactlyTheCap", kBodyCap, true},
                                         SizeCase{"OneByteOverTheCap", kBodyCap + 1, false}),
                         RowName());

struct StartCase {
    const char* name;
    /// "{root}" stands for the server's "/" address without its slash.
    std::string text;
    /// Whether the fetch may reach the loopback server at all.
    bool mayConnect;
};

class StartUrlTest : public testing::TestWithParam<StartCase> {};

std::string Expand(std::string text, const HostileServer& server) {
    for (const auto& [name, value] : {std::pair<std::string, std::string>{"{root}", server.Url("")},
                                      std::pair<std::string, std::string>{"{port}", std::to_string(server.Port())}}) {
        if (const auto at = text.find(name); at != std::string::npos) {
            text.replace(at, name.size(), value);
        }
    }
    return text;
}

/// A request line is method, target and version, two blanks in all.
bool RequestLineIntact(const std::string& head) {
    const std::string line = head.substr(0, head.find("\r\n"));
    return std::count(line.begin(), line.end(), ' ') == 2 && line.find('\t') == std::string::npos;
}

TEST_P(StartUrlTest, OneFailedVisitAndNothingElse) {
    HostileServer server;
    InstallHostileBehaviours(server);
    server.On("/", [](HostileStream& s) { SendPage(s, LeakLinks(), "404 Not Found"); });
    server.Start();
    const std::string text = Expand(GetParam().text, server);

    const CrawlOutcome outcome = RunCrawl(text);
    server.Stop();

    EXPECT_FALSE(outcome.timedOut);
    ASSERT_EQ(outcome.found.size(), 1u);
    EXPECT_EQ(outcome.found[0], text.ends_with('/') ? text : text + "/");
    EXPECT_EQ(outcome.fetchOk, std::vector<bool>{false});
    EXPECT_EQ(outcome.bufferAfterFetch, std::vector<std::size_t>{0});
    if (!GetParam().mayConnect) {
        EXPECT_EQ(server.Connections(), 0u);
    }
    for (const std::string& head : server.Requests()) {
        EXPECT_EQ(head.find("\r\nX-Injected"), std::string::npos) << "a line break in the address became a header";
        EXPECT_TRUE(RequestLineIntact(head)) << "a blank or tab reached the wire";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Forms, StartUrlTest,
    testing::Values(StartCase{"LeadingAndTrailingBlanks", "  {root}/  x", true},
                    StartCase{"LineBreaks", "{root}/a\r\nX-Injected: 1\r\n", true},
                    StartCase{"Tabs", "{root}/\tpage\t", true}, StartCase{"UnclosedIpv6Bracket", "http://[::1", false},
                    StartCase{"PortOutOfRange", "http://127.0.0.1:99999/", false},
                    StartCase{"FileDevZero", "file:///dev/zero", false},
                    StartCase{"FileDevZeroInCapitals", "FILE:///dev/zero", false},
                    StartCase{"Ftp", "ftp://127.0.0.1:{port}/", false},
                    StartCase{"Url32KiB", "{root}/" + std::string(std::size_t{32} * 1024, 'a'), true},
                    StartCase{"NotFoundWithLinks", "{root}/status-404", true}),
    RowName());

#ifdef VORTAXEL_CLI_PATH
TEST(CrawlTrap, PageLimitEndsItWithBoundedMemory) {
    // Every page links to ten addresses never seen before, so only the page limit ends the run.
    HostileServer server;
    server.On("/", [](HostileStream& s) {
        std::string page;
        for (int i = 0; i < 10; ++i) {
            page += "<a href=\"" + s.target.substr(1) + "-" + std::to_string(i) + "/\">";
        }
        SendPage(s, page);
    });
    server.Start();

    ChildProcess cli(VORTAXEL_CLI_PATH, {"--quiet", "--max-pages", "400", server.Url("/trap")});
    ASSERT_TRUE(cli.Wait(120s));
    server.Stop();

    EXPECT_EQ(cli.ExitCode(), 0) << cli.Err();
    EXPECT_EQ(std::count(cli.Out().begin(), cli.Out().end(), '\n'), 400);
    rusage children{};
    getrusage(RUSAGE_CHILDREN, &children);
    EXPECT_LT(static_cast<std::size_t>(children.ru_maxrss) * 1024, std::size_t{256} << 20);
}
#endif

} // namespace
} // namespace vortaxel::test
