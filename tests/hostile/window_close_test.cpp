// Closing the window while a page that never comes is being fetched ends the program promptly.

#include "hostile_behaviours.h"
#include "tests/cli/child_process.h"

#include <gtest/gtest.h>
#include <string>

namespace vortaxel::test {
namespace {

using namespace std::chrono_literals;

TEST(WindowClose, DuringANeverAnsweredFetchTheProgramEndsWithinASecond) {
    HostileServer server;
    InstallHostileBehaviours(server);
    server.Start();

    ChildProcess probe(VORTAXEL_CLOSE_PROBE, {server.Url("/silent")});
    ASSERT_TRUE(probe.Wait(30s)) << "the program did not end";
    server.Stop();

    ASSERT_EQ(probe.ExitCode(), 0) << probe.Err();
    EXPECT_EQ(probe.Err().find("Sanitizer"), std::string::npos) << probe.Err();
    EXPECT_LT(std::stol(probe.Out()), 1000) << "milliseconds from the close to the end of the program";
    EXPECT_EQ(server.Connections(), 1u);
}

} // namespace
} // namespace vortaxel::test
