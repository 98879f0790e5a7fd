#include "audit_data.h"

#include "web/ascii.h"

#include <array>

namespace vortaxel::audit {

std::string_view IndexabilityText(Indexability value) {
    static constexpr std::array<std::string_view, kIndexabilityCount> kTexts = {
        "indexable", "noindex", "canonicalised", "redirect", "client error", "server error", "blocked by robots.txt",
        "not html",  "failed",
    };
    return kTexts.at(static_cast<std::size_t>(value));
}

std::string RedirectChainText(const std::vector<RedirectHop>& chain) {
    std::string text;
    for (const RedirectHop& hop : chain) {
        if (!text.empty()) {
            text += " -> ";
        }
        text += std::to_string(hop.code);
        text += ' ';
        text += hop.url;
    }
    return text;
}

bool IsBrokenLink(const AuditLink& link) {
    return !link.targetBlocked && !link.targetExcluded &&
           (!link.targetError.empty() || (link.targetStatus && *link.targetStatus >= 400));
}

bool IsImageWithoutAlt(const AuditLink& link) {
    return link.element == "img src" && link.anchor.empty();
}

bool IsBlockedLink(const AuditLink& link) {
    return link.targetBlocked;
}

bool IsWebAddress(std::string_view address) {
    for (const std::string_view scheme : {std::string_view("http://"), std::string_view("https://")}) {
        if (address.size() > scheme.size() && web::EqualsIgnoreCase(address.substr(0, scheme.size()), scheme)) {
            return true;
        }
    }
    return false;
}

void BrokenLinkTally::Add(const AuditLink& link) {
    ++links;
    targets.insert(link.target);
    sources.insert(link.source);
}

bool RobotsSayNoindex(std::string_view robots) {
    std::size_t i = 0;
    while (i < robots.size()) {
        const std::size_t end = robots.find_first_of(", \t\r\n;", i);
        std::string_view token = robots.substr(i, end == std::string_view::npos ? std::string_view::npos : end - i);
        // "otherbot:noindex" names the directive after the agent; "otherbot: noindex" splits at the blank.
        if (const std::size_t colon = token.rfind(':'); colon != std::string_view::npos) {
            token.remove_prefix(colon + 1);
        }
        if (web::EqualsIgnoreCase(token, "noindex") || web::EqualsIgnoreCase(token, "none")) {
            return true;
        }
        if (end == std::string_view::npos) {
            break;
        }
        i = end + 1;
    }
    return false;
}

Indexability DecideIndexability(const IndexabilityFacts& facts) {
    if (facts.blocked) {
        return Indexability::BlockedByRobots;
    }
    if (facts.failed || !facts.status) {
        return Indexability::Failed;
    }
    const int status = *facts.status;
    if (facts.redirected || (status >= 300 && status < 400)) {
        return Indexability::Redirect;
    }
    if (status >= 400 && status < 500) {
        return Indexability::ClientError;
    }
    if (status >= 500) {
        return Indexability::ServerError;
    }
    if (status < 200) {
        return Indexability::Failed;
    }
    if (!facts.html) {
        return Indexability::NotHtml;
    }
    if (RobotsSayNoindex(facts.robots)) {
        return Indexability::Noindex;
    }
    if (IsWebAddress(facts.canonical) && facts.canonical != facts.url) {
        return Indexability::Canonicalised;
    }
    return Indexability::Indexable;
}

} // namespace vortaxel::audit
