#include "export/keyphrase/keyword_map_csv.h"

#include <algorithm>
#include <clocale>
#include <gtest/gtest.h>
#include <limits>
#include <string>
#include <vector>

namespace vortaxel::keyphrase {
namespace {

std::string Score(double score) {
    std::string text;
    AppendScore(text, score);
    return text;
}

TEST(KeywordMapCsv, ScoresHaveFixedDecimalsAndAPointWhateverTheLocale) {
    const struct {
        double score;
        const char* text;
    } rows[] = {
        {0, "0.000"},
        {1, "1.000"},
        {12.3456, "12.346"},
        {0.0004, "0.000"},
        {1e9, "1000000000.000"},
        {std::numeric_limits<double>::quiet_NaN(), "0.000"},
        {std::numeric_limits<double>::infinity(), "0.000"},
    };
    // A locale whose decimal mark is a comma, where the machine has one; the C locale otherwise.
    const std::string before = std::setlocale(LC_ALL, nullptr);
    for (const char* name : {"de_DE.UTF-8", "fr_FR.UTF-8", "C"}) {
        if (std::setlocale(LC_ALL, name) != nullptr) {
            break;
        }
    }
    for (const auto& row : rows) {
        EXPECT_EQ(Score(row.score), row.text) << row.score;
    }
    std::setlocale(LC_ALL, before.c_str());
}

TEST(KeywordMapCsv, KeyPhrasesCellSplitsBackIntoItsPhrases) {
    const struct {
        std::vector<KeyPhrase> phrases;
        const char* cell;
    } rows[] = {
        {{}, ""},
        {{{"blue widget", "blue widgets", 3.5}}, "blue widgets:3.500"},
        {{{"a", "alpha", 2}, {"b", "beta", 1.25}}, "alpha:2.000;beta:1.250"},
        // The score follows the last colon; a semicolon would split the phrase.
        {{{"x", "std:string", 1}}, "std:string:1.000"},
        {{{"x", "1;2", 1}, {"y", "tab\there", 2}}, "1 2:1.000;tab here:2.000"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(KeyPhrasesCell(row.phrases), row.cell);
    }
    std::vector<KeyPhrase> many;
    many.reserve(15);
    for (int i = 0; i < 15; ++i) {
        many.push_back({"k" + std::to_string(i), "p" + std::to_string(i), 15.0 - i});
    }
    const std::string cell = KeyPhrasesCell(many);
    EXPECT_EQ(std::count(cell.begin(), cell.end(), ';'), static_cast<long>(kKeyPhrasesPerPage) - 1);
    EXPECT_TRUE(cell.ends_with("p9:6.000"));
}

TEST(KeywordMapCsv, ReportFieldsAreTargetKeyPhrasesAndMetaKeywords) {
    const struct {
        std::vector<KeyPhrase> phrases;
        const char* meta;
        const char* fields;
    } rows[] = {
        {{}, "", ",,,"},
        {{{"blue widget", "blue widgets", 3}, {"widget", "widget", 1}},
         "cheap, widgets",
         ",blue widgets,blue widgets:3.000;widget:1.000,\"cheap, widgets\""},
        // A server's bytes: malformed UTF-8 is replaced, a formula stays data.
        {{{"x", "=cmd", 1}}, "\xff", ",'=cmd,'=cmd:1.000,\xEF\xBF\xBD"},
    };
    for (const auto& row : rows) {
        std::string fields;
        AppendReportKeyPhraseFields(fields, row.phrases, row.meta);
        EXPECT_EQ(fields, row.fields);
    }
}

TEST(KeywordMapCsv, MapRowsHoldEveryColumnInHeaderOrder) {
    SitePhrase widgets;
    widgets.phrase = "blue widgets";
    widgets.score = 7.25;
    widgets.pages = 3;
    widgets.inTitles = 2;
    widgets.inH1 = 1;
    widgets.inAnchors = 4;
    widgets.bestPage = "http://s/widgets.html";
    widgets.competingPages = {"http://s/a.html", "http://s/with blank.html"};
    widgets.lang = "en";
    SitePhrase quoted;
    quoted.phrase = "say \"hi\", now";
    quoted.score = 1;
    EXPECT_EQ(KeywordMapCsv(std::vector<SitePhrase>{widgets, quoted}),
              "phrase,score,pages,in_titles,in_h1,in_anchors,best_page,competing_pages,lang\r\n"
              "blue widgets,7.250,3,2,1,4,http://s/widgets.html,http://s/a.html http://s/with%20blank.html,en\r\n"
              "\"say \"\"hi\"\", now\",1.000,0,0,0,0,,,\r\n");
    EXPECT_EQ(KeywordMapCsv({}), std::string(kKeywordMapHeader) + "\r\n");
}

TEST(KeywordMapCsv, ClustersGetARowPerPage) {
    const std::vector<Cluster> clusters{
        {"widgets", "http://s/w", {"http://s/w", "http://s/w2"}},
        {"gadgets", "http://s/g", {"http://s/g"}},
        {"empty", "", {}},
    };
    EXPECT_EQ(ClustersCsv(clusters), "cluster,name,hub,pages,page\r\n"
                                     "1,widgets,http://s/w,2,http://s/w\r\n"
                                     "1,widgets,http://s/w,2,http://s/w2\r\n"
                                     "2,gadgets,http://s/g,1,http://s/g\r\n");
}

TEST(KeywordMapCsv, GapLinesLeaveTheMissingSidesScoreEmpty) {
    const struct {
        GapRow row;
        const char* line;
    } rows[] = {
        {{"vacuum", 5, 0, "gap", "http://t/v", ""}, "vacuum,5.000,,gap,http://t/v,"},
        {{"index", 4, 1.5, "shared", "http://t/i", "http://m/i"}, "index,4.000,1.500,shared,http://t/i,http://m/i"},
        {{"cursor", 0, 2, "only mine", "", "http://m/c"}, "cursor,,2.000,only mine,,http://m/c"},
        {{"a,b", 1, 0, "gap", "http://t/\x1b", ""}, "\"a,b\",1.000,,gap,http://t/%1B,"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(KeywordGapLine(row.row), row.line);
    }
}

} // namespace
} // namespace vortaxel::keyphrase
