// Files fetched whole (robots.txt) are read in part when long, and redirects can be left to the
// caller, hop by hop, for a crawl that must ask before each one.

#include "net/fetcher.h"
#include "tests/net/net_test_util.h"
#include "tests/support/loopback_site.h"

#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace vortaxel::net {
namespace {

using test::LoopbackSite;
using test::Page;
using testing::QuickOptions;

constexpr std::size_t kKept = 1000;

struct LongFile {
    std::string name;
    std::function<void(LoopbackSite&, const std::string&)> serve;
};

TEST(FetchWhole, ALongFileKeepsItsFirstPartWhateverItsShape) {
    const std::string text = std::string(kKept, 'a') + std::string(5000, 'b');
    const std::vector<LongFile> rows = {
        {"declared length",
         [](LoopbackSite& site, const std::string& body) { site.Serve("/f", Page().WithBody(body)); }},
        {"compressed",
         [](LoopbackSite& site, const std::string& body) {
             site.Serve("/f", Page().WithBody(testing::Gzip(body)).WithHeader("Content-Encoding", "gzip"));
         }},
        {"chunked, endless",
         [](LoopbackSite& site, const std::string& body) {
             site.Handle("/f", [body](const httplib::Request&, httplib::Response& response) {
                 response.set_chunked_content_provider(
                     "application/octet-stream",
                     [body](std::size_t, httplib::DataSink& sink) { return sink.write(body.data(), body.size()); });
             });
         }},
    };
    for (const LongFile& row : rows) {
        SCOPED_TRACE(row.name);
        LoopbackSite site;
        row.serve(site, text);
        FetchOptions options = QuickOptions();
        options.wholeBodyBytes = kKept;
        Fetcher fetcher(options);
        const web::FetchResult file = fetcher.FetchWhole(site.Url("/f"));
        EXPECT_TRUE(file.ok) << file.error;
        EXPECT_EQ(file.body, std::string(kKept, 'a'));
        // A page is still refused past its own cap.
        options.maxBodyBytes = kKept;
        Fetcher pages(options);
        EXPECT_FALSE(pages.Fetch(site.Url("/f")).ok);
    }
}

TEST(FetchOneHop, ARedirectComesBackForTheCallerToFollow) {
    LoopbackSite site;
    site.Redirect("/from", "/to", 301);
    site.ServeHtml("/to", "landed");
    FetchOptions options = QuickOptions();
    options.redirectsOneByOne = true;
    for (const bool htmlOnly : {false, true}) {
        SCOPED_TRACE(htmlOnly ? "html only, HEAD first" : "plain");
        site.ClearRequests();
        options.htmlOnly = htmlOnly;
        options.probeFirst = [htmlOnly](std::string_view) { return htmlOnly; };
        Fetcher fetcher(options);
        const web::FetchResult hop = fetcher.Fetch(site.Url("/from"));
        EXPECT_FALSE(hop.ok);
        EXPECT_EQ(hop.status, 301);
        EXPECT_EQ(hop.redirectTo, site.Url("/to"));
        EXPECT_EQ(site.Targets(), std::vector<std::string>{"/from"});
        // A file fetched whole still follows its redirects by itself.
        const web::FetchResult file = fetcher.FetchWhole(site.Url("/from"));
        EXPECT_TRUE(file.ok);
        EXPECT_EQ(file.body, "landed");
    }
    // Without the option, nothing changes: the redirect is followed.
    Fetcher plain(QuickOptions());
    const web::FetchResult page = plain.Fetch(site.Url("/from"));
    EXPECT_TRUE(page.ok);
    EXPECT_EQ(page.redirects, 1);
    EXPECT_EQ(page.redirectTo, "");
}

} // namespace
} // namespace vortaxel::net
