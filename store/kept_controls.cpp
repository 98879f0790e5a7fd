#include "store/kept_controls.h"

#include "web/ascii.h"
#include "web/request_identity.h"

#include <algorithm>
#include <nlohmann/json.hpp>

namespace vortaxel::store {

namespace {

using Json = nlohmann::json;

void PutList(Json& object, const char* name, const std::vector<std::string>& values) {
    if (!values.empty()) {
        object[name] = values;
    }
}

void PutText(Json& object, const char* name, const std::string& value) {
    if (!value.empty()) {
        object[name] = value;
    }
}

void PutFlag(Json& object, const char* name, bool value) {
    if (value) {
        object[name] = true;
    }
}

// Each reader leaves its member as it is when the object lacks it, and fails on a member of another type.
bool TakeList(const Json& object, const char* name, std::vector<std::string>& out) {
    const auto it = object.find(name);
    if (it == object.end()) {
        return true;
    }
    if (!it->is_array()) {
        return false;
    }
    for (const Json& value : *it) {
        if (!value.is_string()) {
            return false;
        }
        out.push_back(value.get<std::string>());
    }
    return true;
}

bool TakeText(const Json& object, const char* name, std::string& out) {
    const auto it = object.find(name);
    if (it == object.end()) {
        return true;
    }
    if (!it->is_string()) {
        return false;
    }
    out = it->get<std::string>();
    return true;
}

bool TakeFlag(const Json& object, const char* name, bool& out) {
    const auto it = object.find(name);
    if (it == object.end()) {
        return true;
    }
    if (!it->is_boolean()) {
        return false;
    }
    out = it->get<bool>();
    return true;
}

} // namespace

KeptIdentity IdentityToKeep(const KeptIdentity& given) {
    KeptIdentity kept;
    kept.userAgent = given.userAgent;
    for (const std::string& line : given.headers) {
        kept.headers.push_back(web::IsCredentialHeader(line) ? std::string(web::HeaderName(line)) : line);
    }
    for (const std::string& cookie : given.cookies) {
        kept.cookies.emplace_back(web::CookieName(cookie));
    }
    kept.authUser = given.authUser;
    return kept;
}

std::vector<std::string> RestoreCredentials(KeptIdentity& kept, const KeptIdentity& given) {
    std::vector<std::string> missing;
    // A kept header without its colon is a credential header whose value was not kept.
    for (std::string& line : kept.headers) {
        if (line.find(':') != std::string::npos) {
            continue;
        }
        const auto same = std::find_if(given.headers.begin(), given.headers.end(), [&line](const std::string& header) {
            return web::IsCredentialHeader(header) && web::EqualsIgnoreCase(web::HeaderName(header), line);
        });
        if (same == given.headers.end()) {
            missing.push_back(line);
        } else {
            line = *same;
        }
    }
    for (std::string& cookie : kept.cookies) {
        const auto same = std::find_if(given.cookies.begin(), given.cookies.end(),
                                       [&cookie](const std::string& text) { return web::CookieName(text) == cookie; });
        if (same == given.cookies.end()) {
            missing.push_back(cookie);
        } else {
            cookie = *same;
        }
    }
    return missing;
}

std::optional<std::string> KeptControlsText(const KeptControls& kept) {
    const crawl::CrawlControls& controls = kept.controls;
    Json object = Json::object();
    if (controls.scope != crawl::CrawlScope::Host) {
        object["scope"] = crawl::CrawlScopeName(controls.scope);
    }
    PutList(object, "include", controls.include);
    PutList(object, "exclude", controls.exclude);
    if (controls.maxDepth) {
        object["max_depth"] = *controls.maxDepth;
    }
    PutList(object, "strip_query", controls.stripQuery);
    PutText(object, "robots_agent", controls.robotsAgent);
    PutFlag(object, "list_mode", controls.listMode);
    PutList(object, "listed", controls.listed);
    PutFlag(object, "list_from_sitemaps", controls.listFromSitemaps);
    PutFlag(object, "check_external", controls.checkExternal);
    const KeptIdentity& identity = kept.identity;
    PutText(object, "user_agent", identity.userAgent);
    PutList(object, "headers", identity.headers);
    PutList(object, "cookies", identity.cookies);
    PutText(object, "auth_user", identity.authUser);
    try {
        return object.dump();
    } catch (const Json::type_error&) {
        // Text that is no UTF-8 would come back other than it went in.
        return std::nullopt;
    }
}

std::optional<KeptControls> ParseKeptControls(std::string_view text) {
    const Json object = Json::parse(text, nullptr, false);
    if (!object.is_object()) {
        return std::nullopt;
    }
    KeptControls kept;
    crawl::CrawlControls& controls = kept.controls;
    std::string scope;
    if (!TakeText(object, "scope", scope)) {
        return std::nullopt;
    }
    if (!scope.empty()) {
        const std::optional<crawl::CrawlScope> parsed = crawl::ParseCrawlScope(scope);
        if (!parsed) {
            return std::nullopt;
        }
        controls.scope = *parsed;
    }
    if (const auto depth = object.find("max_depth"); depth != object.end()) {
        if (!depth->is_number_unsigned()) {
            return std::nullopt;
        }
        controls.maxDepth = depth->get<std::size_t>();
    }
    KeptIdentity& identity = kept.identity;
    const bool read = TakeList(object, "include", controls.include) && TakeList(object, "exclude", controls.exclude) &&
                      TakeList(object, "strip_query", controls.stripQuery) &&
                      TakeText(object, "robots_agent", controls.robotsAgent) &&
                      TakeFlag(object, "list_mode", controls.listMode) && TakeList(object, "listed", controls.listed) &&
                      TakeFlag(object, "list_from_sitemaps", controls.listFromSitemaps) &&
                      TakeFlag(object, "check_external", controls.checkExternal) &&
                      TakeText(object, "user_agent", identity.userAgent) &&
                      TakeList(object, "headers", identity.headers) && TakeList(object, "cookies", identity.cookies) &&
                      TakeText(object, "auth_user", identity.authUser);
    if (!read) {
        return std::nullopt;
    }
    return kept;
}

} // namespace vortaxel::store
