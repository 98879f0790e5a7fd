#pragma once

#include "crawl/page/page_address.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace vortaxel::crawl {

/// A link whose address, resolved, is longer than this is no page a crawl follows or keeps: real
/// addresses stay far below it, and a page of short links under a long `<base href>` would otherwise
/// cost the base's length once per link, in memory and in the crawl file alike.
inline constexpr std::size_t kMaxResolvedLinkBytes = std::size_t{8} * 1024;

/// Links resolved against a longer base skip the identity cache, each of whose answers would keep a
/// copy of the base for as long as it is remembered.
inline constexpr std::size_t kMaxCachedBaseBytes = std::size_t{2} * 1024;

/// A page's links recorded at most; past them, and past the page's link budget in bytes, the rest of
/// a page's links are left out of the crawl file.
inline constexpr std::size_t kMaxRecordedLinksPerPage = 100'000;

/// Whether a resolved link is within kMaxResolvedLinkBytes.
inline bool IsWithinLinkBound(std::string_view identity) {
    return identity.size() <= kMaxResolvedLinkBytes;
}

/// Bytes of `base` (a page identity) that a plain relative path keeps whole in front of it when
/// resolved against it: the base up to the last "/" of its path.
std::size_t KeptFolderBytes(std::string_view base);

/// Whether `link`, resolved against a base whose KeptFolderBytes is `keptFolder`, is sure to be past
/// kMaxResolvedLinkBytes without resolving it: a plain relative path (no scheme, no leading "/", no
/// dot segment) keeps the base's folder in front of it. Cheap, so that a page of many short links under
/// a huge base costs no more than reading them; false whenever in doubt.
bool SurelyPastLinkBound(std::size_t keptFolder, std::string_view link);

/// PageIdentity of links against one base, through `cache` while the base is short: nothing for a
/// link that names no web page or whose address is past kMaxResolvedLinkBytes. The base must outlive it.
class BoundedResolver {
public:
    BoundedResolver(PageIdentityCache& cache, std::string_view base)
        : cache_(cache), base_(base), keptFolder_(KeptFolderBytes(base)) {}

    std::optional<std::string> Resolve(std::string_view link) const;

private:
    PageIdentityCache& cache_;
    std::string_view base_;
    std::size_t keptFolder_;
};

} // namespace vortaxel::crawl
