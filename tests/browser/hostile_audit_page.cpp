// Writes the audit page of a constructed crawl whose pages hold what a hostile site could send, for the
// browser test to open.
#include "export/audit_page.h"
#include "platform/atomic_file_writer.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using namespace vortaxel::audit;

AuditPage Page(std::string url, std::optional<int> status, std::string title) {
    AuditPage page;
    page.finalUrl = url;
    page.url = std::move(url);
    page.status = status;
    page.title = std::move(title);
    page.contentType = "text/html";
    page.metaDescription = "A description";
    page.elapsedMs = 40;
    return page;
}

AuditData HostileCrawl() {
    AuditData data;
    data.meta.startUrl = "http://127.0.0.1:8080/?q=\"><script>document.documentElement.dataset.owned='start'</script>";
    data.meta.rules = "browser";
    data.meta.startedAt = "2026-01-02T03:04:05Z";
    data.meta.durationMs = 65'400;

    AuditPage start = Page(data.meta.startUrl, 200, "Home");
    start.inlinks = 1;
    start.foundMs = 0;
    data.pages.push_back(start);
    // The titles a hostile site might use: each must reach the page as the text it is.
    const char* const titles[] = {
        "</script><script>document.documentElement.dataset.owned='title'</script>",
        "<img src=http://evil.test/x.png onerror=\"document.documentElement.dataset.owned='img'\">",
        "<!-- <script> quotes \" ' and a line\xE2\x80\xA8separator",
        "bad \xFF\xFE utf-8 \xC0\xAF overlong \x80 lone",
        "<svg onload=alert(1)>",
    };
    int n = 1;
    for (const char* title : titles) {
        AuditPage page = Page("http://127.0.0.1:8080/p" + std::to_string(n), 200, title);
        page.depth = n % 3;
        page.foundMs = static_cast<std::uint64_t>(n) * 900;
        page.elapsedMs = static_cast<std::uint64_t>(n) * 150;
        page.inlinks = 1;
        data.pages.push_back(page);
        ++n;
    }
    AuditPage trick = Page("javascript:document.documentElement.dataset.owned='url'", 200, "Trick");
    trick.canonical = " JaVaScRiPt:document.documentElement.dataset.owned='canonical'";
    trick.indexability = Indexability::Canonicalised;
    trick.depth = 2;
    trick.inlinks = 1;
    data.pages.push_back(trick);
    AuditPage gone = Page("http://127.0.0.1:8080/gone", 404, "");
    gone.indexability = Indexability::ClientError;
    gone.depth = 1;
    data.pages.push_back(gone);
    AuditPage moved = Page("http://127.0.0.1:8080/old", 200, "Moved");
    moved.finalUrl = "http://127.0.0.1:8080/new";
    moved.redirectChain = {{301, "http://127.0.0.1:8080/old"}, {302, "http://127.0.0.1:8080/older"}};
    moved.depth = 1;
    moved.inlinks = 1;
    data.pages.push_back(moved);
    AuditPage hidden = Page("http://127.0.0.1:8080/hidden", 200, "Hidden");
    hidden.robots = "noindex";
    hidden.indexability = Indexability::Noindex;
    hidden.inSitemap = true;
    data.pages.push_back(hidden);

    const auto link = [&](const std::string& source, const std::string& target, std::optional<int> status,
                          std::string anchor) {
        AuditLink l;
        l.source = source;
        l.target = target;
        l.targetStatus = status;
        l.anchor = std::move(anchor);
        l.element = "a href";
        data.links.push_back(l);
    };
    link(data.meta.startUrl, "http://127.0.0.1:8080/gone", 404, "</script><!--");
    link("http://127.0.0.1:8080/p1", "http://127.0.0.1:8080/gone", 404, "gone again");
    link("http://127.0.0.1:8080/p2", "javascript:document.documentElement.dataset.owned='link'", std::nullopt,
         "<b onmouseover=alert(1)>x</b>");
    link("http://127.0.0.1:8080/p2", "http://127.0.0.1:8080/p3", 200, "fine");
    return data;
}

