#include "web/url_parts.h"

#include <gtest/gtest.h>

namespace vortaxel::web {
namespace {

TEST(HasWebScheme, AcceptsOnlyHttpAndHttpsInAnyCase) {
    struct Row {
        const char* url;
        bool fetchable;
    };
    const Row rows[] = {
        {"http://example.com/", true},
        {"https://example.com/", true},
        {"HTTP://EXAMPLE.COM/", true},
        {"hTtPs://example.com/", true},
        {"file:///etc/passwd", false},
        {"ftp://example.com/", false},
        {"gopher://example.com/", false},
        {"mailto:someone@example.com", false},
        {"javascript:alert(1)", false},
        {"example.com/", false},
        {" http://example.com/", false},
        {"http:/example.com/", false},
        {"https:", false},
        {"", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.url);
        EXPECT_EQ(HasWebScheme(row.url), row.fetchable);
    }
}

} // namespace
} // namespace vortaxel::web
