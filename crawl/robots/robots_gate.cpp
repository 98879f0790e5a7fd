#include "crawl/robots/robots_gate.h"

#include "crawl/robots/robots_url.h"

#include <algorithm>
#include <exception>
#include <iterator>
#include <new>
#include <optional>
#include <string>
#include <utility>

namespace vortaxel::crawl {

namespace {

/// What a host's robots.txt fetch leaves, and the sitemaps a readable one names. A fetch that throws
/// reached no server.
RobotsRules FetchRules(PageFetcher& fetcher, const std::string& robotsUrl, std::string_view agent,
                       std::vector<std::string>& sitemaps) {
    FetchedPage answer;
    try {
        answer = fetcher.FetchWhole(robotsUrl);
    } catch (const std::bad_alloc&) {
        throw;
    } catch (const std::exception&) {
        return RulesForRobotsAnswer(std::nullopt, {}, agent);
    }
    const std::optional<int> status =
        answer.status == 0 ? std::nullopt : std::optional<int>(static_cast<int>(answer.status));
    // A file that began to come and then failed (stalled, cut short, lengths in conflict) may have
    // said anything: what cannot be read whole forbids all, as an unreachable one does. A long file is
    // not a failure: the fetcher keeps its first part, and that part is read.
    if (!answer.ok && status && *status >= 200 && *status <= 299) {
        return RobotsRules::DisallowAll();
    }
    if (answer.ok && status && *status >= 200 && *status <= 299) {
        sitemaps = RobotsSitemaps(answer.body);
    }
    return RulesForRobotsAnswer(status, answer.ok ? std::string_view(answer.body) : std::string_view(), agent);
}

} // namespace

bool RobotsGate::Allows(std::string_view url) {
    const std::string robotsUrl = RobotsUrlFor(url);
    if (robotsUrl.empty()) {
        return true;
    }
    return Known(robotsUrl).rules.Allows(RobotsPathOf(url));
}

std::vector<std::string> RobotsGate::SitemapsNamed(std::string_view url) {
    const std::string robotsUrl = RobotsUrlFor(url);
    if (robotsUrl.empty()) {
        return {};
    }
    return Known(robotsUrl).sitemaps;
}

const RobotsGate::Host& RobotsGate::Known(const std::string& robotsUrl) {
    auto known = hosts_.find(robotsUrl);
    if (known == hosts_.end()) {
        std::vector<std::string> sitemaps;
        RobotsRules rules = FetchRules(fetcher_, robotsUrl, agent_, sitemaps);
        if (const auto seconds = rules.CrawlDelaySeconds()) {
            const auto wanted = std::chrono::duration<double>(std::min(*seconds, double(kMaxCrawlDelay.count())));
            fetcher_.SetHostDelay(robotsUrl, std::chrono::duration_cast<std::chrono::milliseconds>(wanted));
        }
        bytes_ += robotsUrl.size() + sizeof(Host);
        for (const std::string& sitemap : sitemaps) {
            bytes_ += sizeof(std::string) + sitemap.capacity();
        }
        known = hosts_.emplace(robotsUrl, Host{std::move(rules), std::move(sitemaps)}).first;
    }
    return known->second;
}

FetchedPage RobotsGate::Fetch(const std::string& url) {
    FetchedPage page = fetcher_.Fetch(url);
    for (long hops = 0; !page.redirectTo.empty(); ++hops) {
        if (hops == kMaxRedirectHops) {
            page.error = "more than " + std::to_string(kMaxRedirectHops) + " redirects";
            page.redirectTo.clear();
            break;
        }
        const std::string target = std::move(page.redirectTo);
        page.redirectTo.clear();
        if (!Allows(target)) {
            page.error = "redirected to " + target + ", which robots.txt disallows";
            break;
        }
        FetchedPage next = fetcher_.Fetch(target);
        next.redirects += page.redirects + 1;
        // Each answer carries its own hop only: the chain is the hops before it and its own.
        next.hops.insert(next.hops.begin(), std::make_move_iterator(page.hops.begin()),
                         std::make_move_iterator(page.hops.end()));
        next.elapsed += page.elapsed;
        page = std::move(next);
    }
    return page;
}

bool RobotsGate::KnownToAllow(std::string_view url) const {
    const std::string robotsUrl = RobotsUrlFor(url);
    if (robotsUrl.empty()) {
        return true;
    }
    const auto known = hosts_.find(robotsUrl);
    return known != hosts_.end() && known->second.rules.Allows(RobotsPathOf(url));
}

bool RobotsGate::FirstBlock(std::string_view url) {
    const bool first = blocked_.emplace(url).second;
    if (first) {
        bytes_ += url.size() + sizeof(std::string);
    }
    return first;
}

} // namespace vortaxel::crawl
