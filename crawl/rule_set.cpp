#include "crawl/rule_set.h"

namespace vortaxel::crawl {

std::optional<RuleSet> ParseRuleSet(std::string_view name) {
    if (name == "classic") {
        return RuleSet::Classic;
    }
    if (name == "browser") {
        return RuleSet::Browser;
    }
    return std::nullopt;
}

} // namespace vortaxel::crawl
