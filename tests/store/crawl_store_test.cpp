// Files that are no crawl database, or cannot be used as one now, are refused with the reason, and
// left as they were.

#include "store/crawl_store.h"
#include "store/sqlite_db.h"
#include "tests/support/scratch_folder.h"

#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <unistd.h>

namespace vortaxel::test {
namespace {

using Access = store::CrawlStore::Access;

std::string Bytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void WriteText(const std::filesystem::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

/// A finished crawl of a few pages, as a run leaves it.
void MakeCrawl(const std::filesystem::path& path) {
    std::string error;
    auto store = store::CrawlStore::Open(path.string(), Access::Create, error);
    ASSERT_NE(store, nullptr) << error;
    ASSERT_TRUE(store->StartRun({"http://a.test/", crawl::RuleSet::Classic, false, {}, {}, 1 << 30}));
    std::string rows = "INSERT INTO pages (url, turn, event) VALUES ";
    for (int i = 0; i < 2000; ++i) {
        rows += (i == 0 ? "" : ",") + std::string("('http://a.test/page-with-a-long-enough-name-") + std::to_string(i) +
                "', 1, 1)";
    }
    ASSERT_TRUE(store->Db().Execute(rows));
}

void WithSqlite(const std::filesystem::path& path, const std::string& sql) {
    store::SqlDatabase db;
    ASSERT_TRUE(db.Open(path.string(), store::SqlDatabase::Mode::Create));
    ASSERT_TRUE(db.Execute(sql));
}

struct RefusedRow {
    const char* name;
    /// Makes the file (or leaves it missing) at the path given.
    std::function<void(const std::filesystem::path&)> make;
    Access access;
    const char* reason;
};

class RefusedFiles : public ::testing::TestWithParam<RefusedRow> {};

TEST_P(RefusedFiles, AreRefusedWithTheReasonAndLeftByteForByte) {
    const RefusedRow& row = GetParam();
    ScratchFolder folder("refused");
    const auto path = folder / "crawl.db";
    row.make(path);
    const bool existed = std::filesystem::exists(path);
    const std::string before = Bytes(path);
    std::string error;
    EXPECT_EQ(store::CrawlStore::Open(path.string(), row.access, error), nullptr);
    EXPECT_NE(error.find(path.string()), std::string::npos) << error;
    EXPECT_NE(error.find(row.reason), std::string::npos) << error;
    EXPECT_EQ(std::filesystem::exists(path), existed);
    EXPECT_TRUE(Bytes(path) == before);
    EXPECT_FALSE(std::filesystem::exists(path.string() + "-wal"));
}

const auto kText = [](const std::filesystem::path& p) { WriteText(p, "url,status\nhttp://a.test/,200\n"); };
const auto kOtherProgram = [](const std::filesystem::path& p) {
    WithSqlite(p, "CREATE TABLE notes (body TEXT); INSERT INTO notes VALUES ('mine')");
};
const auto kNewer = [](const std::filesystem::path& p) {
    MakeCrawl(p);
    WithSqlite(p, "PRAGMA user_version=99");
};
const auto kTruncated = [](const std::filesystem::path& p) {
    MakeCrawl(p);
    std::filesystem::resize_file(p, std::filesystem::file_size(p) / 2);
};
const auto kMissing = [](const std::filesystem::path&) {};
const auto kFinishedCrawl = [](const std::filesystem::path& p) { MakeCrawl(p); };
const auto kShortGarbage = [](const std::filesystem::path& p) { WriteText(p, "SQLite"); };

INSTANTIATE_TEST_SUITE_P(
    Files, RefusedFiles,
    ::testing::Values(RefusedRow{"TextToResume", kText, Access::Resume, "it is no crawl database"},
                      RefusedRow{"TextToRead", kText, Access::Read, "it is no crawl database"},
                      RefusedRow{"TextToCreate", kText, Access::Create, "exists already"},
                      RefusedRow{"ShortFile", kShortGarbage, Access::Read, "it is no crawl database"},
                      RefusedRow{"OtherProgramsDatabase", kOtherProgram, Access::Resume, "another program"},
                      RefusedRow{"OtherProgramsDatabaseToRead", kOtherProgram, Access::Read, "another program"},
                      RefusedRow{"NewerLayout", kNewer, Access::Resume, "newer version"},
                      RefusedRow{"NewerLayoutToRead", kNewer, Access::Read, "newer version"},
                      RefusedRow{"Truncated", kTruncated, Access::Resume, "truncated"},
                      RefusedRow{"TruncatedToRead", kTruncated, Access::Read, "truncated"},
                      RefusedRow{"MissingToResume", kMissing, Access::Resume, "no such file"},
                      RefusedRow{"MissingToRead", kMissing, Access::Read, "no such file"},
                      RefusedRow{"KeptCrawlAsNew", kFinishedCrawl, Access::Create, "exists already"}),
    [](const ::testing::TestParamInfo<RefusedRow>& info) { return std::string(info.param.name); });

TEST(HeldFiles, ASecondUserOfARunningCrawlsFileIsRefused) {
    ScratchFolder folder("held");
    const auto path = folder / "crawl.db";
    MakeCrawl(path);
    std::string error;
    auto running = store::CrawlStore::Open(path.string(), Access::Resume, error);
    ASSERT_NE(running, nullptr) << error;
    ASSERT_TRUE(running->StartRun(running->Settings()));
    for (Access access : {Access::Resume, Access::Read}) {
        EXPECT_EQ(store::CrawlStore::Open(path.string(), access, error), nullptr);
        EXPECT_NE(error.find("a running crawl holds it"), std::string::npos) << error;
    }
    running.reset();
    EXPECT_NE(store::CrawlStore::Open(path.string(), Access::Read, error), nullptr) << error;
}

TEST(ReadOnlyPlaces, AreRefusedForWritingButReadable) {
    if (geteuid() == 0) {
        GTEST_SKIP() << "permissions do not bind the superuser";
    }
    ScratchFolder folder("readonly");
    const auto path = folder / "crawl.db";
    MakeCrawl(path);
    std::string error;
    std::filesystem::permissions(path, std::filesystem::perms::owner_read);
    EXPECT_EQ(store::CrawlStore::Open(path.string(), Access::Resume, error), nullptr);
    EXPECT_NE(error.find("the file is read-only"), std::string::npos) << error;
    EXPECT_NE(store::CrawlStore::Open(path.string(), Access::Read, error), nullptr) << error;
    std::filesystem::permissions(path, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    std::filesystem::permissions(folder.Path(),
                                 std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    EXPECT_EQ(store::CrawlStore::Open(path.string(), Access::Resume, error), nullptr);
    EXPECT_NE(error.find("its folder is read-only"), std::string::npos) << error;
    EXPECT_EQ(store::CrawlStore::Open((folder / "new.db").string(), Access::Create, error), nullptr);
    EXPECT_NE(error.find("its folder is read-only"), std::string::npos) << error;
    std::filesystem::permissions(folder.Path(), std::filesystem::perms::owner_all);
}

TEST(KeptSettings, ComeBackAsTheyWereWritten) {
    ScratchFolder folder("settings");
    const auto path = folder / "crawl.db";
    const store::CrawlSettings settings{
        "http://a.test/\xff",  crawl::RuleSet::Browser, true, std::chrono::milliseconds(250), 40,
        std::uint64_t{3} << 30};
    {
        std::string error;
        auto store = store::CrawlStore::Open(path.string(), Access::Create, error);
        ASSERT_NE(store, nullptr) << error;
        ASSERT_TRUE(store->StartRun(settings));
    }
    std::string error;
    auto store = store::CrawlStore::Open(path.string(), Access::Read, error);
    ASSERT_NE(store, nullptr) << error;
    EXPECT_TRUE(store->Settings() == settings);
    EXPECT_EQ(store->Progress().state, store::CrawlState::Running);
}

} // namespace
} // namespace vortaxel::test
