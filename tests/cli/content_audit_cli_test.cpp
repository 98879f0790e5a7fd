// The content audit from the command line: structured data and custom extractors in the report, kept with the
// crawl so that an offline report gives them again, and the ways their options are refused.

#include "tests/cli/cli_outcome.h"
#include "tests/support/loopback_site.h"
#include "tests/support/named_rows.h"
#include "tests/support/scratch_folder.h"

#include <gtest/gtest.h>
#include <map>
#include <string>
#include <vector>

namespace vortaxel::test {
namespace {

using vortaxel::test::PrintTo;

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t end = text.find('\n', at);
        std::string line = text.substr(at, end == std::string::npos ? std::string::npos : end - at);
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(std::move(line));
        at = end == std::string::npos ? text.size() : end + 1;
    }
    return lines;
}

class ContentAuditCli : public ::testing::Test {
protected:
    void SetUp() override {
        site_.ServeHtml("/", R"(<html><title>Home</title><script type="application/ld+json">)"
                             R"({"@type":"Product","name":"Lamp"}</script><span class=price>9.50</span>)"
                             R"(<span class=price>7.00</span><a href=/b.html>b</a> SKU: AB-1</html>)");
        site_.ServeHtml("/b.html", R"(<html><title>B</title><script type="application/ld+json">{"@type":</script>)"
                                   R"(<div itemscope itemtype="https://schema.org/Event"></div></html>)");
    }
    std::string Path(const char* name) const { return (folder_.Path() / name).string(); }

    LoopbackSite site_;
    ScratchFolder folder_{"content-audit"};
};

TEST_F(ContentAuditCli, ReportGainsTheColumnsAndAnOfflineReportGivesThemAgain) {
    const Outcome plain = RunCli({"--quiet", "--rules", "browser", "--report", Path("plain.csv"), site_.Url("/")});
    ASSERT_EQ(plain.code, 0) << plain.err;
    const Outcome audited =
        RunCli({"--quiet", "--rules", "browser", "--structured-data", "--extract", "price=xpath://span[@class='price']",
                "--extract", "sku=regex:SKU: ([A-Z]+-[0-9]+)", "--extract-all", "--db", Path("site.db"), "--report",
                Path("audited.csv"), site_.Url("/")});
    ASSERT_EQ(audited.code, 0) << audited.err;
    EXPECT_EQ(audited.out, plain.out);
    const std::vector<std::string> plainLines = Lines(ReadFile(Path("plain.csv")));
    const std::vector<std::string> lines = Lines(ReadFile(Path("audited.csv")));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], plainLines[0] + ",schema_types,schema_issues,price,sku");
    EXPECT_TRUE(lines[1].ends_with(R"(,Product,"Product has no offers, review or aggregateRating",9.50 | 7.00,AB-1)"))
        << lines[1];
    EXPECT_TRUE(lines[2].ends_with(",Event,\"JSON-LD block 1 is no valid JSON: parse error at line 1, column 10: "
                                   "syntax error while parsing value - unexpected end of input; expected '[', '{', "
                                   "or a literal\",,"))
        << lines[2];

    const Outcome offline = RunCli(
        {"--quiet", "--offline", "--db", Path("site.db"), "--report", Path("again.csv"), "--html", Path("audit.html")});
    ASSERT_EQ(offline.code, 0) << offline.err;
    EXPECT_EQ(ReadFile(Path("again.csv")), ReadFile(Path("audited.csv")));
    const std::string page = ReadFile(Path("audit.html"));
    EXPECT_NE(page.find("<section id=\"structured-data\"><h2>Structured data</h2><p class=\"note\">2 pages with "
                        "structured data, 2 with issues.</p>"),
              std::string::npos);
    EXPECT_NE(page.find("<td>Product has no offers, review or aggregateRating</td>"), std::string::npos);
}

TEST_F(ContentAuditCli, HreflangFindingsInTheReport) {
    LoopbackSite site;
    site.ServeHtml("/", R"(<html><link rel=alternate hreflang=en href=/><link rel=alternate hreflang=de href=/de/>)"
                        R"(<link rel=alternate hreflang=english href=/></html>)");
    site.ServeHtml("/de/", R"(<html><link rel=alternate hreflang=de href=/de/>)"
                           R"(<link rel=alternate hreflang=x-default href=/de/></html>)");
    const Outcome run =
        RunCli({"--quiet", "--rules", "browser", "--hreflang", "--report", Path("hreflang.csv"), site.Url("/")});
    ASSERT_EQ(run.code, 0) << run.err;
    const std::vector<std::string> lines = Lines(ReadFile(Path("hreflang.csv")));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_TRUE(lines[0].ends_with(",in_sitemap,hreflang_issues")) << lines[0];
    EXPECT_TRUE(lines[1].ends_with(",no,no return link from " + site.Url("/de/") +
                                   "; invalid hreflang code english; no x-default"))
        << lines[1];
    EXPECT_TRUE(lines[2].ends_with(",no,")) << lines[2];
}

