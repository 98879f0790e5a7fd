// List mode from the command line: a file (or standard input) of addresses audited exactly, with every
// output of an audit, its bad lines told and skipped; the sitemaps' pages alone; kept and resumed; refused
// where it cannot be served, before any request.

#include "tests/cli/cli_outcome.h"
#include "tests/support/loopback_site.h"
#include "tests/support/scratch_folder.h"

#include <algorithm>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace vortaxel::test {
namespace {

using namespace std::chrono_literals;

constexpr auto kRunLimit = 60s;

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty()) {
            lines.push_back(line);
        }
    }
    return lines;
}

/// The values of CSV column `column` (fields here hold no quotes or commas), the header left out.
std::multiset<std::string> Column(const std::string& csv, const std::string& column) {
    std::multiset<std::string> values;
    const std::vector<std::string> lines = Lines(csv);
    if (lines.empty()) {
        return values;
    }
    const auto split = [](std::string line) {
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
        return fields;
    };
    const std::vector<std::string> header = split(lines[0]);
    const auto at = std::find(header.begin(), header.end(), column);
    EXPECT_NE(at, header.end()) << column;
    const std::size_t index = static_cast<std::size_t>(at - header.begin());
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const std::vector<std::string> fields = split(lines[i]);
        if (index < fields.size()) {
            values.insert(fields[index]);
        }
    }
    return values;
}

void WriteFile(const std::filesystem::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

class ListMode : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string links = "<a href=/linked.html>Linked</a><a href=" + other_.Url("/there.html") + ">There</a>";
        site_.ServeHtml("/", "<title>Home</title>" + links);
        site_.ServeHtml("/a.html", "<title>Alpha page</title><h1>Alpha</h1>" + links);
        site_.ServeHtml("/b.html", "<title>Beta page</title><h1>Beta</h1>" + links);
        site_.ServeHtml("/linked.html", "<title>Linked</title>");
        site_.ServeHtml("/moved.html", "<title>Moved</title>");
        site_.Redirect("/old.html", "/moved.html", 301);
        other_.ServeHtml("/there.html", "<title>Elsewhere</title><a href=/further.html>Further</a>");
    }

    std::string U(const std::string& target) const { return site_.Url(target); }
    std::string P(const std::string& name) const { return (folder_.Path() / name).string(); }

    LoopbackSite site_;
    LoopbackSite other_;
    ScratchFolder folder_{"list-mode"};
};

TEST_F(ListMode, TheListedPagesAloneAreAuditedWithEveryOutput) {
    WriteFile(P("list.txt"), "# migration sheet\n\n" + U("/a.html") + "\n  " + U("/old.html") + "\r\nnot an address\n" +
                                 other_.Url("/there.html") + "\n" + U("/a.html#again") + "\n" + U("/missing.html") +
                                 "\n");
    const Outcome run =
        RunCli({"--rules", "browser", "--urls", P("list.txt"), "--report", P("report.csv"), "--links", P("links.csv"),
                "--keywords", P("keywords.txt"), "--html", P("audit.html"), "--db", P("crawl.db")});
    ASSERT_EQ(run.code, 0) << run.err;
    // Where each listed page landed, in the list's order; a missing page is reported, not listed.
    EXPECT_EQ(Lines(run.out), (std::vector<std::string>{U("/a.html"), U("/moved.html"), other_.Url("/there.html")}));
    EXPECT_NE(run.err.find("--urls: line 5 is no web address, skipped: not an address\n"), std::string::npos)
        << run.err;
    // No link is followed, on the site or off it; a redirect is.
    std::vector<std::string> asked = site_.Targets();
    std::sort(asked.begin(), asked.end());
    EXPECT_EQ(asked, (std::vector<std::string>{"/a.html", "/missing.html", "/moved.html", "/old.html"}));
    EXPECT_EQ(other_.Targets(), std::vector<std::string>{"/there.html"});

    // A row per address asked for, the redirect's with where it landed.
    EXPECT_EQ(
        Column(ReadFile(P("report.csv")), "url"),
        (std::multiset<std::string>{U("/a.html"), U("/old.html"), U("/missing.html"), other_.Url("/there.html")}));
    // The links on the listed pages, each with its target's status when the audit asked for it.
    const std::multiset<std::string> sources = Column(ReadFile(P("links.csv")), "source");
    EXPECT_EQ(sources.count(U("/a.html")), 2U);
    EXPECT_EQ(sources.count(other_.Url("/there.html")), 1U);
    EXPECT_EQ(Lines(ReadFile(P("keywords.txt"))).size(), 3U);
    EXPECT_NE(ReadFile(P("audit.html")).find("Alpha page"), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(P("crawl.db")));
}

