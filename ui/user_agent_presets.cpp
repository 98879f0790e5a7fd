#include "user_agent_presets.h"

#include "web/agent_presets.h"

#include <array>
#include <utility>
#include <vector>

namespace vortaxel::ui {
namespace {

// What a user sees in the list for each of the command line's presets, whose strings and robots.txt tokens
// are the ones the window sends and obeys too.
constexpr std::array<std::pair<std::string_view, std::string_view>, 4> kLabels{{
    {"googlebot-smartphone", "Googlebot (smartphone)"},
    {"googlebot", "Googlebot (desktop)"},
    {"bingbot", "Bingbot"},
    {"chrome", "Chrome (desktop browser)"},
}};

std::vector<UserAgentPreset> MakePresets() {
    std::vector<UserAgentPreset> presets;
    for (const web::AgentPreset& preset : web::AgentPresets()) {
        std::string_view label = preset.name;
        for (const auto& [name, text] : kLabels) {
            if (name == preset.name) {
                label = text;
            }
        }
        presets.push_back({preset.name, label, preset.userAgent, preset.robotsToken});
    }
    return presets;
}

const std::vector<UserAgentPreset>& Presets() {
    static const std::vector<UserAgentPreset> presets = MakePresets();
    return presets;
}

} // namespace

std::span<const UserAgentPreset> UserAgentPresets() {
    return Presets();
}

const UserAgentPreset* FindUserAgentPreset(std::string_view name) {
    for (const UserAgentPreset& preset : Presets()) {
        if (preset.name == name) {
            return &preset;
        }
    }
    return nullptr;
}

} // namespace vortaxel::ui
