// Any bytes as a robots.txt file: it parses without fault, /robots.txt itself is never forbidden, and an
// address's answer does not depend on whether another was asked first.

#include "crawl/robots/robots_rules.h"
#include "fuzz_check.h"

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<char> input(data, data + size);
    const std::string_view body(input.data(), input.size());
    const vortaxel::crawl::RobotsRules rules = vortaxel::crawl::RobotsRules::Parse(body, vortaxel::crawl::kRobotsAgent);

    VORTAXEL_FUZZ_CHECK(rules.Allows("/robots.txt"));
    // Paths made of the file's own bytes meet its rules most often.
    const std::string_view path = body.substr(0, body.find('\n')).substr(0, 256);
    const bool first = rules.Allows(path);
    VORTAXEL_FUZZ_CHECK(rules.Allows("/") == rules.Allows("/"));
    VORTAXEL_FUZZ_CHECK(rules.Allows(path) == first);
    if (const auto delay = rules.CrawlDelaySeconds()) {
        VORTAXEL_FUZZ_CHECK(*delay >= 0);
    }
    return 0;
}
