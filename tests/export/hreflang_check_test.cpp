#include "export/content/hreflang_check.h"
#include "export/content/language_codes.h"
#include "tests/support/named_rows.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace vortaxel::audit {
namespace {

using test::PrintTo;

const std::string kEn = "https://a.test/en/";
const std::string kDe = "https://a.test/de/";
const std::string kFr = "https://a.test/fr/";

struct Row {
    const char* name;
    std::vector<HreflangPage> pages;
    std::unordered_map<std::string, HreflangTarget> targets;
    std::vector<std::string> enIssues;
};

HreflangTarget Answers(int status) {
    HreflangTarget target;
    target.status = status;
    return target;
}

HreflangTarget Fine() {
    return Answers(200);
}

HreflangPage Page(const std::string& url, std::vector<HreflangAlternate> alternates) {
    return {url, std::move(alternates)};
}

const std::unordered_map<std::string, HreflangTarget> kAllFine = {{kEn, {Fine()}}, {kDe, {Fine()}}, {kFr, {Fine()}}};

const std::vector<Row>& Rows() {
    static const std::vector<Row> rows = {
        {"PairThatPointsBothWays",
         {Page(kEn, {{"en", kEn}, {"de", kDe}, {"x-default", kEn}}), Page(kDe, {{"en", kEn}, {"de", kDe}})},
         kAllFine,
         {}},
        {"NoReturnLink",
         {Page(kEn, {{"en", kEn}, {"de", kDe}, {"x-default", kEn}}), Page(kDe, {{"de", kDe}})},
         kAllFine,
         {"no return link from " + kDe}},
        {"NoSelfReferenceNorXDefault",
         {Page(kEn, {{"de", kDe}}), Page(kDe, {{"en", kEn}, {"de", kDe}})},
         kAllFine,
         {"no self reference", "no x-default"}},
        {"CodesThatAreNoIsoCodes",
         {Page(
             kEn,
             {{"en", kEn}, {"english", kEn}, {"en-UK", kEn}, {"zh-Hant-TW", kEn}, {"EN-gb", kEn}, {"X-Default", kEn}})},
         kAllFine,
         {"invalid hreflang code english", "invalid hreflang code en-UK"}},
        {"AlternatesThatAnswerBadlyAreNoindexOrCanonicalisedElsewhere",
         {Page(kEn, {{"en", kEn}, {"de", kDe}, {"fr", kFr}, {"es", "https://a.test/es/"}, {"x-default", kEn}}),
          Page(kDe, {{"en", kEn}}), Page(kFr, {{"en", kEn}})},
         {{kEn, {Fine()}},
          {kDe, {Answers(404)}},
          {kFr, {200, true, "https://a.test/"}},
          {"https://a.test/es/", {Answers(0)}}},
         {"alternate " + kDe + " answers 404", "alternate " + kFr + " is noindex",
          "alternate " + kFr + " is canonicalised to https://a.test/", "alternate https://a.test/es/ answers nothing"}},
        {"AnAddressTheCrawlDidNotFetchIsCheckedForItsCodeAlone",
         {Page(kEn, {{"en", kEn}, {"it", "https://other.test/it/"}, {"x-default", kEn}})},
         kAllFine,
         {}},
    };
    return rows;
}

class HreflangRows : public ::testing::TestWithParam<Row> {};

TEST_P(HreflangRows, FindingsOfTheEnglishPage) {
    const auto issues = HreflangIssues(GetParam().pages, GetParam().targets);
    const auto found = issues.find(kEn);
    EXPECT_EQ(found == issues.end() ? std::vector<std::string>{} : found->second, GetParam().enIssues);
}

INSTANTIATE_TEST_SUITE_P(Cases, HreflangRows, ::testing::ValuesIn(Rows()), test::RowName());

TEST(Hreflang, TenThousandSelfReferencesStayBounded) {
    HreflangPage page{kEn, {}};
    for (int i = 0; i < 10'000; ++i) {
        page.alternates.push_back({i % 2 == 0 ? "en" : "bogus-" + std::to_string(i), kEn});
    }
    const auto issues = HreflangIssues({page}, kAllFine);
    const std::vector<std::string>& found = issues.at(kEn);
    ASSERT_EQ(found.size(), kMaxHreflangIssues + 1);
    // 5,000 distinct bad codes and no x-default: 5,001 findings, the first 32 of them named.
    EXPECT_EQ(found.back(), "and 4969 more");
}

TEST(Hreflang, CodeListsAreSortedAndWhole) {
    EXPECT_TRUE(std::is_sorted(LanguageCodes().begin(), LanguageCodes().end()));
    EXPECT_TRUE(std::is_sorted(RegionCodes().begin(), RegionCodes().end()));
    EXPECT_EQ(LanguageCodes().size(), 184u);
    EXPECT_EQ(RegionCodes().size(), 249u);
}

} // namespace
} // namespace vortaxel::audit
