#include "crawl/list/address_list.h"

#include "crawl/page/page_address.h"

#include <algorithm>
#include <deque>
#include <iterator>
#include <optional>
#include <streambuf>
#include <string_view>
#include <unordered_set>

namespace vortaxel::crawl {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v';
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

/// Reads one line into `line`, keeping at most `keep` bytes of it; returns the line's whole length, or
/// none at the end of the input.
std::optional<std::size_t> ReadLine(std::streambuf& in, std::string& line, std::size_t keep) {
    line.clear();
    std::size_t length = 0;
    bool any = false;
    for (auto c = in.sbumpc(); c != std::streambuf::traits_type::eof(); c = in.sbumpc()) {
        any = true;
        if (c == '\n') {
            return length;
        }
        if (line.size() < keep) {
            line.push_back(static_cast<char>(c));
        }
        ++length;
    }
    return any ? std::optional<std::size_t>(length) : std::nullopt;
}

} // namespace

ListedAddresses ReadAddressList(std::istream& in, const std::function<void(const ListedLineProblem&)>& problem) {
    ListedAddresses listed;
    std::streambuf* buffer = in.rdbuf();
    if (buffer == nullptr) {
        return listed;
    }
    // One byte past the longest address, so that a longer line is known to be one.
    const std::size_t keep = kMaxLinkBytes + 1;
    // The lookup points into the texts, which a deque never moves; they move into the list once read, so a
    // long list is held once.
    std::deque<std::string> addresses;
    std::unordered_set<std::string_view> seen;
    std::string line;
    std::size_t number = 0;
    while (const std::optional<std::size_t> length = ReadLine(*buffer, line, keep)) {
        ++number;
        const std::string_view text = Trimmed(line);
        if (text.empty() || text.front() == '#') {
            continue;
        }
        // Only an absolute address: a relative one would resolve against itself and come back as nothing.
        std::optional<std::string> identity = *length > kMaxLinkBytes ? std::nullopt : PageIdentity(text, text);
        if (!identity) {
            ++listed.refused;
            if (problem) {
                problem({number, std::string(line.substr(0, std::min(line.size(), kListedLineShown))), *length});
            }
            continue;
        }
        if (seen.contains(*identity)) {
            ++listed.duplicates;
            continue;
        }
        seen.insert(addresses.emplace_back(std::move(*identity)));
    }
    seen.clear();
    listed.addresses.reserve(addresses.size());
    std::move(addresses.begin(), addresses.end(), std::back_inserter(listed.addresses));
    return listed;
}

} // namespace vortaxel::crawl
