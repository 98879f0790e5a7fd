#include "export/audit_page.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <string>

namespace vortaxel::audit {
namespace {

/// The page with its script nonce, which differs on every build, taken out.
std::string WithoutNonce(std::string page) {
    for (const std::string_view mark : {"nonce-", "nonce=\""}) {
        for (std::size_t at = page.find(mark); at != std::string::npos; at = page.find(mark, at + 1)) {
            page.erase(at + mark.size(), 32);
        }
    }
    return page;
}

/// FNV-1a: a fingerprint of a whole page that a test can hold as one number.
std::uint64_t Fingerprint(std::string_view bytes) {
    std::uint64_t hash = 14695981039346656037ULL;
    for (const char c : bytes) {
        hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ULL;
    }
    return hash;
}

AuditData SmallCrawl() {
    AuditData data;
    data.meta.startUrl = "http://s.test/";
    data.meta.rules = "browser";
    data.meta.startedAt = "2026-01-02T03:04:05Z";
    data.meta.durationMs = 65'400;
    for (int i = 0; i < 3; ++i) {
        AuditPage page;
        page.url = "http://s.test/" + std::to_string(i);
        page.finalUrl = page.url;
        page.status = i == 2 ? 404 : 200;
        page.title = "Page <" + std::to_string(i) + ">";
        page.contentType = "text/html";
        page.depth = i;
        page.elapsedMs = 100 * static_cast<std::uint64_t>(i);
        data.pages.push_back(page);
    }
    AuditLink link;
    link.source = "http://s.test/0";
    link.target = "http://s.test/2";
    link.targetStatus = 404;
    link.anchor = "gone";
    link.element = "a href";
    data.links.push_back(link);
    return data;
}

TEST(AuditPageKeywordsTest, APageWithoutKeywordsIsTheOneItWasBefore) {
    const std::string page = WithoutNonce(BuildAuditPage(SmallCrawl()));
    EXPECT_EQ(page.size(), 31699U);
    EXPECT_EQ(Fingerprint(page), 599003256312920958ULL);
}

} // namespace
} // namespace vortaxel::audit
