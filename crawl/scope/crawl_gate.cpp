#include "crawl/scope/crawl_gate.h"

namespace vortaxel::crawl {

CrawlGate::CrawlGate(const CrawlControls& controls, std::string_view startIdentity)
    : wide_(WideScope::For(controls.scope, startIdentity)), filter_(controls), maxDepth_(controls.maxDepth) {}

bool CrawlGate::Admit(std::string& address) const {
    filter_.StripQuery(address);
    return filter_.Admits(address);
}

bool CrawlGate::Excludes(std::string_view address) const {
    if (!filter_.HasPatterns()) {
        return false;
    }
    std::string stripped(address);
    return !Admit(stripped);
}

} // namespace vortaxel::crawl
