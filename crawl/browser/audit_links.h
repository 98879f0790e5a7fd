#pragma once

#include "crawl/browser/browser_links.h"
#include "crawl/page/page_address.h"
#include "crawl/page/page_reader.h"

#include <string>
#include <string_view>

namespace vortaxel::crawl {

/// The address a page's links resolve against: its `<base href>` where that resolves, else the page's own.
std::string LinkBase(std::string_view pageAddress, const PageFacts& facts);

/// `link` resolved against `base` as a page identity, or as written when it names no web page
/// (mailto:, javascript:, a malformed address).
std::string ResolvedTarget(PageIdentityCache& identities, std::string_view base, std::string_view link);

/// Pages with more links than this are not resolved ahead: their identities would cost memory for as
/// long as the read waits, and such pages are rare enough to be resolved where they are used.
inline constexpr std::size_t kMaxLinksResolvedAhead = 10'000;

/// Resolves every link of `read` as found on the page at `pageAddress` (its identity, against the page's
/// base), so that whoever queues or keeps the links need not resolve them again; sets
/// `read.resolvedFor`. Leaves a page of over kMaxLinksResolvedAhead links as it is.
void ResolveLinksAhead(PageRead& read, const std::string& pageAddress, PageIdentityCache& identities);

/// Whether robots directives (meta robots, X-Robots-Tag) hold "nofollow" or "none", alone or after a
/// user agent name ("otherbot: nofollow").
bool RobotsSayNofollow(std::string_view robots);

/// Whether a rel attribute holds the token "nofollow".
bool RelSaysNofollow(std::string_view rel);

/// Whether browser rules follow a link of this kind where nofollow allows it: a/area href, frames,
/// window.open, and, as search engines do, a canonical, rel=next/prev, an alternate that names its
/// hreflang (one that names none is a feed or a print version, not a page of the site) and a meta refresh.
bool IsFollowedLinkKind(const PageLink& link);

/// Whether a link is one of the resources a page uses (see ResourceLinks).
bool IsResourceLinkKind(LinkSource source);

/// What the links file says of a link's `follow`: whether the crawl takes it as a link to follow, given
/// whether the page's directives (meta robots or X-Robots-Tag) say nofollow. Resources keep what
/// nofollow says of them, though they are requested only when asked.
bool RecordedAsFollowed(const PageLink& link, bool pageNofollow);

/// The links browser rules follow on a page: a/area href, frames, window.open, and, as search engines
/// do, its canonical, rel=next/prev, hreflang alternates and meta refresh target. None when the page's
/// meta robots or `robotsHeader` (X-Robots-Tag) say nofollow, and none marked rel=nofollow, unless
/// `followNofollow`.
PageLinks FollowedLinks(const PageRead& read, std::string_view robotsHeader, bool followNofollow);

/// The language versions a page's `Link:` headers name (`linkHeader`, see web::HeaderAlternates), followed
/// as its hreflang alternates are: none when its directives say nofollow, unless `followNofollow`. They
/// resolve against the page's address, never its `<base href>`.
PageLinks HeaderAlternateLinks(const PageRead& read, std::string_view linkHeader, std::string_view robotsHeader,
                               bool followNofollow);

/// The resources a page uses, as a browser would request them to show it: img src and srcset, link
/// rel=stylesheet and rel=icon, script src. Robots directives do not apply: they are about links.
PageLinks ResourceLinks(const PageRead& read);

} // namespace vortaxel::crawl
