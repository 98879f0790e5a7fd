// Writes a generated shop as static files, for a web server to serve: the root page as
// index.html and page i as catalog/item-i.html. Prints the address of every page, one a line.
//
// With EXTRA, each page also ends with that many more links to pages of the site drawn at random, for a
// denser link graph than the shop's 30 links a page.
//
// usage: vortaxel-write-site FOLDER PAGES ROOT_URL [EXTRA]

#include "bench/generated_site.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

int main(int argc, char** argv) {
    if (argc != 4 && argc != 5) {
        std::fprintf(stderr, "usage: vortaxel-write-site FOLDER PAGES ROOT_URL [EXTRA]\n");
        return 2;
    }
    const std::size_t extra = argc == 5 ? std::strtoul(argv[4], nullptr, 10) : 0;
    std::uint64_t state = 20240601;
    const std::filesystem::path folder = argv[1];
    const vortaxel::bench::GeneratedSite site(std::strtoul(argv[2], nullptr, 10), 20240601, argv[3]);
    std::filesystem::create_directories(folder / "catalog");
    std::string body;
    for (std::size_t i = 0; i < site.Pages(); ++i) {
        site.WritePage(i, body);
        for (std::size_t link = 0; link < extra; ++link) {
            // xorshift64: any scatter over the pages will do.
            state ^= state << 13;
            state ^= state >> 7;
            state ^= state << 17;
            body += "<a href=\"" + site.PageUrl(state % site.Pages()) + "\">more</a>\n";
        }
        const std::string path = i == 0 ? std::string("index.html") : site.PagePath(i);
        std::ofstream out(folder / path, std::ios::binary);
        out << body;
        if (!out) {
            std::fprintf(stderr, "cannot write %s\n", (folder / path).c_str());
            return 1;
        }
        std::printf("%s\n", site.PageUrl(i).c_str());
    }
    return 0;
}
