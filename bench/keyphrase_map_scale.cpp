// The site's keyword map, its clusters and the gap over a generated crawl of many pages, each with its
// top ten key phrases: pages fall into topics of a few dozen pages that share keys, every page holds a
// few keys of the whole site, and a long tail of keys is its own. Prints the time of each step and the
// peak resident size.
//
// usage: vortaxel-keyphrase-map-scale [PAGES]   (default 100000)

#include "bench/peak_memory.h"
#include "export/keyphrase/site_map.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

namespace {

namespace keyphrase = vortaxel::keyphrase;

double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

int main(int argc, char** argv) {
    const std::size_t pages = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 100'000;
    std::mt19937 random(29);
    std::vector<keyphrase::ClusterPage> site;
    site.reserve(pages);
    for (std::size_t page = 0; page < pages; ++page) {
        keyphrase::ClusterPage item;
        item.url = "http://site.test/topic" + std::to_string(page / 40) + "/page" + std::to_string(page) + ".html";
        const std::size_t topic = page / 40;
        for (int k = 0; k < 10; ++k) {
            std::string key;
            if (k < 5) {
                key = "topic" + std::to_string(topic) + " word" + std::to_string(random() % 8);
            } else if (k < 7) {
                key = "site word" + std::to_string(random() % 50);
            } else {
                key = "tail" + std::to_string(random() % (pages * 3));
            }
            item.phrases.push_back({key, key, 10.0 - k});
        }
        for (int link = 0; link < 20; ++link) {
            item.linksTo.push_back("http://site.test/topic" + std::to_string(topic) + "/page" +
                                   std::to_string(topic * 40 + random() % 40) + ".html");
        }
        site.push_back(std::move(item));
    }
    std::printf("pages %zu, generated, peak %ld kB\n", pages, vortaxel::bench::PeakResidentKb());

    auto start = std::chrono::steady_clock::now();
    keyphrase::SiteMapBuilder builder;
    for (const auto& page : site) {
        keyphrase::MappedPage mapped;
        mapped.url = page.url;
        mapped.lang = "en";
        mapped.phrases = page.phrases;
        mapped.inTitle.assign(mapped.phrases.size(), false);
        mapped.inH1 = mapped.inTitle;
        mapped.inAnchors = mapped.inTitle;
        builder.Add(mapped);
    }
    const auto map = builder.Build();
    std::printf("site map: %zu phrases in %.2f s, peak %ld kB\n", map.size(), SecondsSince(start),
                vortaxel::bench::PeakResidentKb());

    start = std::chrono::steady_clock::now();
    const auto clusters = keyphrase::ClusterPages(site);
    std::printf("clusters: %zu (largest %zu pages) in %.2f s, peak %ld kB\n", clusters.size(),
                clusters.empty() ? std::size_t{0} : clusters.front().pages.size(), SecondsSince(start),
                vortaxel::bench::PeakResidentKb());

    start = std::chrono::steady_clock::now();
    const auto gap = keyphrase::KeywordGap(map, std::span(map).subspan(map.size() / 2));
    std::printf("gap: %zu rows in %.2f s, peak %ld kB\n", gap.size(), SecondsSince(start),
                vortaxel::bench::PeakResidentKb());
    return 0;
}
