#include "render/page_renderer.h"
#include "tests/render/render_processes.h"
#include "tests/support/loopback_site.h"

#include <algorithm>
#include <array>
#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace vortaxel::render {
namespace {

bool ChromiumInstalled() {
    return ChromiumMissing(ChromiumPath()).empty();
}

bool Has(const std::string& text, const std::string& piece) {
    return text.find(piece) != std::string::npos;
}

// One browser shows every page of the table: it costs seconds to start.
TEST(PageRenderer, ShowsWhatScriptsMakeOfEachPage) {
    if (!ChromiumInstalled()) {
        GTEST_SKIP() << ChromiumMissing(ChromiumPath());
    }
    test::LoopbackSite site;
    site.Serve("/app.js", test::Page()
                              .WithContentType("text/javascript")
                              .WithBody("document.getElementById('nav').innerHTML = '<a href=\"/about\">About</a>';"));
    site.Serve("/secret.js", test::Page().WithContentType("text/javascript").WithBody("document.title = 'leaked';"));
    RenderOptions options;
    // Long enough for a busy machine to settle any page of the table; only the script that never ends waits it out.
    options.wait = std::chrono::milliseconds(8000);
    options.allowResource = [](std::string_view /*page*/, std::string_view url) {
        return url.find("/secret") == std::string_view::npos;
    };
    PageRenderer renderer(options);

    struct Case {
        const char* name;
        std::string html;
        std::vector<std::string> shown;
        std::size_t errors = 0;
        bool timedOut = false;
        std::size_t dialogs = 0;
        std::size_t blocked = 0;
        bool redirect = false;
    };
    const std::vector<Case> cases = {
        {"links, title and noindex written by script",
         "<html><head><title>Raw</title><script src=/app.js defer></script><script>"
         "document.title='Rendered';var m=document.createElement('meta');m.name='robots';m.content='noindex';"
         "document.head.appendChild(m);</script></head><body><div id=nav></div></body></html>",
         {"<title>Rendered</title>", "noindex", "href=\"/about\""}},
        {"content loaded after the load event",
         "<body><p id=x></p><script>addEventListener('load',()=>fetch('/app.js').then(r=>r.text()).then("
         "t=>{document.getElementById('x').textContent='fetched '+t.length;}))</script></body>",
         {"fetched "}},
        {"script error", "<body><p>kept</p><script>undefinedFunction();</script></body>", {"kept"}, 1},
        {"alert and confirm",
         "<body><script>alert('hi');confirm('sure?');document.write('after')</script></body>",
         {"after"},
         0,
         false,
         2},
        {"resource refused",
         "<head><title>Mine</title><script src=/secret.js></script></head>",
         {"Mine"},
         0,
         false,
         0,
         1},
        {"script sends the page elsewhere",
         "<body><p>here</p><script>location.href='/elsewhere'</script></body>",
         {"here"},
         0,
         false,
         0,
         0,
         true},
        {"script that never ends",
         "<body><p>before</p><script>while(true){}</script><p>after</p></body>",
         {"before"},
         0,
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const RenderOutcome outcome = renderer.Render(site.Url("/page"), c.html, "text/html; charset=utf-8");
        ASSERT_TRUE(outcome.ok) << outcome.error;
        for (const std::string& piece : c.shown) {
            EXPECT_TRUE(Has(outcome.html, piece)) << piece << " not in " << outcome.html;
        }
        EXPECT_EQ(outcome.jsErrors.size(), c.errors);
        if (c.timedOut) {
            EXPECT_TRUE(outcome.timedOut);
        }
        EXPECT_EQ(outcome.dialogs, c.dialogs);
        EXPECT_EQ(outcome.blocked, c.blocked);
        EXPECT_EQ(outcome.jsRedirect.has_value(), c.redirect);
        if (c.redirect && outcome.jsRedirect) {
            EXPECT_EQ(*outcome.jsRedirect, site.Url("/elsewhere"));
        }
    }
    // The page's own bytes were handed over: the server was never asked for it, nor for what was refused.
    const std::vector<std::string> targets = site.Targets();
    EXPECT_EQ(std::count(targets.begin(), targets.end(), "/page"), 0);
    EXPECT_EQ(std::count(targets.begin(), targets.end(), "/secret.js"), 0);
    EXPECT_EQ(std::count(targets.begin(), targets.end(), "/elsewhere"), 0);

    const pid_t browser = renderer.BrowserPid();
    ASSERT_GT(browser, 0);
    EXPECT_GT(test::LiveProcessesInGroup(browser), 0);
}

// Pages in flight side by side in one browser: each outcome is its own page's, whichever order they are
// taken in, and a page that never settles holds up none of the others' outcomes.
TEST(PageRenderer, ShowsPagesSideBySideInOneBrowser) {
    if (!ChromiumInstalled()) {
        GTEST_SKIP() << ChromiumMissing(ChromiumPath());
    }
    test::LoopbackSite site;
    site.Serve("/slow.js", test::Page().WithContentType("text/javascript").WithBody("document.title += ' loaded';"));
    RenderOptions options;
    options.wait = std::chrono::milliseconds(8000);
    options.restartAfter = 3;
    PageRenderer renderer(options);

    struct Case {
        std::string path;
        std::string html;
        std::string title;
        std::size_t errors = 0;
    };
    std::vector<Case> cases;
    for (int i = 0; i < 5; ++i) {
        const std::string n = std::to_string(i);
        cases.push_back({"/p" + n,
                         "<head><title>Raw</title><script src=/slow.js defer></script></head><body><script>"
                         "document.title='Page " +
                             n + "';</script></body>",
                         "<title>Page " + n + " loaded</title>"});
    }
    cases.push_back({"/error", "<body><script>document.title='E';missing();</script></body>", "<title>E</title>", 1});
    // No page that never settles here: the tabs of one site share a renderer process, so its loop would hold
    // the others back for as long as the machine is slow. The single-page test above covers it.

    // Begun in one order, a few at a time as a crawl would, and taken in the other.
    std::vector<PageRenderer::Ticket> tickets;
    pid_t browser = -1;
    for (const Case& c : cases) {
        tickets.push_back(renderer.Start(site.Url(c.path), c.html, "text/html"));
        EXPECT_LE(renderer.InFlight(), cases.size());
        if (browser == -1) {
            browser = renderer.BrowserPid();
        }
    }
    ASSERT_GT(browser, 0);
    for (std::size_t i = cases.size(); i-- > 0;) {
        SCOPED_TRACE(cases[i].path);
        const RenderOutcome outcome = renderer.Finish(tickets[i]);
        ASSERT_TRUE(outcome.ok) << outcome.error;
        EXPECT_TRUE(Has(outcome.html, cases[i].title)) << outcome.html;
        EXPECT_EQ(outcome.jsErrors.size(), cases[i].errors);
        // Whether a page settled before its wait limit is the machine's pace here, not the renderer's doing;
        // the single-page test checks the limit.
    }
    EXPECT_EQ(renderer.InFlight(), 0u);
    // An outcome is taken once.
    EXPECT_FALSE(renderer.Finish(tickets.front()).ok);
    // Past three pages the browser was started afresh, once the pages it showed were done; the first is gone.
    EXPECT_NE(renderer.BrowserPid(), browser);
    EXPECT_TRUE(test::GroupEnds(browser));
    const pid_t last = renderer.BrowserPid();
    ASSERT_GT(last, 0);
    EXPECT_TRUE(renderer.Render(site.Url("/again"), "<title>A</title>", "text/html").ok);
}

TEST(PageRenderer, LeavesNoProcessBehindWhenEndedOrKilled) {
    if (!ChromiumInstalled()) {
        GTEST_SKIP() << ChromiumMissing(ChromiumPath());
    }
    // Ended: the browser and every process it started go with the renderer.
    pid_t ended = -1;
    {
        PageRenderer renderer(RenderOptions{});
        ASSERT_TRUE(renderer.Render("http://127.0.0.1:9/", "<p>x</p>", "text/html").ok);
        ended = renderer.BrowserPid();
    }
    EXPECT_TRUE(test::GroupEnds(ended));

    // Killed: a program that is sent SIGKILL while it renders takes its browser with it.
    std::array<int, 2> report{};
    ASSERT_EQ(pipe(report.data()), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(report[0]);
        PageRenderer renderer(RenderOptions{});
        renderer.Render("http://127.0.0.1:9/", "<p>x</p>", "text/html");
        const pid_t pid = renderer.BrowserPid();
        const std::string profile = renderer.BrowserProfile() + '\n';
        if (write(report[1], &pid, sizeof pid) != sizeof pid ||
            write(report[1], profile.data(), profile.size()) != static_cast<ssize_t>(profile.size())) {
            _exit(1);
        }
        pause();
        _exit(0);
    }
    close(report[1]);
    pid_t browser = -1;
    const bool told = read(report[0], &browser, sizeof browser) == sizeof browser;
    std::string profile;
    for (char c = 0; read(report[0], &c, 1) == 1 && c != '\n';) {
        profile += c;
    }
    close(report[0]);
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(told);
    ASSERT_GT(browser, 0);
    EXPECT_TRUE(test::GroupEnds(browser));
    // Nobody was left to remove the profile of a program killed outright: the next browser started does.
    ASSERT_EQ(profile.rfind(std::filesystem::temp_directory_path().string(), 0), 0u) << profile;
    EXPECT_TRUE(std::filesystem::exists(profile));
    {
        PageRenderer next(RenderOptions{});
        ASSERT_TRUE(next.Render("http://127.0.0.1:9/", "<p>x</p>", "text/html").ok);
        EXPECT_FALSE(std::filesystem::exists(profile)) << profile;
        EXPECT_NE(next.BrowserProfile(), profile);
    }
    std::filesystem::remove_all(profile);
}

TEST(PageRenderer, NamesThePackageWhenTheBrowserIsMissing) {
    RenderOptions options;
    options.chromium = "/nonexistent/chromium";
    PageRenderer renderer(options);
    const RenderOutcome outcome = renderer.Render("http://127.0.0.1:9/", "<p>x</p>", "text/html");
    EXPECT_FALSE(outcome.ok);
    EXPECT_TRUE(Has(outcome.error, "Debian's package chromium")) << outcome.error;
    EXPECT_EQ(renderer.BrowserPid(), -1);
}

} // namespace
} // namespace vortaxel::render
