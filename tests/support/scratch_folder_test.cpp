#include "tests/support/scratch_folder.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace vortaxel::test {
namespace {

namespace fs = std::filesystem;

TEST(ScratchFolder, EachIsNewAndEmptyAndGoesWithAllItHolds) {
    fs::path gone;
    {
        const ScratchFolder first("probe");
        const ScratchFolder second("probe");
        EXPECT_NE(first.Path(), second.Path());
        EXPECT_TRUE(fs::is_directory(first.Path()));
        EXPECT_TRUE(fs::is_empty(first.Path()));
        fs::create_directories(first / "deep" / "er");
        std::ofstream(first / "deep" / "er" / "page.txt", std::ios::binary) << "a\r\nb";
        EXPECT_EQ(ReadFile(first / "deep" / "er" / "page.txt"), "a\r\nb");
        gone = first.Path();
    }
    EXPECT_FALSE(fs::exists(gone));
    EXPECT_EQ(ReadFile(gone / "deep" / "er" / "page.txt"), "");
}

} // namespace
} // namespace vortaxel::test
