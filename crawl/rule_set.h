#pragma once

#include <optional>
#include <string_view>

namespace vortaxel::crawl {

/// Which link rules a run follows. Classic is the default.
enum class RuleSet { Classic, Browser };

/// "classic" or "browser", exactly; anything else is no rule set.
std::optional<RuleSet> ParseRuleSet(std::string_view name);

} // namespace vortaxel::crawl
