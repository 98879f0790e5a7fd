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

TEST(HtmlType, AReplyIsAPageWhenWholeSuccessfulAndHtml) {
    const struct {
        const char* name;
        bool ok;
        bool bodySkipped;
        long status;
        const char* type;
        const char* body;
        bool page;
    } rows[] = {
        {"html", true, false, 200, "text/html", "", true},
        {"last success status", true, false, 299, "text/html; charset=utf-8", "", true},
        {"redirect", true, false, 301, "text/html", "<html>", false},
        {"missing", true, false, 404, "text/html", "<html>", false},
        {"no status", true, false, 0, "text/html", "<html>", false},
        {"failed", false, false, 200, "text/html", "<html>", false},
        {"body left unread", true, true, 200, "text/html", "<html>", false},
        {"no type, html bytes", true, false, 200, "", "  <!DOCTYPE html><p>", true},
        {"no type, other bytes", true, false, 200, "", "%PDF-1.4", false},
        {"typed otherwise, html bytes", true, false, 200, "text/plain", "<html>", false},
    };
    for (const auto& row : rows) {
        FetchResult reply;
        reply.ok = row.ok;
        reply.bodySkipped = row.bodySkipped;
        reply.status = row.status;
        reply.contentType = row.type;
        EXPECT_EQ(IsPageReply(reply, row.body), row.page) << row.name;
    }
}

} // namespace
} // namespace vortaxel::web
