#include "tests/support/loopback_site.h"

#include <chrono>
#include <gtest/gtest.h>

namespace vortaxel::test {
namespace {

TEST(LoopbackSite, AnswersPagesRedirectsAndUnknownTargets) {
    LoopbackSite site;
    site.ServeHtml("/a.html", "alpha");
    site.Serve("/gone", Page().WithStatus(410).WithBody("gone"));
    site.Redirect("/old", "/a.html", 301);

    httplib::Client client("127.0.0.1", site.Port());
    struct Row {
        const char* target;
        int status;
        const char* body;
        const char* location;
    };
    const Row rows[] = {
        {"/a.html", 200, "alpha", ""},
        {"/gone", 410, "gone", ""},
        {"/old", 301, "", "/a.html"},
        {"/missing", 404, "<html><body>Not found</body></html>", ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.target);
        auto result = client.Get(row.target);
        ASSERT_TRUE(result);
        EXPECT_EQ(result->status, row.status);
        EXPECT_EQ(result->body, row.body);
        EXPECT_EQ(result->get_header_value("Location"), row.location);
    }
}

TEST(LoopbackSite, RecordsRawTargetsInArrivalOrder) {
    LoopbackSite site;
    site.ServeHtml("/a%20b.html", "spaced");
    httplib::Client client("127.0.0.1", site.Port());
    ASSERT_TRUE(client.Get("/a%20b.html"));
    ASSERT_TRUE(client.Get("/x?q=1"));
    ASSERT_TRUE(client.Head("/a%20b.html"));

    const std::vector<std::string> expected{"/a%20b.html", "/x?q=1", "/a%20b.html"};
    EXPECT_EQ(site.Targets(), expected);
    const auto requests = site.Requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0].method, "GET");
    EXPECT_EQ(requests[2].method, "HEAD");
    site.ClearRequests();
    EXPECT_TRUE(site.Targets().empty());
}

TEST(LoopbackSite, ShutdownCutsPendingDelaysShort) {
    const auto started = std::chrono::steady_clock::now();
    std::thread client;
    {
        LoopbackSite site;
        site.Serve("/slow", Page().WithBody("late").WithDelay(std::chrono::minutes(5)));
        client = std::thread([port = site.Port()] {
            httplib::Client slowClient("127.0.0.1", port);
            slowClient.set_read_timeout(std::chrono::minutes(5));
            slowClient.Get("/slow");
        });
        for (int i = 0; i < 2000 && site.Requests().empty(); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        ASSERT_EQ(site.Targets().size(), 1u);
    }
    client.join();
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::minutes(1));
}

} // namespace
} // namespace vortaxel::test
