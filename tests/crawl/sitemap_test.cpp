#include "crawl/crawl_engine.h"
#include "crawl/robots/robots_rules.h"
#include "crawl/sitemap/site_sitemaps.h"
#include "crawl/sitemap/sitemap_reader.h"
#include "crawl/sitemap/sitemap_walk.h"
#include "recording_crawl.h"
#include "tests/support/gzip.h"

#include <chrono>
#include <gtest/gtest.h>
#include <limits>
#include <map>

namespace vortaxel::crawl {
namespace {

using ::vortaxel::test::Gzip;

std::string UrlSet(const std::string& urls) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<urlset xmlns=\"http://www.sitemaps.org/schemas/sitemap/0.9\">" +
           urls + "</urlset>";
}

std::string Index(const std::vector<std::string>& sitemaps) {
    std::string text = "<sitemapindex xmlns=\"http://www.sitemaps.org/schemas/sitemap/0.9\">";
    for (const std::string& s : sitemaps) {
        text += "<sitemap><loc>" + s + "</loc><lastmod>2024-01-01</lastmod></sitemap>";
    }
    return text + "</sitemapindex>";
}

struct SitemapRow {
    const char* name;
    std::string body;
    SitemapKind kind;
    std::vector<std::string> pages;
    std::vector<std::string> sitemaps;
    /// The start of the problem expected, empty for none.
    std::string problem;
    SitemapLimits limits;
};

class SitemapReadTest : public ::testing::TestWithParam<SitemapRow> {
protected:
    void Check(const SitemapContent& content) const {
        const SitemapRow& row = GetParam();
        EXPECT_EQ(content.kind, row.kind);
        EXPECT_EQ(content.pages, row.pages);
        EXPECT_EQ(content.sitemaps, row.sitemaps);
        EXPECT_EQ(content.problem.substr(0, row.problem.size()), row.problem) << content.problem;
        EXPECT_EQ(content.problem.empty(), row.problem.empty()) << content.problem;
    }
};

TEST_P(SitemapReadTest, ReadWhole) {
    Check(ReadSitemap(GetParam().body, GetParam().limits));
}

// The network hands a body over in pieces of any size: one byte at a time must read the same.
TEST_P(SitemapReadTest, ReadAByteAtATime) {
    SitemapReader reader(GetParam().limits);
    for (const char c : GetParam().body) {
        if (!reader.Feed(std::string_view(&c, 1))) {
            break;
        }
    }
    Check(reader.Finish());
}

SitemapLimits Limits(std::size_t maxBytes, std::size_t maxUrls, std::size_t maxLoc = 8192) {
    return {maxBytes, maxUrls, maxLoc};
}

const std::string kTwo = UrlSet("<url><loc>http://s.test/a</loc></url><url>\n  <loc>\n http://s.test/b \n</loc>"
                                "<priority>0.5</priority></url>");

INSTANTIATE_TEST_SUITE_P(
    Rows, SitemapReadTest,
    ::testing::Values(
        SitemapRow{"url_set", kTwo, SitemapKind::UrlSet, {"http://s.test/a", "http://s.test/b"}, {}, "", {}},
        SitemapRow{"index",
                   Index({"http://s.test/one.xml", "http://s.test/two.xml.gz"}),
                   SitemapKind::Index,
                   {},
                   {"http://s.test/one.xml", "http://s.test/two.xml.gz"},
                   "",
                   {}},
        SitemapRow{"prefixed_names",
                   "<sm:urlset xmlns:sm=\"http://www.sitemaps.org/schemas/sitemap/0.9\"><sm:url><sm:loc>"
                   "http://s.test/p</sm:loc></sm:url></sm:urlset>",
                   SitemapKind::UrlSet,
                   {"http://s.test/p"},
                   {},
                   "",
                   {}},
        SitemapRow{"cdata",
                   UrlSet("<url><loc><![CDATA[http://s.test/[x]]]></loc></url>"
                          "<url><loc><![CDATA[http://s.test/?a=1&b=<2>]]></loc></url>"),
                   SitemapKind::UrlSet,
                   {"http://s.test/[x]", "http://s.test/?a=1&b=<2>"},
                   {},
                   "",
                   {}},
        SitemapRow{"entities",
                   UrlSet("<url><loc>http://s.test/?a=1&amp;b=2&#38;c=&#x263A;&nbsp;&#0;&bogus</loc></url>"),
                   SitemapKind::UrlSet,
                   {"http://s.test/?a=1&b=2&c=\xE2\x98\xBA&nbsp;&#0;&bogus"},
                   {},
                   "",
                   {}},
        SitemapRow{"comment_and_doctype",
                   "<!DOCTYPE urlset><!-- <url><loc>http://s.test/hidden</loc></url> --->" +
                       UrlSet("<url><!-- x --><loc>http://s.test/shown</loc></url>"),
                   SitemapKind::UrlSet,
                   {"http://s.test/shown"},
                   {},
                   "",
                   {}},
        SitemapRow{"image_loc_is_no_page",
                   UrlSet("<url><loc>http://s.test/a</loc><image:image><image:loc>http://s.test/i.png</image:loc>"
                          "</image:image></url><loc>http://s.test/stray</loc>"),
                   SitemapKind::UrlSet,
                   {"http://s.test/a"},
                   {},
                   "",
                   {}},
        SitemapRow{"quoted_angle_bracket",
                   "<urlset a=\"x>y\" b='>'><url><loc>http://s.test/q</loc></url></urlset>",
                   SitemapKind::UrlSet,
                   {"http://s.test/q"},
                   {},
                   "",
                   {}},
        SitemapRow{"self_closing_and_empty",
                   UrlSet("<url><loc/></url><url><loc>  </loc></url>"),
                   SitemapKind::UrlSet,
                   {},
                   {},
                   "",
                   {}},
        SitemapRow{"html_page",
                   "<html><body><a href=\"/x\">x</a><loc>http://s.test/no</loc></body></html>",
                   SitemapKind::Unknown,
                   {},
                   {},
                   "",
                   {}},
        SitemapRow{"binary", std::string("\0\xFF<<>>&&;\x01<![CDATA[", 19), SitemapKind::Unknown, {}, {}, "", {}},
        SitemapRow{"long_loc_dropped",
                   UrlSet("<url><loc>http://s.test/" + std::string(100, 'x') +
                          "</loc></url><url><loc>http://s.test/"
                          "ok</loc></url>"),
                   SitemapKind::UrlSet,
                   {"http://s.test/ok"},
                   {},
                   "",
                   Limits(1 << 20, 100, 64)},
        SitemapRow{"address_cap",
                   kTwo,
                   SitemapKind::UrlSet,
                   {"http://s.test/a"},
                   {},
                   "read only the first 1 addresses",
                   Limits(1 << 20, 1)},
        SitemapRow{"byte_cap",
                   kTwo,
                   SitemapKind::UrlSet,
                   {"http://s.test/a"},
                   {},
                   "read only the first 160 bytes",
                   Limits(160, 100)},
        SitemapRow{"gzip", Gzip(kTwo), SitemapKind::UrlSet, {"http://s.test/a", "http://s.test/b"}, {}, "", {}},
        // 20 MB of blanks packs into some 20 KB; unpacking stops at the byte cap.
        SitemapRow{"gzip_bomb",
                   Gzip(UrlSet("<url><loc>http://s.test/first</loc></url>" + std::string(20 << 20, ' '))),
                   SitemapKind::UrlSet,
                   {"http://s.test/first"},
                   {},
                   "read only the first 1048576 bytes",
                   Limits(1 << 20, 100)},
        SitemapRow{"gzip_broken",
                   "\x1F\x8B" + std::string(40, 'z'),
                   SitemapKind::Unknown,
                   {},
                   {},
                   "the gzip data is broken",
                   {}},
        SitemapRow{
            "gzip_cut_short", Gzip(kTwo).substr(0, 30), SitemapKind::Unknown, {}, {}, "the gzip data ends early", {}}),
    [](const ::testing::TestParamInfo<SitemapRow>& info) { return info.param.name; });

/// Sitemaps served from memory, each fed to the reader in pieces; counts every fetch.
class FakeSitemaps {
public:
    std::map<std::string, std::string> files;
    std::map<std::string, int> fetches;

