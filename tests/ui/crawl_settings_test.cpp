// The Crawl Settings as values: which are refused and why, how they are remembered, and what a run and
// its kept crawl take from them.

#include "crawl/scope/address_pattern.h"
#include "fake_desktop.h"
#include "ui/crawl_settings.h"
#include "ui/crawl_settings_run.h"
#include "ui/user_agent_presets.h"

#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace vortaxel::ui::test {
namespace {

using Field = CrawlSettingsField;

TEST(CrawlSettingsProblemsTest, EachBadValueIsMarkedInItsFieldWithItsReason) {
    const std::string nul("X-A: b\0c", 8);
    const struct {
        const char* name;
        std::function<void(CrawlSettingsValues&)> set;
        std::vector<CrawlSettingsProblem> expected;
    } rows[] = {
        {"nothing set", [](CrawlSettingsValues&) {}, {}},
        {"an include RE2 refuses, with RE2's own words",
         [](CrawlSettingsValues& v) {
             v.include = {"/blog/", "("};
         },
         {{Field::Include, "The include pattern \"(\" is refused: " + crawl::AddressPatternError("("), true}}},
        {"an exclude RE2 refuses",
         [](CrawlSettingsValues& v) { v.exclude = {"[a-"}; },
         {{Field::Exclude, "The exclude pattern \"[a-\" is refused: " + crawl::AddressPatternError("[a-"), true}}},
        {"a pattern that backtracks exponentially elsewhere is fine for RE2",
         [](CrawlSettingsValues& v) {
             v.exclude = {"(a+)+$", "\\?color="};
         },
         {}},
        {"a parameter prefix, a name and a lone star",
         [](CrawlSettingsValues& v) {
             v.stripQuery = {"utm_*", "sessionid", "*"};
         },
         {}},
        {"a star inside a parameter, and an ampersand",
         [](CrawlSettingsValues& v) {
             v.stripQuery = {"utm*x", "a&b"};
         },
         {{Field::StripQuery, "The parameter \"utm*x\" has a \"*\" before its end: only a prefix ends in one", true},
          {Field::StripQuery, "The parameter \"a&b\" holds a character no parameter name may", true}}},
        {"a custom agent left empty",
         [](CrawlSettingsValues& v) { v.userAgent = kCustomUserAgent; },
         {{Field::UserAgent, "The custom user agent is empty", true}}},
        {"a header without a colon, one with a CR, one with a NUL, one with a space in its name",
         [&nul](CrawlSettingsValues& v) {
             v.headers = {"X-Test value", "X-A: b\rc", nul, "Bad Name: v", "X-Ok: 1"};
         },
         {{Field::Headers, "The header \"X-Test value\" has no colon: write one \"Name: value\" a line", true},
          {Field::Headers, "The header \"X-A: b\rc\" holds a line break or a NUL, which would end it early", true},
          {Field::Headers, "The header \"" + nul + "\" holds a line break or a NUL, which would end it early", true},
          {Field::Headers, "The header name \"Bad Name\" holds a character no header name may", true}}},
        {"a header with no name",
         [](CrawlSettingsValues& v) { v.headers = {": v"}; },
         {{Field::Headers, "The header \": v\" has no name before its colon", true}}},
        {"a login user with a colon",
         [](CrawlSettingsValues& v) { v.loginUser = "ann:pw"; },
         {{Field::LoginUser, "The login's user holds a \":\", which no HTTP login's user may", true}}},
        {"cookies without a name, and two on one line",
         [](CrawlSettingsValues& v) {
             v.cookies = {"sid", "=1", "a=1; b=2", "ok=1"};
         },
         {{Field::Cookies, "The cookie \"sid\" is no \"name=value\"", true},
          {Field::Cookies, "The cookie \"=1\" is no \"name=value\"", true},
          {Field::Cookies, "The cookie \"a=1; b=2\" holds a \";\": write one cookie a line", true}}},
        {"list mode with only a comment and a line that is no address",
         [](CrawlSettingsValues& v) {
             v.listMode = true;
             v.listed = {"# from the migration sheet", "old-page.html"};
         },
         {{Field::Listed, "\"old-page.html\" is no web address and is passed over", false},
          {Field::Listed, "List mode needs at least one web address to audit", true}}},
        {"list mode with an address beside a bad line: the bad line only noted",
         [](CrawlSettingsValues& v) {
             v.listMode = true;
             v.listed = {"https://example.com/a", "ftp://example.com/b"};
         },
         {{Field::Listed, "\"ftp://example.com/b\" is no web address and is passed over", false}}},
        {"a list left when list mode is off is not looked at",
         [](CrawlSettingsValues& v) { v.listed = {"nonsense"}; },
         {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        CrawlSettingsValues values;
        row.set(values);
        EXPECT_EQ(ProblemsOf(values), row.expected);
    }
}

TEST(CrawlSettingsLinesTest, LinesAreTrimmedAndBlankOnesLeftOut) {
    EXPECT_EQ(LinesOf(""), std::vector<std::string>{});
    EXPECT_EQ(LinesOf("\n \n\t\n"), std::vector<std::string>{});
    EXPECT_EQ(LinesOf("  a \r\n\nb\t\nc"), (std::vector<std::string>{"a", "b", "c"}));
    // A CR inside a line stays, for the header check to refuse.
    EXPECT_EQ(LinesOf("X: a\rb\n"), (std::vector<std::string>{"X: a\rb"}));
}

CrawlSettingsValues EverySet() {
    CrawlSettingsValues values;
    values.scope = crawl::CrawlScope::Subdomains;
    values.include = {"/blog/", "/news/"};
    values.exclude = {"\\?color="};
    values.maxDepth = 0;
    values.stripQuery = {"utm_*", "sid"};
    values.userAgent = kCustomUserAgent;
    values.customUserAgent = "AuditBot/1.0 (ünïcode)";
    values.headers = {"X-Staging: yes", "Accept-Language: de"};
    values.loginUser = "ann";
    values.cookies = {"session=abc"};
    values.listMode = true;
    values.listed = {"# sheet", "https://example.com/a", "https://example.com/b"};
    return values;
}

TEST(CrawlSettingsRememberedTest, ValuesReadBackAsRememberedAndStrangeOnesAsTheDefaults) {
    FakeDesktop desktop;
    services::PlatformServices services = desktop;
    EXPECT_EQ(ReadCrawlSettings(services.settings), CrawlSettingsValues{}) << "the defaults on first start";
    RememberCrawlSettings(services.settings, EverySet());
    EXPECT_EQ(ReadCrawlSettings(services.settings), EverySet());
    for (const std::string depth : {"", "0", "7"}) {
        CrawlSettingsValues values;
        values.maxDepth = depth.empty() ? std::nullopt : std::optional<std::size_t>(std::stoul(depth));
        RememberCrawlSettings(services.settings, values);
        EXPECT_EQ(ReadCrawlSettings(services.settings).maxDepth, values.maxDepth) << depth;
    }

    const struct {
        const char* key;
        const char* stored;
    } strange[] = {
        {"Scope", "galaxy"}, {"MaxDepth", "-3"}, {"MaxDepth", "7x"}, {"UserAgent", "netscape"}, {"ListMode", "yes"}};
    for (const auto& [key, stored] : strange) {
        SCOPED_TRACE(key);
        RememberCrawlSettings(services.settings, {});
        services.settings.Write({"Vortaxel", "CrawlSettings", key}, stored);
        EXPECT_EQ(ReadCrawlSettings(services.settings), CrawlSettingsValues{});
    }
}

TEST(CrawlSettingsControlsTest, PresetsResolveToTheirStringAndRobotsToken) {
    const struct {
        const char* userAgent;
        const char* custom;
        std::string sent;
        std::string robots;
    } rows[] = {
        {"", "", "", ""},
        {"googlebot-smartphone", "", std::string(FindUserAgentPreset("googlebot-smartphone")->userAgent), "Googlebot"},
        {"googlebot", "", std::string(FindUserAgentPreset("googlebot")->userAgent), "Googlebot"},
        {"bingbot", "", std::string(FindUserAgentPreset("bingbot")->userAgent), "bingbot"},
        {"chrome", "", std::string(FindUserAgentPreset("chrome")->userAgent), "*"},
        {kCustomUserAgent, "AuditBot/1.0", "AuditBot/1.0", ""},
        // A custom agent that names a crawler obeys that crawler's rules, as on the command line.
        {kCustomUserAgent, "Mozilla/5.0 (compatible; bingbot/2.0)", "Mozilla/5.0 (compatible; bingbot/2.0)", "bingbot"},
        // Text in the custom field counts only when Custom is chosen.
        {"", "AuditBot/1.0", "", ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.userAgent);
        CrawlSettingsValues values;
        values.userAgent = row.userAgent;
        values.customUserAgent = row.custom;
        const store::KeptControls kept = ControlsOf(values);
        EXPECT_EQ(kept.identity.userAgent, row.sent);
        EXPECT_EQ(kept.controls.robotsAgent, row.robots);
    }
    EXPECT_TRUE(FindUserAgentPreset("googlebot-smartphone")->userAgent.find("Googlebot/2.1") != std::string::npos);
    EXPECT_TRUE(FindUserAgentPreset("bingbot")->userAgent.find("bingbot/2.0") != std::string::npos);
}

TEST(CrawlSettingsControlsTest, EveryValueReachesTheControlsAndIdentity) {
    const store::KeptControls kept = ControlsOf(EverySet());
    EXPECT_EQ(kept.controls.scope, crawl::CrawlScope::Subdomains);
    EXPECT_EQ(kept.controls.include, EverySet().include);
    EXPECT_EQ(kept.controls.exclude, EverySet().exclude);
    EXPECT_EQ(kept.controls.maxDepth, std::optional<std::size_t>(0));
    EXPECT_EQ(kept.controls.stripQuery, EverySet().stripQuery);
    EXPECT_TRUE(kept.controls.listMode);
    EXPECT_EQ(kept.controls.listed, (std::vector<std::string>{"https://example.com/a", "https://example.com/b"}))
        << "comments left out";
    EXPECT_EQ(kept.identity.headers, EverySet().headers);
    EXPECT_EQ(kept.identity.cookies, EverySet().cookies);
    EXPECT_EQ(kept.identity.authUser, "ann");

    CrawlSettingsValues notListing = EverySet();
    notListing.listMode = false;
    EXPECT_TRUE(ControlsOf(notListing).controls.listed.empty()) << "a list kept for later is no list to audit";
    EXPECT_EQ(ControlsOf(CrawlSettingsValues{}).controls, crawl::CrawlControls{});
    EXPECT_EQ(ControlsOf(CrawlSettingsValues{}).identity, store::KeptIdentity{});
}

TEST(CrawlSettingsRunTest, TheLoginAndCookiesGoToTheStartAddressesOriginAlone) {
    const store::KeptControls kept = ControlsOf(EverySet());
    app::RunSetup setup;
    setup.fetch.caFile = "/etc/own-ca.pem";
    ApplyCrawlSettings(kept.controls, kept.identity, "https://Staging.Example.com:443/shop/", "pw", setup);
    EXPECT_EQ(setup.limits.controls, kept.controls);
    EXPECT_EQ(setup.fetch.userAgent, "AuditBot/1.0 (ünïcode)");
    EXPECT_EQ(setup.fetch.headers, EverySet().headers);
    ASSERT_TRUE(setup.fetch.httpLogin.has_value());
    EXPECT_EQ(*setup.fetch.httpLogin, (net::HttpLogin{"https://staging.example.com", "ann", "pw"}));
    EXPECT_EQ(setup.fetch.cookies, EverySet().cookies);
    EXPECT_EQ(setup.fetch.cookieOrigin, "https://staging.example.com");
    EXPECT_EQ(setup.fetch.caFile, "/etc/own-ca.pem") << "the window's own fetch options stay";

    // Without any, the setup fetches exactly as it did.
    app::RunSetup plain;
    ApplyCrawlSettings({}, {}, "http://example.com/", "", plain);
    const net::FetchOptions defaults;
    EXPECT_EQ(plain.limits.controls, crawl::CrawlControls{});
    EXPECT_EQ(plain.fetch.userAgent, defaults.userAgent);
    EXPECT_TRUE(plain.fetch.headers.empty());
    EXPECT_FALSE(plain.fetch.httpLogin.has_value());
    EXPECT_TRUE(plain.fetch.cookies.empty());
    EXPECT_TRUE(plain.fetch.cookieOrigin.empty());
}

} // namespace
} // namespace vortaxel::ui::test
