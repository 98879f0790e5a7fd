#include "crawl/content/content_read.h"
#include "crawl/content/custom_extract.h"
#include "tests/support/named_rows.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace vortaxel::crawl {
namespace {

using test::PrintTo;

const std::string kPage = R"(<html><head><title>Lamp</title><meta name="author" content="Ann  Lee"></head><body>)"
                          R"(<h1> Desk
   lamp </h1><span class="price">9.50</span><span class="price">12.00</span>)"
                          R"(<p>SKU: AB-12</p><p>SKU: CD-34</p><a href="/x">x</a></body></html>)";

struct Row {
    const char* name;
    Extractor extractor;
    bool all;
    std::vector<std::string> values;
};

const std::vector<Row>& Rows() {
    static const std::vector<Row> rows = {
        {"XPathFirstNodeText", {"price", ExtractorKind::XPath, "//span[@class='price']"}, false, {"9.50"}},
        {"XPathAllNodes", {"price", ExtractorKind::XPath, "//span[@class='price']"}, true, {"9.50", "12.00"}},
        {"XPathAttributeValue",
         {"author", ExtractorKind::XPath, "//meta[@name='author']/@content"},
         false,
         {"Ann Lee"}},
        {"XPathWhiteSpaceCollapsed", {"h1", ExtractorKind::XPath, "//h1"}, false, {"Desk lamp"}},
        {"XPathNumberResult", {"links", ExtractorKind::XPath, "count(//a)"}, false, {"1"}},
        {"XPathNoMatch", {"none", ExtractorKind::XPath, "//table"}, true, {}},
        {"RegexGroup", {"sku", ExtractorKind::Regex, "SKU: ([A-Z]+-[0-9]+)"}, true, {"AB-12", "CD-34"}},
        {"RegexWholeMatchFirst", {"sku", ExtractorKind::Regex, "[A-Z]{2}-[0-9]{2}"}, false, {"AB-12"}},
        {"RegexEmptyMatchesMoveOn",
         {"e", ExtractorKind::Regex, "x*"},
         true,
         std::vector<std::string>(kMaxExtractedValues, "")},
    };
    return rows;
}

class ExtractRows : public ::testing::TestWithParam<Row> {};

TEST_P(ExtractRows, Values) {
    const Row& row = GetParam();
    EXPECT_EQ(ExtractorProblem(row.extractor), "");
    const auto found = ExtractFrom(kPage, {row.extractor}, row.all);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0], row.values);
}

INSTANTIATE_TEST_SUITE_P(Cases, ExtractRows, ::testing::ValuesIn(Rows()), test::RowName());

struct ProblemRow {
    const char* name;
    Extractor extractor;
    std::string problem;
};

class ExtractorProblems : public ::testing::TestWithParam<ProblemRow> {};

TEST_P(ExtractorProblems, NamedWithTheReason) {
    EXPECT_EQ(ExtractorProblem(GetParam().extractor), GetParam().problem);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ExtractorProblems,
    ::testing::Values(
        ProblemRow{"XPathThatDoesNotCompile",
                   {"a", ExtractorKind::XPath, "//div[@class="},
                   "the XPath does not compile: it is no valid expression (at character 14)"},
        ProblemRow{"RegexThatDoesNotCompile",
                   {"a", ExtractorKind::Regex, "(ab"},
                   "the regex does not compile: missing ): (ab"},
        ProblemRow{"EmptyExpression", {"a", ExtractorKind::Regex, ""}, "it has no expression"},
        ProblemRow{"NameWithComma",
                   {"a,b", ExtractorKind::Regex, "x"},
                   "its name \"a,b\" may hold only letters, digits, '_' and '-', and must start with a letter or '_'"},
        ProblemRow{"NameStartingWithDigit",
                   {"1a", ExtractorKind::Regex, "x"},
                   "its name \"1a\" may hold only letters, digits, '_' and '-', and must start with a letter or '_'"},
        ProblemRow{"EmptyName", {"", ExtractorKind::Regex, "x"}, "its name must be 1 to 64 characters"},
        ProblemRow{"FitName", {"Price_2-b", ExtractorKind::XPath, "//p"}, ""}),
    test::RowName());

// A thousand times the cap of nodes selected, or a regex matching all over a 4 MB page: the values kept stay
// within their caps. Time is no bound of a test: a million nodes' figure is in bench/README.md.
TEST(CustomExtract, LargeResultsStayWithinTheCaps) {
    std::string page = "<html><body>";
    for (std::size_t i = 0; i < 1000 * kMaxExtractedValues; ++i) {
        page += "<i>v</i>";
    }
    page += "</body></html>";
    const auto nodes =
        ExtractFrom(page, {{"i", ExtractorKind::XPath, "//i"}, {"all", ExtractorKind::XPath, "//*"}}, true);
    ASSERT_EQ(nodes.size(), 2u);
    EXPECT_EQ(nodes[0], std::vector<std::string>(kMaxExtractedValues, "v"));
    ASSERT_EQ(nodes[1].size(), kMaxExtractedValues);
    EXPECT_EQ(nodes[1][0].size(), kMaxExtractedBytes);

    const std::string text(4u << 20, 'a');
    const auto matches = ExtractFrom(text, {{"a", ExtractorKind::Regex, "a+"}, {"b", ExtractorKind::Regex, "a"}}, true);
    EXPECT_EQ(matches[0], std::vector<std::string>{std::string(kMaxExtractedBytes, 'a')});
    EXPECT_EQ(matches[1], std::vector<std::string>(kMaxExtractedValues, "a"));
}

TEST(CustomExtract, ValuesCutBetweenCharacters) {
    const std::string page = "<p>" + std::string(kMaxExtractedBytes - 1, 'a') + "\xC3\xA9</p>";
    const auto found = ExtractFrom(page, {{"p", ExtractorKind::XPath, "//p"}}, false);
    EXPECT_EQ(found[0], std::vector<std::string>{std::string(kMaxExtractedBytes - 1, 'a')});
}

TEST(CustomExtract, ReadPageForRunsOnlyWhatItIsAskedFor) {
    ContentAuditChoices choices;
    EXPECT_TRUE(ReadPageFor(kPage, false, choices).extracted.empty());
    choices.extractors = {{"title", ExtractorKind::XPath, "//title"},
                          {"sku", ExtractorKind::Regex, "SKU: ([A-Z0-9-]+)"}};
    const PageRead read = ReadPageFor(kPage, false, choices);
    EXPECT_EQ(read.extracted, (std::vector<std::vector<std::string>>{{"Lamp"}, {"AB-12"}}));
    EXPECT_EQ(read.facts.title, "Lamp");
    EXPECT_EQ(read.structured, StructuredData{});
}

} // namespace
} // namespace vortaxel::crawl
