#include "user_agent_presets.h"

#include <array>

namespace vortaxel::ui {
namespace {

// The strings the search engines publish for their crawlers; a site that answers bots apart tells them
// by these. The browser is a current desktop Chrome, as a site sees most of its visitors.
constexpr std::array kPresets{
    UserAgentPreset{"googlebot-smartphone", "Googlebot (smartphone)",
                    "Mozilla/5.0 (Linux; Android 6.0.1; Nexus 5X Build/MMB29P) AppleWebKit/537.36 (KHTML, like Gecko) "
                    "Chrome/131.0.6778.204 Mobile Safari/537.36 (compatible; Googlebot/2.1; "
                    "+http://www.google.com/bot.html)",
                    "Googlebot"},
    UserAgentPreset{"googlebot", "Googlebot (desktop)",
                    "Mozilla/5.0 (compatible; Googlebot/2.1; +http://www.google.com/bot.html)", "Googlebot"},
    UserAgentPreset{"bingbot", "Bingbot", "Mozilla/5.0 (compatible; bingbot/2.0; +http://www.bing.com/bingbot.htm)",
                    "bingbot"},
    UserAgentPreset{"chrome", "Chrome (desktop browser)",
                    "Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) "
                    "Chrome/131.0.0.0 Safari/537.36",
                    "*"},
};

} // namespace

std::span<const UserAgentPreset> UserAgentPresets() {
    return kPresets;
}

const UserAgentPreset* FindUserAgentPreset(std::string_view name) {
    for (const UserAgentPreset& preset : kPresets) {
        if (preset.name == name) {
            return &preset;
        }
    }
    return nullptr;
}

} // namespace vortaxel::ui
