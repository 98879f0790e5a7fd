// Writes the audit page of a made-up crawl of N pages with K links each and reports how long building it
// took and how large it is; bench/audit_page_paint.py then opens it in headless Chromium.
#include "export/audit_page.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {

using namespace vortaxel::audit;

AuditData MadeUpCrawl(std::size_t pageCount, std::size_t linksPerPage) {
    AuditData data;
    data.meta.startUrl = "http://127.0.0.1:8080/";
    data.meta.rules = "browser";
    data.meta.durationMs = pageCount * 3;
    data.pages.reserve(pageCount);
    data.links.reserve(pageCount * linksPerPage);
    for (std::size_t i = 0; i < pageCount; ++i) {
        AuditPage page;
        page.url =
            "http://127.0.0.1:8080/category-" + std::to_string(i % 97) + "/product-" + std::to_string(i) + ".html";
        page.finalUrl = page.url;
        page.status = i % 211 == 0 ? 404 : 200;
        page.contentType = "text/html; charset=utf-8";
        page.depth = static_cast<int>(i % 7);
        page.title = "Product " + std::to_string(i) + " in category " + std::to_string(i % 97) + " | Shop";
        page.metaDescription = "Buy product " + std::to_string(i % 5000) + " at a fair price, shipped the next day.";
        page.h1 = "Product " + std::to_string(i);
        page.h1Count = 1;
        page.canonical = page.url;
        page.indexability = page.status == 404 ? Indexability::ClientError : Indexability::Indexable;
        page.wordCount = 300 + i % 400;
        page.inlinks = 1 + i % 30;
        page.outlinks = linksPerPage;
        page.elapsedMs = 20 + (i * 37) % 900;
        page.bytes = 20'000 + i % 9000;
        page.foundMs = i * 3;
        data.pages.push_back(page);
        for (std::size_t k = 0; k < linksPerPage; ++k) {
            AuditLink link;
            link.source = page.url;
            const std::size_t target = (i * 31 + k * 977) % pageCount;
            link.target = "http://127.0.0.1:8080/category-" + std::to_string(target % 97) + "/product-" +
                          std::to_string(target) + ".html";
            link.anchor = "Product " + std::to_string(target);
            link.element = "a href";
            link.targetStatus = target % 211 == 0 ? 404 : 200;
            data.links.push_back(link);
        }
    }
    return data;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fputs("usage: vortaxel-audit-page-bench FILE [PAGES [LINKS_PER_PAGE]]\n", stderr);
        return 2;
    }
    const std::size_t pages = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 100'000;
    const std::size_t links = argc > 3 ? std::strtoull(argv[3], nullptr, 10) : 10;
    const AuditData data = MadeUpCrawl(pages, links);
    const auto start = std::chrono::steady_clock::now();
    const std::string html = BuildAuditPage(data);
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    std::ofstream(argv[1], std::ios::binary).write(html.data(), static_cast<std::streamsize>(html.size()));
    std::printf("pages %zu, links %zu, built in %lld ms, %zu bytes\n", pages, data.links.size(),
                static_cast<long long>(ms.count()), html.size());
    return 0;
}
