#include "web/html_type.h"

#include <gtest/gtest.h>

namespace vortaxel::web {
namespace {

TEST(HtmlType, HtmlIsKnownByItsMediaTypeAlone) {
    const struct {
        const char* type;
        bool html;
    } rows[] = {
        {"text/html", true},
        {"TEXT/HTML; charset=UTF-8", true},
        {" text/html ;charset=iso-8859-1", true},
        {"application/xhtml+xml", true},
        {"Application/XHTML+XML; q=1", true},
        {"", false},
        {"text/plain", false},
        {"text/htmlx", false},
        {"application/pdf; text/html", false},
        {"image/png", false},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(IsHtmlType(row.type), row.html) << row.type;
    }
}

} // namespace
} // namespace vortaxel::web
