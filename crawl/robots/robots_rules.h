#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vortaxel::crawl {

/// The product token this crawler answers to in robots.txt.
inline constexpr std::string_view kRobotsAgent = "Vortaxel";

/// Bytes of robots.txt that are read; the rest of a longer file is ignored, as the big search
/// engines do, so a hostile host cannot make the crawler parse without end.
inline constexpr std::size_t kRobotsBodyCap = std::size_t{500} * 1024;

/// What one host's robots.txt lets one crawler fetch. A value: built once per host, then asked per address.
class RobotsRules {
public:
    /// The rules of the group for `agent` in a robots.txt body. Groups naming the agent (case-insensitive,
    /// by the product token before any "/" or blank) win over "*" groups; several groups for the same
    /// agent count as one. Names of lines are case-insensitive, a missing colon after a known name is
    /// forgiven, comments, blank lines and unknown lines are skipped, and a body that is no robots.txt at
    /// all (binary, HTML) simply holds no rules. Only the first kRobotsBodyCap bytes are read; a line the
    /// cap cuts in two is dropped rather than read as a shorter, different rule.
    static RobotsRules Parse(std::string_view body, std::string_view agent);

    /// No restrictions: what a host without robots.txt grants.
    static RobotsRules AllowAll();

    /// Nothing but robots.txt itself: what a host whose robots.txt could not be read is treated as.
    static RobotsRules DisallowAll();

    /// Whether the address with this path and query (no scheme, host or fragment) may be fetched. The
    /// longest matching pattern decides and Allow wins a tie; no match allows. "/robots.txt" is always
    /// allowed. An empty path counts as "/".
    bool Allows(std::string_view pathAndQuery) const;

    /// Seconds to wait between two requests, when the chosen group gives a valid Crawl-delay (the largest
    /// one if it gives several). Not capped here: how long is too long is the caller's choice.
    std::optional<double> CrawlDelaySeconds() const { return crawlDelay_; }

private:
    struct Rule {
        std::string pattern; // normalised, "*" and a final "$" still special
        std::size_t priority = 0;
        bool allow = false;
        std::size_t literalPrefix = 0; // bytes before the first wildcard, compared at once
    };

    void AddRule(std::string_view value, bool allow);
    /// Puts the rules in the order they decide in, so the first match is the answer.
    void SortByPrecedence();

    std::vector<Rule> rules_; // after parsing: longest first, Allow before Disallow of the same length
    std::optional<double> crawlDelay_;
};

/// The rules a host's robots.txt fetch leaves: a 2xx answer is parsed; any other answer up to 499 (the
/// file is missing, forbidden, or redirects without end) restricts nothing, except 429, which like
/// 5xx means the host wants to be left alone and so allows nothing. No answer at all (`status` empty:
/// unreachable, time-out, refused certificate) allows nothing too. The fetcher follows redirects; the
/// final answer is the one given here.
RobotsRules RulesForRobotsAnswer(std::optional<int> status, std::string_view body, std::string_view agent);

/// The addresses of the Sitemap lines of a robots.txt body, in file order: they stand outside the agent
/// groups and concern every crawler. Names are case-insensitive, a comment ends a line as elsewhere, and
/// only the first kRobotsBodyCap bytes are read.
std::vector<std::string> RobotsSitemaps(std::string_view body);

} // namespace vortaxel::crawl
