// The duplicate checks and the link score worked out from a kept crawl of many pages: `make` writes a crawl
// file as a run with --duplicates --link-score would leave it (a navigation and a footer on every page,
// 15 paragraphs of 20 words drawn from a topic's vocabulary, every 100th page an exact copy of the one
// before, every 50th else a copy with one paragraph changed, LINKS followed links a page), `run` times
// app::WorkOutContentAudit on it and prints its peak resident memory.
//
// usage: vortaxel-content-audit-bench make FILE [PAGES [LINKS]]   (default 100000 and 50)
//        vortaxel-content-audit-bench run FILE

#include "analysis/content_audit_pass.h"
#include "store/crawl_store.h"
#include "store/crawl_store_db.h"
#include "store/sqlite_db.h"
#include "text/text_print.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <sys/resource.h>
#include <vector>

namespace {

using namespace vortaxel;

double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::string PageUrl(std::size_t page) {
    return "http://site.test/topic" + std::to_string(page / 40) + "/page-" + std::to_string(page) + ".html";
}

bool Check(const store::SqlStatus& status) {
    if (!status) {
        std::fprintf(stderr, "%s\n", status.message.c_str());
    }
    return status.Ok();
}

std::vector<text::TextBlock> PageText(std::size_t page, std::mt19937& random) {
    std::vector<text::TextBlock> blocks = {
        {text::Zone::Title, "Page " + std::to_string(page)},
        {text::Zone::Body, "Home Shop Topics Contact About"},
    };
    const std::size_t topic = page / 40;
    for (int p = 0; p < 15; ++p) {
        std::string paragraph;
        for (int w = 0; w < 20; ++w) {
            // A topic's 400 words and the site's 20,000.
            const std::uint32_t word = random() % 3 == 0 ? random() % 400 : 400 + random() % 20'000;
            paragraph += (word < 400 ? "t" + std::to_string(topic) + "w" : "w") + std::to_string(word) + " ";
        }
        blocks.push_back({text::Zone::Body, paragraph});
    }
    blocks.push_back({text::Zone::Body, "Copyright the shop; all rights reserved. Call us any day."});
    return blocks;
}

int Make(const std::string& path, std::size_t pages, std::size_t links) {
    std::string error;
    auto kept = store::CrawlStore::Open(path, store::CrawlStore::Access::Create, error);
    if (!kept) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    store::CrawlSettings settings{"http://site.test/", crawl::RuleSet::Browser, false, {}, {}, 1 << 30};
    settings.duplicates = true;
    settings.linkScore = true;
    store::SqlDatabase& db = store::CrawlStoreDb::Of(*kept);
    if (!Check(kept->StartRun(settings)) || !Check(db.Execute("PRAGMA synchronous=OFF; BEGIN"))) {
        return 1;
    }
    store::SqlStatement page;
    store::SqlStatement fetch;
    store::SqlStatement print;
    store::SqlStatement link;
    if (!Check(page.Prepare(db, "INSERT INTO pages (id, url, depth, turn, event, word_count) VALUES (?, ?, 1, ?, ?, "
                                "320)")) ||
        !Check(fetch.Prepare(db, "INSERT INTO fetches (event, turn, page_id, url, blocked, ok, status, final_url, "
                                 "content_type, body_skipped, bytes, ms, redirects, error) VALUES (?, ?, ?, ?, 0, 1, "
                                 "200, ?, 'text/html', 0, 5000, 1, 0, '')")) ||
        !Check(print.Prepare(db, "INSERT INTO text_prints (page_id, text_hash, blocks) VALUES (?, ?, ?)")) ||
        !Check(link.Prepare(db, "INSERT INTO links (page_id, target, anchor, element, rel, hreflang, follow) VALUES "
                                "(?, ?, '', 'a', '', '', 1)"))) {
        return 1;
    }
    std::mt19937 random(31);
    const auto start = std::chrono::steady_clock::now();
    std::vector<text::TextBlock> previous;
    for (std::size_t p = 0; p < pages; ++p) {
        const auto id = static_cast<std::int64_t>(p + 1);
        std::vector<text::TextBlock> blocks = PageText(p, random);
        if (p > 0 && p % 100 == 0) {
            blocks = previous;
        } else if (p > 0 && p % 50 == 0) {
            blocks = previous;
            blocks[5].text = "a paragraph of its own " + std::to_string(p);
        }
        const text::TextPrint printed = text::PrintText(blocks);
        page.Bind(1, id);
        page.Bind(2, PageUrl(p));
        page.Bind(3, id);
        page.Bind(4, id);
        fetch.Bind(1, id);
        fetch.Bind(2, id);
        fetch.Bind(3, id);
        fetch.Bind(4, PageUrl(p));
        fetch.Bind(5, PageUrl(p));
        print.Bind(1, id);
        print.Bind(2, static_cast<std::int64_t>(printed.textHash));
        print.BindBlob(3, printed.blocks);
        bool ok = Check(page.Run()) && Check(fetch.Run()) && Check(print.Run());
        for (std::size_t k = 0; k < links && ok; ++k) {
            // The navigation's five pages, the topic's pages, and some anywhere.
            const std::size_t target = k < 5 ? k : k < 30 ? (p / 40) * 40 + (p + k) % 40 : random() % pages;
            link.Bind(1, id);
            link.Bind(2, PageUrl(std::min(target, pages - 1)));
            ok = Check(link.Run());
        }
        if (!ok) {
            return 1;
        }
        previous = std::move(blocks);
    }
    if (!Check(db.Execute("UPDATE crawl SET turns = " + std::to_string(pages) + ", state = 'finished'; COMMIT"))) {
        return 1;
    }
    std::printf("made %zu pages in %.1f s\n", pages, SecondsSince(start));
    return 0;
}

int Run(const std::string& path) {
    std::string error;
    auto kept = store::CrawlStore::Open(path, store::CrawlStore::Access::Read, error);
    if (!kept) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    const auto start = std::chrono::steady_clock::now();
    app::ContentFindings findings;
    if (error = app::WorkOutContentAudit(*kept, app::KeptContentChoices(kept->Settings()), findings); !error.empty()) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    const double took = SecondsSince(start);
    std::size_t exact = 0;
    std::size_t near = 0;
    std::size_t scored = 0;
    for (const app::PageContentFinding& page : findings.pages) {
        exact += page.duplicateOf != 0 ? 1 : 0;
        near += page.nearDuplicateOf != 0 ? 1 : 0;
        scored += page.linkScore ? 1 : 0;
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("content audit: %zu exact duplicates, %zu near-duplicates, %zu scored, %.2f s, peak %.0f MB\n", exact,
                near, scored, took, static_cast<double>(usage.ru_maxrss) / 1024.0);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 3 && std::string(argv[1]) == "make") {
        return Make(argv[2], argc > 3 ? std::strtoul(argv[3], nullptr, 10) : 100'000,
                    argc > 4 ? std::strtoul(argv[4], nullptr, 10) : 50);
    }
    if (argc == 3 && std::string(argv[1]) == "run") {
        return Run(argv[2]);
    }
    std::fprintf(stderr, "usage: vortaxel-content-audit-bench make FILE [PAGES [LINKS]] | run FILE\n");
    return 2;
}
