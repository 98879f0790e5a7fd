#include "net/fetcher.h"
#include "tests/net/net_test_util.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <sys/wait.h>

namespace vortaxel::net {
namespace {

struct PipeClose {
    void operator()(FILE* pipe) const { pclose(pipe); }
};

std::string Command(const std::string& arguments) {
    return std::string("'") + VORTAXEL_SAMPLE_SERVER + "' " + arguments + " 2>/dev/null";
}

int ExitCode(const std::string& arguments) {
    const int status = std::system(Command(arguments).c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(SampleServer, ServesTheSampleSiteAtTheAddressItPrints) {
    // A short life bounds the test even if the fetch below went wrong.
    std::unique_ptr<FILE, PipeClose> server(
        popen(Command(std::string("'") + VORTAXEL_SAMPLE_SITE_DIR + "' --seconds 2").c_str(), "r"));
    ASSERT_TRUE(server);
    char line[256] = {};
    ASSERT_NE(fgets(line, sizeof line, server.get()), nullptr);
    std::string address = line;
    ASSERT_TRUE(address.ends_with("/\n")) << address;
    address.pop_back();
    ASSERT_EQ(address.rfind("http://127.0.0.1:", 0), 0u) << address;

    Fetcher fetcher(testing::QuickOptions());
    const auto home = fetcher.Fetch(address);
    ASSERT_TRUE(home.ok) << home.error;
    EXPECT_NE(home.body.find("href=\"" + address + "lighting/string-lights_warm-white.html\""), std::string::npos);
    EXPECT_EQ(home.body.find("@SITE@"), std::string::npos);
    EXPECT_TRUE(fetcher.Fetch(address + "garden/solar-lights.html").ok);
    EXPECT_FALSE(fetcher.Fetch(address + "downloads/price-list_2024.pdf").ok);

    const int status = pclose(server.release());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

TEST(SampleServer, RejectsBadArguments) {
    const std::string site = std::string("'") + VORTAXEL_SAMPLE_SITE_DIR + "'";
    struct Row {
        std::string arguments;
        int exitCode;
    };
    const Row rows[] = {
        {"", 2},
        {site + " --port", 2},
        {site + " --port 65536", 2},
        {site + " --port -1", 2},
        {site + " --seconds 0", 2},
        {site + " --seconds 1x", 2},
        {site + " --verbose", 2},
        {site + " " + site, 2},
        {"/no/such/folder --seconds 1", 1},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(ExitCode(row.arguments), row.exitCode) << row.arguments;
    }
}

} // namespace
} // namespace vortaxel::net
