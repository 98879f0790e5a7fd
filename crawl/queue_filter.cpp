#include "queue_filter.h"

#include "ascii.h"

#include <array>

namespace vortaxel::crawl {

bool IsUnwantedKind(std::string_view entry) {
    constexpr std::array<std::string_view, 3> kEndings = {".zip", ".pdf", ".exe"};
    constexpr std::array<std::string_view, 3> kMarkers = {"mailto:", "javascript:", "document.write"};
    for (const std::string_view ending : kEndings) {
        if (EndsWithIgnoreCase(entry, ending)) {
            return true;
        }
    }
    for (const std::string_view marker : kMarkers) {
        if (ContainsIgnoreCase(entry, marker)) {
            return true;
        }
    }
    return false;
}

bool IsOutsideSite(std::string_view entry, std::string_view startUrl) {
    return !ContainsIgnoreCase(entry, startUrl);
}

} // namespace vortaxel::crawl
