#include "queue_filter.h"

#include "ascii.h"

#include <algorithm>
#include <array>

namespace vortaxel::crawl {

namespace {

/// Ends in ".zip", ".pdf" or ".exe", any case. Every entry is tested, so the last four bytes
/// are compared as one folded word.
bool HasUnwantedEnding(std::string_view entry) {
    if (entry.size() < 4) {
        return false;
    }
    std::array<char, 4> last{};
    std::copy(entry.end() - 4, entry.end(), last.begin());
    for (char& c : last) {
        c = ToLowerAscii(c);
    }
    const std::string_view ending(last.data(), last.size());
    return ending == ".zip" || ending == ".pdf" || ending == ".exe";
}

} // namespace

bool IsUnwantedKind(std::string_view entry) {
    static const std::array<CaselessFinder, 3> kMarkers = {CaselessFinder("mailto:"), CaselessFinder("javascript:"),
                                                           CaselessFinder("document.write")};
    if (HasUnwantedEnding(entry)) {
        return true;
    }
    for (const CaselessFinder& marker : kMarkers) {
        if (marker.Next(entry, 0) != std::string_view::npos) {
            return true;
        }
    }
    return false;
}

bool IsOutsideSite(std::string_view entry, std::string_view startUrl) {
    // Most entries were joined to the start URL, so it usually stands right at the front.
    return !StartsWithIgnoreCase(entry, startUrl) && !ContainsIgnoreCase(entry, startUrl);
}

} // namespace vortaxel::crawl
