#include "web/request_identity.h"

#include "web/ascii.h"

#include <algorithm>

namespace vortaxel::web {

namespace {

bool EndsOrBreaksLine(char c) {
    return c == '\r' || c == '\n' || c == '\0';
}

/// RFC 9110's token characters, which a field name is made of.
bool IsTokenChar(char c) {
    constexpr std::string_view kMarks = "!#$%&'*+-.^_`|~";
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
           kMarks.find(c) != std::string_view::npos;
}

} // namespace

std::string_view HeaderName(std::string_view line) {
    return TrimBlanks(line.substr(0, line.find(':')));
}

bool IsCredentialHeader(std::string_view line) {
    const std::string_view name = HeaderName(line);
    return EqualsIgnoreCase(name, "authorization") || EqualsIgnoreCase(name, "proxy-authorization") ||
           EqualsIgnoreCase(name, "cookie");
}

std::string HeaderProblem(std::string_view line) {
    if (std::any_of(line.begin(), line.end(), EndsOrBreaksLine)) {
        return "takes no CR, LF or NUL byte";
    }
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos) {
        return "takes 'Name: value'";
    }
    const std::string_view name = line.substr(0, colon);
    if (name.empty() || !std::all_of(name.begin(), name.end(), IsTokenChar)) {
        return "takes 'Name: value', the name of letters, digits and - without blanks";
    }
    if (EqualsIgnoreCase(name, "user-agent")) {
        return "cannot set User-Agent: use --user-agent";
    }
    if (EqualsIgnoreCase(name, "host")) {
        return "cannot set Host: it is the host of each address";
    }
    return {};
}

std::string CookieProblem(std::string_view text) {
    if (std::any_of(text.begin(), text.end(), [](char c) { return EndsOrBreaksLine(c) || c == ';'; })) {
        return "takes one 'name=value', with no CR, LF, NUL or ';'";
    }
    const std::size_t equals = text.find('=');
    if (equals == std::string_view::npos || TrimBlanks(text.substr(0, equals)).empty()) {
        return "takes 'name=value'";
    }
    return {};
}

std::string_view CookieName(std::string_view text) {
    return TrimBlanks(text.substr(0, text.find('=')));
}

} // namespace vortaxel::web
