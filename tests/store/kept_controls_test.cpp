#include "store/kept_controls.h"

#include <gtest/gtest.h>

namespace vortaxel::store {
namespace {

KeptControls EveryControl() {
    KeptControls kept;
    kept.controls.scope = crawl::CrawlScope::Subdomains;
    kept.controls.include = {"^https://example\\.com/blog/", "/docs/"};
    kept.controls.exclude = {"\\?color="};
    kept.controls.maxDepth = 0;
    kept.controls.stripQuery = {"utm_*", "sessionid"};
    kept.controls.robotsAgent = "Googlebot";
    kept.controls.listMode = true;
    kept.controls.listed = {"https://example.com/a", "https://example.com/b?x=\"1\""};
    kept.controls.listFromSitemaps = true;
    kept.controls.checkExternal = true;
    kept.identity.userAgent = "Mozilla/5.0 (compatible; Googlebot/2.1)";
    kept.identity.headers = {"Accept-Language: de"};
    kept.identity.cookies = {"consent=yes"};
    kept.identity.authUser = "stage";
    return kept;
}

TEST(KeptControls, ReadBackAsWritten) {
    for (const KeptControls& kept : {KeptControls{}, EveryControl()}) {
        const std::optional<std::string> text = KeptControlsText(kept);
        ASSERT_TRUE(text);
        const std::optional<KeptControls> read = ParseKeptControls(*text);
        ASSERT_TRUE(read) << *text;
        EXPECT_EQ(read->controls, kept.controls) << *text;
        EXPECT_EQ(read->identity, kept.identity) << *text;
    }
    EXPECT_EQ(KeptControlsText({}), "{}");
}

TEST(KeptControls, RefusesWhatNoRunWrites) {
    for (const char* text : {"", "[]", "null", "{\"scope\":\"planet\"}", "{\"scope\":3}", "{\"max_depth\":-1}",
                             "{\"max_depth\":\"2\"}", "{\"include\":\"a\"}", "{\"include\":[1]}", "{\"list_mode\":1}",
                             "{\"auth_user\":[]}", "{\"headers\":[\"a\",null]}", "{"}) {
        EXPECT_FALSE(ParseKeptControls(text)) << text;
    }
    // A later release may keep more; what this one knows still reads.
    const std::optional<KeptControls> later = ParseKeptControls("{\"render\":true,\"scope\":\"domain\"}");
    ASSERT_TRUE(later);
    EXPECT_EQ(later->controls.scope, crawl::CrawlScope::Domain);
}

TEST(KeptControls, TextThatIsNoUtf8IsNotKept) {
    KeptControls kept;
    kept.controls.exclude = {"caf\xe9"};
    EXPECT_FALSE(KeptControlsText(kept));
}

} // namespace
} // namespace vortaxel::store
