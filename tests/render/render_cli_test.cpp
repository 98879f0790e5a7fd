#include "render/chromium_process.h"
#include "tests/cli/child_process.h"
#include "tests/support/loopback_site.h"
#include "tests/support/scratch_folder.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

namespace vortaxel::test {
namespace {

constexpr std::chrono::seconds kRunLimit{120};

struct CliRun {
    int code = -1;
    std::string err;
};

CliRun RunCli(const std::vector<std::string>& args) {
    ChildProcess run(VORTAXEL_CLI_PATH, args);
    EXPECT_TRUE(run.Wait(kRunLimit)) << "the run did not end in time";
    return {run.ExitCode(), run.Err()};
}

/// Runs with the browser looked for at `chromium`.
CliRun RunCliWithBrowser(const std::string& chromium, const std::vector<std::string>& args) {
    setenv("VORTAXEL_CHROMIUM", chromium.c_str(), 1);
    CliRun run = RunCli(args);
    unsetenv("VORTAXEL_CHROMIUM");
    return run;
}

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (line.ends_with('\r')) {
            line.pop_back();
        }
        lines.push_back(line);
    }
    return lines;
}

std::string LineStarting(const std::string& text, const std::string& start) {
    for (const std::string& line : Lines(text)) {
        if (line.rfind(start, 0) == 0) {
            return line;
        }
    }
    return {};
}

bool Has(const std::string& text, const std::string& piece) {
    return text.find(piece) != std::string::npos;
}

void ServeApplication(LoopbackSite& site) {
    site.Serve("/robots.txt", Page().WithContentType("text/plain").WithBody("User-agent: *\nDisallow: /private/\n"));
    site.ServeHtml("/", "<html><head><title>Shell</title><script src=/app.js></script>"
                        "<script src=/private/track.js></script></head>"
                        "<body><h1>Loading</h1><div id=nav></div><a href=/plain>plain</a>"
                        "<script>missing()</script></body></html>");
    site.Serve("/app.js", Page()
                              .WithContentType("text/javascript")
                              .WithBody("document.title = 'Shop';"
                                        "var m = document.createElement('meta'); m.name = 'robots';"
                                        "m.content = 'noindex'; document.head.appendChild(m);"
                                        "addEventListener('DOMContentLoaded', function () {"
                                        "  document.getElementById('nav').innerHTML = '<a href=\"/about\">About</a>';"
                                        "  history.pushState({}, '', '/home');"
                                        "});"));
    site.Serve("/private/track.js", Page().WithContentType("text/javascript").WithBody("document.title = 'x';"));
    // Enough pages for several tabs and the fetches ahead of them.
    std::string team = "<title>About</title>";
    for (int i = 1; i <= 8; ++i) {
        const std::string path = "/team/" + std::to_string(i);
        team += "<a href=" + path + ">" + path + "</a>";
        site.ServeHtml(path, "<title>Team " + std::to_string(i) + "</title>");
    }
    site.ServeHtml("/about", team);
    site.ServeHtml("/plain", "<title>Plain</title>");
}

// One crawl with a browser, and the runs around it that need none: Chromium costs seconds to start.
TEST(RenderCli, FollowsScriptLinksReportsWhatScriptsChangedAndReplaysOffline) {
    const std::string chromium = render::ChromiumPath();
    if (!render::ChromiumMissing(chromium).empty()) {
        GTEST_SKIP() << render::ChromiumMissing(chromium);
    }
    LoopbackSite site;
    ServeApplication(site);
    ScratchFolder folder("render-cli");
    const std::string db = (folder.Path() / "crawl.db").string();
    const std::string report = (folder.Path() / "report.csv").string();
    const std::string links = (folder.Path() / "links.csv").string();
    // Three tabs: the pages found by the start page's scripts are rendered side by side.
    const CliRun crawl =
        RunCli({"--rules", "browser", "--render", "--render-wait", "15000", "--parallel", "3", "--robots", "--quiet",
                "--db", db, "--report", report, "--links", links, site.Url("/")});
    ASSERT_EQ(crawl.code, 0) << crawl.err;

    const std::string text = ReadFile(report);
    const std::vector<std::string> lines = Lines(text);
    ASSERT_FALSE(lines.empty());
    EXPECT_TRUE(
        lines[0].ends_with(",rendered_title,rendered_description,rendered_h1,rendered_canonical,"
                           "rendered_robots,js_links,js_errors,render_requests,render_ms,js_words,render_failed"))
        << lines[0];
    const std::string start = LineStarting(text, site.Url("/") + ",");
    EXPECT_TRUE(Has(start, ",Shell,")) << "the raw title stays the page's own: " << start;
    EXPECT_TRUE(Has(start, ",Shop,,,,noindex,1,ReferenceError: missing is not defined,")) << start;
    // One word shown only once scripts ran (the link's "About"; the title is no visible text); one script refused.
    EXPECT_TRUE(start.ends_with(",1,1")) << start;
    // Found only by rendering, and crawled as a page.
    EXPECT_FALSE(LineStarting(text, site.Url("/about") + ",").empty()) << text;
    EXPECT_TRUE(Has(LineStarting(text, site.Url("/plain") + ","), ",Plain,")) << text;

    const std::string linkText = ReadFile(links);
    EXPECT_EQ(Lines(linkText).at(0), "source,target,anchor,element,rel,follow,status,seen_in");
    EXPECT_EQ(LineStarting(linkText, site.Url("/") + "," + site.Url("/about") + ","),
              site.Url("/") + "," + site.Url("/about") + ",About,a,,yes,200,rendered");
    EXPECT_EQ(LineStarting(linkText, site.Url("/") + "," + site.Url("/plain") + ","),
              site.Url("/") + "," + site.Url("/plain") + ",plain,a,,yes,200,both");

    const std::vector<std::string> targets = site.Targets();
    // The page was fetched once, by the crawl; robots.txt kept the browser from what it disallows.
    for (const std::string& target : targets) {
        EXPECT_EQ(std::count(targets.begin(), targets.end(), target), 1) << target;
    }
    EXPECT_EQ(std::count(targets.begin(), targets.end(), "/private/track.js"), 0);
    EXPECT_EQ(std::count(targets.begin(), targets.end(), "/home"), 0) << "a pushState route is no request";

    // Offline, with no browser to be had: the same report.
    const std::string again = (folder.Path() / "again.csv").string();
    const CliRun offline =
        RunCliWithBrowser("/nonexistent/chromium", {"--db", db, "--offline", "--quiet", "--report", again});
    ASSERT_EQ(offline.code, 0) << offline.err;
    EXPECT_EQ(ReadFile(again), text);

    // Refused, before any request: classic rules, and a browser that is not there.
    site.ClearRequests();
    const CliRun classic = RunCli({"--render", "--quiet", site.Url("/")});
    EXPECT_EQ(classic.code, 2);
    EXPECT_TRUE(Has(classic.err, "--render")) << classic.err;
    const CliRun missing =
        RunCliWithBrowser("/nonexistent/chromium", {"--rules", "browser", "--render", "--quiet", site.Url("/")});
    EXPECT_EQ(missing.code, 2);
    EXPECT_TRUE(Has(missing.err, "Debian's package chromium")) << missing.err;
    EXPECT_TRUE(site.Targets().empty());
}

} // namespace
} // namespace vortaxel::test
