#include "crawl/page/page_reader.h"
#include "tests/support/named_rows.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace vortaxel::crawl {
namespace {

using test::PrintTo;

StructuredData StructuredIn(const std::string& html) {
    ReadLimits limits;
    limits.structuredData = true;
    return ReadPage(html, limits).structured;
}

std::string JsonLd(const std::string& json) {
    return "<script type=\"application/ld+json\">" + json + "</script>";
}

struct Row {
    const char* name;
    std::string html;
    std::vector<std::string> types;
    std::vector<std::string> issues;
};

const std::vector<Row>& Rows() {
    static const std::vector<Row> rows = {
        {"CompleteProductHasNoIssue",
         JsonLd(R"({"@context":"https://schema.org","@type":"Product","name":"Lamp",)"
                R"("offers":{"@type":"Offer","price":"9.50","priceCurrency":"EUR"}})"),
         {"Product", "Offer"},
         {}},
        {"ProductWithoutOfferOrRating",
         JsonLd(R"({"@type":"Product","name":"Lamp"})"),
         {"Product"},
         {"Product has no offers, review or aggregateRating"}},
        {"OfferWithoutPriceNested",
         JsonLd(R"({"@type":"Product","name":"Lamp","offers":[{"@type":"Offer","priceCurrency":"EUR"}]})"),
         {"Product", "Offer"},
         {"Offer has no price"}},
        {"OfferPricedInAnObjectOfItsOwn",
         JsonLd(R"({"@type":"Offer","amount":[{"@type":"CompoundPrice","price":"9.50","priceCurrency":"EUR"}]})"),
         {"Offer", "CompoundPrice"},
         {}},
        {"OfferWhoseObjectHoldsNoPrice",
         JsonLd(R"({"@type":"Offer","priceCurrency":"EUR","amount":{"@type":"CompoundPrice"}})"),
         {"Offer", "CompoundPrice"},
         {"Offer has no price"}},
        {"EmptyOrNullValuesCountAsMissing",
         JsonLd(R"({"@type":"Event","name":"","startDate":null,"location":{"@type":"Place"}})"),
         {"Event", "Place"},
         {"Event has no name", "Event has no startDate"}},
        {"GraphAndTypeArrays",
         JsonLd(R"({"@context":"https://schema.org","@graph":[{"@type":["Organization","LocalBusiness"],)"
                R"("name":"Shop","url":"https://a.test/"},{"@type":"BreadcrumbList","itemListElement":[]}]})"),
         {"Organization", "LocalBusiness", "BreadcrumbList"},
         {"LocalBusiness has no address"}},
        {"TypesByAddressAndEachOnce",
         JsonLd(R"([{"@type":"http://schema.org/Recipe","name":"Soup","image":"s.jpg"},{"@type":"Recipe",)"
                R"("name":"Stew","image":"t.jpg"}])"),
         {"Recipe"},
         {}},
        {"ArticleAndFaqRequirements",
         JsonLd(R"({"@type":"Article","headline":"H"})") + JsonLd(R"({"@type":"FAQPage"})"),
         {"Article", "FAQPage"},
         {"Article has no image", "Article has no datePublished", "Article has no author",
          "FAQPage has no mainEntity"}},
        {"InvalidJsonNamesTheBlockAndReason",
         JsonLd(R"({"@type":"Product",})") + JsonLd(" "),
         {"Product"},
         {"JSON-LD block 1 is no valid JSON: parse error at line 1, column 20: syntax error while parsing object "
          "key - unexpected '}'; expected string literal",
          "JSON-LD block 2 is no valid JSON: parse error at line 1, column 2: syntax error while parsing value - "
          "unexpected end of input; expected '[', '{', or a literal"}},
        {"MicrodataAndRdfa",
         R"(<div itemscope itemtype="https://schema.org/Product  https://schema.org/Thing"><span typeof="schema:Person">)"
         R"(</span></div>)",
         {"Product", "Thing", "Person"},
         {}},
        {"OtherScriptsAndTemplatesAreNotRead",
         R"(<script>{"@type":"Product"}</script><script type="application/json">{"@type":"Event"}</script>)"
         R"(<template><script type="application/ld+json">{"@type":"Recipe"}</script></template>)"
         R"(<script type=" APPLICATION/LD+JSON ">{"@type":"WebSite"}</script>)",
         {"WebSite"},
         {}},
    };
    return rows;
}

class StructuredDataRows : public ::testing::TestWithParam<Row> {};

TEST_P(StructuredDataRows, TypesAndIssues) {
    const Row& row = GetParam();
    const StructuredData found = StructuredIn("<html><head>" + row.html + "</head><body>text</body></html>");
    EXPECT_EQ(found.types, row.types);
    EXPECT_EQ(found.issues, row.issues);
}

INSTANTIATE_TEST_SUITE_P(Cases, StructuredDataRows, ::testing::ValuesIn(Rows()), test::RowName());

TEST(StructuredData, NotReadUnlessAsked) {
    const PageRead read = ReadPage(JsonLd(R"({"@type":"Product"})") + R"(<p itemtype="https://schema.org/Thing">)");
    EXPECT_EQ(read.structured, StructuredData{});
}

// Hostile blocks cost their bytes once: no recursion, no tree, a bounded list of findings.
struct HostileRow {
    const char* name;
    std::string json;
    std::string issueStart;
};

class HostileJsonLd : public ::testing::TestWithParam<HostileRow> {};

TEST_P(HostileJsonLd, BoundedWithAClearIssue) {
    const HostileRow& row = GetParam();
    const StructuredData found = StructuredIn(JsonLd(row.json) + JsonLd(R"({"@type":"WebPage"})"));
    ASSERT_FALSE(found.issues.empty());
    EXPECT_TRUE(found.issues.front().starts_with(row.issueStart)) << found.issues.front();
    EXPECT_LE(found.issues.size(), kMaxSchemaIssues);
    EXPECT_LE(found.types.size(), kMaxSchemaTypes);
}

std::string Repeated(const std::string& piece, std::size_t times) {
    std::string out;
    out.reserve(piece.size() * times);
    for (std::size_t i = 0; i < times; ++i) {
        out += piece;
    }
    return out;
}

std::string ManyItems() {
    std::string items = "[";
    for (int i = 0; i < 100'000; ++i) {
        items += (i == 0 ? "" : ",") + std::string(R"({"@type":"Product","name":"P)") + std::to_string(i) + "\"}";
    }
    return items + "]";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HostileJsonLd,
    ::testing::Values(HostileRow{"NestedTenThousandDeep", Repeated("[", 10'000) + Repeated("]", 10'000),
                                 "JSON-LD block 1 nests deeper than 256 levels"},
                      HostileRow{"NestedObjectsDeep", Repeated(R"({"a":)", 10'000) + "1" + Repeated("}", 10'000),
                                 "JSON-LD block 1 nests deeper than 256 levels"},
                      HostileRow{"TenMegabytesInvalid", "{\"@type\":\"Thing\",\"x\":\"" + std::string(10u << 20, 'a'),
                                 "JSON-LD block 1 is no valid JSON"},
                      HostileRow{"AHundredThousandItems", ManyItems(),
                                 "Product has no offers, review or aggregateRating"},
                      HostileRow{"ManyDistinctTypes",
                                 [] {
                                     std::string json = "[";
                                     for (int i = 0; i < 5'000; ++i) {
                                         json += (i == 0 ? "" : ",") + std::string(R"({"@type":"T)") +
                                                 std::to_string(i) + "\"}";
                                     }
                                     return json + ",{\"@type\":\"Event\"}]";
                                 }(),
                                 "Event has no name"}),
    test::RowName());

TEST(StructuredData, PastThePageBoundBlocksAreNamedNotRead) {
    const std::string big = "{\"@type\":\"Thing\",\"x\":\"" + std::string(kMaxJsonLdBytes, 'a') + "\"}";
    const StructuredData found = StructuredIn(JsonLd(R"({"@type":"WebPage"})") + JsonLd(big) + JsonLd("{}"));
    EXPECT_EQ(found.types, std::vector<std::string>{"WebPage"});
    EXPECT_EQ(found.issues,
              std::vector<std::string>{"2 JSON-LD block(s) past the page's 16 MiB of structured data were not read"});
}

} // namespace
} // namespace vortaxel::crawl
