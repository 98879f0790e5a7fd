#include "child_process.h"
#include "tests/support/loopback_site.h"
#include "tests/support/scratch_folder.h"

#include <algorithm>
#include <atomic>
#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace vortaxel::test {
namespace {

using namespace std::chrono_literals;

constexpr auto kRunLimit = 30s;

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

ChildProcess RunCli(const std::vector<std::string>& args) {
    return ChildProcess(VORTAXEL_CLI_PATH, args);
}

class CliEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        site_.ServeHtml("/", R"(<a href="/blue-widgets_cheap.html">w</a> <a href='shop/'>s</a>
            <a href="mailto:sales@example.com">m</a> <a href="/manual.pdf">p</a>
            <a href="http://elsewhere.example/">x</a> <a href="/missing.html">gone</a>)");
        site_.ServeHtml("/blue-widgets_cheap.html", R"(<a href="/">home</a> <a href="/shop/red_gadgets.html">r</a>)");
        site_.ServeHtml("/shop/", R"(<script>window.open('shop/red_gadgets.html')</script>)");
        site_.ServeHtml("/shop/red_gadgets.html", "no links here");
        start_ = site_.Url("/");
    }

    std::vector<std::string> ExpectedFound() const {
        return {start_, start_ + "blue-widgets_cheap.html", start_ + "shop/", start_ + "missing.html",
                start_ + "shop/red_gadgets.html"};
    }

    LoopbackSite site_;
    std::string start_;
};

TEST_F(CliEndToEnd, ListsFoundUrlsInVisitingOrderWithOneRequestEach) {
    auto cli = RunCli({"--quiet", start_});
    ASSERT_TRUE(cli.Wait(kRunLimit));
    EXPECT_EQ(cli.ExitCode(), 0) << cli.Err();
    EXPECT_EQ(Lines(cli.Out()), ExpectedFound());
    EXPECT_EQ(site_.Targets(), (std::vector<std::string>{"/", "/blue-widgets_cheap.html", "/shop/", "/missing.html",
                                                         "/shop/red_gadgets.html"}));
    EXPECT_EQ(cli.Err(), "");
}

TEST_F(CliEndToEnd, AppendsTheSlashToTheStartUrl) {
    const std::string withoutSlash = start_.substr(0, start_.size() - 1);
    auto cli = RunCli({"--max-pages", "1", withoutSlash});
    ASSERT_TRUE(cli.Wait(kRunLimit));
    EXPECT_EQ(Lines(cli.Out()), std::vector<std::string>{start_});
}

TEST_F(CliEndToEnd, MaxPagesEndsTheRunAfterThatManyUrls) {
    for (const std::size_t limit : {1u, 2u, 4u, 5u, 50u}) {
        site_.ClearRequests();
        auto cli = RunCli({"--max-pages", std::to_string(limit), start_});
        ASSERT_TRUE(cli.Wait(kRunLimit));
        EXPECT_EQ(cli.ExitCode(), 0);
        const auto lines = Lines(cli.Out());
        const std::size_t expected = std::min<std::size_t>(limit, ExpectedFound().size());
        EXPECT_EQ(lines.size(), expected) << "limit " << limit;
        EXPECT_EQ(site_.Targets().size(), expected) << "limit " << limit;
    }
}

TEST_F(CliEndToEnd, InterruptDuringTheThirdFetchLeavesThreeUrls) {
    std::atomic<bool> thirdFetchStarted{false};
    std::atomic<bool> release{false};
    site_.Handle("/shop/", [&](const httplib::Request&, httplib::Response& response) {
        thirdFetchStarted = true;
        for (int i = 0; i < 500 && !release; ++i) {
            std::this_thread::sleep_for(10ms);
        }
        response.set_content(R"(<a href="/more.html">more</a>)", "text/html");
    });
    auto cli = RunCli({start_});
    for (int i = 0; i < 1000 && !thirdFetchStarted; ++i) {
        std::this_thread::sleep_for(5ms);
    }
    ASSERT_TRUE(thirdFetchStarted);
    cli.Signal(SIGINT);
    std::this_thread::sleep_for(100ms);
    release = true;
    ASSERT_TRUE(cli.Wait(kRunLimit));
    EXPECT_EQ(cli.ExitCode(), 0);
    EXPECT_EQ(Lines(cli.Out()),
              (std::vector<std::string>{start_, start_ + "blue-widgets_cheap.html", start_ + "shop/"}));
    EXPECT_EQ(site_.Targets().size(), 3u);
}

