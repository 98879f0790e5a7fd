// Scores a key phrase CSV (file or URL, then "phrase:score;..." best first) against a site's own view of
// its pages: a book index, or the meta keywords of the pages of a directory. Rows are matched by the file
// name their first field ends in.
//
// usage: vortaxel-keyphrase-score PHRASES.csv (--index BOOKINDEX.html | --meta DIR) [--top N]

#include "bench/keyphrase_truth.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// One CSV record's fields (RFC 4180 quoting); `at` moves past the record.
std::vector<std::string> Record(const std::string& csv, std::size_t& at) {
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (; at < csv.size(); ++at) {
        const char c = csv[at];
        if (quoted) {
            if (c == '"' && at + 1 < csv.size() && csv[at + 1] == '"') {
                fields.back().push_back('"');
                ++at;
            } else if (c == '"') {
                quoted = false;
            } else {
                fields.back().push_back(c);
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            fields.emplace_back();
        } else if (c == '\n') {
            ++at;
            break;
        } else if (c != '\r') {
            fields.back().push_back(c);
        }
    }
    return fields;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s PHRASES.csv (--index BOOKINDEX.html | --meta DIR) [--top N]\n", argv[0]);
        return 2;
    }
    vortaxel::bench::Truth truth;
    const std::string_view mode = argv[2];
    if (mode == "--index") {
        truth = vortaxel::bench::ReadBookIndex(ReadFile(argv[3]));
    } else if (mode == "--meta") {
        for (const auto& entry : fs::directory_iterator(argv[3])) {
            if (entry.path().extension() == ".html") {
                if (auto terms = vortaxel::bench::ReadMetaKeywords(ReadFile(entry.path())); !terms.empty()) {
                    truth[entry.path().filename().string()] = std::move(terms);
                }
            }
        }
    } else {
        std::fprintf(stderr, "unknown truth %s\n", argv[2]);
        return 2;
    }
    const std::size_t top = argc > 5 && std::string_view(argv[4]) == "--top" ? std::strtoul(argv[5], nullptr, 10) : 10;
    const auto csv = ReadFile(argv[1]);
    std::map<std::string, std::vector<std::string>> phrases;
    std::size_t at = 0;
    Record(csv, at);
    while (at < csv.size()) {
        const auto fields = Record(csv, at);
        if (fields.size() < 2) {
            continue;
        }
        auto file = fields[0].substr(fields[0].rfind('/') + 1);
        file = file.substr(0, file.find_first_of("?#"));
        auto& list = phrases[file];
        const auto& cell = fields.back();
        for (std::size_t from = 0; from < cell.size() && list.size() < top;) {
            const auto end = std::min(cell.find(';', from), cell.size());
            const auto item = cell.substr(from, end - from);
            const auto colon = item.rfind(':');
            list.push_back(colon == std::string::npos ? item : item.substr(0, colon));
            from = end + 1;
        }
    }
    vortaxel::bench::PhraseNormaliser normalise;
    const auto quality = vortaxel::bench::Score(truth, phrases, normalise, top);
    std::printf("pages %zu  F1@%zu %.4f  P %.4f  R %.4f  P@1 %.4f  partial F1 %.4f  P@1 %.4f\n", quality.pages, top,
                quality.f1, quality.precision, quality.recall, quality.precisionAt1, quality.partialF1,
                quality.partialPrecisionAt1);
    return 0;
}
