#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace vortaxel::web {

/// A user agent a crawl may go as by name, and the token its robots.txt groups are matched for.
struct AgentPreset {
    const char* name;
    const char* userAgent;
    /// "*" matches the rules for every crawler alone.
    const char* robotsToken;
};

/// googlebot-smartphone, googlebot, bingbot and chrome, as those crawlers and that browser send them.
std::span<const AgentPreset> AgentPresets();

/// The preset called `name` exactly, if any.
std::optional<AgentPreset> AgentPresetNamed(std::string_view name);

/// The User-Agent `given` stands for: a preset's string, or `given` itself.
std::string UserAgentFor(std::string_view given);

/// The robots.txt token a crawl going as `userAgent` obeys: a preset's; for any other text the known
/// crawler token it names ("Googlebot/2.1" in it), else the program's own (empty). A crawl that merely
/// says it is another crawler still answers for itself, unless it says which one.
std::string RobotsTokenFor(std::string_view userAgent);

} // namespace vortaxel::web