TEST_F(ContentAuditCli, HreflangFromLinkHeadersMergesWithTheElements) {
    LoopbackSite site;
    // The English page names its German version in a header alone, the German one in its markup alone.
    site.Serve("/", Page{}
                        .WithBody("<html><link rel=alternate hreflang=en href=/><a href=/de/>de</a></html>")
                        .WithContentType("text/html")
                        .WithHeader("Link", "</de/>; rel=\"alternate\"; hreflang=\"de\", </>; rel=alternate; "
                                            "hreflang=x-default")
                        .WithHeader("Link", "</fr/>; rel=alternate; hreflang=fr_FR"));
    site.ServeHtml("/de/", R"(<html><link rel=alternate hreflang=de href=/de/><link rel=alternate hreflang=en )"
                           R"(href=/><link rel=alternate hreflang=x-default href=/></html>)");
    const Outcome run =
        RunCli({"--quiet", "--rules", "browser", "--hreflang", "--report", Path("hreflang.csv"), site.Url("/")});
    ASSERT_EQ(run.code, 0) << run.err;
    std::map<std::string, std::string> rows;
    for (const std::string& line : Lines(ReadFile(Path("hreflang.csv")))) {
        rows[line.substr(0, line.find(','))] = line;
    }
    // The alternate a header alone names is followed as one in the markup is.
    EXPECT_TRUE(rows[site.Url("/")].ends_with(",no,invalid hreflang code fr_FR; alternate " + site.Url("/fr/") +
                                              " answers 404"))
        << rows[site.Url("/")];
    EXPECT_TRUE(rows[site.Url("/de/")].ends_with(",no,")) << rows[site.Url("/de/")];
    EXPECT_TRUE(rows.contains(site.Url("/fr/")));
}

struct RefusalRow {
    const char* name;
    std::vector<std::string> args;
    std::string message;
};

class ContentAuditRefusals : public ContentAuditCli, public ::testing::WithParamInterface<RefusalRow> {};

TEST_P(ContentAuditRefusals, ExitTwoBeforeAnyRequest) {
    std::vector<std::string> args = GetParam().args;
    args.push_back(site_.Url("/"));
    const Outcome refused = RunCli(args);
    EXPECT_EQ(refused.code, 2);
    EXPECT_NE(refused.err.find(GetParam().message), std::string::npos) << refused.err;
    EXPECT_TRUE(site_.Targets().empty());
}

std::vector<std::string> TooMany() {
    std::vector<std::string> args = {"--rules", "browser"};
    for (int i = 0; i <= 100; ++i) {
        args.push_back("--extract");
        args.push_back("x" + std::to_string(i) + "=regex:a");
    }
    return args;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ContentAuditRefusals,
    ::testing::Values(
        RefusalRow{
            "StructuredDataUnderClassicRules", {"--structured-data"}, "--structured-data: needs --rules browser"},
        RefusalRow{"ExtractUnderClassicRules", {"--extract", "a=regex:x"}, "--extract: needs --rules browser"},
        RefusalRow{"HreflangUnderClassicRules", {"--hreflang"}, "--hreflang: needs --rules browser"},
        RefusalRow{"XPathThatDoesNotCompile",
                   {"--rules", "browser", "--extract", "a=xpath://div["},
                   "--extract: a: the XPath does not compile"},
        RefusalRow{"RegexThatDoesNotCompile",
                   {"--rules", "browser", "--extract", "a=regex:(x"},
                   "--extract: a: the regex does not compile: missing ): (x"},
        RefusalRow{"NoKind", {"--rules", "browser", "--extract", "a=//p"}, "--extract: takes NAME=xpath:EXPR"},
        RefusalRow{"NameTwice",
                   {"--rules", "browser", "--extract", "a=regex:x", "--extract", "a=xpath://p"},
                   "--extract: a: the name is given twice"},
        RefusalRow{"NameUnfitForAColumn", {"--rules", "browser", "--extract", "a b=regex:x"}, "may hold only letters"},
        RefusalRow{"MoreThanAHundred", TooMany(), "--extract: takes at most 100 extractors"}),
    RowName());

TEST_F(ContentAuditCli, AKeptCrawlRefusesOtherChoices) {
    ASSERT_EQ(
        RunCli({"--quiet", "--rules", "browser", "--extract", "a=regex:x", "--db", Path("kept.db"), site_.Url("/")})
            .code,
        0);
    const Outcome other =
        RunCli({"--offline", "--db", Path("kept.db"), "--extract", "b=regex:y", "--report", Path("r.csv")});
    EXPECT_EQ(other.code, 2);
    EXPECT_NE(other.err.find("--extract: the crawl kept in"), std::string::npos) << other.err;
    const Outcome flag = RunCli({"--offline", "--db", Path("kept.db"), "--structured-data", "--report", Path("r.csv")});
    EXPECT_EQ(flag.code, 2);
    EXPECT_NE(flag.err.find("does not read structured data"), std::string::npos) << flag.err;
}

} // namespace
} // namespace vortaxel::test
