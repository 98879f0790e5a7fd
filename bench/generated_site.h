#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vortaxel::bench {

/// A web shop that exists only as a rule: every page is drawn afresh from the seed and its number
/// whenever it is asked for, so a site of a million pages costs no memory of its own.
///
/// Page 0 is the root; page i is "catalog/item-i.html" under it. Each page holds about 4 KB of
/// text and 30 links: 20 relative (half with a leading "/"), 5 absolute inside the site, 5 to
/// other sites, one mailto: and one .pdf link among them, and a few repeated targets. Two of the
/// in-site links form a binary tree over the page numbers, so a crawl reaches every page; the
/// rest point at random pages, as links on a real shop do.
class GeneratedSite {
public:
    /// `root` is the site's address, ending in "/".
    GeneratedSite(std::size_t pages, std::uint64_t seed, std::string root = "http://www.shop.test/");

    std::size_t Pages() const { return pages_; }
    const std::string& Root() const { return root_; }
    std::string PageUrl(std::size_t i) const;
    /// The path of page i below the root ("" for the root itself).
    std::string PagePath(std::size_t i) const;

    /// Replaces `body` with page i.
    void WritePage(std::size_t i, std::string& body) const;
    /// Replaces `body` with the page at `url` and returns true, or returns false when the address
    /// names no page of the site.
    bool PageAt(std::string_view url, std::string& body) const;

private:
    std::size_t pages_;
    std::uint64_t seed_;
    std::string root_;
};

} // namespace vortaxel::bench
