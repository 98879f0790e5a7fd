#include "cli/report_output.h"
#include "cli/report_rows.h"
#include "tests/support/scratch_folder.h"

#include <fstream>
#include <gtest/gtest.h>
#include <new>
#include <string>
#include <vector>

namespace vortaxel::cli {
namespace {

using test::ReadFile;
using test::ScratchFolder;

void Feed(ReportRows& rows, int pages) {
    for (int i = 0; i < pages; ++i) {
        const std::string url = "http://shop.test/products/item-" + std::to_string(i) + ".html";
        rows.TurnBegins();
        rows.Found(url);
        crawl::FetchedPage page;
        page.ok = i % 7 != 0;
        page.status = page.ok ? 200 : 404;
        page.finalUrl = url;
        page.contentType = "text/html; charset=utf-8";
        page.bytes = 1000 + static_cast<std::size_t>(i);
        page.error = page.ok ? "" : "HTTP 404";
        rows.Fetched(url, page);
    }
}

TEST(ReportStream, ALongReportGoesOutInPiecesThatMakeTheSameFile) {
    constexpr int kPages = 20000;
    ReportRows whole;
    Feed(whole, kPages);
    const std::string expected = std::move(whole).Finish();

    std::vector<std::size_t> pieces;
    std::string streamed;
    ReportRows rows([&](std::string_view text) {
        pieces.push_back(text.size());
        streamed += text;
    });
    Feed(rows, kPages);
    const std::size_t beforeFinish = pieces.size();
    streamed += std::move(rows).Finish();

    EXPECT_EQ(streamed, expected);
    EXPECT_GT(beforeFinish, 10u) << "held whole until the end";
    for (const std::size_t piece : pieces) {
        EXPECT_LT(piece, std::size_t{256} << 10) << "a piece holds only some tens of KiB";
    }
}

TEST(ReportStream, TheFileAppearsWholeOnlyOnCommitAndAFailureKeepsTheOldOne) {
    const ScratchFolder dir("report-stream");
    const auto path = (dir / "report.csv").string();
    std::ofstream(path) << "old";
    {
        ReportFile file(path);
        ASSERT_EQ(file.Error(), "");
        file.Write("url\r\n");
        file.Write("http://a/\r\n");
        EXPECT_EQ(ReadFile(path), "old") << "an unfinished report replaced the old one";
        EXPECT_EQ(file.Commit(), "");
    }
    EXPECT_EQ(ReadFile(path), "url\r\nhttp://a/\r\n");
    {
        ReportFile file(path);
        file.Write("url\r\n");
        const std::string error = FinishReport(file, []() -> std::string { throw std::bad_alloc(); });
        EXPECT_EQ(error, "out of memory");
    }
    EXPECT_EQ(ReadFile(path), "url\r\nhttp://a/\r\n");
    EXPECT_NE(ReportFile(dir.Path().string()).Error(), "") << "a folder is no report file";
}

} // namespace
} // namespace vortaxel::cli
