#include "export/keyphrase/site_map.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace vortaxel::keyphrase {
namespace {

MappedPage Page(std::string url, std::vector<KeyPhrase> phrases, std::string lang = "en") {
    MappedPage page;
    page.url = std::move(url);
    page.lang = std::move(lang);
    page.phrases = std::move(phrases);
    page.inTitle.assign(page.phrases.size(), false);
    page.inH1.assign(page.phrases.size(), false);
    page.inAnchors.assign(page.phrases.size(), false);
    return page;
}

const SitePhrase& Row(const std::vector<SitePhrase>& rows, std::string_view key) {
    for (const auto& row : rows) {
        if (row.key == key) {
            return row;
        }
    }
    throw std::runtime_error("no row " + std::string(key));
}

TEST(SiteMapBuilder, SumsPageScoresAndShowsCannibalisation) {
    SiteMapBuilder builder;
    auto a = Page("http://s/vacuum.html", {{"vacuum", "VACUUM", 9}, {"autovacuum", "autovacuum", 3}});
    a.inTitle[0] = true;
    a.inH1[0] = true;
    a.inAnchors = {true, true};
    builder.Add(a);
    builder.Add(Page("http://s/routine-vacuum.html", {{"vacuum", "vacuum", 12}, {"routin", "routine", 2}}));
    builder.Add(Page("http://s/maintenance.html", {{"vacuum", "vacuum", 4}}));
    builder.Add(Page("http://s/autovacuum.html", {{"autovacuum", "autovacuum", 8}, {"vacuum", "vacuum", 5}}, "de"));
    const auto rows = builder.Build();

    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].key, "vacuum");
    const auto& vacuum = rows[0];
    EXPECT_DOUBLE_EQ(vacuum.score, 30);
    EXPECT_EQ(vacuum.phrase, "vacuum");
    EXPECT_EQ(vacuum.pages, 4u);
    EXPECT_EQ(vacuum.inTitles, 1u);
    EXPECT_EQ(vacuum.inH1, 1u);
    EXPECT_EQ(vacuum.inAnchors, 1u);
    EXPECT_EQ(vacuum.bestPage, "http://s/routine-vacuum.html");
    // Targeted by three pages; the best of them is not its own competitor, the page where it is second is none.
    EXPECT_EQ(vacuum.competingPages, (std::vector<std::string>{"http://s/maintenance.html", "http://s/vacuum.html"}));
    EXPECT_EQ(vacuum.lang, "en");

    const auto& autovacuum = Row(rows, "autovacuum");
    EXPECT_DOUBLE_EQ(autovacuum.score, 11);
    EXPECT_EQ(autovacuum.bestPage, "http://s/autovacuum.html");
    EXPECT_TRUE(autovacuum.competingPages.empty());
    EXPECT_EQ(autovacuum.inAnchors, 1u);
    EXPECT_EQ(rows[1].key, "autovacuum");
    EXPECT_EQ(rows[2].key, "routin");
}

TEST(SiteMapBuilder, TiesGoToByteOrderWhateverTheOrderOfPages) {
    const auto build = [](bool reversed) {
        std::vector<MappedPage> pages{Page("http://s/b", {{"x", "X", 5}, {"y", "y", 5}}, "fr"),
                                      Page("http://s/a", {{"x", "x", 5}, {"z", "z", 10}}, "de")};
        if (reversed) {
            std::swap(pages[0], pages[1]);
        }
        SiteMapBuilder builder;
        for (const auto& page : pages) {
            builder.Add(page);
        }
        return builder.Build();
    };
    for (const bool reversed : {false, true}) {
        SCOPED_TRACE(reversed);
        const auto rows = build(reversed);
        ASSERT_EQ(rows.size(), 3u);
        // x and z both sum to 10; "X" < "x" in byte order decides the spelling, and "X" < "z" the rank.
        EXPECT_EQ(rows[0].phrase, "X");
        EXPECT_EQ(rows[1].phrase, "z");
        EXPECT_EQ(rows[2].phrase, "y");
        EXPECT_EQ(rows[0].bestPage, "http://s/a");
        EXPECT_EQ(rows[0].competingPages, std::vector<std::string>{"http://s/b"});
        EXPECT_EQ(rows[0].lang, "de");
    }
}

TEST(SiteMapBuilder, HoldsNoMoreThanEachPagesTopPhrases) {
    SiteMapBuilder builder;
    std::vector<KeyPhrase> many;
    many.reserve(30);
    for (int i = 0; i < 30; ++i) {
        many.push_back({"k" + std::to_string(i), "k" + std::to_string(i), 30.0 - i});
    }
    builder.Add(Page("http://s/", many));
    EXPECT_EQ(builder.Build().size(), kKeyPhrasesPerPage);
}

} // namespace
} // namespace vortaxel::keyphrase
