#include "net/redirect_hops.h"

#include "web/ascii.h"

#include <curl/curl.h>
#include <memory>

namespace vortaxel::net {

namespace {

// A chain longer than libcurl follows is cut off anyway; this keeps a hostile one from growing memory.
constexpr std::size_t kMostHops = 64;
// A flood of X-Robots-Tag lines keeps only its first few KiB.
constexpr std::size_t kMostRobotsBytes = 4096;
// Link headers name a page's language versions; a site of a hundred languages fits many times over.
constexpr std::size_t kMostLinkHeaderBytes = std::size_t{64} * 1024;

struct UrlFree {
    void operator()(CURLU* url) const { curl_url_cleanup(url); }
};

/// `location` resolved against `base` as libcurl does when it follows it; as sent when it does not resolve.
std::string Resolve(const std::string& base, const std::string& location) {
    const std::unique_ptr<CURLU, UrlFree> url(curl_url());
    char* text = nullptr;
    if (!url || curl_url_set(url.get(), CURLUPART_URL, base.c_str(), CURLU_NON_SUPPORT_SCHEME) != CURLUE_OK ||
        curl_url_set(url.get(), CURLUPART_URL, location.c_str(), CURLU_NON_SUPPORT_SCHEME) != CURLUE_OK ||
        curl_url_get(url.get(), CURLUPART_URL, &text, 0) != CURLUE_OK) {
        return location;
    }
    std::string resolved(text);
    curl_free(text);
    return resolved;
}

} // namespace

void RedirectHops::Clear() {
    hops_.clear();
    location_.clear();
    robotsTag_.clear();
    linkHeader_.clear();
}

void RedirectHops::NewAnswer() {
    location_.clear();
    robotsTag_.clear();
    linkHeader_.clear();
}

void RedirectHops::NoteHeader(std::string_view line) {
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos) {
        return;
    }
    const std::string_view name = line.substr(0, colon);
    const std::string_view value = web::TrimBlanks(line.substr(colon + 1));
    if (web::EqualsIgnoreCase(name, "location")) {
        location_.assign(value);
    } else if (web::EqualsIgnoreCase(name, "x-robots-tag") && robotsTag_.size() < kMostRobotsBytes) {
        robotsTag_.append(robotsTag_.empty() ? "" : ", ").append(value);
    } else if (web::EqualsIgnoreCase(name, "link") && linkHeader_.size() + value.size() < kMostLinkHeaderBytes) {
        linkHeader_.append(linkHeader_.empty() ? "" : ", ").append(value);
    }
}

void RedirectHops::AnswerEnded(long status) {
    if (status >= 300 && status < 400 && !location_.empty() && hops_.size() < kMostHops) {
        hops_.push_back({status, location_});
    }
}

void RedirectHops::Fill(const std::string& asked, web::FetchResult& result) const {
    result.robotsTag = robotsTag_;
    result.linkHeader = linkHeader_;
    std::string at = asked;
    for (const Pending& hop : hops_) {
        std::string next = Resolve(at, hop.location);
        result.hops.push_back({hop.code, std::move(at)});
        at = std::move(next);
    }
}

} // namespace vortaxel::net
