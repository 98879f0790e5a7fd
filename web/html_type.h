#pragma once

#include "web/fetch_result.h"

#include <string_view>

namespace vortaxel::web {

/// True for a Content-Type of text/html or application/xhtml+xml, parameters and ASCII case ignored.
bool IsHtmlType(std::string_view contentType);

/// Whether a reply served without a Content-Type is HTML by its first bytes, as browsers tell: after
/// blanks (and a UTF-8 byte order mark), a comment or one of the tags HTML pages open with, such
/// as "<!DOCTYPE HTML", "<html", "<head", "<body", "<p" or "<a", followed by a blank or '>'.
bool LooksLikeHtml(std::string_view body);

/// Whether `reply` is a page whose links and text are read: whole, successful (2xx), and HTML by its
/// Content-Type or, served without one, by the first bytes of `body`.
bool IsPageReply(const FetchResult& reply, std::string_view body);

} // namespace vortaxel::web
