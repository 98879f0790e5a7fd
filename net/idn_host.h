#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vortaxel::net {

/// url with a host name holding non-ASCII bytes (taken as UTF-8) turned into its ASCII form, as browsers
/// do (UTS #46, non-transitional, as IDNA 2008 wants): "http://bücher.example/" becomes
/// "http://xn--bcher-kva.example/". An ASCII host leaves url as it is. Nothing when the host is no valid
/// international name. Needs no locale, unlike the conversion libcurl makes.
std::optional<std::string> WithAsciiHost(std::string_view url);

} // namespace vortaxel::net
