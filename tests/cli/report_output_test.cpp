#include "cli/report_output.h"
#include "tests/support/scratch_folder.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>

namespace vortaxel::cli {
namespace {

using test::ReadFile;
using test::ScratchFolder;

TEST(ReportFile, WritesEveryByteAsGiven) {
    const ScratchFolder dir("report-ok");
    const std::string text = std::string("url,status\r\n\"a,b\",200\r\n\xff\0z\r\n", 27);
    EXPECT_EQ(WriteReportFile((dir / "report.csv").string(), text), "");
    EXPECT_EQ(ReadFile(dir / "report.csv"), text);
}

TEST(ReportFile, PathThatCannotBeWrittenGivesTheReasonAndLeavesNoFile) {
    const ScratchFolder dir("report-fail");
    std::filesystem::create_directories(dir / "a-folder");
    const std::string missingFolder = (dir / "no-such-folder").string();
    const std::string error = WriteReportFile(missingFolder + "/r.csv", "url\r\n");
    EXPECT_NE(error.find(missingFolder), std::string::npos) << error;
    EXPECT_FALSE(std::filesystem::exists(missingFolder));

    EXPECT_NE(WriteReportFile((dir / "a-folder").string(), "url\r\n"), "");
    EXPECT_TRUE(std::filesystem::is_directory(dir / "a-folder"));
}

} // namespace
} // namespace vortaxel::cli
