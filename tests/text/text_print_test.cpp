// A page's text print: which of its text counts as visible, how its words are split and folded, and the
// bytes a print decodes from.

#include "text/text_print.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace vortaxel::text {
namespace {

TEST(TextPrint, HashesTheVisibleTextAndSplitsWordsAsItFoldsThem) {
    const std::vector<TextBlock> page = {
        {Zone::Title, "Shop"}, {Zone::Body, "Price: 10 EUR"}, {Zone::Description, "unseen"}, {Zone::Body, "PRICE"}};
    const TextPrint print = PrintText(page);
    std::vector<PrintedBlock> blocks;
    ASSERT_TRUE(DecodePrint(print.blocks, blocks));
    ASSERT_EQ(blocks.size(), 2U);
    EXPECT_EQ(blocks[0].words.size(), 3U);
    EXPECT_EQ(blocks[0].words[0], blocks[1].words[0]);
    const struct {
        const char* name;
        std::vector<TextBlock> other;
        bool same;
    } cases[] = {
        {"another title and description",
         {{Zone::Title, "Other"}, {Zone::Body, "Price: 10 EUR"}, {Zone::Description, "x"}, {Zone::Body, "PRICE"}},
         true},
        {"one word's case", {{Zone::Body, "price: 10 EUR"}, {Zone::Body, "PRICE"}}, false},
        {"blocks joined otherwise", {{Zone::Body, "Price: 10 EUR PRICE"}}, true},
        {"no visible text", {{Zone::Title, "Shop"}}, false},
    };
    for (const auto& item : cases) {
        EXPECT_EQ(PrintText(item.other).textHash == print.textHash, item.same) << item.name;
    }
    EXPECT_EQ(PrintText({}).textHash, 0U);
    // Bytes no print holds are refused, not read past their end.
    EXPECT_FALSE(DecodePrint(std::string_view(print.blocks).substr(0, 14), blocks));
    EXPECT_FALSE(DecodePrint(std::string(12, '\xff'), blocks));
}

} // namespace
} // namespace vortaxel::text
