#include "child_process.h"
#include "page_chain.h"
#include "tests/support/loopback_site.h"
#include "tests/support/scratch_folder.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>

namespace vortaxel::test {
namespace {

using namespace std::chrono_literals;

constexpr auto kRunLimit = 30s;
constexpr int kPages = 20;

class CliOutputGuard : public ::testing::Test {
protected:
    void SetUp() override { ServePageChain(site_, kPages, 20ms); }

    ChildProcess Run(StdoutTarget target) {
        return ChildProcess(VORTAXEL_CLI_PATH, {"--quiet", "--keywords", keywords_.string(), site_.Url("/")}, target);
    }

    LoopbackSite site_;
    const ScratchFolder dir_{"cli-output-guard"};
    const std::filesystem::path keywords_ = dir_ / "keywords.txt";
};

TEST_F(CliOutputGuard, FullStdoutStopsTheRunExitsOneAndStillWritesTheKeywordFile) {
    auto cli = Run(StdoutTarget::DevFull);
    ASSERT_TRUE(cli.Wait(kRunLimit));
    EXPECT_EQ(cli.ExitCode(), 1);
    EXPECT_NE(cli.Err().find("stdout: No space left on device"), std::string::npos) << cli.Err();
    EXPECT_EQ(site_.Targets().size(), 1u);
    EXPECT_TRUE(std::filesystem::exists(keywords_));
}

TEST_F(CliOutputGuard, StdoutClosedAtStartExitsOneBeforeAnyRequest) {
    auto cli = Run(StdoutTarget::Closed);
    ASSERT_TRUE(cli.Wait(kRunLimit));
    EXPECT_EQ(cli.ExitCode(), 1);
    EXPECT_NE(cli.Err().find("stdout: Bad file descriptor"), std::string::npos) << cli.Err();
    EXPECT_TRUE(site_.Targets().empty());
}

TEST_F(CliOutputGuard, ReaderThatStopsReadingStopsTheRunLikeCtrlC) {
    auto cli = Run(StdoutTarget::Captured);
    ASSERT_TRUE(cli.WaitForOut(site_.Url("/") + "\n", kRunLimit));
    cli.CloseOut();
    ASSERT_TRUE(cli.Wait(kRunLimit));
    EXPECT_EQ(cli.ExitCode(), 0) << cli.Err();
    EXPECT_EQ(cli.Err(), "");
    EXPECT_LT(site_.Targets().size(), static_cast<std::size_t>(kPages));
    const std::string phrases = ReadFile(keywords_);
    EXPECT_EQ(phrases.rfind("page 1\r\n", 0), 0u) << phrases;
}

} // namespace
} // namespace vortaxel::test
