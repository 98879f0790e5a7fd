#pragma once

#include <cstddef>
#include <string>
#include <unordered_map>
#include <vector>

namespace vortaxel::audit {

/// One language version a page names.
struct HreflangAlternate {
    std::string code;
    /// Resolved.
    std::string target;
};

/// What the check needs to know of a page the crawl fetched.
struct HreflangPage {
    std::string url;
    std::vector<HreflangAlternate> alternates;
};

/// What the crawl learnt of an address an alternate names.
struct HreflangTarget {
    /// Its last fetch's status; 0 when it failed.
    int status = 0;
    bool noindex = false;
    /// Where its canonical points, when that is elsewhere.
    std::string canonicalElsewhere;
};

/// Findings kept per page, after which the rest are counted.
inline constexpr std::size_t kMaxHreflangIssues = 32;

/// Each page's hreflang findings, by its url, in the order of its alternates: "invalid hreflang code X",
/// "no self reference", "no x-default", "no return link from URL", "alternate URL answers N",
/// "alternate URL is noindex", "alternate URL is canonicalised to C". A page naming no alternates has none.
/// An address named many times counts once, so a page pointing at itself 10,000 times costs one check.
/// `targets` knows the addresses the crawl fetched; one it did not is checked for its code alone.
std::unordered_map<std::string, std::vector<std::string>>
HreflangIssues(const std::vector<HreflangPage>& pages, const std::unordered_map<std::string, HreflangTarget>& targets);

} // namespace vortaxel::audit
