#include "crawl_settings.h"

#include "crawl/scope/address_pattern.h"
#include "user_agent_presets.h"
#include "web/address_login.h"
#include "web/agent_presets.h"

#include <charconv>
#include <string_view>
#include <tuple>
#include <utility>

namespace vortaxel::ui {
namespace {

constexpr const char* kSection = "CrawlSettings";

services::SettingKey Key(const char* key) {
    return {"Vortaxel", kSection, key};
}

bool HoldsLineBreakOrNul(std::string_view text) {
    return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

/// A character RFC 9110 allows in a header's name.
bool IsTokenCharacter(char c) {
    const bool alnum = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    return alnum || std::string_view("!#$%&'*+-.^_`|~").find(c) != std::string_view::npos;
}

std::string Quoted(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

std::string HeaderProblem(std::string_view header) {
    if (HoldsLineBreakOrNul(header)) {
        return "The header " + Quoted(header) + " holds a line break or a NUL, which would end it early";
    }
    const std::size_t colon = header.find(':');
    if (colon == std::string_view::npos) {
        return "The header " + Quoted(header) + " has no colon: write one \"Name: value\" a line";
    }
    const std::string_view name = header.substr(0, colon);
    if (name.empty()) {
        return "The header " + Quoted(header) + " has no name before its colon";
    }
    for (const char c : name) {
        if (!IsTokenCharacter(c)) {
            return "The header name " + Quoted(name) + " holds a character no header name may";
        }
    }
    return {};
}

std::string CookieProblem(std::string_view cookie) {
    if (HoldsLineBreakOrNul(cookie)) {
        return "The cookie " + Quoted(cookie) + " holds a line break or a NUL";
    }
    const std::size_t equals = cookie.find('=');
    if (equals == std::string_view::npos || equals == 0) {
        return "The cookie " + Quoted(cookie) + " is no \"name=value\"";
    }
    if (cookie.find(';') != std::string_view::npos) {
        return "The cookie " + Quoted(cookie) + " holds a \";\": write one cookie a line";
    }
    return {};
}

std::string ParameterProblem(std::string_view name) {
    if (name.find_first_of(std::string_view(" \t\r\n\0&=#?", 9)) != std::string_view::npos) {
        return "The parameter " + Quoted(name) + " holds a character no parameter name may";
    }
    if (const std::size_t star = name.find('*'); star != std::string_view::npos && star + 1 != name.size()) {
        return "The parameter " + Quoted(name) + " has a \"*\" before its end: only a prefix ends in one";
    }
    return {};
}

bool IsComment(std::string_view line) {
    return line.starts_with('#');
}

std::string Joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += text.empty() ? "" : "\n";
        text += line;
    }
    return text;
}

} // namespace

std::vector<std::string> LinesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        end = end == std::string::npos ? text.size() : end;
        std::string_view line(text.data() + start, end - start);
        // A CR before the line's end is its line break as another system writes it.
        while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) {
            line.remove_prefix(1);
        }
        while (!line.empty() && (line.back() == ' ' || line.back() == '\t' || line.back() == '\r')) {
            line.remove_suffix(1);
        }
        if (!line.empty()) {
            lines.emplace_back(line);
        }
        start = end + 1;
    }
    return lines;
}

std::vector<CrawlSettingsProblem> ProblemsOf(const CrawlSettingsValues& values) {
    std::vector<CrawlSettingsProblem> problems;
    const auto add = [&problems](CrawlSettingsField field, std::string text, bool blocks = true) {
        if (!text.empty()) {
            problems.push_back({field, std::move(text), blocks});
        }
    };
    for (const auto& [field, which, patterns] : {std::tuple{CrawlSettingsField::Include, "include", &values.include},
                                                 std::tuple{CrawlSettingsField::Exclude, "exclude", &values.exclude}}) {
        for (const std::string& pattern : *patterns) {
            if (const std::string error = crawl::AddressPatternError(pattern); !error.empty()) {
                add(field, std::string("The ") + which + " pattern " + Quoted(pattern) + " is refused: " + error);
            }
        }
    }
    for (const std::string& name : values.stripQuery) {
        add(CrawlSettingsField::StripQuery, ParameterProblem(name));
    }
    if (values.userAgent == kCustomUserAgent) {
        if (values.customUserAgent.empty()) {
            add(CrawlSettingsField::UserAgent, "The custom user agent is empty");
        } else if (HoldsLineBreakOrNul(values.customUserAgent)) {
            add(CrawlSettingsField::UserAgent, "The custom user agent holds a line break or a NUL");
        }
    } else if (!values.userAgent.empty() && FindUserAgentPreset(values.userAgent) == nullptr) {
        add(CrawlSettingsField::UserAgent, "The user agent " + Quoted(values.userAgent) + " is none of the presets");
    }
    for (const std::string& header : values.headers) {
        add(CrawlSettingsField::Headers, HeaderProblem(header));
    }
    if (HoldsLineBreakOrNul(values.loginUser)) {
        add(CrawlSettingsField::LoginUser, "The login's user holds a line break or a NUL");
    } else if (values.loginUser.find(':') != std::string::npos) {
        // Basic authentication sends "user:password": a colon in the user would move the split.
        add(CrawlSettingsField::LoginUser, "The login's user holds a \":\", which no HTTP login's user may");
    }
    for (const std::string& cookie : values.cookies) {
        add(CrawlSettingsField::Cookies, CookieProblem(cookie));
    }
    if (values.listMode) {
        std::size_t addresses = 0;
        for (const std::string& line : values.listed) {
            if (IsComment(line)) {
                continue;
            }
            if (web::OriginOf(line).empty()) {
                add(CrawlSettingsField::Listed, Quoted(line) + " is no web address and is passed over", false);
            } else {
                ++addresses;
            }
        }
        if (addresses == 0) {
            add(CrawlSettingsField::Listed, "List mode needs at least one web address to audit");
        }
    }
    return problems;
}

