#include "cli/options.h"
#include "cli/output_escape.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace vortaxel::cli {
namespace {

using namespace std::string_literals;

struct EscapeRow {
    std::string url;
    std::string expected;
};

TEST(EscapeControlBytes, ControlBytesBecomePercentHexAndTheRestStays) {
    const std::vector<EscapeRow> rows = {
        {"http://a/b.html", "http://a/b.html"},
        {"http://a/x\ny", "http://a/x%0Ay"},
        {"http://a/\r\n", "http://a/%0D%0A"},
        {"http://a/\x1b[2J", "http://a/%1B[2J"},
        {"http://a/\x7f", "http://a/%7F"},
        {"http://a/\x1f\x20", "http://a/%1F "},
        {"http://a/\0b"s, "http://a/%00b"},
        {"http://a/caf\xc3\xa9", "http://a/caf\xc3\xa9"},
        {"http://a/\x80\xff", "http://a/%80%FF"},
        // Escapes already in a URL stay as they are: they name the same address on the wire as the raw byte.
        {"http://a/%0A", "http://a/%0A"},
        {"http://a/%20%C3%A9%", "http://a/%20%C3%A9%"},
        {"http://a/%\n", "http://a/%%0A"},
        {"", ""},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(EscapeControlBytes(row.url), row.expected) << "input: " << row.url;
    }
}

std::string Joined(const std::vector<std::string>& args) {
    std::string joined;
    for (const auto& a : args) {
        joined += "[" + a + "]";
    }
    return joined;
}

struct AcceptedRow {
    std::vector<std::string> args;
    Options expected;
};

TEST(ParseOptions, AcceptsEveryDocumentedForm) {
    const std::string caFile = std::string(VORTAXEL_TEST_SOURCE_DIR) + "/cli_units_test.cpp";
    const std::vector<AcceptedRow> rows = {
        {{"http://a/"}, {.url = "http://a/"}},
        {{"--quiet", "http://a/"}, {.url = "http://a/", .quiet = true}},
        {{"--quiet", "--quiet", "x"}, {.url = "x", .quiet = true}},
        {{"--max-pages", "3", "http://a/"}, {.url = "http://a/", .maxPages = 3}},
        {{"http://a/", "--max-pages", "3"}, {.url = "http://a/", .maxPages = 3}},
        {{"--max-pages=7", "x"}, {.url = "x", .maxPages = 7}},
        {{"--max-pages", "3", "--max-pages", "5", "x"}, {.url = "x", .maxPages = 5}},
        {{"--parallel", "8", "--keywords", "k.txt", "x"}, {.url = "x", .keywordsFile = "k.txt", .parallel = 8}},
        {{"--parallel", "64", "x"}, {.url = "x", .parallel = 64}},
        {{""}, {.url = ""}},
        {{"--", "--odd"}, {.url = "--odd"}},
        {{"--rules", "browser", "x"}, {.url = "x", .rules = RuleSet::Browser}},
        {{"--rules", "classic", "x"}, {.url = "x", .rules = RuleSet::Classic}},
        {{"--max-memory", "4M", "x"}, {.url = "x", .maxMemory = 4 * kMiB}},
        {{"--max-memory", "4194304", "x"}, {.url = "x", .maxMemory = 4 * kMiB}},
        {{"--max-memory", "8192k", "x"}, {.url = "x", .maxMemory = 8 * kMiB}},
        {{"--max-memory", "16G", "x"}, {.url = "x", .maxMemory = 16384 * kMiB}},
        {{"--report", "r.csv", "--robots", "x"}, {.url = "x", .reportFile = "r.csv", .obeyRobots = true}},
        {{"--delay", "0", "x"}, {.url = "x"}},
        {{"--delay", "3600000", "x"}, {.url = "x", .delay = kMaxDelay}},
        {{"--timeout", "1", "x"}, {.url = "x", .timeout = std::chrono::seconds(1)}},
        {{"--timeout", "3600", "x"}, {.url = "x", .timeout = kMaxTimeout}},
        {{"--ca-file", caFile, "x"}, {.url = "x", .caFile = caFile}},
        {{"--db", "c.db", "x"}, {.url = "x", .dbFile = "c.db"}},
        {{"--db", "c.db", "--resume"}, {.dbFile = "c.db", .resume = true}},
        {{"--db", "c.db", "--offline"}, {.dbFile = "c.db", .offline = true}},
        {{"--db", "new.db", "--compare", "old.db"}, {.dbFile = "new.db", .compareFile = "old.db"}},
        {{"--db", "theirs.db", "--gap", "mine.db"}, {.dbFile = "theirs.db", .gapFile = "mine.db"}},
        // A kept crawl's rules are known only once it is open: the audit options wait for it.
        {{"--db", "t.db", "--gap", "m.db", "--key-phrases"},
         {.dbFile = "t.db", .gapFile = "m.db", .audit = {.keyPhrases = true}}},
        {{"--rules", "browser", "--key-phrases", "x"},
         {.url = "x", .rules = RuleSet::Browser, .audit = {.keyPhrases = true}}},
        {{"--rules", "browser", "--keyphrases", "m.csv", "--clusters", "c.csv", "x"},
         {.url = "x",
          .rules = RuleSet::Browser,
          .audit = {.keyPhrases = true, .keyphrasesFile = "m.csv", .clustersFile = "c.csv"}}},
        {{"--rules", "browser", "--phrases", "keyphrase", "x"},
         {.url = "x",
          .rules = RuleSet::Browser,
          .audit = {.phrases = keywords::PhraseSource::KeyPhrase, .phrasesGiven = true, .keyPhrases = true}}},
    };
    for (const auto& row : rows) {
        const ParsedOptions parsed = ParseOptions(row.args);
        ASSERT_TRUE(parsed.options.has_value()) << Joined(row.args) << " " << parsed.error;
        EXPECT_TRUE(*parsed.options == row.expected) << Joined(row.args);
        EXPECT_EQ(parsed.reply, "") << Joined(row.args);
    }
}

struct RefusedRow {
    std::vector<std::string> args;
    std::string named; // the error must name this
};

TEST(ParseOptions, RefusesMalformedCommandLinesNamingTheFault) {
    const std::vector<RefusedRow> rows = {
        {{}, "URL"},
        {{"a", "b"}, "b"},
        {{"--verbose", "a"}, "--verbose"},
        {{"a", "--max-pages"}, "--max-pages"},
        {{"--max-pages", "0", "a"}, "--max-pages"},
        {{"--max-pages", "-1", "a"}, "--max-pages"},
        {{"--max-pages", "+3", "a"}, "--max-pages"},
        {{"--max-pages", " 3", "a"}, "--max-pages"},
        {{"--max-pages", "", "a"}, "--max-pages"},
        {{"--max-pages", "3x", "a"}, "--max-pages"},
        {{"--max-pages", "0x10", "a"}, "--max-pages"},
        {{"--max-pages", "99999999999999999999999", "a"}, "--max-pages"},
        {{"--parallel", "0", "x"}, "--parallel"},
        {{"--timeout", "0", "x"}, "--timeout"},
        {{"--timeout", "3601", "x"}, "--timeout"},
        {{"--timeout", "5s", "x"}, "--timeout"},
        {{"--parallel", "65", "x"}, "--parallel"},
        {{"--keywords", "", "a"}, "--keywords"},
        {{"--report", "", "a"}, "--report"},
        {{"--quiet=yes", "a"}, "quiet"},
        {{"--rules", "Browser", "a"}, "--rules"},
        {{"--rules", "", "a"}, "--rules"},
        {{"--max-memory", "4095K", "a"}, "--max-memory"},
        {{"--max-memory", "1M", "a"}, "--max-memory"},
        {{"--max-memory", "0", "a"}, "--max-memory"},
        {{"--max-memory", "4T", "a"}, "--max-memory"},
        {{"--max-memory", "G", "a"}, "--max-memory"},
        {{"--max-memory", "-4G", "a"}, "--max-memory"},
        {{"--max-memory", "17179869184G", "a"}, "--max-memory"},
        {{"--delay", "-1", "a"}, "--delay"},
        {{"--delay", "3600001", "a"}, "--delay"},
        {{"--ca-file", "/nonexistent/ca.pem", "a"}, "--ca-file"},
        {{"--ca-file", VORTAXEL_TEST_SOURCE_DIR, "a"}, "--ca-file"},
        {{"--ca-file", "", "a"}, "--ca-file"},
        {{"--db", "", "a"}, "--db"},
        {{"--resume"}, "--resume"},
        {{"--resume", "a"}, "--resume"},
        {{"--offline"}, "--offline"},
        {{"--compare", "old.db"}, "--compare"},
        {{"--db", "c.db"}, "URL"},
        {{"--db", "c.db", "--resume", "--offline"}, "--resume"},
        {{"--db", "c.db", "--resume", "--compare", "o.db"}, "--resume"},
        {{"--gap", "mine.db"}, "--gap"},
        {{"--db", "t.db", "--gap", ""}, "--gap"},
        {{"--db", "t.db", "--resume", "--gap", "m.db"}, "--resume"},
        {{"--db", "t.db", "--compare", "o.db", "--gap", "m.db"}, "--gap"},
        {{"--key-phrases", "a"}, "--key-phrases: needs --rules browser"},
        {{"--keyphrases", "m.csv", "a"}, "--keyphrases: needs --rules browser"},
        {{"--clusters", "c.csv", "a"}, "--clusters: needs --rules browser"},
        {{"--phrases", "keyphrase", "a"}, "--phrases"},
        {{"--rules", "browser", "--keyphrases", "", "a"}, "--keyphrases"},
        {{"--rules", "browser", "--clusters", "", "a"}, "--clusters"},
    };
    for (const auto& row : rows) {
        const ParsedOptions parsed = ParseOptions(row.args);
        EXPECT_FALSE(parsed.options.has_value()) << Joined(row.args);
        EXPECT_NE(parsed.error.find(row.named), std::string::npos) << Joined(row.args) << ": " << parsed.error;
        EXPECT_EQ(parsed.reply, "") << Joined(row.args);
    }
}

TEST(ParseOptions, HelpAndVersionReplyInsteadOfRunning) {
    EXPECT_EQ(ParseOptions({"--version"}).reply, "vortaxel-cli 2.00\n");
    EXPECT_EQ(ParseOptions({"http://a/", "--version"}).reply, "vortaxel-cli 2.00\n");
    for (const auto& args : std::vector<std::vector<std::string>>{{"--help"}, {"-h"}, {"--max-pages", "1", "--help"}}) {
        const ParsedOptions parsed = ParseOptions(args);
        EXPECT_FALSE(parsed.options.has_value());
        for (const char* name : {"URL", "--max-pages", "--parallel", "--keywords", "--quiet", "--rules", "--max-memory",
                                 "--report", "--robots", "--delay", "--ca-file", "--version", "--key-phrases",
                                 "--keyphrases", "--clusters", "--gap", "keyphrase", "Exit status"}) {
            EXPECT_NE(parsed.reply.find(name), std::string::npos) << Joined(args) << " lacks " << name;
        }
    }
}

} // namespace
} // namespace vortaxel::cli
