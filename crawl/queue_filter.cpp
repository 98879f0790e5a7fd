#include "crawl/queue_filter.h"

#include "web/ascii.h"

#include <algorithm>
#include <array>
#include <bit>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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
        c = web::ToLowerAscii(c);
    }
    const std::string_view ending(last.data(), last.size());
    return ending == ".zip" || ending == ".pdf" || ending == ".exe";
}

/// Whether a marker ends with the ':' at `at`, or has its '.' there.
bool MarkerAt(std::string_view entry, std::size_t at) {
    constexpr std::string_view kMail = "mailto:";
    constexpr std::string_view kScript = "javascript:";
    constexpr std::string_view kWrite = "document.write";
    constexpr std::size_t kWriteDot = 8;
    if (entry[at] == ':') {
        const std::string_view before = entry.substr(0, at + 1);
        return web::EndsWithIgnoreCase(before, kMail) || web::EndsWithIgnoreCase(before, kScript);
    }
    return at >= kWriteDot && web::EqualsIgnoreCase(entry.substr(at - kWriteDot, kWrite.size()), kWrite);
}

/// Holds "mailto:", "javascript:" or "document.write", any case. Each marker has a ':' or a '.'
/// at a fixed place, and a URL has only a few of those, so one sweep for the two bytes finds
/// every place where a marker could stand.
bool HasUnwantedMarker(std::string_view entry) {
    std::size_t at = 0;
#if defined(__SSE2__)
    const __m128i colon = _mm_set1_epi8(':');
    const __m128i dot = _mm_set1_epi8('.');
    for (; at + 16 <= entry.size(); at += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(entry.data() + at));
        auto hits = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(bytes, colon), _mm_cmpeq_epi8(bytes, dot))));
        for (; hits != 0; hits &= hits - 1) {
            if (MarkerAt(entry, at + static_cast<std::size_t>(std::countr_zero(hits)))) {
                return true;
            }
        }
    }
#endif
    for (; at < entry.size(); ++at) {
        if ((entry[at] == ':' || entry[at] == '.') && MarkerAt(entry, at)) {
            return true;
        }
    }
    return false;
}

} // namespace

bool IsUnwantedKind(std::string_view entry) {
    return HasUnwantedEnding(entry) || HasUnwantedMarker(entry);
}

bool IsOutsideSite(std::string_view entry, std::string_view startUrl) {
    // Most entries were joined to the start URL, so it usually stands right at the front.
    return !web::StartsWithIgnoreCase(entry, startUrl) && !web::ContainsIgnoreCase(entry, startUrl);
}

} // namespace vortaxel::crawl
