#include "web/html_type.h"

#include "web/ascii.h"

#include <array>

namespace vortaxel::web {

bool IsHtmlType(std::string_view contentType) {
    const std::string_view type = TrimBlanks(contentType.substr(0, contentType.find(';')));
    return EqualsIgnoreCase(type, "text/html") || EqualsIgnoreCase(type, "application/xhtml+xml");
}

bool LooksLikeHtml(std::string_view body) {
    // The HTML patterns of the MIME sniffing standard, in its order.
    constexpr auto kTags = std::to_array<std::string_view>({"<!doctype html", "<html", "<head", "<script", "<iframe",
                                                            "<h1", "<div", "<font", "<table", "<a", "<style", "<title",
                                                            "<b", "<body", "<br", "<p", "<!--"});
    constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
    if (body.starts_with(kUtf8Bom)) {
        body.remove_prefix(kUtf8Bom.size());
    }
    const std::size_t start = body.find_first_not_of(" \t\n\f\r");
    if (start == std::string_view::npos) {
        return false;
    }
    body.remove_prefix(start);
    for (const std::string_view tag : kTags) {
        if (!StartsWithIgnoreCase(body, tag)) {
            continue;
        }
        if (tag == "<!--") {
            return true;
        }
        if (body.size() > tag.size() && (body[tag.size()] == ' ' || body[tag.size()] == '>')) {
            return true;
        }
    }
    return false;
}

bool IsPageReply(const FetchResult& reply, std::string_view body) {
    return reply.ok && !reply.bodySkipped && reply.status >= 200 && reply.status < 300 &&
           (IsHtmlType(reply.contentType) || (reply.contentType.empty() && LooksLikeHtml(body)));
}

} // namespace vortaxel::web
