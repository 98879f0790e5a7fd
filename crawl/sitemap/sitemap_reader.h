#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vortaxel::crawl {

/// How much of one sitemap is read. The sitemap protocol allows 50,000 addresses and 50 MB unpacked per
/// file; anything past these is cut, so a huge file or a gzip bomb costs bounded time and memory.
struct SitemapLimits {
    std::size_t maxBytes = std::size_t{50} * 1024 * 1024;
    std::size_t maxUrls = 50'000;
    /// A <loc> longer than this is dropped: no address a crawler follows is that long.
    std::size_t maxLocBytes = std::size_t{8} * 1024;
};

enum class SitemapKind { Unknown, UrlSet, Index };

/// What one sitemap file lists.
struct SitemapContent {
    SitemapKind kind = SitemapKind::Unknown;
    /// <url><loc> values: pages, in file order, blanks around them trimmed and entities decoded.
    std::vector<std::string> pages;
    /// <sitemap><loc> values of an index: further sitemaps.
    std::vector<std::string> sitemaps;
    /// Why reading stopped before the end (a limit, broken gzip data); empty when the file was read whole.
    std::string problem;
};

/// Reads a sitemap or sitemap index as it arrives, a chunk at a time, without holding the file: plain XML or
/// gzip (told by its first bytes). Element names are matched without their namespace prefix (<sm:loc> is a
/// <loc>); CDATA sections, comments, processing instructions and the five XML entities plus numeric
/// character references are understood. It is a scanner, not a validating parser: text that is not XML
/// yields no addresses rather than an error.
class SitemapReader {
public:
    explicit SitemapReader(SitemapLimits limits = {});
    ~SitemapReader();
    SitemapReader(const SitemapReader&) = delete;
    SitemapReader& operator=(const SitemapReader&) = delete;
    SitemapReader(SitemapReader&&) noexcept;
    SitemapReader& operator=(SitemapReader&&) noexcept;

    /// Reads the next bytes of the file. False once reading has stopped (a limit was reached or the gzip
    /// data is broken): the caller may stop fetching.
    bool Feed(std::string_view bytes);

    /// What was read; call once the whole file (or as much as was wanted) has been fed.
    SitemapContent Finish();

private:
    class Scanner;
    void Pass(std::string_view bytes);
    class Inflater;

    std::unique_ptr<Scanner> scanner_;
    std::unique_ptr<Inflater> inflater_;
    std::string head_; // the first bytes, until they tell gzip from XML
    bool decided_ = false;
};

/// Reads a whole sitemap file held in memory.
SitemapContent ReadSitemap(std::string_view body, SitemapLimits limits = {});

} // namespace vortaxel::crawl