TEST_F(ListMode, StandardInputAndAStartAddressGiven) {
    WriteFile(P("list.txt"), U("/b.html") + "\n" + U("/a.html") + "\n");
    ChildProcess run("/bin/sh", {"-c", "exec \"$0\" --rules browser --urls - \"$1\" < \"$2\"", VORTAXEL_CLI_PATH,
                                 U("/"), P("list.txt")});
    ASSERT_TRUE(run.Wait(kRunLimit));
    ASSERT_EQ(run.ExitCode(), 0) << run.Err();
    EXPECT_EQ(Lines(run.Out()), (std::vector<std::string>{U("/b.html"), U("/a.html")}));
    // The start address names the site; it is not audited unless listed.
    std::vector<std::string> asked = site_.Targets();
    EXPECT_EQ(std::count(asked.begin(), asked.end(), "/"), 0);
}

TEST_F(ListMode, RobotsTxtIsObeyedForEachListedHost) {
    site_.Serve("/robots.txt", Page().WithContentType("text/plain").WithBody("User-agent: *\nDisallow: /b.html\n"));
    other_.Serve("/robots.txt", Page().WithContentType("text/plain").WithBody("User-agent: *\nDisallow: /\n"));
    WriteFile(P("list.txt"), U("/a.html") + "\n" + U("/b.html") + "\n" + other_.Url("/there.html") + "\n");
    const Outcome run = RunCli({"--rules", "browser", "--robots", "--urls", P("list.txt"), "--report", P("r.csv")});
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(Lines(run.out), std::vector<std::string>{U("/a.html")});
    EXPECT_EQ(other_.Targets(), std::vector<std::string>{"/robots.txt"});
    const std::vector<std::string> asked = site_.Targets();
    EXPECT_EQ(std::count(asked.begin(), asked.end(), "/b.html"), 0);
    EXPECT_EQ(Column(ReadFile(P("r.csv")), "url"),
              (std::multiset<std::string>{U("/a.html"), U("/b.html"), other_.Url("/there.html")}));
}

