// One hostile page must not take the machine's memory or disk: short links under a long base, each
// resolving to the base's length, are bounded in what they queue, hold and record.

#include "child_process.h"
#include "tests/support/loopback_site.h"
#include "tests/support/scratch_folder.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <sys/resource.h>

namespace vortaxel::test {
namespace {

using namespace std::chrono_literals;

TEST(HostileLinks, ShortLinksUnderALongBaseCostBoundedMemoryAndFile) {
    constexpr std::size_t kBaseBytes = 60'000;
    constexpr int kLinks = 2'000;
    LoopbackSite site;
    std::string base = site.Url("/");
    base.append(kBaseBytes - base.size() - 1, 'x').append("/");
    std::string page = "<html><head><base href=\"" + base + "\"></head><body><a href=\"/ok.html\">ok</a>";
    for (int i = 0; i < kLinks; ++i) {
        page += "<a href=" + std::to_string(i) + ">l</a>";
    }
    site.ServeHtml("/", page);
    site.ServeHtml("/ok.html", "ok");
    const ScratchFolder folder("hostile-links");
    const std::filesystem::path db = folder.Path() / "crawl.db";
    ChildProcess cli(VORTAXEL_CLI_PATH, {"--quiet", "--rules", "browser", "--db", db.string(), site.Url("/")});
    ASSERT_TRUE(cli.Wait(120s));
    EXPECT_EQ(cli.ExitCode(), 0) << cli.Err();
    // Links whose addresses pass any real address's length are neither queued nor kept as such; the
    // page's sound link still is.
    EXPECT_EQ(cli.Out(), site.Url("/") + "\n" + site.Url("/ok.html") + "\n");
    // Each link resolved would be the base's 60 KB: 120 MB of links in the file, and a multiple of that
    // in memory, were they kept.
    EXPECT_LT(std::filesystem::file_size(db), std::uintmax_t{8} << 20);
    rusage children{};
    ASSERT_EQ(getrusage(RUSAGE_CHILDREN, &children), 0);
    EXPECT_LT(children.ru_maxrss, 200L * 1024) << "peak KiB";
}

} // namespace
} // namespace vortaxel::test
