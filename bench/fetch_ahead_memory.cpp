// Peak memory of the fetch loop working 64 pages ahead on a loopback site of 24 MiB pages: what the
// pages fetched ahead hold, in flight and finished, stays within the store's budget (64 MiB).
//
// usage: vortaxel-fetch-ahead-memory [PAGES [WIDTH [PAGE_MIB]]]

#include "bench/peak_memory.h"
#include "net/fetcher.h"
#include "tests/support/loopback_site.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    using namespace vortaxel;
    const std::size_t pages = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 96;
    const std::size_t width = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 64;
    const std::size_t pageBytes = (argc > 3 ? std::strtoul(argv[3], nullptr, 10) : 24) << 20;

    // One body shared by every page, streamed, so that the server holds next to nothing itself.
    const auto body = std::make_shared<const std::string>(pageBytes, 'x');
    test::LoopbackSite site;
    std::vector<std::string> urls;
    for (std::size_t i = 0; i < pages; ++i) {
        const std::string target = "/p" + std::to_string(i) + ".html";
        site.Handle(target, [body](const httplib::Request&, httplib::Response& response) {
            response.set_content_provider(body->size(), "text/html",
                                          [body](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
                                              return sink.write(body->data() + offset, length);
                                          });
        });
        urls.push_back(site.Url(target));
    }
    const long before = bench::PeakResidentKb();
    net::FetchOptions options;
    net::Fetcher fetcher(options, width);
    std::size_t next = 0;
    fetcher.SetAheadList([&](std::size_t wanted, std::vector<std::string>& out) {
        for (std::size_t i = next + 1; i < urls.size() && out.size() < wanted; ++i) {
            out.push_back(urls[i]);
        }
    });
    std::size_t ok = 0;
    for (; next < urls.size(); ++next) {
        const web::FetchResult page = fetcher.Fetch(urls[next]);
        ok += page.ok ? 1 : 0;
        if (!page.ok) {
            std::fprintf(stderr, "%s: %s\n", urls[next].c_str(), page.error.c_str());
        }
    }
    const long after = bench::PeakResidentKb();
    std::printf("%zu pages of %zu MiB, width %zu: %zu fetched; peak held ahead %.1f MiB (budget %.1f MiB); "
                "peak resident %.1f MiB (%.1f MiB before fetching)\n",
                pages, pageBytes >> 20, width, ok, double(fetcher.PeakAheadBytes()) / (1 << 20),
                double(options.storeBytes) / (1 << 20), double(after) / 1024, double(before) / 1024);
    return ok == pages ? 0 : 1;
}
