#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace vortaxel::web {

/// A language version an HTTP `Link:` header names: `<target>; rel="alternate"; hreflang="de"`.
struct HeaderAlternate {
    /// As written between the angle brackets.
    std::string target;
    std::string hreflang;

    bool operator==(const HeaderAlternate&) const = default;
};

/// How many alternates one reply's headers may name: a page naming more is judged by its first ones.
inline constexpr std::size_t kMostHeaderAlternates = 1'000;

/// The alternates `value` (one or more Link header values joined by ", ", as RFC 8288 allows) names: each
/// link whose rel holds "alternate" among its blank-parted types (any letter case) and that has an
/// hreflang, in order, at most kMostHeaderAlternates. A link value that cannot be read (no closing '>',
/// an unterminated quote) ends the reading, keeping what came before it.
std::vector<HeaderAlternate> HeaderAlternates(std::string_view value);

} // namespace vortaxel::web