TEST_F(ListMode, BadLinesAreToldSafelyAndAListWithoutAnAddressIsRefused) {
    const std::string huge(std::size_t{100} * 1024, 'x');
    struct Row {
        const char* name;
        std::string text;
        int code;
        std::string told;
    };
    const Row rows[] = {
        {"control bytes are escaped", "evil\x1b]0;title\x07\n" + U("/a.html") + "\n", 0,
         "line 1 is no web address, skipped: evil%1B]0;title%07\n"},
        {"a line of 100 KB is cut short", "http://" + huge + "/\n" + U("/a.html") + "\n", 0,
         "line 1 is no web address, skipped: http://" + huge.substr(0, 193) + "... (102408 bytes)\n"},
        {"comments and bad lines only", "# nothing\nnope\n", 2, "holds no web address (http:// or https://)"},
        {"an empty file", "", 2, "holds no web address"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        WriteFile(P("list.txt"), row.text);
        site_.ClearRequests();
        const Outcome run = RunCli({"--rules", "browser", "--urls", P("list.txt")});
        EXPECT_EQ(run.code, row.code) << run.err;
        EXPECT_NE(run.err.find(row.told), std::string::npos) << run.err;
        if (row.code == 2) {
            EXPECT_TRUE(site_.Targets().empty());
        }
    }
}

TEST_F(ListMode, OptionsThatCannotBeServedAreRefusedBeforeAnyRequest) {
    WriteFile(P("list.txt"), U("/a.html") + "\n");
    struct Row {
        std::vector<std::string> args;
        std::string told;
    };
    const Row rows[] = {
        {{"--urls", P("list.txt")}, "--urls: needs --rules browser"},
        {{"--urls-from-sitemaps", U("/")}, "--urls-from-sitemaps: needs --rules browser"},
        {{"--check-external", U("/")}, "--check-external: needs --rules browser"},
        {{"--rules", "browser", "--urls-from-sitemaps", U("/")}, "--urls-from-sitemaps: needs --sitemaps"},
        {{"--rules", "browser", "--sitemaps", "--urls-from-sitemaps", "--urls", P("list.txt")},
         "--urls-from-sitemaps: cannot go with --urls"},
        {{"--rules", "browser", "--urls", P("absent.txt")}, "--urls: cannot read"},
        {{"--rules", "browser", "--urls", folder_.Path().string()}, "--urls: cannot read"},
        {{"--rules", "browser", "--urls", ""}, "--urls: needs a file name"},
        {{"--rules", "browser"}, "URL is required"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.told);
        const Outcome run = RunCli(row.args);
        EXPECT_EQ(run.code, 2) << run.err;
        EXPECT_NE(run.err.find(row.told), std::string::npos) << run.err;
    }
    EXPECT_TRUE(site_.Targets().empty());
}

TEST_F(ListMode, TheSitemapsPagesAloneWhenAsked) {
    site_.Serve("/sitemap.xml",
                Page()
                    .WithContentType("application/xml")
                    .WithBody("<?xml version=\"1.0\"?><urlset "
                              "xmlns=\"http://www.sitemaps.org/schemas/sitemap/0.9\"><url><loc>" +
                              U("/b.html") + "</loc></url><url><loc>" + U("/old.html") + "</loc></url></urlset>"));
    const Outcome run =
        RunCli({"--rules", "browser", "--sitemaps", "--urls-from-sitemaps", "--report", P("r.csv"), U("/")});
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(Lines(run.out), (std::vector<std::string>{U("/b.html"), U("/moved.html")}));
    const std::vector<std::string> asked = site_.Targets();
    EXPECT_EQ(std::count(asked.begin(), asked.end(), "/"), 0);
    EXPECT_EQ(std::count(asked.begin(), asked.end(), "/linked.html"), 0);
    EXPECT_EQ(Column(ReadFile(P("r.csv")), "in_sitemap").count("yes"), 2U);
}

TEST_F(ListMode, AKeptListIsCarriedOnAndAContradictionNamed) {
    WriteFile(P("list.txt"), U("/a.html") + "\n" + U("/b.html") + "\n" + U("/linked.html") + "\n");
    WriteFile(P("other.txt"), U("/a.html") + "\n");
    const Outcome first =
        RunCli({"--rules", "browser", "--urls", P("list.txt"), "--max-pages", "1", "--db", P("kept.db")});
    ASSERT_EQ(first.code, 0) << first.err;
    EXPECT_EQ(Lines(first.out), std::vector<std::string>{U("/a.html")});
    struct Row {
        std::vector<std::string> extra;
        std::string told;
    };
    const Row refusals[] = {
        {{"--urls", P("other.txt")}, "--urls: the crawl kept in " + P("kept.db") + " audits another list"},
        {{"--check-external"}, "--check-external: the crawl kept in " + P("kept.db") + " does not check"},
        {{"--urls-from-sitemaps"}, "--urls-from-sitemaps: the crawl kept in " + P("kept.db") + " does not audit"},
    };
    for (const Row& row : refusals) {
        SCOPED_TRACE(row.told);
        std::vector<std::string> args = {"--db", P("kept.db"), "--resume", "--max-pages", "9"};
        args.insert(args.end(), row.extra.begin(), row.extra.end());
        const Outcome refused = RunCli(args);
        EXPECT_EQ(refused.code, 2) << refused.err;
        EXPECT_NE(refused.err.find(row.told), std::string::npos) << refused.err;
    }
    site_.ClearRequests();
    // The same list given again is no contradiction.
    const Outcome resumed =
        RunCli({"--db", P("kept.db"), "--resume", "--max-pages", "9", "--urls", P("list.txt"), "--keywords", P("k")});
    ASSERT_EQ(resumed.code, 0) << resumed.err;
    EXPECT_EQ(Lines(resumed.out), (std::vector<std::string>{U("/b.html"), U("/linked.html")}));
    EXPECT_EQ(Lines(ReadFile(P("k"))).size(), 3U);
    std::vector<std::string> asked = site_.Targets();
    std::sort(asked.begin(), asked.end());
    EXPECT_EQ(asked, (std::vector<std::string>{"/b.html", "/linked.html"}));
}

} // namespace
} // namespace vortaxel::test

