#include "crawl/link_bounds.h"

#include <algorithm>

namespace vortaxel::crawl {

namespace {

bool IsPlainPathByte(unsigned char byte) {
    return (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') || (byte >= '0' && byte <= '9') ||
           byte == '-' || byte == '_' || byte == '~';
}

/// Whether a path segment is "." or ".." in any spelling a resolver reads as one ("%2e", "%2E").
bool MayBeDotSegment(std::string_view segment) {
    std::size_t dots = 0;
    for (std::size_t i = 0; i < segment.size(); ++i) {
        if (segment[i] == '.') {
            ++dots;
        } else if (segment[i] == '%' && i + 2 < segment.size() && segment[i + 1] == '2' &&
                   (segment[i + 2] == 'e' || segment[i + 2] == 'E')) {
            ++dots;
            i += 2;
        } else {
            return false;
        }
    }
    return dots == 1 || dots == 2;
}

} // namespace

std::size_t KeptFolderBytes(std::string_view base) {
    const std::string_view path = base.substr(0, std::min(base.find('?'), base.find('#')));
    const std::size_t folderEnd = path.rfind('/');
    return folderEnd == std::string_view::npos ? 0 : folderEnd + 1;
}

bool SurelyPastLinkBound(std::size_t keptFolder, std::string_view link) {
    if (keptFolder <= kMaxResolvedLinkBytes || link.empty() || !IsPlainPathByte(link.front())) {
        return false;
    }
    const std::string_view path = link.substr(0, link.find_first_of("?#"));
    // A colon may end a scheme; blanks inside are dropped before resolving, and may join dots.
    if (path.find_first_of(":\t\n\r") != std::string_view::npos) {
        return false;
    }
    for (std::size_t start = 0; start <= path.size();) {
        const std::size_t end = std::min(path.find_first_of("/\\", start), path.size());
        if (MayBeDotSegment(path.substr(start, end - start))) {
            return false;
        }
        start = end + 1;
    }
    return true;
}

std::optional<std::string> BoundedResolver::Resolve(std::string_view link) const {
    if (SurelyPastLinkBound(keptFolder_, link)) {
        return std::nullopt;
    }
    std::optional<std::string> identity =
        base_.size() > kMaxCachedBaseBytes ? PageIdentity(base_, link) : cache_.Resolve(base_, link);
    if (identity && !IsWithinLinkBound(*identity)) {
        return std::nullopt;
    }
    return identity;
}

} // namespace vortaxel::crawl
