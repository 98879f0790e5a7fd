#include "child_process.h"
#include "tests/support/loopback_site.h"
#include "tests/support/named_rows.h"
#include "tests/support/scratch_folder.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace vortaxel::test {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;
using ::vortaxel::test::PrintTo;

constexpr auto kRunLimit = 30s;
constexpr const char* kOldText = "kept";

/// Output options that cannot all be written, each spelled relative to a scratch folder "D" that holds a
/// file "old.txt", a folder "sub", a link "link" to D itself and a named pipe "pipe".
struct TargetCase {
    std::string name;
    std::vector<std::string> args;
    int exitCode;
    std::string message;
    /// The program's standard output is appended to this file of D (through a shell), when not empty.
    std::string stdoutFile = {};
};

class CliOutputTargets : public testing::TestWithParam<TargetCase> {
protected:
    void SetUp() override {
        site_.ServeHtml("/", "<a href=\"/next.html\">next</a>");
        site_.ServeHtml("/next.html", "end");
        fs::create_directory(dir_ / "sub");
        fs::create_directory_symlink(dir_.Path(), dir_ / "link");
        std::ofstream(dir_ / "old.txt") << kOldText;
        ASSERT_EQ(mkfifo((dir_ / "pipe").c_str(), 0600), 0);
    }

    std::vector<std::string> Args(const TargetCase& c) const {
        std::vector<std::string> args{"--quiet"};
        for (const std::string& arg : c.args) {
            args.push_back(arg.rfind("D/", 0) == 0 ? (dir_ / arg.substr(2)).string() : arg);
        }
        args.push_back(site_.Url("/"));
        return args;
    }

    LoopbackSite site_;
    const ScratchFolder dir_{"cli-output-targets"};
};

TEST_P(CliOutputTargets, RefusedBeforeTheFirstRequestWithTheOldFileKept) {
    const TargetCase& c = GetParam();
    std::vector<std::string> args = Args(c);
    std::string program = VORTAXEL_CLI_PATH;
    if (!c.stdoutFile.empty()) {
        args.insert(args.begin(), {"-c", "out=\"$1\"; shift; exec \"$@\" >> \"$out\"", "sh",
                                   (dir_ / c.stdoutFile).string(), VORTAXEL_CLI_PATH});
        program = "/bin/sh";
    }
    auto cli = ChildProcess(program, args);
    ASSERT_TRUE(cli.Wait(kRunLimit));
    EXPECT_EQ(cli.ExitCode(), c.exitCode) << cli.Err();
    EXPECT_NE(cli.Err().find(c.message), std::string::npos) << cli.Err();
    EXPECT_TRUE(site_.Targets().empty()) << "a request was made";
    EXPECT_EQ(ReadFile(dir_ / "old.txt"), kOldText);
}

INSTANTIATE_TEST_SUITE_P(
    Targets, CliOutputTargets,
    testing::Values(
        TargetCase{"ReportAndKeywordsOneName", {"--report", "D/old.txt", "--keywords", "D/old.txt"}, 2, "same file"},
        TargetCase{
            "NewFileSpelledTwoWays", {"--report", "D/new.txt", "--keywords", "D/./sub/../new.txt"}, 2, "same file"},
        TargetCase{"ThroughALinkedFolder", {"--keywords", "D/link/old.txt", "--report", "D/old.txt"}, 2, "same file"},
        TargetCase{
            "NewFileThroughALinkedFolder", {"--keywords", "D/link/n.csv", "--report", "D/n.csv"}, 2, "same file"},
        TargetCase{"ReportIsWhereStdoutGoes", {"--report", "D/old.txt"}, 2, "standard output", "link/old.txt"},
        TargetCase{
            "ReportInAMissingFolder", {"--report", "D/none/r.csv", "--keywords", "D/old.txt"}, 1, "does not exist"},
        TargetCase{"ReportIsAFolder", {"--report", "D/sub"}, 1, "It is a folder"},
        TargetCase{"KeywordsIsANamedPipe", {"--keywords", "D/pipe"}, 1, "not a regular file"},
        TargetCase{"KeywordsInsideAFile", {"--keywords", "D/old.txt/k.txt"}, 1, "is not a folder"}),
    RowName());

} // namespace
} // namespace vortaxel::test
