#include "net/wire_url.h"

#include <gtest/gtest.h>

namespace vortaxel::net {
namespace {

TEST(EncodeForWire, EscapesUnsafeBytesInPathAndQueryOnly) {
    struct Row {
        std::string in;
        std::string wire;
    };
    const Row rows[] = {
        {"http://example.com/", "http://example.com/"},
        {"http://example.com", "http://example.com"},
        {"http://example.com/blue widgets.html", "http://example.com/blue%20widgets.html"},
        {"http://example.com/caf\xC3\xA9.html", "http://example.com/caf%C3%A9.html"},
        {"http://example.com/\xFF\x80", "http://example.com/%FF%80"},
        {"http://example.com/a\tb\r\nc\x01\x7F", "http://example.com/a%09b%0D%0Ac%01%7F"},
        {"http://example.com/q?x=a b&y=\xC3\xA9", "http://example.com/q?x=a%20b&y=%C3%A9"},
        {"http://example.com/\"<>`", "http://example.com/%22%3C%3E%60"},
        {std::string("http://example.com/nul\0byte", 27), "http://example.com/nul%00byte"},
        // Escapes already present stay as they are: nothing is encoded twice.
        {"http://example.com/a%20b%zz", "http://example.com/a%20b%zz"},
        // The fragment never leaves the browser, blanks and all.
        {"http://example.com/page.html#two words", "http://example.com/page.html"},
        {"http://example.com/#", "http://example.com/"},
        {"http://example.com?q=1#f", "http://example.com?q=1"},
        // Host and port are not the path: they pass untouched for libcurl to judge.
        {"http://bad host:80/a b", "http://bad host:80/a%20b"},
        {"HTTPS://Example.COM:8443/A B", "HTTPS://Example.COM:8443/A%20B"},
        {"http://user:pw@example.com/x", "http://user:pw@example.com/x"},
        {"", ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.in);
        EXPECT_EQ(EncodeForWire(row.in), row.wire);
    }
}

} // namespace
} // namespace vortaxel::net
