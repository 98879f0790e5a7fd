#include "crawl/browser/audit_links.h"

#include "crawl/page/page_address.h"
#include "web/ascii.h"
#include "web/link_header.h"

namespace vortaxel::crawl {

namespace {

/// Calls `visit` with each token of `text` split at any of `separators`, trimmed, until it returns true.
template <typename Visit> bool AnyToken(std::string_view text, std::string_view separators, Visit visit) {
    while (!text.empty()) {
        const std::size_t cut = text.find_first_of(separators);
        if (visit(web::TrimHtmlSpace(text.substr(0, cut)))) {
            return true;
        }
        if (cut == std::string_view::npos) {
            break;
        }
        text.remove_prefix(cut + 1);
    }
    return false;
}

void Add(PageLinks& page, const PageRead& read, const PageLink& link) {
    page.links.push_back(link.target);
    if (!read.resolvedFor.empty()) {
        page.identities.push_back(link.identity ? &*link.identity : nullptr);
    }
}

} // namespace

std::string LinkBase(std::string_view pageAddress, const PageFacts& facts) {
    return facts.baseHref ? LinkBaseOf(pageAddress, *facts.baseHref) : std::string(pageAddress);
}

std::string ResolvedTarget(PageIdentityCache& identities, std::string_view base, std::string_view link) {
    auto resolved = identities.Resolve(base, link);
    return resolved ? std::move(*resolved) : std::string(link);
}

void ResolveLinksAhead(PageRead& read, const std::string& pageAddress, PageIdentityCache& identities) {
    if (read.links.size() > kMaxLinksResolvedAhead) {
        return;
    }
    const std::string base = LinkBase(pageAddress, read.facts);
    for (PageLink& link : read.links) {
        link.identity = identities.Resolve(base, link.target);
    }
    read.resolvedFor = pageAddress;
}

bool RobotsSayNofollow(std::string_view robots) {
    return AnyToken(robots, ",", [](std::string_view directive) {
        // "otherbot: nofollow" names a crawler; the directive is what follows its colon.
        if (const std::size_t colon = directive.find(':'); colon != std::string_view::npos) {
            directive = web::TrimHtmlSpace(directive.substr(colon + 1));
        }
        return web::EqualsIgnoreCase(directive, "nofollow") || web::EqualsIgnoreCase(directive, "none");
    });
}

bool RelSaysNofollow(std::string_view rel) {
    return AnyToken(rel, " \t\n\r\f", [](std::string_view token) { return web::EqualsIgnoreCase(token, "nofollow"); });
}

bool IsFollowedLinkKind(const PageLink& link) {
    const bool alternate = link.source == LinkSource::LinkAlternate && !link.hreflang.empty();
    return IsBrowserRuleLink(link.source) || alternate || link.source == LinkSource::LinkCanonical ||
           link.source == LinkSource::LinkNext || link.source == LinkSource::LinkPrev ||
           link.source == LinkSource::MetaRefresh;
}

bool IsResourceLinkKind(LinkSource source) {
    return source == LinkSource::Img || source == LinkSource::ImgSrcset || source == LinkSource::LinkStylesheet ||
           source == LinkSource::LinkIcon || source == LinkSource::Script;
}

bool RecordedAsFollowed(const PageLink& link, bool pageNofollow) {
    return !pageNofollow && !RelSaysNofollow(link.rel) && (IsFollowedLinkKind(link) || IsResourceLinkKind(link.source));
}

PageLinks FollowedLinks(const PageRead& read, std::string_view robotsHeader, bool followNofollow) {
    PageLinks page;
    page.baseHref = read.facts.baseHref;
    page.resolvedFor = read.resolvedFor;
    if (!followNofollow && (RobotsSayNofollow(read.facts.metaRobots) || RobotsSayNofollow(robotsHeader))) {
        return page;
    }
    for (const PageLink& link : read.links) {
        if (IsFollowedLinkKind(link) && (followNofollow || !RelSaysNofollow(link.rel)) &&
            page.links.size() < kMaxLinksPerPage) {
            Add(page, read, link);
        }
    }
    return page;
}

PageLinks HeaderAlternateLinks(const PageRead& read, std::string_view linkHeader, std::string_view robotsHeader,
                               bool followNofollow) {
    PageLinks page;
    if (!followNofollow && (RobotsSayNofollow(read.facts.metaRobots) || RobotsSayNofollow(robotsHeader))) {
        return page;
    }
    for (web::HeaderAlternate& alternate : web::HeaderAlternates(linkHeader)) {
        page.links.push_back(std::move(alternate.target));
    }
    return page;
}

PageLinks ResourceLinks(const PageRead& read) {
    PageLinks page;
    page.baseHref = read.facts.baseHref;
    page.resolvedFor = read.resolvedFor;
    for (const PageLink& link : read.links) {
        if (IsResourceLinkKind(link.source) && page.links.size() < kMaxLinksPerPage) {
            Add(page, read, link);
        }
    }
    return page;
}

} // namespace vortaxel::crawl
