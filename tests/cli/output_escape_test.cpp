#include "cli/output_escape.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace vortaxel::cli {
namespace {

struct C1Row {
    const char* why;
    std::string tail;
    std::string expected;
};

TEST(EscapeControlBytes, C1ControlsAndBytesOutsideWellFormedUtf8BecomePercentHex) {
    const std::vector<C1Row> rows = {
        {"U+0080, first C1", "\xc2\x80", "%C2%80"},
        {"U+009B, control sequence introducer", "\xc2\x9b[31m", "%C2%9B[31m"},
        {"U+009F, last C1", "\xc2\x9f", "%C2%9F"},
        {"U+00A0, first after C1", "\xc2\xa0", "\xc2\xa0"},
        {"raw 0x9B", "\x9b[2J", "%9B[2J"},
        {"lead at the end", "x\xc2", "x%C2"},
        {"lead before ASCII", "\xc2/", "%C2/"},
        {"truncated three-byte", "\xe2\x82/", "%E2%82/"},
        {"overlong two-byte", "\xc0\xaf\xc1\x81", "%C0%AF%C1%81"},
        {"overlong three-byte C1", "\xe0\x82\x9b", "%E0%82%9B"},
        {"surrogate", "\xed\xa0\x80", "%ED%A0%80"},
        {"U+D7FF, last before surrogates", "\xed\x9f\xbf", "\xed\x9f\xbf"},
        {"U+10FFFF", "\xf4\x8f\xbf\xbf", "\xf4\x8f\xbf\xbf"},
        {"past U+10FFFF", "\xf4\x90\x80\x80", "%F4%90%80%80"},
        {"never a lead", "\xf5\xff", "%F5%FF"},
        {"euro sign and emoji", "\xe2\x82\xac\xf0\x9f\x98\x80", "\xe2\x82\xac\xf0\x9f\x98\x80"},
        {"escape already in the URL", "%C2%9B", "%C2%9B"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(EscapeControlBytes("http://a/" + row.tail), "http://a/" + row.expected) << row.why;
    }
}

} // namespace
} // namespace vortaxel::cli
