#include "ascii.h"

#include <algorithm>
#include <cstring>

namespace vortaxel::crawl {

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return ToLowerAscii(x) == ToLowerAscii(y); });
}

bool StartsWithIgnoreCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && EqualsIgnoreCase(text.substr(0, prefix.size()), prefix);
}

bool EndsWithIgnoreCase(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() && EqualsIgnoreCase(text.substr(text.size() - suffix.size()), suffix);
}

bool ContainsIgnoreCase(std::string_view text, std::string_view needle) {
    return CaselessFinder(text, needle).Next(0) != std::string_view::npos;
}

CaselessFinder::CaselessFinder(std::string_view text, std::string_view needle)
    : text_(text), needle_(needle), lower_(needle.empty() ? '\0' : ToLowerAscii(needle.front())),
      upper_(needle.empty() ? '\0' : ToUpperAscii(needle.front())) {}

std::size_t CaselessFinder::NextOf(char c, std::size_t& cached, std::size_t from) const {
    if (!primed_ || (cached != std::string_view::npos && cached < from)) {
        const void* hit = from < text_.size() ? std::memchr(text_.data() + from, c, text_.size() - from) : nullptr;
        cached = hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - text_.data()) : std::string_view::npos;
    }
    return cached;
}

std::size_t CaselessFinder::Next(std::size_t from) {
    if (needle_.empty()) {
        return from <= text_.size() ? from : std::string_view::npos;
    }
    while (from + needle_.size() <= text_.size()) {
        const std::size_t lower = NextOf(lower_, nextLower_, from);
        const std::size_t upper = lower_ == upper_ ? lower : NextOf(upper_, nextUpper_, from);
        primed_ = true;
        const std::size_t candidate = std::min(lower, upper);
        if (candidate == std::string_view::npos || candidate + needle_.size() > text_.size()) {
            return std::string_view::npos;
        }
        if (EqualsIgnoreCase(text_.substr(candidate + 1, needle_.size() - 1), needle_.substr(1))) {
            return candidate;
        }
        from = candidate + 1;
    }
    return std::string_view::npos;
}

} // namespace vortaxel::crawl
