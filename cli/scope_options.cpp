#include "cli/scope_options.h"

#include "cli/option_values.h"
#include "cli/output_escape.h"
#include "crawl/scope/address_pattern.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <limits>

namespace vortaxel::cli {

namespace {

/// Adds a repeatable option: each occurrence's value is checked by `check` and appended to `values`.
void Repeatable(CLI::App& app, const char* name, const char* type, const char* help, std::vector<std::string>& values,
                const std::function<void(const std::string&)>& check) {
    // The option keeps only its last value; every value goes through `each`, in the order given.
    app.add_option_function<std::string>(
           name, [](const std::string&) {}, help)
        ->type_name(type)
        ->each([&values, check](const std::string& value) {
            check(value);
            values.push_back(value);
        });
}

// A value checked through `each` is refused with the option's name put in front by CLI11.
void CheckPattern(const std::string& pattern) {
    if (const std::string error = crawl::AddressPatternError(pattern); !error.empty()) {
        throw CLI::ValidationError("cannot take the pattern " + EscapeControlBytes(pattern) + ": " + error);
    }
}

std::string Joined(const std::vector<std::string>& values) {
    if (values.empty()) {
        return "none";
    }
    std::string text;
    for (const std::string& value : values) {
        text.append(text.empty() ? "" : " ").append(EscapeControlBytes(value));
    }
    return text;
}

bool Given(const std::vector<std::string>& given, const char* name) {
    return std::find(given.begin(), given.end(), name) != given.end();
}

} // namespace

void DeclareScopeOptions(CLI::App& app, crawl::CrawlControls& controls) {
    app.add_option_function<std::string>(
           "--scope",
           [&controls](const std::string& v) {
               const auto scope = crawl::ParseCrawlScope(v);
               if (!scope) {
                   throw CLI::ValidationError("--scope", "takes host, subdomains or domain");
               }
               controls.scope = *scope;
           },
           "With --rules browser: the hosts crawled: host (default: the start host, at or below the start "
           "page's folder), subdomains (every host under the start host's registrable domain) or domain "
           "(the registrable domain too)")
        ->type_name("WHICH");
    Repeatable(app, "--include", "RE",
               "With --rules browser: queue only addresses that RE (RE2, matching any part) matches; may repeat, "
               "an address then matching any",
               controls.include, [](const std::string& v) { CheckPattern(v); });
    Repeatable(app, "--exclude", "RE",
               "With --rules browser: never request an address that RE (RE2, matching any part) matches; may "
               "repeat",
               controls.exclude, [](const std::string& v) { CheckPattern(v); });
    app.add_option_function<std::string>(
           "--max-depth",
           [&controls](const std::string& v) {
               const auto depth = ParseWholeNumber(v);
               if (!depth || *depth > std::numeric_limits<std::uint32_t>::max()) {
                   throw CLI::ValidationError("--max-depth",
                                              "takes a whole number from 0 to " +
                                                  std::to_string(std::numeric_limits<std::uint32_t>::max()));
               }
               controls.maxDepth = static_cast<std::size_t>(*depth);
           },
           "With --rules browser: follow no link from a page N clicks from the start (0: the start page alone)")
        ->type_name("N");
    Repeatable(app, "--strip-query", "NAME",
               "With --rules browser: remove the query parameter NAME (a trailing * takes every name it starts) "
               "from addresses before they are queued; may repeat",
               controls.stripQuery, [](const std::string& v) {
                   if (v.empty() || v.find_first_of("&=?#") != std::string::npos) {
                       throw CLI::ValidationError(
                           std::string("takes a parameter name without &, =, ? or #, such as utm_*"));
                   }
               });
}

AuditOptionRefusal RefusedScopeOption(const crawl::CrawlControls& controls, bool browser) {
    if (browser) {
        return {};
    }
    const char* const needsBrowser = "needs --rules browser";
    if (controls.scope != crawl::CrawlScope::Host) {
        return {"--scope", needsBrowser};
    }
    if (!controls.include.empty()) {
        return {"--include", needsBrowser};
    }
    if (!controls.exclude.empty()) {
        return {"--exclude", needsBrowser};
    }
    if (controls.maxDepth) {
        return {"--max-depth", needsBrowser};
    }
    if (!controls.stripQuery.empty()) {
        return {"--strip-query", needsBrowser};
    }
    return {};
}

std::string ContradictedScopeOption(const crawl::CrawlControls& wanted, const crawl::CrawlControls& kept,
                                    const std::vector<std::string>& given, const std::string& crawl) {
    if (Given(given, "--scope") && wanted.scope != kept.scope) {
        return "--scope: " + crawl + " has the scope " + crawl::CrawlScopeName(kept.scope);
    }
    const struct {
        const char* option;
        const std::vector<std::string>& wanted;
        const std::vector<std::string>& kept;
        const char* what;
    } lists[] = {
        {"--include", wanted.include, kept.include, "include patterns"},
        {"--exclude", wanted.exclude, kept.exclude, "exclude patterns"},
        {"--strip-query", wanted.stripQuery, kept.stripQuery, "parameters to strip"},
    };
    for (const auto& list : lists) {
        if (Given(given, list.option) && list.wanted != list.kept) {
            return std::string(list.option) + ": " + crawl + " has the " + list.what + " " + Joined(list.kept);
        }
    }
    if (Given(given, "--max-depth") && wanted.maxDepth != kept.maxDepth) {
        return "--max-depth: " + crawl + " has " +
               (kept.maxDepth ? "a depth limit of " + std::to_string(*kept.maxDepth) : std::string("no depth limit"));
    }
    return {};
}

void CopyScope(const crawl::CrawlControls& from, crawl::CrawlControls& to) {
    to.scope = from.scope;
    to.include = from.include;
    to.exclude = from.exclude;
    to.maxDepth = from.maxDepth;
    to.stripQuery = from.stripQuery;
}

} // namespace vortaxel::cli
