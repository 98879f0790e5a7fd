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

namespace vortaxel::store {
namespace {

TEST(KeptIdentity, CredentialsAreKeptByNameAndTakenBackByName) {
    const KeptIdentity given{"AuditBot/1.0",
                             {"Accept-Language: de", "Authorization: Bearer s3cret", "cookie: a=b"},
                             {"session=abc", "consent=yes"},
                             "ann"};
    const KeptIdentity kept = IdentityToKeep(given);
    EXPECT_EQ(kept.userAgent, "AuditBot/1.0");
    EXPECT_EQ(kept.headers, (std::vector<std::string>{"Accept-Language: de", "Authorization", "cookie"}));
    EXPECT_EQ(kept.cookies, (std::vector<std::string>{"session", "consent"}));
    EXPECT_EQ(kept.authUser, "ann");

    const struct {
        const char* name;
        KeptIdentity now;
        std::vector<std::string> missing;
    } rows[] = {
        {"AllGivenAgain", given, {}},
        {"NamesMatchedWithoutCase",
         {"", {"AUTHORIZATION: Bearer s3cret", "Cookie: a=b"}, {"consent=yes", "session=abc"}, ""},
         {}},
        {"NoneGiven", {}, {"Authorization", "cookie", "session", "consent"}},
        // A plain header of the same name is no credential's value.
        {"OnlyAPlainHeader",
         {"", {"X-Authorization: x"}, {"session=abc", "consent=yes"}, ""},
         {"Authorization", "cookie"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        KeptIdentity restored = kept;
        EXPECT_EQ(RestoreCredentials(restored, row.now), row.missing);
        if (row.missing.empty()) {
            EXPECT_EQ(restored.cookies, given.cookies);
            EXPECT_EQ(restored.headers.size(), 3u);
            EXPECT_EQ(restored.headers[0], "Accept-Language: de");
        }
    }
}

} // namespace
} // namespace vortaxel::store
