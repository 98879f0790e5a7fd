// Link extraction speed of the page reader against the HTML5 tree parser it replaced, over Debian's
// documentation, and the reader's time and memory on hostile page shapes at growing sizes.
//
//   vortaxel-reader-bench [doc-root...]     (default: the three documentation packages of the tests)

#include "bench/peak_memory.h"
#include "crawl/browser/browser_links.h"
#include "crawl/page/page_reader.h"
#include "tests/support/gumbo_links.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(const std::function<void()>& work, int rounds) {
    double best = 1e300;
    for (int i = 0; i < rounds; ++i) {
        const auto start = Clock::now();
        work();
        best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
    }
    return best;
}

std::vector<std::string> LoadPages(const std::filesystem::path& root) {
    std::vector<std::string> pages;
    if (!std::filesystem::is_directory(root)) {
        return pages;
    }
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        if (entry.is_regular_file() && entry.path().string().find(".htm") != std::string::npos &&
            entry.path().extension() != ".gz") {
            std::ifstream in(entry.path(), std::ios::binary);
            pages.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        }
    }
    return pages;
}

void Corpus(const std::string& root) {
    const std::vector<std::string> pages = LoadPages(root);
    std::size_t bytes = 0;
    for (const std::string& page : pages) {
        bytes += page.size();
    }
    if (pages.empty()) {
        std::printf("%s: no pages\n", root.c_str());
        return;
    }
    std::size_t sink = 0;
    const auto over = [&](auto read) {
        return [&pages, &sink, read] {
            for (const std::string& page : pages) {
                sink += read(page);
            }
        };
    };
    const double links =
        Seconds(over([](const std::string& p) { return vortaxel::crawl::ExtractBrowserLinks(p).links.size(); }), 3);
    // The read with and without its text blocks, in alternating rounds so that a busy machine weighs on both alike.
    vortaxel::crawl::ReadLimits textless;
    textless.textBlocks = 0;
    std::size_t blocks = 0;
    std::size_t textBytes = 0;
    for (const std::string& page : pages) {
        for (const vortaxel::text::TextBlock& block : vortaxel::crawl::ReadPage(page).text) {
            ++blocks;
            textBytes += block.text.size();
        }
    }
    double whole = 1e300;
    double plain = 1e300;
    for (int round = 0; round < 5; ++round) {
        whole = std::min(
            whole, Seconds(over([](const std::string& p) { return vortaxel::crawl::ReadPage(p).links.size(); }), 1));
        plain = std::min(plain, Seconds(over([&textless](const std::string& p) {
                                            return vortaxel::crawl::ReadPage(p, textless).links.size();
                                        }),
                                        1));
    }
    const double gumbo = Seconds(
        over([](const std::string& p) { return vortaxel::testing::GumboBrowserLinks(p, true).links.size(); }), 1);
    const double mb = static_cast<double>(bytes) / 1e6;
    std::printf("%s: %zu pages, %.1f MB\n  browser links %.0f MB/s, whole read (links and facts) %.0f MB/s, "
                "tree parser with its nesting cap %.1f MB/s: %.1fx\n",
                root.c_str(), pages.size(), mb, mb / links, mb / whole, mb / gumbo, gumbo / links);
    std::printf("  text blocks: %zu blocks, %.1f MB of text; read without them %.0f MB/s, with them %.0f MB/s: "
                "+%.1f%% time\n",
                blocks, static_cast<double>(textBytes) / 1e6, mb / plain, mb / whole, (whole / plain - 1) * 100);
    if (sink == 0) {
        std::printf("(no links)\n");
    }
}

std::string Repeated(const std::function<std::string(std::size_t)>& piece, std::size_t bytes) {
    std::string out;
    for (std::size_t i = 0; out.size() < bytes; ++i) {
        out += piece(i);
    }
    return out;
}

struct Shape {
    const char* name;
    std::function<std::string(std::size_t)> make;
};