TEST_F(CliEndToEnd, ControlBytesInFoundUrlsAreEscaped) {
    site_.ServeHtml("/", "<a href=\"tab\there.html\">t</a> <a href=\"line\r\nbreak.html\">l</a>");
    auto cli = RunCli({"--quiet", start_});
    ASSERT_TRUE(cli.Wait(kRunLimit));
    EXPECT_EQ(Lines(cli.Out()),
              (std::vector<std::string>{start_, start_ + "tab%09here.html", start_ + "line%0D%0Abreak.html"}));
}

struct RefusalRow {
    std::vector<std::string> args;
    std::string errContains;
};

TEST(CliRefusals, RefusedOrMalformedInvocationsExitTwoWithoutFetching) {
    LoopbackSite site;
    const std::vector<RefusalRow> rows = {
        {{""}, "Please enter a Starting URL"},
        {{"http://"}, "Please enter a Starting URL"},
        {{}, "usage:"},
        {{"--max-pages", "0", site.Url("/")}, "usage:"},
        {{"--bogus", site.Url("/")}, "usage:"},
        {{site.Url("/"), site.Url("/")}, "usage:"},
    };
    for (const auto& row : rows) {
        auto cli = RunCli(row.args);
        ASSERT_TRUE(cli.Wait(kRunLimit));
        EXPECT_EQ(cli.ExitCode(), 2) << row.errContains;
        EXPECT_NE(cli.Err().find(row.errContains), std::string::npos) << cli.Err();
        EXPECT_EQ(cli.Out(), "");
    }
    EXPECT_TRUE(site.Targets().empty());
}

TEST_F(CliEndToEnd, KeywordsFileHoldsOnePhrasePerFoundPage) {
    const ScratchFolder dir("cli-keywords");
    const auto file = dir / "keywords.txt";
    auto cli = RunCli({"--quiet", "--keywords", file.string(), start_});
    ASSERT_TRUE(cli.Wait(kRunLimit));
    EXPECT_EQ(cli.ExitCode(), 0) << cli.Err();
    EXPECT_EQ(ReadFile(file), "blue widgets cheap\r\nmissing\r\nred gadgets\r\n");
}

TEST_F(CliEndToEnd, KeywordsFileThatCannotBeWrittenExitsOneBeforeAnyRequestAndKeepsTheOldFile) {
    const ScratchFolder dir("cli-keywords-fail");
    std::filesystem::create_directories(dir / "a-folder");
    const auto missing = (dir / "no-such-folder" / "k.txt").string();
    const auto folder = (dir / "a-folder").string();
    for (const auto& target : {missing, folder}) {
        auto cli = RunCli({"--quiet", "--keywords", target, start_});
        ASSERT_TRUE(cli.Wait(kRunLimit));
        EXPECT_EQ(cli.ExitCode(), 1) << target;
        EXPECT_NE(cli.Err().find(target), std::string::npos) << cli.Err();
        EXPECT_EQ(cli.Out(), "");
    }
    EXPECT_TRUE(site_.Targets().empty());
    EXPECT_FALSE(std::filesystem::exists(missing));
    EXPECT_TRUE(std::filesystem::is_directory(folder));
}