    SitemapFetch Fetch() {
        return [this](const std::string& url, SitemapReader& into) {
            ++fetches[url];
            const auto file = files.find(url);
            if (file == files.end()) {
                return false;
            }
            for (std::size_t at = 0; at < file->second.size(); at += 7) {
                if (!into.Feed(std::string_view(file->second).substr(at, 7))) {
                    break;
                }
            }
            return true;
        };
    }
};

TEST(SitemapWalkTest, IndexesThatNameEachOtherAreEachReadOnce) {
    FakeSitemaps site;
    site.files["http://s.test/a.xml"] = Index({"http://s.test/b.xml", "http://s.test/a.xml", "http://s.test/p.xml"});
    site.files["http://s.test/b.xml"] = Index({"http://s.test/a.xml", "http://s.test/b.xml"});
    site.files["http://s.test/p.xml"] = kTwo;
    const SitemapWalk walk = WalkSitemaps({"http://s.test/a.xml", "http://s.test/b.xml"}, site.Fetch());
    EXPECT_EQ(walk.pages, (std::vector<std::string>{"http://s.test/a", "http://s.test/b"}));
    EXPECT_EQ(walk.sitemapsRead, 3U);
    for (const auto& [url, count] : site.fetches) {
        EXPECT_EQ(count, 1) << url;
    }
    EXPECT_TRUE(walk.problems.empty());
}

TEST(SitemapWalkTest, NestingAndFileCountAreBounded) {
    FakeSitemaps site;
    for (int i = 0; i < 50; ++i) {
        site.files["http://s.test/" + std::to_string(i) + ".xml"] =
            Index({"http://s.test/" + std::to_string(i + 1) + ".xml"}) +
            UrlSet("<url><loc>http://s.test/page" + std::to_string(i) + "</loc></url>");
    }
    SitemapWalkLimits deep;
    deep.maxDepth = 2;
    const SitemapWalk shallow = WalkSitemaps({"http://s.test/0.xml"}, site.Fetch(), deep);
    EXPECT_EQ(shallow.sitemapsRead, 3U);
    ASSERT_EQ(shallow.problems.size(), 1U);
    EXPECT_EQ(shallow.problems[0], "http://s.test/3.xml: left out, nested deeper than 2 indexes");

    SitemapWalkLimits few;
    few.maxDepth = 100;
    few.maxSitemaps = 5;
    const SitemapWalk capped = WalkSitemaps({"http://s.test/0.xml"}, site.Fetch(), few);
    EXPECT_EQ(capped.sitemapsRead, 5U);
    EXPECT_EQ(capped.problems, (std::vector<std::string>{"1 sitemaps left out after reading 5"}));
}

TEST(SitemapWalkTest, PagesAreKeptOnceAndWithinTheirCap) {
    FakeSitemaps site;
    site.files["http://s.test/i.xml"] = Index({"http://s.test/1.xml", "http://s.test/2.xml", "http://s.test/gone"});
    site.files["http://s.test/1.xml"] =
        UrlSet("<url><loc>http://s.test/a</loc></url><url><loc>http://s.test/b</loc></url>");
    site.files["http://s.test/2.xml"] =
        UrlSet("<url><loc>http://s.test/b</loc></url><url><loc>http://s.test/c</loc></url>"
               "<url><loc>http://s.test/d</loc></url>");
    const SitemapWalk all = WalkSitemaps({"http://s.test/i.xml"}, site.Fetch());
    EXPECT_EQ(all.pages,
              (std::vector<std::string>{"http://s.test/a", "http://s.test/b", "http://s.test/c", "http://s.test/d"}));
    EXPECT_EQ(all.problems, (std::vector<std::string>{"http://s.test/gone: could not be fetched"}));

    SitemapWalkLimits three;
    three.maxPages = 3;
    const SitemapWalk cut = WalkSitemaps({"http://s.test/i.xml"}, site.Fetch(), three);
    EXPECT_EQ(cut.pages.size(), 3U);
    EXPECT_EQ(cut.problems.back(), "read only the first 3 pages");
}

// A sitemap of a gigabyte, streamed: reading stops at the byte cap and the fetch is told to stop.
TEST(SitemapWalkTest, AnEndlessSitemapStopsAtTheByteCap) {
    std::size_t served = 0;
    const SitemapFetch endless = [&](const std::string&, SitemapReader& into) {
        bool more = into.Feed("<urlset>");
        for (int i = 0; more && served < (std::size_t{1} << 30); ++i) {
            const std::string url = "<url><loc>http://s.test/p" + std::to_string(i) + "</loc></url>";
            served += url.size();
            more = into.Feed(url);
        }
        return true;
    };
    SitemapWalkLimits limits;
    limits.perFile = Limits(1 << 20, 1'000'000);
    const SitemapWalk walk = WalkSitemaps({"http://s.test/huge.xml"}, endless, limits);
    EXPECT_LT(served, (std::size_t{2} << 20));
    EXPECT_GT(walk.pages.size(), 1000U);
    EXPECT_EQ(walk.problems, (std::vector<std::string>{"http://s.test/huge.xml: read only the first 1048576 bytes"}));
}

TEST(RobotsSitemapsTest, SitemapLinesStandOutsideTheGroups) {
    const std::string body = "\xEF\xBB\xBFSitemap: http://s.test/one.xml\n"
                             "User-agent: *\nDisallow: /private\n"
                             "SITEMAP:http://s.test/two.xml.gz # the second\r\n"
                             "site-map: http://s.test/not.xml\n"
                             "Sitemap:\n"
                             "  sitemap :  http://s.test/three.xml  \n";
    EXPECT_EQ(RobotsSitemaps(body), (std::vector<std::string>{"http://s.test/one.xml", "http://s.test/two.xml.gz",
                                                              "http://s.test/three.xml"}));
    EXPECT_TRUE(RobotsSitemaps("User-agent: *\nDisallow: /\n").empty());
}

/// A site whose files answer 200 with a type by their ending and whose missing ones answer 404,
/// counting the requests for each address.
class TypedSite final : public PageFetcher {
public:
    FetchedPage Fetch(const std::string& url) override {
        ++requests[url];
        const auto file = files.find(url);
        if (file == files.end()) {
            FetchedPage missing = FetchedPage::Success("");
            missing.status = 404;
            return missing;
        }
        FetchedPage page = FetchedPage::Success(file->second);
        page.status = 200;
        page.contentType = url.ends_with(".xml")   ? "application/xml"
                           : url.ends_with(".txt") ? "text/plain"
                                                   : "text/html";
        return page;
    }

