#include "crawl/robots/robots_rules.h"

#include "crawl/robots/robots_pattern.h"
#include "web/ascii.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <utility>

namespace vortaxel::crawl {

namespace {

enum class Directive { UserAgent, Allow, Disallow, CrawlDelay, Other };

struct Line {
    Directive directive = Directive::Other;
    std::string_view value;
};

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

/// The part of the body that is read: within the cap, and without a line the cap cut short.
std::string_view ReadablePart(std::string_view body) {
    if (body.size() <= kRobotsBodyCap) {
        return body;
    }
    const char next = body[kRobotsBodyCap];
    body = body.substr(0, kRobotsBodyCap);
    if (next == '\n' || next == '\r') {
        return body;
    }
    const auto lastBreak = body.find_last_of("\r\n");
    return lastBreak == std::string_view::npos ? std::string_view{} : body.substr(0, lastBreak + 1);
}

/// A UTF-8 byte-order mark, or the start of one, is only noise before the first line.
std::string_view WithoutByteOrderMark(std::string_view body) {
    constexpr std::string_view kMark = "\xEF\xBB\xBF";
    std::size_t n = 0;
    while (n < kMark.size() && n < body.size() && body[n] == kMark[n]) {
        ++n;
    }
    return body.substr(n);
}

Directive DirectiveNamed(std::string_view name) {
    // Writers of robots.txt often leave out the hyphen of the agent line; what they mean is plain.
    if (web::EqualsIgnoreCase(name, "user-agent") || web::EqualsIgnoreCase(name, "useragent") ||
        web::EqualsIgnoreCase(name, "user agent")) {
        return Directive::UserAgent;
    }
    if (web::EqualsIgnoreCase(name, "allow")) {
        return Directive::Allow;
    }
    if (web::EqualsIgnoreCase(name, "disallow")) {
        return Directive::Disallow;
    }
    if (web::EqualsIgnoreCase(name, "crawl-delay")) {
        return Directive::CrawlDelay;
    }
    return Directive::Other;
}

/// One line, its comment and surrounding blanks gone, as a directive and value. "Disallow /x" is taken
/// as "Disallow: /x", but only when exactly two words stand on the line, so prose stays unknown.
Line ParseLine(std::string_view text) {
    text = web::TrimBlanks(text.substr(0, text.find('#')));
    std::string_view name;
    std::string_view value;
    if (const auto colon = text.find(':'); colon != std::string_view::npos) {
        name = web::TrimBlanks(text.substr(0, colon));
        value = web::TrimBlanks(text.substr(colon + 1));
    } else {
        const auto blank = text.find_first_of(" \t");
        if (blank == std::string_view::npos) {
            return {};
        }
        name = text.substr(0, blank);
        value = web::TrimBlanks(text.substr(blank));
        if (value.find_first_of(" \t") != std::string_view::npos) {
            return {};
        }
    }
    return {DirectiveNamed(name), value};
}

/// The product token of an agent line: "*", or the leading letters, "-" and "_" ("Vortaxel/2.0" and
/// "Vortaxel crawler" both name Vortaxel).
std::string_view AgentToken(std::string_view value) {
    if (!value.empty() && value.front() == '*' && (value.size() == 1 || IsBlank(value[1]))) {
        return value.substr(0, 1);
    }
    const auto end = std::find_if_not(value.begin(), value.end(), [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '-' || c == '_';
    });
    return value.substr(0, static_cast<std::size_t>(end - value.begin()));
}

std::optional<double> ParseDelay(std::string_view value) {
    double seconds = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), seconds);
    if (error != std::errc{} || end != value.data() + value.size() || !std::isfinite(seconds) || seconds < 0) {
        return std::nullopt;
    }
    return seconds;
}

std::size_t LiteralPrefix(std::string_view pattern) {
    if (!pattern.empty() && pattern.back() == '$') {
        pattern.remove_suffix(1);
    }
    return std::min(pattern.find('*'), pattern.size());
}

template <class Visit> void ForEachLine(std::string_view body, Visit visit) {
    std::size_t start = 0;
    while (start < body.size()) {
        const auto end = body.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            visit(body.substr(start));
            return;
        }
        visit(body.substr(start, end - start));
        start = end + (body[end] == '\r' && end + 1 < body.size() && body[end + 1] == '\n' ? 2 : 1);
    }
}

} // namespace

