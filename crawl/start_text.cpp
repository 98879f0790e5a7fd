#include "crawl/start_text.h"

#include <string_view>

namespace vortaxel::crawl {

namespace {

/// Gives "scheme://host" and "scheme://host?query" the path "/"; any other text stays as it is.
void GiveEmptyPathItsSlash(std::string& text) {
    constexpr std::string_view kAuthorityMark = "://";
    const std::size_t mark = text.find(kAuthorityMark);
    if (mark == std::string::npos) {
        return; // no address a browser would take: the run says why it cannot start
    }
    const std::size_t authorityEnd = text.find_first_of("/\\?#", mark + kAuthorityMark.size());
    if (authorityEnd == std::string::npos) {
        text += '/';
    } else if (text[authorityEnd] == '?' || text[authorityEnd] == '#') {
        text.insert(authorityEnd, 1, '/');
    }
}

} // namespace

bool PrepareStartText(std::string& text) {
    if (text.empty() || text == "http://") {
        return false;
    }
    if (text.back() != '/') {
        text += '/';
    }
    return true;
}

bool PrepareStartText(std::string& text, RuleSet rules) {
    if (rules == RuleSet::Classic) {
        return PrepareStartText(text);
    }
    if (text.empty() || text == "http://") {
        return false;
    }
    GiveEmptyPathItsSlash(text);
    return true;
}

} // namespace vortaxel::crawl