/// The hostile crawl with a keyword map whose phrases, pages and cluster names are what a hostile site could
/// make of its text: the phrases are the site's own words.
AuditData HostileKeywords() {
    AuditData data = HostileCrawl();
    const std::string site = "http://127.0.0.1:8080/p";
    const auto phrase = [](std::string text, double score, std::string best, std::vector<std::string> competing,
                           std::string lang) {
        vortaxel::keyphrase::SitePhrase row;
        row.key = text;
        row.phrase = std::move(text);
        row.score = score;
        row.pages = 2;
        row.inTitles = 1;
        row.bestPage = std::move(best);
        row.competingPages = std::move(competing);
        row.lang = std::move(lang);
        return row;
    };
    KeywordSection keywords;
    keywords.phrases = {
        phrase("blue widgets", 9.5, site + "1", {site + "2", "javascript:document.documentElement.dataset.owned='kw'"},
               "en"),
        phrase("</script><script>document.documentElement.dataset.owned='phrase'</script>", 7.25,
               "javascript:document.documentElement.dataset.owned='best'", {}, "en"),
        phrase("<img src=x onerror=\"document.documentElement.dataset.owned='img'\">", 5, site + "3", {}, "<b>de</b>"),
        phrase("bad \xFF utf-8", 3.5, site + "4", {}, ""),
        phrase("caf\xC3\xA9", 2, site + "5", {}, "fr"),
    };
    for (int i = 1; i <= 20; ++i) {
        keywords.phrases.push_back(phrase("filler " + std::to_string(i), 1.0 - i * 0.01, site + "1", {}, "en"));
    }
    keywords.clusters = {
        {"widgets", site + "1", {site + "1", site + "2", site + "3"}},
        {"<svg onload=\"document.documentElement.dataset.owned='cluster'\">",
         "javascript:document.documentElement.dataset.owned='hub'",
         {site + "4", "javascript:document.documentElement.dataset.owned='member'"}},
    };
    keywords.gap = std::vector<vortaxel::keyphrase::GapRow>{
        {"green widgets", 4, 0, "gap", "http://them.test/green", ""},
        {"</script><script>document.documentElement.dataset.owned='gap'</script>", 2.5, 0, "gap",
         "javascript:document.documentElement.dataset.owned='their'", ""},
        {"blue widgets", 3, 9.5, "shared", "http://them.test/blue", site + "1"},
        {"caf\xC3\xA9", 0, 2, "only mine", "", site + "5"},
    };
    keywords.theirStartUrl = "http://them.test/?q=<script>document.documentElement.dataset.owned='theirs'</script>";
    keywords.myStartUrl = data.meta.startUrl;
    data.keywords = std::move(keywords);
    return data;
}

/// A plain crawl of `count` pages, page i answering in i ms, for paging and sorting.
AuditData ManyPages(int count) {
    AuditData data;
    data.meta.startUrl = "http://127.0.0.1:8080/0";
    for (int i = 0; i < count; ++i) {
        AuditPage page = Page("http://127.0.0.1:8080/" + std::to_string(i), 200, "Page " + std::to_string(i));
        page.elapsedMs = static_cast<std::uint64_t>(i);
        page.inlinks = 1;
        data.pages.push_back(page);
    }
    // One redirect of a single hop: a redirect, not a chain.
    if (count > 1) {
        data.pages[1].redirectChain = {{301, data.pages[1].url}};
    }
    return data;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2 && argc != 3) {
        std::fputs("usage: hostile_audit_page FILE [PLAIN_PAGES | keywords]\n", stderr);
        return 2;
    }
    vortaxel::platform::AtomicFileWriter files;
    const std::string mode = argc == 3 ? argv[2] : "";
    const AuditData data = mode.empty()         ? HostileCrawl()
                           : mode == "keywords" ? HostileKeywords()
                                                : ManyPages(std::atoi(argv[2]));
    const auto result = WriteAuditPage(data, argv[1], files);
    if (!result) {
        std::fprintf(stderr, "%s\n", result.error.c_str());
        return 1;
    }
    return 0;
}
