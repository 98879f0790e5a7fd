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
/// file "old.txt", a folder "sub", a link "link" to D itself and a named pipe "pipe"; for a case on a kept
/// crawl also "kept.db", an unfinished browser-rules crawl of the site, and "hard.db", a hard link to it.
struct TargetCase {
    std::string name;
    std::vector<std::string> args;
    int exitCode;
    std::string message;
    /// The program's standard output is appended to this file of D (through a shell), when not empty.
    std::string stdoutFile = {};
    bool keptCrawl = false;
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
        if (GetParam().keptCrawl) {
            auto kept = ChildProcess(VORTAXEL_CLI_PATH, {"--quiet", "--rules", "browser", "--max-pages", "1", "--db",
                                                         (dir_ / "kept.db").string(), site_.Url("/")});
            ASSERT_TRUE(kept.Wait(kRunLimit));
            ASSERT_EQ(kept.ExitCode(), 0) << kept.Err();
            fs::create_hard_link(dir_ / "kept.db", dir_ / "hard.db");
            keptBytes_ = ReadFile(dir_ / "kept.db");
            site_.ClearRequests();
        }
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
    std::string keptBytes_;
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
    if (c.keptCrawl) {
        EXPECT_TRUE(ReadFile(dir_ / "kept.db") == keptBytes_) << "the kept crawl changed";
    }
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
        TargetCase{"KeywordsInsideAFile", {"--keywords", "D/old.txt/k.txt"}, 1, "is not a folder"},
        // Every output against every other, the crawl database included.
        TargetCase{"NewDatabaseAndReport", {"--db", "D/s.db", "--report", "D/./s.db"}, 2, "same file"},
        TargetCase{"NewDatabaseAndKeywords", {"--keywords", "D/link/s.db", "--db", "D/s.db"}, 2, "same file"},
        TargetCase{
            "NewDatabaseAndLinks", {"--rules", "browser", "--db", "D/s.db", "--links", "D/s.db"}, 2, "same file"},
        TargetCase{"KeptDatabaseAndLinks",
                   {"--db", "D/kept.db", "--offline", "--links", "D/kept.db"},
                   2,
                   "same file",
                   "",
                   true},
        TargetCase{"KeptDatabaseAndHtml",
                   {"--db", "D/kept.db", "--resume", "--html", "D/link/kept.db"},
                   2,
                   "same file",
                   "",
                   true},
        TargetCase{"KeptDatabaseAndReportByAHardLink",
                   {"--db", "D/kept.db", "--offline", "--report", "D/hard.db"},
                   2,
                   "same file",
                   "",
                   true},
        TargetCase{"KeptDatabaseAndKeywordsOnResume",
                   {"--db", "D/hard.db", "--resume", "--keywords", "D/kept.db"},
                   2,
                   "same file",
                   "",
                   true},
        TargetCase{"ComparedCrawlAndReport",
                   {"--db", "D/kept.db", "--compare", "D/hard.db", "--report", "D/sub/../hard.db"},
                   2,
                   "same file",
                   "",
                   true},
        TargetCase{"CaFileAndReport", {"--ca-file", "D/old.txt", "--report", "D/old.txt"}, 2, "same file"},
        TargetCase{
            "ReportAndLinks", {"--rules", "browser", "--report", "D/f.csv", "--links", "D/f.csv"}, 2, "same file"},
        TargetCase{"KeywordsAndHtml",
                   {"--rules", "browser", "--keywords", "D/old.txt", "--html", "D/old.txt"},
                   2,
                   "same file"},
        TargetCase{
            "LinksAndHtml", {"--rules", "browser", "--links", "D/x.out", "--html", "D/sub/../x.out"}, 2, "same file"},
        TargetCase{"LinksIsWhereStdoutGoes",
                   {"--rules", "browser", "--links", "D/old.txt"},
                   2,
                   "standard output",
                   "link/old.txt"},
        TargetCase{"HtmlIsDevStdout", {"--rules", "browser", "--html", "/dev/stdout"}, 2, "standard output", "old.txt"},
        TargetCase{"DatabaseIsWhereStdoutGoes", {"--db", "D/old.txt"}, 2, "standard output", "old.txt"},
        // Each output is checked for a place to write before the first request.
        TargetCase{"LinksInAMissingFolder", {"--rules", "browser", "--links", "D/none/l.csv"}, 1, "does not exist"},
        TargetCase{"HtmlIsAFolder", {"--rules", "browser", "--html", "D/sub"}, 1, "It is a folder"},
        TargetCase{"LinksIsANamedPipe", {"--rules", "browser", "--links", "D/pipe"}, 1, "not a regular file"},
        TargetCase{"HtmlInsideAFile", {"--rules", "browser", "--html", "D/old.txt/a.html"}, 1, "is not a folder"},
        TargetCase{"LinksOnAKeptCrawlInAMissingFolder",
                   {"--db", "D/kept.db", "--offline", "--links", "D/none/l.csv"},
                   1,
                   "does not exist",
                   "",
                   true}),
    RowName());

} // namespace
} // namespace vortaxel::test
