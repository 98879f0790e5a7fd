#include "cli/identity_options.h"

#include "cli/output_escape.h"
#include "store/kept_controls.h"
#include "web/agent_presets.h"
#include "web/request_identity.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace vortaxel::cli {

namespace {

[[noreturn]] void Refuse(const char* option, const std::string& reason) {
    throw CLI::ValidationError(option, reason);
}

bool Given(const std::vector<std::string>& given, const char* name) {
    return std::find(given.begin(), given.end(), name) != given.end();
}

bool HasLineBreak(const std::string& text) {
    return text.find_first_of(std::string("\r\n\0", 3)) != std::string::npos;
}

std::string PresetList() {
    std::string names;
    for (const web::AgentPreset& preset : web::AgentPresets()) {
        names.append(names.empty() ? "" : ", ").append(preset.name);
    }
    return names;
}

std::string Quoted(const std::vector<std::string>& texts) {
    std::string joined;
    for (const std::string& text : texts) {
        joined.append(joined.empty() ? "'" : ", '").append(EscapeControlBytes(text)).append("'");
    }
    return joined;
}

} // namespace

void DeclareIdentityOptions(CLI::App& app, IdentityOptions& identity) {
    std::string presets = "\n\n--user-agent presets, sent as written:";
    for (const vortaxel::web::AgentPreset& preset : vortaxel::web::AgentPresets()) {
        presets.append("\n  ").append(preset.name).append(":\n    ").append(preset.userAgent);
    }
    app.footer(app.get_footer() + presets);
    app.add_option_function<std::string>(
           "--user-agent",
           [&identity](const std::string& v) {
               if (v.empty() || HasLineBreak(v)) {
                   Refuse("--user-agent", "takes a preset (" + PresetList() + ") or a string without CR, LF or NUL");
               }
               identity.userAgent = web::UserAgentFor(v);
               identity.robotsAgent = web::RobotsTokenFor(identity.userAgent);
           },
           "With --rules browser: go as AGENT, a preset (googlebot-smartphone, googlebot, bingbot, chrome) or "
           "any string; robots.txt is then read for that crawler's token")
        ->type_name("AGENT");
    app.add_option_function<std::vector<std::string>>(
           "--header",
           [&identity](const std::vector<std::string>& lines) {
               for (const std::string& line : lines) {
                   if (const std::string problem = web::HeaderProblem(line); !problem.empty()) {
                       Refuse("--header", problem);
                   }
               }
               identity.headers = lines;
           },
           "With --rules browser: send 'NAME: VALUE' with every request (may repeat); Authorization and Cookie "
           "go to the start address's origin alone")
        ->type_name("'NAME: VALUE'")
        ->expected(1)
        ->allow_extra_args(false)
        ->take_all();
    app.add_option_function<std::vector<std::string>>(
           "--cookie",
           [&identity](const std::vector<std::string>& cookies) {
               for (const std::string& cookie : cookies) {
                   if (const std::string problem = web::CookieProblem(cookie); !problem.empty()) {
                       Refuse("--cookie", problem);
                   }
               }
               identity.cookies = cookies;
           },
           "With --rules browser: send the cookie 'NAME=VALUE' to the start address's origin alone (may repeat)")
        ->type_name("'NAME=VALUE'")
        ->expected(1)
        ->allow_extra_args(false)
        ->take_all();
    app.add_option_function<std::string>(
           "--auth-user",
           [&identity](const std::string& v) {
               if (v.empty() || v.find(':') != std::string::npos || HasLineBreak(v)) {
                   Refuse("--auth-user", "takes a user name without ':', CR, LF or NUL");
               }
               identity.authUser = v;
           },
           "With --rules browser: log in to the start address's origin as USER (HTTP Basic or Digest), the "
           "password read from VORTAXEL_PASSWORD or --auth-password-file")
        ->type_name("USER");
    app.add_option_function<std::string>(
           "--auth-password-file",
           [&identity](const std::string& v) {
               if (v.empty()) {
                   Refuse("--auth-password-file", "needs a file name");
               }
               identity.authPasswordFile = v;
           },
           "Read --auth-user's password from the first line of FILE")
        ->type_name("FILE");
}

const char* RefusedIdentityOption(const IdentityOptions& identity, bool browser) {
    if (browser) {
        return nullptr;
    }
    return !identity.userAgent.empty() ? "--user-agent"
           : !identity.headers.empty() ? "--header"
           : !identity.cookies.empty() ? "--cookie"
           : identity.authUser         ? "--auth-user"
           : identity.authPasswordFile ? "--auth-password-file"
                                       : nullptr;
}

