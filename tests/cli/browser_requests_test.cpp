// Under browser rules every page costs one GET (plus its redirect hops), whatever the server makes
// of HEAD.

#include "child_process.h"
#include "tests/support/loopback_site.h"

#include <gtest/gtest.h>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace vortaxel::test {
namespace {

using namespace std::chrono_literals;

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

std::vector<std::string> CrawlBrowser(const std::string& start) {
    ChildProcess cli(VORTAXEL_CLI_PATH, {"--quiet", "--rules", "browser", start});
    EXPECT_TRUE(cli.Wait(30s));
    EXPECT_EQ(cli.ExitCode(), 0) << cli.Err();
    return Lines(cli.Out());
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
                  (std::vector<std::string>{site.Url("/"), site.Url("/b.html"), site.Url("/new.html")}));
        std::map<std::string, int> gets;
        for (const RecordedRequest& request : site.Requests()) {
            EXPECT_EQ(request.method, "GET") << request.target;
            ++gets[request.target];
        }
        // Three pages, one of them behind a redirect hop.
        EXPECT_EQ(gets, (std::map<std::string, int>{{"/", 1}, {"/b.html", 1}, {"/old.html", 1}, {"/new.html", 1}}));
    }
}

} // namespace
} // namespace vortaxel::test
