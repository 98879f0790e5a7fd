#include "export/keyphrase/site_map.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace vortaxel::keyphrase {
namespace {

SitePhrase Phrase(std::string key, std::string phrase, double score, std::string bestPage) {
    SitePhrase row;
    row.key = std::move(key);
    row.phrase = std::move(phrase);
    row.score = score;
    row.bestPage = std::move(bestPage);
    return row;
}

struct Expected {
    std::string phrase;
    std::string status;
    double theirs = 0;
    double mine = 0;
};

TEST(KeywordGap, MissingFirstThenWhereTheyLeadThenOnlyMine) {
    const std::vector<SitePhrase> theirs{
        Phrase("vacuum", "VACUUM", 50, "http://t/vacuum"),    Phrase("index", "indexes", 40, "http://t/index"),
        Phrase("replic", "replication", 30, "http://t/repl"), Phrase("wal", "WAL", 20, "http://t/wal"),
        Phrase("json", "JSON", 30, "http://t/json"),          Phrase("brin", "BRIN", 30, "http://t/brin"),
    };
    const std::vector<SitePhrase> mine{
        Phrase("index", "index", 10, "http://m/idx"),  Phrase("wal", "wal", 25, "http://m/wal"),
        Phrase("trigger", "trigger", 5, "http://m/t"), Phrase("cursor", "cursor", 9, "http://m/c"),
        Phrase("replic", "replica", 35, "http://m/r"),
    };
    const std::vector<Expected> expected{
        {"VACUUM", "gap", 50, 0},      {"BRIN", "gap", 30, 0},         {"JSON", "gap", 30, 0},
        {"indexes", "shared", 40, 10}, {"WAL", "shared", 20, 25},      {"replication", "shared", 30, 35},
        {"cursor", "only mine", 0, 9}, {"trigger", "only mine", 0, 5},
    };
    const auto rows = KeywordGap(theirs, mine);
    ASSERT_EQ(rows.size(), expected.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(expected[i].phrase);
        EXPECT_EQ(rows[i].phrase, expected[i].phrase);
        EXPECT_EQ(rows[i].status, expected[i].status);
        EXPECT_DOUBLE_EQ(rows[i].theirsScore, expected[i].theirs);
        EXPECT_DOUBLE_EQ(rows[i].mineScore, expected[i].mine);
    }
    EXPECT_EQ(rows[0].theirBestPage, "http://t/vacuum");
    EXPECT_EQ(rows[0].myBestPage, "");
    EXPECT_EQ(rows[3].theirBestPage, "http://t/index");
    EXPECT_EQ(rows[3].myBestPage, "http://m/idx");
    EXPECT_EQ(rows[6].theirBestPage, "");
    EXPECT_EQ(rows[6].myBestPage, "http://m/c");
}

TEST(KeywordGap, SameSiteOnBothSidesIsAllShared) {
    const std::vector<SitePhrase> site{Phrase("a", "a", 2, "http://s/a"), Phrase("b", "b", 1, "http://s/b")};
    const auto rows = KeywordGap(site, site);
    ASSERT_EQ(rows.size(), 2u);
    for (const auto& row : rows) {
        EXPECT_EQ(row.status, "shared");
        EXPECT_EQ(row.theirsScore, row.mineScore);
    }
    EXPECT_EQ(rows[0].phrase, "a");
}

TEST(KeywordGap, EmptyMapsGiveEveryRowOfTheOther) {
    const std::vector<SitePhrase> site{Phrase("a", "a", 2, "http://s/a")};
    EXPECT_TRUE(KeywordGap({}, {}).empty());
    ASSERT_EQ(KeywordGap(site, {}).size(), 1u);
    EXPECT_EQ(KeywordGap(site, {})[0].status, "gap");
    EXPECT_EQ(KeywordGap({}, site)[0].status, "only mine");
}

TEST(KeywordGap, KeyRepeatedInOneMapCountsOnce) {
    const std::vector<SitePhrase> theirs{Phrase("a", "a", 2, "http://t/1"), Phrase("a", "A", 1, "http://t/2")};
    const std::vector<SitePhrase> mine{Phrase("b", "b", 1, "http://m/1"), Phrase("b", "b", 1, "http://m/2")};
    const auto rows = KeywordGap(theirs, mine);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].theirBestPage, "http://t/1");
    EXPECT_EQ(rows[1].myBestPage, "http://m/1");
}

} // namespace
} // namespace vortaxel::keyphrase
