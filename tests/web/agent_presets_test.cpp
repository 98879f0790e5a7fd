// The user agents a crawl can go as by name, and which robots.txt token each obeys.

#include "web/agent_presets.h"

#include <gtest/gtest.h>
#include <string>

namespace vortaxel::web {
namespace {

TEST(AgentPresets, EachNameGivesItsStringAndEachStringTheTokenItsCrawlerObeys) {
    const struct {
        const char* given;
        const char* contains;
        const char* token;
    } cases[] = {
        {"googlebot-smartphone", "Mobile Safari/537.36 (compatible; Googlebot/2.1;", "Googlebot"},
        {"googlebot", "compatible; Googlebot/2.1; +http://www.google.com/bot.html", "Googlebot"},
        {"bingbot", "compatible; bingbot/2.0; +http://www.bing.com/bingbot.htm", "bingbot"},
        {"chrome", "(X11; Linux x86_64) AppleWebKit/537.36 (KHTML, like Gecko) Chrome/", "*"},
        // A string of the user's own: the crawler token it names, else the program's own.
        {"Mozilla/5.0 (compatible; Googlebot/2.1)", "Googlebot/2.1", "Googlebot"},
        {"mozilla/5.0 (compatible; BINGBOT/2.0)", "BINGBOT", "bingbot"},
        {"Googlebot-Image/1.0", "Googlebot-Image", ""},
        {"NotGooglebot/1.0", "NotGooglebot", ""},
        {"AuditBot/3 (+https://example.com/)", "AuditBot", ""},
        {"GOOGLEBOT", "GOOGLEBOT", "Googlebot"},
        {"Googlebot-smartphone", "Googlebot-smartphone", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.given);
        const std::string agent = UserAgentFor(c.given);
        EXPECT_NE(agent.find(c.contains), std::string::npos) << agent;
        EXPECT_EQ(RobotsTokenFor(agent), c.token);
    }
    for (const AgentPreset& preset : AgentPresets()) {
        EXPECT_EQ(std::string(preset.userAgent).find_first_of("\r\n"), std::string::npos) << preset.name;
    }
}

} // namespace
} // namespace vortaxel::web
