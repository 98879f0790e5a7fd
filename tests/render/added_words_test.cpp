#include "text/added_words.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace vortaxel::text {
namespace {

TEST(AddedWords, CountsVisibleWordsOnlyTheRenderedPageHas) {
    using Blocks = std::vector<TextBlock>;
    struct Case {
        const char* name;
        Blocks raw;
        Blocks rendered;
        std::size_t added;
    };
    const std::vector<Case> cases = {
        {"nothing changed", {{Zone::Body, "Hello world"}}, {{Zone::Body, "Hello world"}}, 0},
        {"an empty shell filled", {}, {{Zone::H1, "Shop"}, {Zone::Body, "Red shoes, blue shoes."}}, 5},
        {"a word written more often counts each time more",
         {{Zone::Body, "shoes"}},
         {{Zone::Body, "shoes"}, {Zone::Body, "shoes shoes"}},
         2},
        {"words removed by script do not count", {{Zone::Body, "Loading please wait"}}, {{Zone::Body, "Ready"}}, 1},
        {"moved from one block to another is no new word",
         {{Zone::Heading, "About us"}},
         {{Zone::Body, "us"}, {Zone::H1, "About"}},
         0},
        {"title, description and alt are not shown as text",
         {},
         {{Zone::Title, "T"}, {Zone::Description, "a b"}, {Zone::ImageAlt, "c"}},
         0},
        {"compared as written", {{Zone::Body, "shop"}}, {{Zone::Body, "Shop"}}, 1},
        {"marks are no words, and words of any script count",
         {{Zone::Body, "-"}},
         {{Zone::Body, "— ! 東京 タワー"}},
         2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(AddedWords(c.raw, c.rendered), c.added);
    }
}

} // namespace
} // namespace vortaxel::text
