// What a user gets back from a crawl file through the store's calls: a copy that opens as the same crawl,
// a failed copy that leaves nothing behind, a file removed with its logs, and a page's text by address.

#include "store/crawl_files.h"
#include "store/crawl_store.h"
#include "store/crawl_store_db.h"
#include "store/read/crawl_file_copy.h"
#include "store/read/kept_crawl.h"
#include "store/read/page_text_reader.h"
#include "tests/support/scratch_folder.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace vortaxel::test {
namespace {

using Access = store::CrawlStore::Access;
using Texts = std::vector<std::string>;

/// A crawl of three pages: the home page links to both others and to itself, the about page to the home page.
std::unique_ptr<store::CrawlStore> MakeCrawl(const std::filesystem::path& path) {
    std::string error;
    auto store = store::CrawlStore::Open(path.string(), Access::Create, error);
    EXPECT_NE(store, nullptr) << error;
    if (store == nullptr) {
        return nullptr;
    }
    EXPECT_TRUE(store->StartRun({"http://a.test/", crawl::RuleSet::Browser, false, {}, {}, 1 << 30}));
    EXPECT_TRUE(store::CrawlStoreDb::Of(*store).Execute(
        "INSERT INTO pages (id, url, turn, event, title, h1) VALUES "
        "(1, 'http://a.test/', 1, 1, 'Home', 'Welcome'), (2, 'http://a.test/about', 1, 2, 'About us', ''),"
        "(3, 'http://a.test/shop', 1, 3, NULL, NULL);"
        "INSERT INTO links (page_id, target, anchor, element, rel, hreflang, follow) VALUES "
        "(1, 'http://a.test/about', 'Who we are', 'a', '', '', 1), (1, 'http://a.test/', 'Top', 'a', '', '', 1),"
        "(1, 'http://a.test/shop', 'Shop', 'a', '', '', 1), (2, 'http://a.test/', 'Home', 'a', '', '', 1),"
        "(3, 'http://a.test/about', 'About', 'a', '', '', 1);"));
    return store;
}

Texts FoundIn(const std::filesystem::path& path) {
    std::string error;
    auto store = store::CrawlStore::Open(path.string(), Access::Read, error);
    EXPECT_NE(store, nullptr) << error;
    Texts found;
    if (store != nullptr) {
        store::KeptCrawl kept(*store);
        kept.ForEachFound([&found](std::string_view url) { found.emplace_back(url); });
        EXPECT_EQ(kept.Error(), "");
    }
    return found;
}

std::string Bytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

TEST(CopyCrawlFile, TheCopyOpensAsTheSameCrawlAndReplacesAnOlderFile) {
    ScratchFolder folder("copy");
    auto store = MakeCrawl(folder.Path() / "crawl.vortaxel");
    ASSERT_NE(store, nullptr);
    const std::filesystem::path copy = folder.Path() / "saved.vortaxel";
    std::ofstream(copy, std::ios::binary) << "an older file";

    const store::CrawlFileCopy copied = store::CopyCrawlFile(*store, copy.string());

    ASSERT_TRUE(copied) << copied.error;
    EXPECT_EQ(copied.error, "");
    EXPECT_EQ(FoundIn(copy), (Texts{"http://a.test/", "http://a.test/about", "http://a.test/shop"}));
    EXPECT_FALSE(std::filesystem::exists(copy.string() + ".part"));
    EXPECT_FALSE(std::filesystem::exists(copy.string() + "-wal"));
    EXPECT_FALSE(std::filesystem::exists(copy.string() + "-journal"));
}

TEST(CopyCrawlFile, AFailedCopySaysWhyAndLeavesNothingBehind) {
    ScratchFolder folder("copy-fails");
    auto store = MakeCrawl(folder.Path() / "crawl.vortaxel");
    ASSERT_NE(store, nullptr);
    const std::filesystem::path missing = folder.Path() / "no-such-folder" / "saved.vortaxel";
    const std::filesystem::path taken = folder.Path() / "taken.vortaxel";
    // A folder where the copy should go: the rename over it fails once the copy is whole.
    std::filesystem::create_directory(taken);
    std::filesystem::create_directory(taken / "inside");

    for (const std::filesystem::path& path : {missing, taken}) {
        SCOPED_TRACE(path.string());
        const store::CrawlFileCopy copied = store::CopyCrawlFile(*store, path.string());
        EXPECT_FALSE(copied);
        EXPECT_NE(copied.error, "");
        EXPECT_FALSE(std::filesystem::exists(path.string() + ".part"));
    }
    EXPECT_FALSE(std::filesystem::exists(missing));
    EXPECT_TRUE(std::filesystem::is_directory(taken / "inside"));
    // The crawl copied from is as it was.
    store.reset();
    EXPECT_EQ(FoundIn(folder.Path() / "crawl.vortaxel"),
              (Texts{"http://a.test/", "http://a.test/about", "http://a.test/shop"}));
}

TEST(RemoveCrawlFile, RemovesTheFileAndItsLogsAndNothingElse) {
    ScratchFolder folder("remove");
    const std::string path = (folder.Path() / "crawl.vortaxel").string();
    for (const char* suffix : {"", "-wal", "-shm", "-journal", ".part", "-other"}) {
        std::ofstream(path + suffix) << "x";
    }
    std::ofstream(folder.Path() / "crawl.vortaxel2") << "x";

    store::RemoveCrawlFile(path);
    // What is gone already is no failure.
    store::RemoveCrawlFile(path);

    for (const char* suffix : {"", "-wal", "-shm", "-journal"}) {
        EXPECT_FALSE(std::filesystem::exists(path + suffix)) << suffix;
    }
    for (const char* suffix : {".part", "-other", "2"}) {
        EXPECT_EQ(Bytes(path + suffix), "x") << suffix;
    }
}

struct PageTextRow {
    const char* name;
    store::PageText text;
    const char* url;
    Texts expected;
};

class PageTexts : public ::testing::TestWithParam<PageTextRow> {};

TEST_P(PageTexts, AreReadByAddress) {
    const PageTextRow& row = GetParam();
    ScratchFolder folder("page-text");
    auto store = MakeCrawl(folder.Path() / "crawl.vortaxel");
    ASSERT_NE(store, nullptr);
    store::PageTextReader reader(*store, row.text);
    ASSERT_TRUE(reader.Prepare());
    EXPECT_EQ(reader.Read(row.url), row.expected);
    // The reader is used address after address: a second read gives the same.
    EXPECT_EQ(reader.Read(row.url), row.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Store, PageTexts,
    ::testing::Values(
        PageTextRow{"Title", store::PageText::Title, "http://a.test/about", {"About us"}},
        PageTextRow{"EmptyH1", store::PageText::H1, "http://a.test/about", {""}},
        PageTextRow{"H1", store::PageText::H1, "http://a.test/", {"Welcome"}},
        PageTextRow{"NoTitleKept", store::PageText::Title, "http://a.test/shop", {""}},
        PageTextRow{"NoSuchPage", store::PageText::Title, "http://a.test/gone", {}},
        // The home page's link to itself ("Top") says nothing of it.
        PageTextRow{"AnchorsLeaveOutLinksToItself", store::PageText::InboundAnchors, "http://a.test/", {"Home"}},
        PageTextRow{
            "AnchorsInTheCrawlsOrder", store::PageText::InboundAnchors, "http://a.test/about", {"Who we are", "About"}},
        PageTextRow{"NoAnchors", store::PageText::InboundAnchors, "http://a.test/gone", {}}),
    [](const ::testing::TestParamInfo<PageTextRow>& info) { return std::string(info.param.name); });

} // namespace
} // namespace vortaxel::test
