#include "crawl/robots/robots_rules.h"
#include "crawl/robots/robots_url.h"
#include "tests/support/named_rows.h"

#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

namespace vortaxel::crawl {
namespace {

using ::vortaxel::test::PrintTo;

struct RuleCase {
    std::string name;
    std::string body;
    std::vector<std::string> allowed;
    std::vector<std::string> blocked;
    std::string agent = std::string(kRobotsAgent);
};

class RobotsRuleTable : public testing::TestWithParam<RuleCase> {};

TEST_P(RobotsRuleTable, AllowsAndBlocksTheRightPaths) {
    const RuleCase& row = GetParam();
    const RobotsRules rules = RobotsRules::Parse(row.body, row.agent);
    for (const std::string& path : row.allowed) {
        EXPECT_TRUE(rules.Allows(path)) << path;
    }
    for (const std::string& path : row.blocked) {
        EXPECT_FALSE(rules.Allows(path)) << path;
    }
}

const std::string kGroups = "allow: /foo/bar/\n\nuser-agent: Vortaxel\ndisallow: /\nallow: /x/\nuser-agent: BarBot\n"
                            "disallow: /\nallow: /y/\n\n\nallow: /w/\nuser-agent: BazBot\n\nuser-agent: Vortaxel\n"
                            "allow: /z/\ndisallow: /\n";
const std::string kFishDocs = "user-agent: Vortaxel\ndisallow: /\nallow: ";

INSTANTIATE_TEST_SUITE_P(
    Syntax, RobotsRuleTable,
    testing::Values(
        RuleCase{"EmptyFileAllowsAll", "", {"/", "/x/y"}, {}},
        RuleCase{"ColonMayBeMissing", "user-agent Vortaxel\ndisallow /\n", {}, {"/x/y"}},
        RuleCase{"ProseWithoutColonIgnored", "user-agent: Vortaxel\ndisallow everything here\n", {"/x"}, {}},
        RuleCase{"UnknownNamesIgnored", "foo: Vortaxel\nbar: /\n", {"/x/y"}, {}},
        RuleCase{
            "DirectiveNamesCaseInsensitive", "uSeR-aGeNt: Vortaxel\nAlLoW: /x/\ndIsAlLoW: /\n", {"/x/y"}, {"/a/b"}},
        RuleCase{"AgentLineWithoutHyphen", "useragent: Vortaxel\ndisallow: /\n", {}, {"/a"}},
        RuleCase{"PathsCaseSensitive", "user-agent: Vortaxel\ndisallow: /X/\n", {"/x/y"}, {"/X/y"}},
        RuleCase{"CommentsStripped",
                 "User-agent: Vortaxel\n# Disallow: /\nDisallow: /foo/quz#qux\nAllow: /\n",
                 {"/foo/bar"},
                 {"/foo/quz"}},
        RuleCase{"CrLineEnds", "User-agent: Other\rAllow: /p\rUser-agent: Vortaxel\r\r\rDisallow: /\r", {}, {"/x"}},
        RuleCase{"CrLfLineEnds",
                 "User-agent: Other\r\nAllow: /p\r\nUser-agent: Vortaxel\r\n\r\nDisallow: /\r\n",
                 {},
                 {"/x"}},
        RuleCase{"MixedLineEndsNoFinalBreak",
                 "User-agent: Other\nAllow: /p\r\nUser-agent: Vortaxel\r\n\rDisallow: /",
                 {},
                 {"/x"}},
        RuleCase{"FullByteOrderMarkSkipped", "\xEF\xBB\xBFUser-agent: Vortaxel\nDisallow: /\n", {}, {"/x"}},
        RuleCase{"PartialByteOrderMarkSkipped", "\xEF\xBBUser-agent: Vortaxel\nDisallow: /\n", {}, {"/x"}},
        RuleCase{"OneByteOfMarkSkipped", "\xEFUser-agent: Vortaxel\nDisallow: /\n", {}, {"/x"}},
        RuleCase{"BrokenMarkSpoilsFirstLine", "\xEF\x11\xBFUser-agent: Vortaxel\nDisallow: /\n", {"/x"}, {}},
        RuleCase{"MarkInsideFileSpoilsItsLine",
                 "User-agent: Vortaxel\n\xEF\xBB\xBF"
                 "Disallow: /\n",
                 {"/x"},
                 {}},
        RuleCase{"BinaryBodyHoldsNoRules",
                 std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\x01\0Disallow: /\xff\xfe", 31),
                 {"/", "/x"},
                 {}},
        RuleCase{"HtmlPageHoldsNoRules", "<html><body><p>User-agent: * Disallow: /</p></body></html>", {"/x"}, {}},
        RuleCase{
            "RobotsTxtItselfAlwaysAllowed", "user-agent: *\ndisallow: /\n", {"/robots.txt"}, {"/robots.txt?x", "/"}}),
    ::vortaxel::test::RowName());

INSTANTIATE_TEST_SUITE_P(
    Groups, RobotsRuleTable,
    testing::Values(
        RuleCase{"SameAgentGroupsMerged", kGroups, {"/x/b", "/z/d"}, {"/y/c", "/w/a"}},
        RuleCase{"RulesBeforeAnyAgentIgnored", kGroups, {}, {"/foo/bar/"}},
        RuleCase{"BlankLinesDoNotEndAGroup", kGroups, {"/y/c", "/w/a"}, {"/z/d"}, "BarBot"},
        RuleCase{"AgentsSharingAGroup", kGroups, {"/z/d"}, {"/x/b"}, "BazBot"},
        RuleCase{"AgentValueCaseInsensitive", "User-Agent: vORTAXEL\nAllow: /x/\nDisallow: /\n", {"/x/y"}, {"/a"}},
        RuleCase{"AgentTokenEndsAtBlank",
                 "User-Agent: *\nDisallow: /\nUser-Agent: Vortaxel Crawler\nAllow: /x/\nDisallow: /\n",
                 {"/x/y"},
                 {"/a"}},
        RuleCase{"AgentTokenEndsAtVersion", "User-agent: Vortaxel/2.0\nDisallow: /\n", {}, {"/a"}},
        RuleCase{"LongerTokenIsAnotherAgent", "User-agent: VortaxelBot\nDisallow: /\n", {"/a"}, {}},
        RuleCase{"SpecificGroupBeatsStar",
                 "User-agent: *\nDisallow: /x/\nUser-agent: Vortaxel\nDisallow: /y/\n",
                 {"/x/page"},
                 {"/y/page"}},
        RuleCase{"StarWhenNoGroupNamesUs", "user-agent: *\nallow: /\nuser-agent: Other\ndisallow: /\n", {"/x/y"}, {}},
        RuleCase{
            "SpecificGroupWithoutRulesAllowsAll", "User-agent: *\nDisallow: /\n\nUser-agent: Vortaxel\n", {"/x"}, {}},
        RuleCase{"StarAndUsInOneGroup", "User-agent: Vortaxel\nUser-agent: *\nDisallow: /p\n", {"/x"}, {"/p"}},
        RuleCase{"NoMatchingGroupAllowsAll",
                 "user-agent: FooBot\ndisallow: /\nuser-agent: BarBot\ndisallow: /\n",
                 {"/x/y"},
                 {}},
        RuleCase{"StarMustStandAlone", "user-agent: *bot\ndisallow: /\n", {"/x"}, {}}),
    ::vortaxel::test::RowName());

INSTANTIATE_TEST_SUITE_P(
    Matching, RobotsRuleTable,
    testing::Values(
        RuleCase{"LongerDisallowWins",
                 "user-agent: Vortaxel\ndisallow: /x/page.html\nallow: /x/\n",
                 {"/x/other"},
                 {"/x/page.html"}},
        RuleCase{
            "LongerAllowWins", "user-agent: Vortaxel\nallow: /x/page.html\ndisallow: /x/\n", {"/x/page.html"}, {"/x/"}},
        RuleCase{"EmptyRulesAllowAll", "user-agent: Vortaxel\ndisallow: \nallow: \n", {"/x/page.html"}, {}},
        RuleCase{"TieGoesToAllow", "user-agent: Vortaxel\ndisallow: /\nallow: /\n", {"/x/page.html"}, {}},
        RuleCase{"SlashMakesItLonger", "user-agent: Vortaxel\ndisallow: /x\nallow: /x/\n", {"/x/"}, {"/x"}},
        RuleCase{"WildcardCountsByLength",
                 "user-agent: Vortaxel\nallow: /page\ndisallow: /*.html\n",
                 {"/page"},
                 {"/page.html"}},
        RuleCase{"StarInTheMiddle",
                 "User-agent: Vortaxel\nDisallow: /foo/*/qux\n",
                 {"/foo/quz", "/foo/qux"},
                 {"/foo/bar/qux", "/foo//qux", "/foo/a/b/qux/z"}},
        RuleCase{"DollarAnchorsTheEnd",
                 "User-agent: Vortaxel\nDisallow: /foo/bar$\n",
                 {"/foo/bar/", "/foo/bar/qux", "/foo/bar?x"},
                 {"/foo/bar"}},
        RuleCase{"DollarInsideIsLiteral", "User-agent: Vortaxel\nDisallow: /a$b\n", {"/a", "/ab"}, {"/a$b", "/a$bc"}},
        RuleCase{"IndexHtmlAllowsItsFolder",
                 "User-Agent: *\nAllow: /allowed-slash/index.html\nDisallow: /\n",
                 {"/allowed-slash/", "/allowed-slash/index.html"},
                 {"/allowed-slash/index.htm", "/allowed-slash/x", "/anyother-url"}},
        RuleCase{"QueryIsPartOfThePath",
                 "User-agent: Vortaxel\nDisallow: /\nAllow: /foo/bar?qux=taz&baz=http://foo.bar?tar&par\n",
                 {"/foo/bar?qux=taz&baz=http://foo.bar?tar&par"},
                 {"/foo/bar"}},
        RuleCase{"RawUtf8PatternMatchesBothSpellings",
                 "User-agent: Vortaxel\nDisallow: /\nAllow: /foo/bar/ツ\n",
                 {"/foo/bar/%E3%83%84", "/foo/bar/ツ", "/foo/bar/%e3%83%84"},
                 {"/foo/bar/x"}},
        RuleCase{"EscapedPatternMatchesBothSpellings",
                 "User-agent: Vortaxel\nDisallow: /\nAllow: /foo/bar/%e3%83%84\n",
                 {"/foo/bar/%E3%83%84", "/foo/bar/ツ"},
                 {"/foo/bar/%E3%83"}},
        RuleCase{"EscapedUnreservedIsTheLetter",
                 "User-agent: Vortaxel\nDisallow: /\nAllow: /foo/bar/%62%61%7A\n",
                 {"/foo/bar/baz", "/foo/bar/%62%61%7a"},
                 {"/foo/bar/bax"}},
        RuleCase{"EscapedSlashIsNotASlash", "User-agent: Vortaxel\nDisallow: /a%2Fb\n", {"/a/b"}, {"/a%2fb"}},
        RuleCase{"ManyStarsStillCorrect",
                 "User-agent: Vortaxel\nDisallow: /*a*a*a*a*a*a*a*a*b$\n",
                 {"/" + std::string(300, 'a')},
                 {"/" + std::string(300, 'a') + "b"}}),
    ::vortaxel::test::RowName());

// The examples of the best-known crawler's published robots.txt documentation.
INSTANTIATE_TEST_SUITE_P(
    PublishedExamples, RobotsRuleTable,
    testing::Values(
        RuleCase{"FishPrefix",
                 kFishDocs + "/fish\n",
                 {"/fish", "/fish.html", "/fish/salmon.html", "/fishheads", "/fishheads/yummy.html",
                  "/fish.html?id=anything"},
                 {"/bar", "/Fish.asp", "/catfish", "/?id=fish"}},
        RuleCase{"FishStarEqualsPrefix",
                 kFishDocs + "/fish*\n",
                 {"/fish", "/fish.html", "/fish/salmon.html", "/fishheads", "/fish.html?id=anything"},
                 {"/bar", "/Fish.bar", "/catfish", "/?id=fish"}},
        RuleCase{"FishFolder",
                 kFishDocs + "/fish/\n",
                 {"/fish/", "/fish/salmon", "/fish/?salmon", "/fish/salmon.html", "/fish/?id=anything"},
                 {"/bar", "/fish", "/fish.html", "/Fish/Salmon.html"}},
        RuleCase{"AnyPhp",
                 kFishDocs + "/*.php\n",
                 {"/filename.php", "/folder/filename.php", "/folder/filename.php?parameters",
                  "//folder/any.php.file.html", "/filename.php/", "/index?f=filename.php/"},
                 {"/bar", "/php/", "/index?php", "/windows.PHP"}},
        RuleCase{"PhpAtTheEnd",
                 kFishDocs + "/*.php$\n",
                 {"/filename.php", "/folder/filename.php"},
                 {"/bar", "/filename.php?parameters", "/filename.php/", "/filename.php5", "/php/", "/filename?php",
                  "/aaaphpaaa", "//windows.PHP"}},
        RuleCase{"FishThenPhp",
                 kFishDocs + "/fish*.php\n",
                 {"/fish.php", "/fishheads/catfish.php?parameters"},
                 {"/bar", "/Fish.PHP"}},
        RuleCase{"ShortAllowBeatsRoot", "user-agent: Vortaxel\nallow: /p\ndisallow: /\n", {"/page"}, {"/"}},
        RuleCase{"EqualFolderRules", "user-agent: Vortaxel\nallow: /folder\ndisallow: /folder\n", {"/folder/page"}, {}},
        RuleCase{"WildcardLongerThanPlain",
                 "user-agent: Vortaxel\nallow: /page\ndisallow: /*.htm\n",
                 {"/page"},
                 {"/page.htm"}},
        RuleCase{"RootOnly", "user-agent: Vortaxel\nallow: /$\ndisallow: /\n", {"/", ""}, {"/page.html"}}),
    ::vortaxel::test::RowName());

struct DelayCase {
    std::string name;
    std::string body;
    std::optional<double> seconds;
};

class CrawlDelayTable : public testing::TestWithParam<DelayCase> {};

TEST_P(CrawlDelayTable, ReadsTheChosenGroupsDelay) {
    EXPECT_EQ(RobotsRules::Parse(GetParam().body, kRobotsAgent).CrawlDelaySeconds(), GetParam().seconds);
}

INSTANTIATE_TEST_SUITE_P(
    Delays, CrawlDelayTable,
    testing::Values(DelayCase{"None", "User-agent: *\nDisallow: /x\n", std::nullopt},
                    DelayCase{"Whole", "User-agent: *\nCrawl-delay: 2\n", 2.0},
                    DelayCase{"Fractional", "User-agent: Vortaxel\nCRAWL-DELAY: 0.25 # be kind\n", 0.25},
                    DelayCase{"WithoutColon", "User-agent: Vortaxel\ncrawl-delay 3\n", 3.0},
                    DelayCase{"LargestOfSeveral", "User-agent: Vortaxel\nCrawl-delay: 1\nCrawl-delay: 4\n", 4.0},
                    DelayCase{"StarDelayNotOursWhenNamed",
                              "User-agent: *\nCrawl-delay: 9\nUser-agent: Vortaxel\nDisallow: /x\n", std::nullopt},
                    DelayCase{"OtherAgentsDelayIgnored", "User-agent: Other\nCrawl-delay: 9\n", std::nullopt},
                    DelayCase{"TextIgnored", "User-agent: *\nCrawl-delay: soon\n", std::nullopt},
                    DelayCase{"UnitIgnored", "User-agent: *\nCrawl-delay: 5s\n", std::nullopt},
                    DelayCase{"NegativeIgnored", "User-agent: *\nCrawl-delay: -1\n", std::nullopt},
                    DelayCase{"InfinityIgnored", "User-agent: *\nCrawl-delay: inf\n", std::nullopt},
                    DelayCase{"OutOfRangeIgnored", "User-agent: *\nCrawl-delay: 1e999\n", std::nullopt}),
    ::vortaxel::test::RowName());

std::string Filler(std::size_t size) {
    std::string text = "User-agent: *\n";
    const std::string comment = "# " + std::string(60, '-') + "\n";
    while (text.size() + comment.size() <= size) {
        text += comment;
    }
    return text + std::string(size - text.size() - 1, '#') + "\n";
}

TEST(RobotsBodyCap, ContentPastTheCapIsIgnored) {
    const std::string body = Filler(kRobotsBodyCap - 20);
    ASSERT_EQ(body.size(), kRobotsBodyCap - 20);
    // Ends exactly at the cap: still read.
    const RobotsRules inside = RobotsRules::Parse(body + "Disallow: /inside\n", kRobotsAgent);
    EXPECT_FALSE(inside.Allows("/inside"));
    // Starts past the cap: never read.
    const RobotsRules past = RobotsRules::Parse(Filler(kRobotsBodyCap) + "Disallow: /\n", kRobotsAgent);
    EXPECT_TRUE(past.Allows("/x"));
    // Cut by the cap, "Disallow: /private/old" would read "Disallow: /": the cut line is dropped instead.
    const RobotsRules cut = RobotsRules::Parse(body + "Disallow: /private/old\n", kRobotsAgent);
    EXPECT_TRUE(cut.Allows("/x"));
    EXPECT_TRUE(cut.Allows("/private/old"));
}

struct AnswerCase {
    std::string name;
    std::optional<int> status;
    bool allowsPage;
    bool allowsSecret;
};

class RobotsAnswerTable : public testing::TestWithParam<AnswerCase> {};

TEST_P(RobotsAnswerTable, FetchOutcomeDecidesTheRules) {
    const RobotsRules rules =
        RulesForRobotsAnswer(GetParam().status, "User-agent: *\nDisallow: /secret\n", kRobotsAgent);
    EXPECT_EQ(rules.Allows("/page"), GetParam().allowsPage);
    EXPECT_EQ(rules.Allows("/secret"), GetParam().allowsSecret);
    EXPECT_TRUE(rules.Allows("/robots.txt"));
}

INSTANTIATE_TEST_SUITE_P(Answers, RobotsAnswerTable,
                         testing::Values(AnswerCase{"OkIsParsed", 200, true, false},
                                         AnswerCase{"NoContentIsParsed", 204, true, false},
                                         AnswerCase{"EndlessRedirectRestrictsNothing", 301, true, true},
                                         AnswerCase{"ForbiddenRestrictsNothing", 403, true, true},
                                         AnswerCase{"MissingRestrictsNothing", 404, true, true},
                                         AnswerCase{"TooManyRequestsBlocksAll", 429, false, false},
                                         AnswerCase{"ServerErrorBlocksAll", 500, false, false},
                                         AnswerCase{"UnavailableBlocksAll", 503, false, false},
                                         AnswerCase{"NoAnswerBlocksAll", std::nullopt, false, false}),
                         ::vortaxel::test::RowName());

struct UrlCase {
    std::string name;
    std::string page;
    std::string robotsUrl;
    std::string path;
};

class RobotsUrlTable : public testing::TestWithParam<UrlCase> {};

TEST_P(RobotsUrlTable, SplitsPageAddress) {
    EXPECT_EQ(RobotsUrlFor(GetParam().page), GetParam().robotsUrl);
    EXPECT_EQ(RobotsPathOf(GetParam().page), GetParam().path);
}

INSTANTIATE_TEST_SUITE_P(
    Addresses, RobotsUrlTable,
    testing::Values(UrlCase{"Plain", "http://example.com/a/b.html", "http://example.com/robots.txt", "/a/b.html"},
                    UrlCase{"HostAndSchemeFolded", "HTTP://Example.COM/A?B#C", "http://example.com/robots.txt", "/A?B"},
                    UrlCase{"DefaultPortDropped", "https://host:443/x", "https://host/robots.txt", "/x"},
                    UrlCase{"OtherPortKept", "http://127.0.0.1:8080", "http://127.0.0.1:8080/robots.txt", "/"},
                    UrlCase{"CredentialsDropped", "http://user:pw@host/x", "http://host/robots.txt", "/x"},
                    UrlCase{"QueryWithoutPath", "http://host?q=1", "http://host/robots.txt", "/?q=1"},
                    UrlCase{"FragmentOnly", "http://host#top", "http://host/robots.txt", "/"},
                    UrlCase{"Ipv6Literal", "http://[::1]:81/a", "http://[::1]:81/robots.txt", "/a"},
                    UrlCase{"RawBytesInPath", "http://host/caf\xc3\xa9 x", "http://host/robots.txt", "/caf\xc3\xa9 x"},
                    UrlCase{"NotTheWeb", "ftp://host/a", "", "/a"}, UrlCase{"NoHost", "http:///a", "", "/a"}),
    ::vortaxel::test::RowName());

} // namespace
} // namespace vortaxel::crawl