store::KeptControls ControlsOf(const CrawlSettingsValues& values) {
    store::KeptControls kept;
    crawl::CrawlControls& controls = kept.controls;
    controls.scope = values.scope;
    controls.include = values.include;
    controls.exclude = values.exclude;
    controls.maxDepth = values.maxDepth;
    controls.stripQuery = values.stripQuery;
    if (const UserAgentPreset* preset = FindUserAgentPreset(values.userAgent)) {
        kept.identity.userAgent = preset->userAgent;
        controls.robotsAgent = preset->robotsToken;
    } else if (values.userAgent == kCustomUserAgent) {
        kept.identity.userAgent = values.customUserAgent;
        // As on the command line: a custom agent obeys the rules for a crawler it names, else the program's own.
        controls.robotsAgent = web::RobotsTokenFor(values.customUserAgent);
    }
    kept.identity.headers = values.headers;
    kept.identity.cookies = values.cookies;
    kept.identity.authUser = values.loginUser;
    controls.listMode = values.listMode;
    if (values.listMode) {
        for (const std::string& line : values.listed) {
            if (!IsComment(line) && !web::OriginOf(line).empty()) {
                controls.listed.push_back(line);
            }
        }
    }
    return kept;
}

CrawlSettingsValues ReadCrawlSettings(services::SettingsStore& settings) {
    const auto stored = [&settings](const char* key) { return settings.Read(Key(key), "").value_or(""); };
    CrawlSettingsValues values;
    values.scope = crawl::ParseCrawlScope(stored("Scope")).value_or(crawl::CrawlScope::Host);
    values.include = LinesOf(stored("Include"));
    values.exclude = LinesOf(stored("Exclude"));
    const std::string depth = stored("MaxDepth");
    std::size_t parsed = 0;
    const auto [end, error] = std::from_chars(depth.data(), depth.data() + depth.size(), parsed);
    if (!depth.empty() && error == std::errc() && end == depth.data() + depth.size()) {
        values.maxDepth = parsed;
    }
    values.stripQuery = LinesOf(stored("StripQuery"));
    values.userAgent = stored("UserAgent");
    if (values.userAgent != kCustomUserAgent && FindUserAgentPreset(values.userAgent) == nullptr) {
        values.userAgent.clear();
    }
    values.customUserAgent = stored("CustomUserAgent");
    values.headers = LinesOf(stored("Headers"));
    values.loginUser = stored("LoginUser");
    values.cookies = LinesOf(stored("Cookies"));
    values.listMode = stored("ListMode") == "1";
    values.listed = LinesOf(stored("Listed"));
    return values;
}

void RememberCrawlSettings(services::SettingsStore& settings, const CrawlSettingsValues& values) {
    // A store that cannot be written only loses the settings at the next start.
    const auto remember = [&settings](const char* key, const std::string& value) { settings.Write(Key(key), value); };
    remember("Scope", crawl::CrawlScopeName(values.scope));
    remember("Include", Joined(values.include));
    remember("Exclude", Joined(values.exclude));
    remember("MaxDepth", values.maxDepth ? std::to_string(*values.maxDepth) : std::string());
    remember("StripQuery", Joined(values.stripQuery));
    remember("UserAgent", values.userAgent);
    remember("CustomUserAgent", values.customUserAgent);
    remember("Headers", Joined(values.headers));
    remember("LoginUser", values.loginUser);
    remember("Cookies", Joined(values.cookies));
    remember("ListMode", values.listMode ? "1" : "0");
    remember("Listed", Joined(values.listed));
}

} // namespace vortaxel::ui
