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

struct OptionsRow {
    std::vector<std::string> args;
    bool ok;
    std::string url;
    std::size_t maxPages; // 0: not given
    std::size_t parallel;
    bool quiet;
    std::string keywords;
};

TEST(ParseOptions, AcceptsTheDocumentedFormsAndRejectsTheRest) {
    const std::vector<OptionsRow> rows = {
        {{"http://a/"}, true, "http://a/", 0, 1, false, ""},
        {{"--quiet", "http://a/"}, true, "http://a/", 0, 1, true, ""},
        {{"--max-pages", "3", "http://a/"}, true, "http://a/", 3, 1, false, ""},
        {{"http://a/", "--max-pages", "3"}, true, "http://a/", 3, 1, false, ""},
        {{"--parallel", "8", "--keywords", "k.txt", "x"}, true, "x", 0, 8, false, "k.txt"},
        {{"--parallel", "64", "x"}, true, "x", 0, 64, false, ""},
        {{"--parallel", "65", "x"}, false, "", 0, 1, false, ""},
        {{"--parallel", "0", "x"}, false, "", 0, 1, false, ""},
        {{""}, true, "", 0, 1, false, ""},
        {{"--", "--odd"}, true, "--odd", 0, 1, false, ""},
        {{}, false, "", 0, 1, false, ""},
        {{"a", "b"}, false, "", 0, 1, false, ""},
        {{"--max-pages", "0", "a"}, false, "", 0, 1, false, ""},
        {{"--max-pages", "-1", "a"}, false, "", 0, 1, false, ""},
        {{"--max-pages", "3x", "a"}, false, "", 0, 1, false, ""},
        {{"--max-pages", "99999999999999999999999", "a"}, false, "", 0, 1, false, ""},
        {{"a", "--max-pages"}, false, "", 0, 1, false, ""},
        {{"--keywords", "", "a"}, false, "", 0, 1, false, ""},
        {{"--verbose", "a"}, false, "", 0, 1, false, ""},
    };
    for (const auto& row : rows) {
        const ParsedOptions parsed = ParseOptions(row.args);
        std::string joined;
        for (const auto& a : row.args) {
            joined += "[" + a + "]";
        }
        ASSERT_EQ(parsed.options.has_value(), row.ok) << joined << " " << parsed.error;
        if (!row.ok) {
            EXPECT_FALSE(parsed.error.empty()) << joined;
            continue;
        }
        const Options& o = *parsed.options;
        EXPECT_EQ(o.url, row.url) << joined;
        EXPECT_EQ(o.maxPages.value_or(0), row.maxPages) << joined;
        EXPECT_EQ(o.parallel, row.parallel) << joined;
        EXPECT_EQ(o.quiet, row.quiet) << joined;
        EXPECT_EQ(o.keywordsFile.value_or(""), row.keywords) << joined;
    }
}

} // namespace
} // namespace vortaxel::cli