/// A small site in folders, with links of every kind browser rules treat differently.
class BrowserRulesEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        site_.ServeHtml("/docs/", R"(<a href="guide/intro.html#top">i</a> <a href="/docs/api/index.html">api</a>
            <a href="../outside.html">up and out</a> <a href="  guide/intro.html ">again</a>
            <a href="old.html">moved</a> <a href="style.css">css</a> <a href="notes.txt">txt</a>
            <a href="manual.PDF">pdf</a> <a href="http://elsewhere.example/docs/">off</a>
            <a href="mailto:x@example.com">m</a> <a href="missing.html">404</a> <a href="loop.html">loop</a>
            <iframe src="frame.html"></iframe>)");
        site_.ServeHtml("/docs/guide/intro.html", R"(<a href="../api/index.html">api</a> <a href="next.html">n</a>
            <a href="/docs/guide/./next.html">same</a>)");
        site_.ServeHtml("/docs/guide/next.html", R"(<base href="/docs/api/"><a href="ref.html">ref</a>)");
        site_.ServeHtml("/docs/api/index.html", R"(<a href="ref.html">r</a> <a href="index.html#x">self</a>)");
        site_.ServeHtml("/docs/api/ref.html", "<p>reference</p>");
        site_.ServeHtml("/docs/frame.html", "<p>frame</p>");
        site_.ServeHtml("/docs/new.html", R"(<a href="new.html">self</a>)");
        site_.Redirect("/docs/old.html", "/docs/new.html", 301);
        site_.Redirect("/docs/loop.html", "/docs/loop.html", 302);
        site_.Serve("/docs/style.css", Page{}.WithBody("a{}").WithContentType("text/css"));
        site_.Serve("/docs/notes.txt", Page{}.WithBody("notes").WithContentType("text/plain"));
        site_.ServeHtml("/outside.html", "never fetched");
        start_ = site_.Url("/docs/");
    }

    std::vector<std::string> Expected() const {
        return {start_,
                start_ + "guide/intro.html",
                start_ + "api/index.html",
                start_ + "new.html",
                start_ + "frame.html",
                start_ + "guide/next.html",
                start_ + "api/ref.html"};
    }

    LoopbackSite site_;
    std::string start_;
};

TEST_F(BrowserRulesEndToEnd, ListsEachPageOnceUnderItsIdentityAndFetchesNothingElse) {
    for (const char* parallel : {"1", "4"}) {
        SCOPED_TRACE(parallel);
        site_.ClearRequests();
        auto cli = RunCli({"--quiet", "--rules", "browser", "--parallel", parallel, start_});
        ASSERT_TRUE(cli.Wait(kRunLimit));
        EXPECT_EQ(cli.ExitCode(), 0) << cli.Err();
        EXPECT_EQ(Lines(cli.Out()), Expected());
        std::vector<std::string> gets;
        for (const RecordedRequest& request : site_.Requests()) {
            EXPECT_EQ(request.method, "GET") << request.target;
            // The redirect loop is followed to the redirect limit, one GET a hop.
            if (request.target != "/docs/loop.html") {
                gets.push_back(request.target);
            }
        }
        std::sort(gets.begin(), gets.end());
        // One GET for every address on the site: the pages, the redirect's hop, and the broken link and
        // files, whose replies are cut after their headers.
        EXPECT_EQ(gets,
                  (std::vector<std::string>{"/docs/", "/docs/api/index.html", "/docs/api/ref.html", "/docs/frame.html",
                                            "/docs/guide/intro.html", "/docs/guide/next.html", "/docs/missing.html",
                                            "/docs/new.html", "/docs/notes.txt", "/docs/old.html", "/docs/style.css"}));
    }
}

TEST_F(BrowserRulesEndToEnd, StartThatRedirectsOffTheSiteListsNothing) {
    LoopbackSite other;
    other.ServeHtml("/", R"(<a href="more.html">more</a>)");
    other.ServeHtml("/more.html", "more");
    std::string elsewhere = other.Url("/");
    elsewhere.replace(elsewhere.find("127.0.0.1"), 9, "localhost");
    site_.Redirect("/away/", elsewhere, 302);
    auto cli = RunCli({"--quiet", "--rules", "browser", site_.Url("/away/")});
    ASSERT_TRUE(cli.Wait(kRunLimit));
    // A start that lists nothing is a failed start, and says why.
    EXPECT_EQ(cli.ExitCode(), 1) << cli.Err();
    EXPECT_NE(cli.Err().find("redirects off its site"), std::string::npos) << cli.Err();
    EXPECT_EQ(cli.Out(), "");
    // The fetch follows the start's redirect before the site is known; nothing beyond that page is asked for.
    for (const std::string& target : other.Targets()) {
        EXPECT_EQ(target, "/");
    }
}

TEST(CliRules, UnknownRuleSetIsAUsageError) {
    auto cli = RunCli({"--rules", "firefox", "http://127.0.0.1:1/"});
    ASSERT_TRUE(cli.Wait(kRunLimit));
    EXPECT_EQ(cli.ExitCode(), 2);
    EXPECT_NE(cli.Err().find("--rules: takes classic or browser"), std::string::npos);
}

} // namespace
} // namespace vortaxel::test
