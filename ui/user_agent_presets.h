#pragma once

#include <span>
#include <string_view>

namespace vortaxel::ui {

/// A user agent a crawl may say it is, with the token its robots.txt groups are matched for.
struct UserAgentPreset {
    /// The name a user picks it by, and the settings keep.
    std::string_view name;
    /// What the user sees in the list.
    std::string_view label;
    std::string_view userAgent;
    /// "*" for a browser, which no robots.txt group names: only the group for every agent applies.
    std::string_view robotsToken;
};

/// The presets besides the program's own agent, in the order they are offered.
std::span<const UserAgentPreset> UserAgentPresets();

/// The preset named `name`, or none.
const UserAgentPreset* FindUserAgentPreset(std::string_view name);

} // namespace vortaxel::ui