const std::vector<Shape>& Shapes() {
    static const std::vector<Shape> shapes = {
        {"<div a0=1 a1=1 ...>",
         [](std::size_t n) {
             return "<div" + Repeated([](std::size_t i) { return " a" + std::to_string(i) + "=1"; }, n) + "><a href=x>";
         }},
        {"<div></x> runs",
         [](std::size_t n) { return Repeated([](std::size_t) { return std::string("<div></x>"); }, n); }},
        {"<b id=N></x>t runs",
         [](std::size_t n) {
             return Repeated([](std::size_t i) { return "<b id=" + std::to_string(i) + "></x>t"; }, n);
         }},
        {"<div> nested", [](std::size_t n) { return Repeated([](std::size_t) { return std::string("<div>"); }, n); }},
        {"unclosed <script>",
         [](std::size_t n) {
             return "<script>" + Repeated([](std::size_t) { return std::string("<a href=x>i<n; "); }, n);
         }},
        {"unclosed <!--",
         [](std::size_t n) { return "<!--" + Repeated([](std::size_t) { return std::string("<a href=x>-- "); }, n); }},
        {"links",
         [](std::size_t n) {
             return Repeated([](std::size_t i) { return "<a href=p" + std::to_string(i) + ".html>x</a>\n"; }, n);
         }},
    };
    return shapes;
}

void TimeShapes() {
    std::printf("\nHostile shapes, whole read: MB/s at 128 KiB, 1 MiB and 32 MiB (flat = linear time; the small "
                "sizes fit in the cache); the tree parser at 128 KiB and 256 KiB\n");
    for (const Shape& shape : Shapes()) {
        double times[3];
        const std::size_t sizes[3] = {std::size_t{128} << 10, std::size_t{1} << 20, std::size_t{32} << 20};
        for (int i = 0; i < 3; ++i) {
            const std::string page = shape.make(sizes[i]);
            times[i] = Seconds([&page] { vortaxel::crawl::ReadPage(page); }, 3);
        }
        double gumbo[2];
        for (int i = 0; i < 2; ++i) {
            const std::string page = shape.make(sizes[0] << i);
            gumbo[i] = Seconds([&page] { vortaxel::testing::GumboBrowserLinks(page, false); }, 1);
        }
        const auto rate = [](std::size_t bytes, double seconds) { return static_cast<double>(bytes) / 1e6 / seconds; };
        std::printf("  %-22s %6.0f %6.0f %6.0f    tree parser %5.2f %5.2f\n", shape.name, rate(sizes[0], times[0]),
                    rate(sizes[1], times[1]), rate(sizes[2], times[2]), rate(sizes[0], gumbo[0]),
                    rate(sizes[0] * 2, gumbo[1]));
    }
}

/// The peak resident size of reading one 32 MiB hostile page, in a process of its own so that no
/// earlier work raises the peak.
int Memory(const char* self, int shape) {
    if (self != nullptr) {
        const std::string command = std::string(self) + " --memory " + std::to_string(shape);
        return std::system(command.c_str());
    }
    const std::string page = Shapes()[static_cast<std::size_t>(shape)].make(std::size_t{32} << 20);
    const long before = vortaxel::bench::PeakResidentKb();
    const auto read = vortaxel::crawl::ReadPage(page);
    const long after = vortaxel::bench::PeakResidentKb();
    std::printf("  %-22s peak %ld kB with the page, %ld kB after reading it: %.1fx the page; %zu links\n",
                Shapes()[static_cast<std::size_t>(shape)].name, before, after,
                static_cast<double>(after) / (static_cast<double>(page.size()) / 1024), read.links.size());
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--memory") {
        return Memory(nullptr, std::stoi(argv[2]));
    }
    std::vector<std::string> roots(argv + 1, argv + argc);
    if (roots.empty()) {
        roots = {"/usr/share/doc/python3.11/html", "/usr/share/doc/cmake-data/html",
                 "/usr/share/doc/debian-reference-en/docs"};
    }
    for (const std::string& root : roots) {
        Corpus(root);
    }
    TimeShapes();
    std::printf("\nHostile shapes at 32 MiB, whole read, each in a process of its own\n");
    std::fflush(stdout);
    for (std::size_t shape = 0; shape < Shapes().size(); ++shape) {
        Memory(argv[0], static_cast<int>(shape));
    }
    return 0;
}
