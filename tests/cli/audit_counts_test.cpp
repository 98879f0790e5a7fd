// The summary's counts do not depend on which files the run writes beside it: with the links file its
// broken links are counted as that file is read, with the report alone by SQLite, and with the audit page
// from the crawl held in memory.

#include "child_process.h"
#include "tests/support/loopback_site.h"
#include "tests/support/scratch_folder.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace vortaxel::test {
namespace {

using namespace std::chrono_literals;

std::string SummaryOf(const std::string& err) {
    return err.substr(std::min(err.find("Audit: "), err.size()));
}

TEST(AuditCounts, BrokenLinksCountAlikeWhicheverFilesAreWritten) {
    LoopbackSite site;
    site.Serve("/", Page().WithBody("<title>Shop</title><a href=/a.html>a</a> <a href=/gone.html>g</a> "
                                    "<a href=/gone.html>again</a> <a href=/down.html>d</a> <a href=/a.html#x>a</a>"));
    site.Serve("/a.html", Page().WithBody("<title>A</title><a href=/gone.html>g</a> <a href=/>home</a>"));
    site.Serve("/down.html", Page().WithStatus(503).WithBody("<title>Down</title><a href=/gone.html>g</a>"));
    ScratchFolder folder{"audit-counts"};
    const auto path = [&folder](const char* name) { return (folder.Path() / name).string(); };
    ChildProcess crawl(VORTAXEL_CLI_PATH, {"--rules", "browser", "--db", path("c.db"), "--report", path("r1.csv"),
                                           "--links", path("l1.csv"), site.Url("/")});
    ASSERT_TRUE(crawl.Wait(60s));
    ASSERT_EQ(crawl.ExitCode(), 0) << crawl.Err();
    EXPECT_NE(crawl.Err().find("Broken links: 4 (to 2 addresses) on 2 pages\n"), std::string::npos) << crawl.Err();
    const std::vector<std::vector<std::string>> others = {
        {"--report", path("r2.csv")},
        {"--report", path("r3.csv"), "--links", path("l3.csv")},
        {"--html", path("a.html")},
    };
    for (const auto& files : others) {
        std::vector<std::string> args = {"--db", path("c.db"), "--offline"};
        args.insert(args.end(), files.begin(), files.end());
        ChildProcess offline(VORTAXEL_CLI_PATH, args);
        ASSERT_TRUE(offline.Wait(60s));
        ASSERT_EQ(offline.ExitCode(), 0) << offline.Err();
        EXPECT_EQ(SummaryOf(offline.Err()), SummaryOf(crawl.Err())) << files[0];
    }
}

} // namespace
} // namespace vortaxel::test