void CheckIdentityOptions(const IdentityOptions& identity, bool browser, bool keptOnly, bool resume) {
    if (keptOnly && !resume) {
        if (const char* option = RefusedIdentityOption(identity, false)) {
            Refuse(option, "cannot go with --offline, --compare or --gap, which make no request");
        }
        return;
    }
    if (!keptOnly) {
        if (const char* option = RefusedIdentityOption(identity, browser)) {
            Refuse(option, "needs --rules browser");
        }
    }
    if (identity.authPasswordFile && !identity.authUser && !resume) {
        Refuse("--auth-password-file", "needs --auth-user USER");
    }
}

store::KeptIdentity KeptIdentityOf(const IdentityOptions& identity) {
    return store::IdentityToKeep(
        {identity.userAgent, identity.headers, identity.cookies, identity.authUser.value_or(std::string())});
}

std::string TakeKeptIdentity(const store::KeptIdentity& kept, const std::string& crawl,
                             const std::vector<std::string>& given, IdentityOptions& identity) {
    const store::KeptIdentity asGiven = KeptIdentityOf(identity);
    if (Given(given, "--user-agent") && asGiven.userAgent != kept.userAgent) {
        return "--user-agent: " + crawl + " goes as " +
               (kept.userAgent.empty() ? std::string("the program's own user agent")
                                       : "'" + EscapeControlBytes(kept.userAgent) + "'");
    }
    if (Given(given, "--header") && asGiven.headers != kept.headers) {
        return "--header: " + crawl + " sends " +
               (kept.headers.empty() ? std::string("no header of its own") : Quoted(kept.headers)) +
               " (a credential header by its name alone)";
    }
    if (!Given(given, "--header")) {
        // A kept entry without its colon is a credential header whose value was never kept.
        for (const std::string& line : kept.headers) {
            if (line.find(':') == std::string::npos) {
                return "--header: " + crawl + " sends a " + EscapeControlBytes(line) +
                       " header, whose value is not kept: give --header '" + EscapeControlBytes(line) +
                       ": VALUE' again to carry it on";
            }
        }
        identity.headers = kept.headers;
    }
    if (Given(given, "--cookie") && asGiven.cookies != kept.cookies) {
        return "--cookie: " + crawl + " sends " +
               (kept.cookies.empty() ? std::string("no cookie of its own") : "the cookies " + Quoted(kept.cookies));
    }
    if (!Given(given, "--cookie") && !kept.cookies.empty()) {
        return "--cookie: " + crawl + " sends the cookie '" + EscapeControlBytes(kept.cookies.front()) +
               "', whose value is not kept: give --cookie '" + EscapeControlBytes(kept.cookies.front()) +
               "=VALUE' again to carry it on";
    }
    if (Given(given, "--auth-user") && asGiven.authUser != kept.authUser) {
        return "--auth-user: " + crawl +
               (kept.authUser.empty() ? std::string(" logs in to nothing")
                                      : " logs in as " + EscapeControlBytes(kept.authUser));
    }
    if (Given(given, "--auth-password-file") && kept.authUser.empty()) {
        return "--auth-password-file: " + crawl + " logs in to nothing";
    }
    identity.userAgent = kept.userAgent;
    // The token the crawl obeyed, worked out again: a file keeps the string it went as.
    identity.robotsAgent = web::RobotsTokenFor(kept.userAgent);
    if (!kept.authUser.empty()) {
        identity.authUser = kept.authUser;
    }
    return {};
}

std::string ReadPassword(const IdentityOptions& identity, std::string& password) {
    password.clear();
    if (const std::optional<std::string>& file = identity.authPasswordFile) {
        std::error_code ignored;
        if (std::filesystem::is_directory(*file, ignored)) {
            return "--auth-password-file: cannot read " + EscapeControlBytes(*file) + ": it is a folder";
        }
        std::ifstream in(*file, std::ios::binary);
        if (!in.is_open()) {
            return "--auth-password-file: cannot read " + EscapeControlBytes(*file) + ": " + std::strerror(errno);
        }
        std::getline(in, password);
        if (in.bad()) {
            password.clear();
            return "--auth-password-file: cannot read " + EscapeControlBytes(*file);
        }
        if (!password.empty() && password.back() == '\r') {
            password.pop_back();
        }
        if (password.empty()) {
            return "--auth-password-file: " + EscapeControlBytes(*file) + " holds no password on its first line";
        }
        return {};
    }
    const char* fromEnvironment = std::getenv(kPasswordVariable);
    if (fromEnvironment == nullptr || *fromEnvironment == '\0') {
        return "--auth-user: give the password of " + EscapeControlBytes(identity.authUser.value_or("")) +
               " in the environment variable " + kPasswordVariable + " or with --auth-password-file FILE";
    }
    password = fromEnvironment;
    return {};
}

} // namespace vortaxel::cli
