#pragma once

#include <string>
#include <string_view>

namespace vortaxel::web {

/// The name of a "Name: value" request header line: what comes before its colon, blanks trimmed.
std::string_view HeaderName(std::string_view line);

/// Whether a header line carries a credential (Authorization, Proxy-Authorization, Cookie): such a header
/// goes to the start page's origin alone, and its value is never kept.
bool IsCredentialHeader(std::string_view line);

/// Why `line` cannot go out as a request header of its own, or nothing when it can. Besides bytes that
/// would end the line (CR, LF, NUL) it refuses the headers a crawl sets itself.
std::string HeaderProblem(std::string_view line);

/// Why `text` is no "name=value" cookie that can be sent as it is, or nothing when it is one.
std::string CookieProblem(std::string_view text);

/// The name of a "name=value" cookie.
std::string_view CookieName(std::string_view text);

} // namespace vortaxel::web
