// List mode: an address list read line by line, whatever its size or its lines' shape, and a run that
// audits exactly the pages a list or the site's sitemaps name, following no link.

#include "crawl/crawl_engine.h"
#include "crawl/list/address_list.h"
#include "recording_crawl.h"

#include <gtest/gtest.h>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace vortaxel::crawl {
namespace {

struct Refused {
    std::size_t line;
    std::string text;
    std::size_t bytes;
    bool operator==(const Refused&) const = default;
};

struct Read {
    ListedAddresses listed;
    std::vector<Refused> refused;
};

Read ReadText(const std::string& text) {
    std::istringstream in(text);
    Read read;
    read.listed = ReadAddressList(in, [&read](const ListedLineProblem& problem) {
        read.refused.push_back({problem.line, problem.text, problem.bytes});
    });
    return read;
}

TEST(AddressListTest, LinesAreReadAsTheUserMeantThem) {
    const std::string longPath(std::size_t{100} * 1024, 'a');
    const std::string nearLimit = "http://s.test/" + std::string(std::size_t{60} * 1024, 'b');
    struct Row {
        const char* name;
        std::string text;
        std::vector<std::string> addresses;
        std::vector<Refused> refused;
        std::size_t duplicates;
    };
    const Row rows[] = {
        {"blank lines and comments are skipped",
         "\n# a comment\n   # indented comment\n\t\nhttp://s.test/a\n\n",
         {"http://s.test/a"},
         {},
         0},
        {"CR LF ends, blanks around and no last line end",
         "  http://s.test/a \r\nhttps://s.test/b\t\r\nhttp://s.test/c",
         {"http://s.test/a", "https://s.test/b", "http://s.test/c"},
         {},
         0},
        {"lines that name no web page are told with their number and skipped",
         "http://s.test/a\nrelative/page.html\nmailto:x@s.test\nftp://s.test/f\nhttp://\nhttp://s.test/b\n",
         {"http://s.test/a", "http://s.test/b"},
         {{2, "relative/page.html", 18}, {3, "mailto:x@s.test", 15}, {4, "ftp://s.test/f", 14}, {5, "http://", 7}},
         0},
        {"spellings of one page are one page, kept where first written",
         "http://S.TEST/a#top\nhttp://s.test:80/a\nhttp://s.test/b\nhttp://s.test/a\n",
         {"http://s.test/a", "http://s.test/b"},
         {},
         2},
        {"a host alone gains its slash", "http://s.test\n", {"http://s.test/"}, {}, 0},
        {"control bytes are kept for the caller to show safely",
         std::string("http://s.test/a\nnot\x1b[31m an address\n"),
         {"http://s.test/a"},
         {{2, "not\x1b[31m an address", 19}},
         0},
        {"a line of 100 KB is told by its first bytes and its length",
         "http://s.test/" + longPath + "\nhttp://s.test/a\n",
         {"http://s.test/a"},
         {{1, ("http://s.test/" + longPath).substr(0, kListedLineShown), longPath.size() + 14}},
         0},
        {"a long address within the bound is an address", nearLimit + "\n", {nearLimit}, {}, 0},
        {"nothing at all", "", {}, {}, 0},
        {"comments only", "# a\n#b\n", {}, {}, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const Read read = ReadText(row.text);
        EXPECT_EQ(read.listed.addresses, row.addresses);
        EXPECT_EQ(read.refused, row.refused);
        EXPECT_EQ(read.listed.refused, row.refused.size());
        EXPECT_EQ(read.listed.duplicates, row.duplicates);
    }
}

TEST(AddressListTest, AHundredThousandLinesWithRepeatsAreReadOnceEach) {
    std::string text;
    constexpr int kLines = 100'000;
    for (int i = 0; i < kLines; ++i) {
        // Every tenth line repeats the one before it.
        text += "http://s.test/page-" + std::to_string(i % 10 == 9 ? i - 1 : i) + ".html\n";
    }
    const Read read = ReadText(text);
    EXPECT_EQ(read.listed.addresses.size(), std::size_t{kLines - kLines / 10});
    EXPECT_EQ(read.listed.duplicates, std::size_t{kLines / 10});
    EXPECT_TRUE(read.refused.empty());
    EXPECT_EQ(read.listed.addresses.front(), "http://s.test/page-0.html");
    EXPECT_EQ(read.listed.addresses.back(), "http://s.test/page-99998.html");
}

/// Pages by address, each HTML with a 200, a redirect by `redirects`, anything else 404; keeps each request.
class ListedSite final : public PageFetcher {
public:
    FetchedPage Fetch(const std::string& url) override {
        requests.push_back(url);
        std::string landed = url;
        if (const auto hop = redirects.find(url); hop != redirects.end()) {
            landed = hop->second;
        }
        const auto file = files.find(landed);
        FetchedPage page = FetchedPage::Success(file == files.end() ? std::string() : file->second);
        page.status = file == files.end() ? 404 : 200;
        page.finalUrl = landed == url ? std::string() : landed;
        page.contentType = landed.ends_with(".xml")   ? "application/xml"
                           : landed.ends_with(".txt") ? "text/plain"
                                                      : "text/html";
        return page;
    }

    std::map<std::string, std::string> files;
    std::map<std::string, std::string> redirects;
    std::vector<std::string> requests;
};

TEST(ListModeTest, ExactlyTheListedPagesAreAuditedAndNoLinkIsFollowed) {
    ListedSite site;
    const std::string links = "<a href=\"/linked.html\">l</a><a href=\"http://other.test/x\">x</a>";
    site.files["http://s.test/"] = "home" + links;
    site.files["http://s.test/a.html"] = "a" + links;
    site.files["http://s.test/b.html"] = "b" + links;
    site.files["http://s.test/linked.html"] = "linked";
    site.files["http://s.test/moved-here.html"] = "moved";
    site.files["http://other.test/page"] = "elsewhere" + links;
    site.files["http://s.test/robots.txt"] = "Sitemap: http://s.test/map.xml\n";
    site.files["http://s.test/map.xml"] =
        "<?xml version=\"1.0\"?><urlset xmlns=\"http://www.sitemaps.org/schemas/sitemap/0.9\">"
        "<url><loc>http://s.test/b.html</loc></url><url><loc>http://s.test/a.html</loc></url></urlset>";
    site.redirects["http://s.test/old.html"] = "http://s.test/moved-here.html";
    using Texts = std::vector<std::string>;
    struct Row {
        const char* name;
        Texts listed;
        bool sitemaps;
        bool fromSitemaps;
        Texts requests;
        Texts found;
    };
    const Row rows[] = {
        {"a list on the site and off it, a redirect and a missing page",
         {"http://s.test/a.html", "http://other.test/page", "http://s.test/old.html", "http://s.test/gone.html"},
         false,
         false,
         {"http://s.test/a.html", "http://other.test/page", "http://s.test/old.html", "http://s.test/gone.html"},
         {"http://s.test/a.html", "http://other.test/page", "http://s.test/moved-here.html"}},
        {"a page listed twice and where a redirect lands, audited once",
         {"http://s.test/moved-here.html", "http://s.test/old.html", "http://s.test/moved-here.html"},
         false,
         false,
         {"http://s.test/moved-here.html", "http://s.test/old.html"},
         {"http://s.test/moved-here.html"}},
        {"sitemaps read beside a list queue none of their pages",
         {"http://s.test/a.html"},
         true,
         false,
         {"http://s.test/robots.txt", "http://s.test/map.xml", "http://s.test/sitemap.xml", "http://s.test/a.html"},
         {"http://s.test/a.html"}},
        {"the sitemaps' pages alone, the start page not among them",
         {},
         true,
         true,
         {"http://s.test/robots.txt", "http://s.test/map.xml", "http://s.test/sitemap.xml", "http://s.test/b.html",
          "http://s.test/a.html"},
         {"http://s.test/b.html", "http://s.test/a.html"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        site.requests.clear();
        testing::RunRecorder listener;
        CrawlEngine engine(site, listener);
        RunLimits limits;
        limits.sitemaps = row.sitemaps;
        limits.controls.listMode = true;
        limits.controls.listed = row.listed;
        limits.controls.listFromSitemaps = row.fromSitemaps;
        engine.SetLimits(limits);
        EXPECT_EQ(engine.Run("http://s.test/", RuleSet::Browser), RunEnd::QueueEmpty);
        EXPECT_EQ(site.requests, row.requests);
        EXPECT_EQ(listener.found, row.found);
        // The start page was never asked for, so it cannot have failed.
        EXPECT_EQ(engine.StartFailure(), "");
    }
}

} // namespace
} // namespace vortaxel::crawl