    std::map<std::string, std::string> files;
    std::map<std::string, int> requests;
};

// However many sitemaps a site names, reading them is bounded in time, and a run that lists few pages
// reads no more of them than one whole file besides.
TEST(SiteSitemapsTest, ReadingIsBoundedInTimeAndByThePagesWanted) {
    constexpr int kFiles = 3;
    constexpr int kPerFile = 30'000;
    TypedSite site;
    site.files["http://s.test/"] = "<a href=\"/a.html\">a</a>";
    site.files["http://s.test/a.html"] = "a";
    std::string robots;
    for (int file = 0; file < kFiles; ++file) {
        const std::string name = "http://s.test/map" + std::to_string(file) + ".xml";
        robots += "Sitemap: " + name + "\n";
        std::string urls;
        for (int i = 0; i < kPerFile; ++i) {
            // Off the site, so that the run crawls none of them: what counts here is what is read.
            urls += "<url><loc>http://elsewhere.test/f" + std::to_string(file) + "-" + std::to_string(i) +
                    ".html</loc></url>";
        }
        site.files[name] = UrlSet(urls);
    }
    site.files["http://s.test/robots.txt"] = robots;
    struct Row {
        const char* name;
        std::size_t pages;
        std::chrono::milliseconds time;
        int filesRead;
    };
    const Row rows[] = {
        {"unbounded", std::numeric_limits<std::size_t>::max(), RunLimits{}.sitemapTime, kFiles},
        {"two pages wanted: one file and the next, which reaches 50,000 addresses", 2, RunLimits{}.sitemapTime, 2},
        {"no time to read them", std::numeric_limits<std::size_t>::max(), std::chrono::milliseconds(0), 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        site.requests.clear();
        testing::RunRecorder listener;
        CrawlEngine engine(site, listener);
        RunLimits limits;
        limits.sitemaps = true;
        limits.pages = row.pages;
        limits.sitemapTime = row.time;
        engine.SetLimits(limits);
        engine.Run("http://s.test/", RuleSet::Browser);
        int filesRead = 0;
        for (int file = 0; file < kFiles; ++file) {
            filesRead += site.requests["http://s.test/map" + std::to_string(file) + ".xml"];
        }
        EXPECT_EQ(filesRead, row.filesRead);
        EXPECT_EQ(site.requests["http://s.test/robots.txt"], row.filesRead == 0 ? 0 : 1);
        EXPECT_GE(listener.found.size(), std::min<std::size_t>(row.pages, 2));
    }
}

// Sitemaps that a stop or the time bound kept from being asked for are no fault of the site's: one line
// says how many were left unread, none says they could not be fetched.
TEST(SiteSitemapsTest, SitemapsLeftUnaskedAreToldApart) {
    const auto site = SiteScope::Of("http://s.test/");
    ASSERT_TRUE(site.has_value());
    int fetches = 0;
    const FileFetch fetch = [&fetches](const std::string& url) {
        ++fetches;
        FetchedPage page = FetchedPage::Success(url.ends_with("robots.txt")
                                                    ? "Sitemap: http://s.test/a.xml\nSitemap: http://s.test/b.xml\n"
                                                    : UrlSet("<url><loc>http://s.test/p.html</loc></url>"));
        page.status = 200;
        return page;
    };
    // robots.txt and the first sitemap are read; then time runs out.
    const SiteSitemaps read = ReadSiteSitemaps(*site, fetch, [&fetches] { return fetches >= 2; });
    EXPECT_EQ(fetches, 2);
    EXPECT_EQ(read.sitemapsRead, 1U);
    EXPECT_EQ(read.pages, (std::vector<std::string>{"http://s.test/p.html"}));
    EXPECT_EQ(read.problems,
              (std::vector<std::string>{
                  "2 sitemaps left unread: the time for reading sitemaps ran out or the run was stopped"}));
}

} // namespace
} // namespace vortaxel::crawl
