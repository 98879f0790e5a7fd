// The keyword map worked out from a kept crawl of many pages: `make` writes a crawl file as a run with key
// phrases would leave it (pages in topics of 40 that share keys, navigation every page carries, a long tail
// of keys of one page, 64 candidates and 20 links a page), `map` times app::WorkOutKeywordMap on it. Run
// `map` under /usr/bin/time -v for the peak.
//
// usage: vortaxel-keyphrase-pass-bench make FILE [PAGES]   (default 100000)
//        vortaxel-keyphrase-pass-bench map FILE

#include "analysis/key_phrase_pass.h"
#include "store/crawl_store.h"
#include "store/crawl_store_db.h"
#include "store/sqlite_db.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

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

int Make(const std::string& path, std::size_t pages) {
    std::string error;
    auto kept = store::CrawlStore::Open(path, store::CrawlStore::Access::Create, error);
    if (!kept) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    store::CrawlSettings settings{"http://site.test/", crawl::RuleSet::Browser, false, {}, {}, 1 << 30};
    settings.keyPhrases = true;
    store::SqlDatabase& db = store::CrawlStoreDb::Of(*kept);
    if (!Check(kept->StartRun(settings)) || !Check(db.Execute("PRAGMA synchronous=OFF; BEGIN"))) {
        return 1;
    }
    store::SqlStatement page;
    store::SqlStatement candidate;
    store::SqlStatement link;
    if (!Check(page.Prepare(db, "INSERT INTO pages (id, url, depth, turn, event, text_lang) VALUES (?, ?, 1, ?, ?, "
                                "'en')")) ||
        !Check(candidate.Prepare(db, "INSERT OR IGNORE INTO page_candidates VALUES (?, ?, ?, ?, ?, ?, ?, 0, 0, ?, ?, "
                                     "?, 0)")) ||
        !Check(link.Prepare(db, "INSERT INTO links (page_id, target, anchor, element, rel, hreflang, follow) VALUES "
                                "(?, ?, ?, 'a', '', '', 1)"))) {
        return 1;
    }
    std::mt19937 random(29);
    const auto start = std::chrono::steady_clock::now();
    for (std::size_t p = 0; p < pages; ++p) {
        const auto id = static_cast<std::int64_t>(p + 1);
        const std::size_t topic = p / 40;
        page.Bind(1, id);
        page.Bind(2, PageUrl(p));
        page.Bind(3, id);
        page.Bind(4, id);
        if (!Check(page.Run())) {
            return 1;
        }
        const auto add = [&](const std::string& key, int title, int h1, int heading, int body, int first) {
            candidate.Bind(1, id);
            candidate.Bind(2, key);
            candidate.Bind(3, key);
            candidate.Bind(4, std::int64_t{key.find(' ') == std::string::npos ? 1 : 2});
            candidate.Bind(5, std::int64_t{title});
            candidate.Bind(6, std::int64_t{h1});
            candidate.Bind(7, std::int64_t{heading});
            candidate.Bind(8, std::int64_t{body});
            candidate.Bind(9, std::int64_t{first});
            candidate.Bind(10, std::int64_t{first + body * 7});
            return Check(candidate.Run());
        };
        bool ok = true;
        for (const char* nav : {"home", "contact us", "site map", "privacy policy", "shop news"}) {
            ok = ok && add(nav, 0, 0, 0, 1, 500);
        }
        for (int k = 0; k < 5; ++k) {
            ok = ok && add("topic" + std::to_string(topic) + " term" + std::to_string((p + k) % 8), k == 0, k == 0,
                           k < 3, 2 + k, 3 + k * 20);
        }
        for (int k = 0; k < 14; ++k) {
            // A site-wide vocabulary drawn with a long tail: a few words stand on many pages.
            const auto word =
                static_cast<std::size_t>(std::pow(static_cast<double>(random() % 10000) + 1.0, 1.7)) % 50'000;
            ok = ok && add("word" + std::to_string(word), 0, 0, 0, 1 + k % 3, 40 + k * 10);
        }
        for (int k = 0; k < 40; ++k) {
            ok = ok && add("page" + std::to_string(p) + " own" + std::to_string(k), 0, 0, k == 0, 1, 60 + k * 5);
        }
        for (int k = 0; k < 20; ++k) {
            std::size_t target = 0;
            std::string anchor;
            if (k < 5) {
                target = static_cast<std::size_t>(k);
                anchor = k == 0 ? "Home" : "Contact us";
            } else if (k < 15) {
                target = topic * 40 + (p + k) % 40;
                anchor = "topic" + std::to_string(topic) + " term" + std::to_string(target % 8);
            } else {
                target = random() % pages;
                anchor = "more";
            }
            link.Bind(1, id);
            link.Bind(2, PageUrl(std::min(target, pages - 1)));
            link.Bind(3, anchor);
            ok = ok && Check(link.Run());
        }
        if (!ok) {
            return 1;
        }
    }
    if (!Check(db.Execute("UPDATE crawl SET turns = " + std::to_string(pages) + ", state = 'finished'; COMMIT"))) {
        return 1;
    }
    std::printf("made %zu pages in %.1f s\n", pages, SecondsSince(start));
    return 0;
}

int Map(const std::string& path) {
    std::string error;
    auto kept = store::CrawlStore::Open(path, store::CrawlStore::Access::Read, error);
    if (!kept) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    const auto start = std::chrono::steady_clock::now();
    const auto map = app::WorkOutKeywordMap(*kept, error);
    if (!map) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    std::printf("keyword map: %zu phrases, %zu clusters, %.2f s\n", map->phrases.size(), map->clusters.size(),
                SecondsSince(start));
    for (std::size_t i = 0; i < std::min<std::size_t>(5, map->phrases.size()); ++i) {
        std::printf("  %s %.2f pages %u best %s\n", map->phrases[i].phrase.c_str(), map->phrases[i].score,
                    map->phrases[i].pages, map->phrases[i].bestPage.c_str());
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 3 && std::string(argv[1]) == "make") {
        return Make(argv[2], argc > 3 ? std::strtoul(argv[3], nullptr, 10) : 100'000);
    }
    if (argc == 3 && std::string(argv[1]) == "map") {
        return Map(argv[2]);
    }
    std::fprintf(stderr, "usage: vortaxel-keyphrase-pass-bench make FILE [PAGES] | map FILE\n");
    return 2;
}
