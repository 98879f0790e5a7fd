#include "web/agent_presets.h"

#include "web/ascii.h"

#include <array>

namespace vortaxel::web {

namespace {

// The crawlers' strings as their makers publish them, with the Chrome version they fill in the same as the
// browser preset's; Chrome shows only its major version since its user agent was reduced.
constexpr std::array kPresets{
    AgentPreset{"googlebot-smartphone",
                "Mozilla/5.0 (Linux; Android 6.0.1; Nexus 5X Build/MMB29P) AppleWebKit/537.36 (KHTML, like Gecko) "
                "Chrome/143.0.0.0 Mobile Safari/537.36 (compatible; Googlebot/2.1; +http://www.google.com/bot.html)",
                "Googlebot"},
    AgentPreset{"googlebot",
                "Mozilla/5.0 AppleWebKit/537.36 (KHTML, like Gecko; compatible; Googlebot/2.1; "
                "+http://www.google.com/bot.html) Chrome/143.0.0.0 Safari/537.36",
                "Googlebot"},
    AgentPreset{"bingbot",
                "Mozilla/5.0 AppleWebKit/537.36 (KHTML, like Gecko; compatible; bingbot/2.0; "
                "+http://www.bing.com/bingbot.htm) Chrome/143.0.0.0 Safari/537.36",
                "bingbot"},
    AgentPreset{"chrome",
                "Mozilla/5.0 (X11; Linux x86_64) AppleWebKit/537.36 (KHTML, like Gecko) Chrome/143.0.0.0 "
                "Safari/537.36",
                "*"},
};

/// The crawler tokens a custom string is searched for, each as robots.txt files name it.
constexpr std::array<std::string_view, 7> kKnownTokens{"Googlebot",   "bingbot",  "DuckDuckBot", "YandexBot",
                                                       "Baiduspider", "Applebot", "Slurp"};

bool IsTokenChar(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
}

} // namespace

std::span<const AgentPreset> AgentPresets() {
    return kPresets;
}

std::optional<AgentPreset> AgentPresetNamed(std::string_view name) {
    for (const AgentPreset& preset : kPresets) {
        if (name == preset.name) {
            return preset;
        }
    }
    return std::nullopt;
}

std::string UserAgentFor(std::string_view given) {
    const std::optional<AgentPreset> preset = AgentPresetNamed(given);
    return preset ? std::string(preset->userAgent) : std::string(given);
}

std::string RobotsTokenFor(std::string_view userAgent) {
    for (const AgentPreset& preset : kPresets) {
        if (userAgent == preset.userAgent) {
            return preset.robotsToken;
        }
    }
    // Whole product tokens only: "Googlebot-Image" is another crawler than Googlebot.
    for (std::size_t at = 0; at < userAgent.size();) {
        if (!IsTokenChar(userAgent[at])) {
            ++at;
            continue;
        }
        std::size_t end = at;
        while (end < userAgent.size() && IsTokenChar(userAgent[end])) {
            ++end;
        }
        const std::string_view token = userAgent.substr(at, end - at);
        for (const std::string_view known : kKnownTokens) {
            if (web::EqualsIgnoreCase(token, known)) {
                return std::string(known);
            }
        }
        at = end;
    }
    return {};
}

} // namespace vortaxel::web