RobotsRules RobotsRules::Parse(std::string_view body, std::string_view agent) {
    RobotsRules specific;
    RobotsRules global;
    bool sawSpecificGroup = false;
    // A group is a run of agent lines and the rules after it; the next agent line after a rule opens the
    // next group. Rules before the first agent line belong to no group.
    bool readingAgents = false;
    bool groupIsSpecific = false;
    bool groupIsGlobal = false;

    ForEachLine(WithoutByteOrderMark(ReadablePart(body)), [&](std::string_view text) {
        const Line line = ParseLine(text);
        if (line.directive == Directive::Other) {
            return;
        }
        if (line.directive == Directive::UserAgent) {
            if (!readingAgents) {
                groupIsSpecific = groupIsGlobal = false;
                readingAgents = true;
            }
            const std::string_view token = AgentToken(line.value);
            if (token == "*") {
                groupIsGlobal = true;
            } else if (!token.empty() && web::EqualsIgnoreCase(token, agent)) {
                groupIsSpecific = sawSpecificGroup = true;
            }
            return;
        }
        readingAgents = false;
        for (RobotsRules* rules : {groupIsSpecific ? &specific : nullptr, groupIsGlobal ? &global : nullptr}) {
            if (rules == nullptr) {
                continue;
            }
            if (line.directive == Directive::CrawlDelay) {
                if (const auto delay = ParseDelay(line.value)) {
                    rules->crawlDelay_ = std::max(rules->crawlDelay_.value_or(0.0), *delay);
                }
            } else {
                rules->AddRule(line.value, line.directive == Directive::Allow);
            }
        }
    });
    RobotsRules& chosen = sawSpecificGroup ? specific : global;
    chosen.SortByPrecedence();
    return std::move(chosen);
}

void RobotsRules::AddRule(std::string_view value, bool allow) {
    // An empty Disallow means "nothing is disallowed", and an empty Allow adds nothing either.
    if (value.empty()) {
        return;
    }
    std::string pattern = NormaliseRobotsPath(value);
    const std::size_t priority = pattern.size();
    // A page allowed as ".../index.html" is the page its folder address serves too.
    if (allow) {
        for (const std::string_view index : {"/index.html", "/index.htm"}) {
            if (pattern.ends_with(index)) {
                std::string folder = pattern.substr(0, pattern.size() - index.size() + 1) + "$";
                const std::size_t folderLiteral = LiteralPrefix(folder);
                rules_.push_back({std::move(folder), priority, true, folderLiteral});
                break;
            }
        }
    }
    const std::size_t literal = LiteralPrefix(pattern);
    rules_.push_back({std::move(pattern), priority, allow, literal});
}

void RobotsRules::SortByPrecedence() {
    std::stable_sort(rules_.begin(), rules_.end(), [](const Rule& a, const Rule& b) {
        return a.priority != b.priority ? a.priority > b.priority : a.allow && !b.allow;
    });
}

RobotsRules RobotsRules::AllowAll() {
    return {};
}

RobotsRules RobotsRules::DisallowAll() {
    RobotsRules rules;
    rules.AddRule("/", false);
    return rules;
}

bool RobotsRules::Allows(std::string_view pathAndQuery) const {
    if (rules_.empty()) {
        return true;
    }
    const std::string path = NormaliseRobotsPath(pathAndQuery.empty() ? std::string_view("/") : pathAndQuery);
    if (path == "/robots.txt") {
        return true;
    }
    const std::string_view text(path);
    for (const Rule& rule : rules_) {
        if (text.starts_with(std::string_view(rule.pattern).substr(0, rule.literalPrefix)) &&
            RobotsPatternMatches(rule.pattern, text)) {
            return rule.allow;
        }
    }
    return true;
}

RobotsRules RulesForRobotsAnswer(std::optional<int> status, std::string_view body, std::string_view agent) {
    if (!status) {
        return RobotsRules::DisallowAll();
    }
    if (*status >= 200 && *status <= 299) {
        return RobotsRules::Parse(body, agent);
    }
    if (*status >= 300 && *status <= 499 && *status != 429) {
        return RobotsRules::AllowAll();
    }
    return RobotsRules::DisallowAll();
}

std::vector<std::string> RobotsSitemaps(std::string_view body) {
    std::vector<std::string> sitemaps;
    ForEachLine(ReadablePart(WithoutByteOrderMark(body)), [&](std::string_view line) {
        line = web::TrimBlanks(line.substr(0, line.find('#')));
        const auto colon = line.find(':');
        if (colon == std::string_view::npos ||
            !web::EqualsIgnoreCase(web::TrimBlanks(line.substr(0, colon)), "sitemap")) {
            return;
        }
        if (const std::string_view value = web::TrimBlanks(line.substr(colon + 1)); !value.empty()) {
            sitemaps.emplace_back(value);
        }
    });
    return sitemaps;
}

} // namespace vortaxel::crawl