namespace vortaxel::test {
namespace {

/// The status column of a links file by target (fields here hold no quotes or commas).
std::map<std::string, std::string> StatusByTarget(const std::string& csv) {
    std::map<std::string, std::string> status;
    const std::vector<std::string> lines = Lines(csv);
    if (lines.empty()) {
        return status;
    }
    const auto split = [](const std::string& line) {
        std::vector<std::string> fields(1);
        for (const char c : line) {
            if (c == ',') {
                fields.emplace_back();
            } else if (c != '\r') {
                fields.back().push_back(c);
            }
        }
        return fields;
    };
    const std::vector<std::string> header = split(lines[0]);
    const auto index = [&header](const char* name) {
        return static_cast<std::size_t>(std::find(header.begin(), header.end(), name) - header.begin());
    };
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const std::vector<std::string> fields = split(lines[i]);
        if (fields.size() == header.size()) {
            status[fields[index("target")]] = fields[index("status")];
        }
    }
    return status;
}

std::size_t Asked(const LoopbackSite& site, const std::string& method, const std::string& target) {
    std::size_t count = 0;
    for (const RecordedRequest& request : site.Requests()) {
        count += request.method == method && request.target == target ? 1 : 0;
    }
    return count;
}

TEST(CheckExternal, TargetsTheCrawlDoesNotFollowGetTheirStatusOnce) {
    LoopbackSite site;
    LoopbackSite other;
    // A port nothing listens on: no answer at all, at once.
    int closedPort = 0;
    {
        const LoopbackSite gone;
        closedPort = gone.Port();
    }
    const std::string silent = "http://127.0.0.1:" + std::to_string(closedPort);
    const std::string links = "<a href=" + other.Url("/ok.html") + ">ok</a><a href=" + other.Url("/dead.html") +
                              ">dead</a><a href=" + other.Url("/moved.html") +
                              ">moved</a><a href=" + other.Url("/no-head.html") +
                              ">no head</a><a href=" + other.Url("/private/x.html") +
                              ">private</a><a rel=nofollow href=/hidden.html>hidden</a><a href=" + silent +
                              "/1>one</a><a href=" + silent + "/2>two</a><a href=/page.html>page</a>";
    site.ServeHtml("/", "<title>Home</title>" + links);
    site.ServeHtml("/page.html", "<title>Page</title><a href=" + other.Url("/ok.html") + ">ok again</a>");
    site.ServeHtml("/hidden.html", "<title>Hidden</title><a href=/behind.html>behind</a>");
    other.ServeHtml("/ok.html", "<title>Elsewhere</title><a href=/further.html>further</a>");
    other.Redirect("/moved.html", "/ok.html", 301);
    other.Serve("/robots.txt", Page().WithContentType("text/plain").WithBody("User-agent: *\nDisallow: /private/\n"));
    other.Handle("/no-head.html", [](const httplib::Request& request, httplib::Response& response) {
        response.status = request.method == "HEAD" ? 405 : 200;
        response.set_content("<title>No head</title>", "text/html");
    });
    ScratchFolder folder("check-external");
    const std::string linksFile = (folder.Path() / "links.csv").string();

    const Outcome plain = RunCli({"--rules", "browser", "--robots", "--links", linksFile, site.Url("/")});
    ASSERT_EQ(plain.code, 0) << plain.err;
    // Off, nothing leaves the site.
    EXPECT_TRUE(other.Targets().empty());
    site.ClearRequests();

    const Outcome run =
        RunCli({"--rules", "browser", "--robots", "--check-external", "--links", linksFile, site.Url("/")});
    ASSERT_EQ(run.code, 0) << run.err;
    // Checked, never listed nor followed.
    EXPECT_EQ(run.out, plain.out);
    EXPECT_EQ(Lines(run.out), (std::vector<std::string>{site.Url("/"), site.Url("/page.html")}));
    const std::map<std::string, std::string> status = StatusByTarget(ReadFile(linksFile));
    struct Row {
        std::string target;
        std::string status;
        const char* method;
        std::size_t asked;
        const LoopbackSite* host;
    };
    const Row rows[] = {
        {"/ok.html", "200", "HEAD", 1, &other},
        {"/dead.html", "404", "HEAD", 1, &other},
        // The redirect's own reply is the status; where it leads is not asked for it.
        {"/moved.html", "301", "HEAD", 1, &other},
        {"/no-head.html", "200", "GET", 1, &other},
        {"/private/x.html", "blocked by robots.txt", "HEAD", 0, &other},
        {"/further.html", "", "HEAD", 0, &other},
        {"/hidden.html", "200", "HEAD", 1, &site},
        {"/behind.html", "", "GET", 0, &site},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.target);
        EXPECT_EQ(status.count(row.host->Url(row.target)) != 0 ? status.at(row.host->Url(row.target)) : "", row.status);
        EXPECT_EQ(Asked(*row.host, row.method, row.target), row.asked);
    }
    EXPECT_EQ(Asked(other, "GET", "/ok.html"), 0U);
    // A host that does not answer: the same failure for each of its targets.
    ASSERT_NE(status.count(silent + "/1"), 0U);
    EXPECT_NE(status.at(silent + "/1"), "");
    EXPECT_EQ(status.at(silent + "/2"), status.at(silent + "/1"));
    EXPECT_NE(run.err.find("Broken links: "), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find("Broken links: 0 "), std::string::npos) << run.err;
}

} // namespace
} // namespace vortaxel::test
