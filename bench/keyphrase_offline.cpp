// The key phrases of a documentation tree on disk, ranked as a crawl of it would rank them, without the
// crawl: every .html file of DIR is read and analysed, the texts of the links between the files (matched
// by file name) are their targets' anchors and each file's name its slug. Writes file,key_phrases
// (phrase:score;... best first) to OUT and, given the site's own view of its pages (a book index or the
// pages' meta keywords, which the score never reads), prints how well the top phrases match it. Each
// --try ranks the same analysis again with other constants, so they are measured side by side.
//
// usage: vortaxel-keyphrase-offline DIR OUT.csv [--index BOOKINDEX.html] [--meta] [--top N]
//                                   [--try name=value,...]...
//   names: title h1 heading description alt body anchor slug position spread casing identifier extra textextra
//   specificity smoothing template
// KP_DUMP=FILE writes every page's candidates (file, key, spelling, pages holding it, counts per zone, first
// and last word, capitalised uses; tab-separated) for studying a ranking outside the tool.

#include "bench/keyphrase_truth.h"
#include "crawl/page/page_reader.h"
#include "export/csv_field.h"
#include "export/keyphrase/key_phrases.h"
#include "text/text_analyser.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

namespace fs = std::filesystem;
namespace keyphrase = vortaxel::keyphrase;
namespace text = vortaxel::text;

struct Page {
    std::string file;
    std::string lang;
    std::vector<text::TextBlock> blocks;
    std::vector<text::TextBlock> elsewhere;
    std::vector<text::Candidate> candidates;
    std::set<std::string> metaKeywords;
};

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// The file a relative link names: what follows its last slash, before any query or fragment.
std::string LinkedFile(std::string_view target) {
    target = target.substr(0, target.find_first_of("?#"));
    if (const auto slash = target.rfind('/'); slash != std::string_view::npos) {
        target.remove_prefix(slash + 1);
    }
    return std::string(target);
}

std::string Slug(std::string_view file) {
    std::string slug(file.substr(0, file.rfind('.')));
    std::replace(slug.begin(), slug.end(), '-', ' ');
    std::replace(slug.begin(), slug.end(), '_', ' ');
    return slug;
}

bool Set(keyphrase::RankWeights& weights, std::string_view name, double value) {
    static const std::pair<std::string_view, text::Zone> kZones[] = {
        {"title", text::Zone::Title},     {"h1", text::Zone::H1},
        {"heading", text::Zone::Heading}, {"description", text::Zone::Description},
        {"alt", text::Zone::ImageAlt},    {"body", text::Zone::Body},
        {"anchor", text::Zone::Anchor},   {"slug", text::Zone::Slug}};
    for (const auto& [zoneName, zone] : kZones) {
        if (name == zoneName) {
            weights.zone[static_cast<std::size_t>(zone)] = value;
            return true;
        }
    }
    if (name == "position") {
        weights.position = value;
    } else if (name == "spread") {
        weights.spread = value;
    } else if (name == "casing") {
        weights.casing = value;
    } else if (name == "identifier") {
        weights.identifier = value;
    } else if (name == "extra") {
        weights.perExtraWord = value;
    } else if (name == "specificity") {
        weights.specificity = value;
    } else if (name == "textextra") {
        weights.perExtraWordInText = value;
    } else if (name == "frequency") {
        weights.frequency = value;
    } else if (name == "apart") {
        weights.apart = value;
    } else if (name == "smoothing") {
        weights.holdingSmoothing = value;
    } else if (name == "template") {
        weights.templateShare = value;
    } else {
        return false;
    }
    return true;
}

bool Parse(std::string_view settings, keyphrase::RankWeights& weights) {
    for (std::size_t at = 0; at < settings.size();) {
        const auto end = std::min(settings.find(',', at), settings.size());
        const auto item = settings.substr(at, end - at);
        const auto equals = item.find('=');
        if (equals == std::string_view::npos ||
            !Set(weights, item.substr(0, equals), std::strtod(std::string(item.substr(equals + 1)).c_str(), nullptr))) {
            return false;
        }
        at = end + 1;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr,
                     "usage: %s DIR OUT.csv [--index BOOKINDEX.html] [--meta] [--top N] [--try name=value,...]...\n",
                     argv[0]);
        return 2;
    }
    const fs::path dir = argv[1];
    const std::string out = argv[2];
    std::string indexFile;
    bool meta = false;
    std::size_t top = keyphrase::kKeyPhrasesPerPage;
    std::vector<std::pair<std::string, keyphrase::RankWeights>> tries{{"default", {}}};
    for (int i = 3; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--index" && i + 1 < argc) {
            indexFile = argv[++i];
        } else if (arg == "--meta") {
            meta = true;
        } else if (arg == "--top" && i + 1 < argc) {
            top = std::strtoul(argv[++i], nullptr, 10);
        } else if (arg == "--try" && i + 1 < argc) {
            keyphrase::RankWeights weights;
            if (!Parse(argv[++i], weights)) {
                std::fprintf(stderr, "bad --try %s\n", argv[i]);
                return 2;
            }
            tries.emplace_back(argv[i], weights);
        } else {
            std::fprintf(stderr, "unknown argument %s\n", argv[i]);
            return 2;
        }
    }

    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(dir)) {
        if (entry.is_regular_file() && entry.path().extension() == ".html" &&
            (indexFile.empty() || entry.path().filename() != fs::path(indexFile).filename())) {
            files.push_back(entry.path());
        }
    }
    std::sort(files.begin(), files.end());
    std::vector<Page> pages(files.size());
    std::unordered_map<std::string, std::size_t> byFile;
    for (std::size_t i = 0; i < files.size(); ++i) {
        pages[i].file = files[i].filename().string();
        byFile.emplace(pages[i].file, i);
    }

    for (std::size_t i = 0; i < files.size(); ++i) {
        const auto html = ReadFile(files[i]);
        auto read = vortaxel::crawl::ReadPage(html);
        auto& page = pages[i];
        page.lang = read.facts.lang;
        page.blocks = std::move(read.text);
        if (meta) {
            page.metaKeywords = vortaxel::bench::ReadMetaKeywords(html);
        }
        for (const auto& link : read.links) {
            if (link.source != vortaxel::crawl::LinkSource::A || link.anchor.empty()) {
                continue;
            }
            const auto target = byFile.find(LinkedFile(link.target));
            if (target != byFile.end() && target->second != i) {
                pages[target->second].elsewhere.push_back({text::Zone::Anchor, link.anchor});
            }
        }
    }

    text::TextAnalyser analyser;
    std::unordered_map<std::string, std::uint32_t> holding;
    for (auto& page : pages) {
        page.elsewhere.push_back({text::Zone::Slug, Slug(page.file)});
        auto own = analyser.Analyse(page.blocks, page.lang);
        const auto fromElsewhere = analyser.Analyse(page.elsewhere, own.lang.empty() ? page.lang : own.lang);
        page.candidates = keyphrase::MergeCandidates(own.candidates, fromElsewhere.candidates);
        page.blocks.clear();
        page.elsewhere.clear();
        for (const auto& candidate : page.candidates) {
            ++holding[candidate.key];
        }
    }
    if (const char* dump = std::getenv("KP_DUMP")) {
        std::ofstream d(dump, std::ios::binary);
        for (const auto& page : pages) {
            for (const auto& c : page.candidates) {
                d << page.file << '\t' << c.key << '\t' << c.surface << '\t' << holding[c.key];
                for (const auto n : c.inZone) {
                    d << '\t' << n;
                }
                d << '\t' << c.firstWord << '\t' << c.lastWord << '\t' << c.capitalised << '\n';
            }
        }
    }
    const keyphrase::PagesHolding pagesHolding = [&](std::string_view key) {
        const auto found = holding.find(std::string(key));
        return found == holding.end() ? 0u : found->second;
    };

    vortaxel::bench::Truth truth;
    if (!indexFile.empty()) {
        truth = vortaxel::bench::ReadBookIndex(ReadFile(indexFile));
    } else if (meta) {
        for (const auto& page : pages) {
            if (!page.metaKeywords.empty()) {
                truth[page.file] = page.metaKeywords;
            }
        }
    }
    vortaxel::bench::PhraseNormaliser normalise;
    if (!truth.empty()) {
        // What the candidates allow at best: how much is lost in ranking, how much before it.
        std::map<std::string, std::vector<std::string>> all;
        for (const auto& page : pages) {
            auto& list = all[page.file];
            for (const auto& candidate : page.candidates) {
                list.push_back(candidate.surface);
            }
        }
        const auto ceiling = vortaxel::bench::Ceiling(truth, all, normalise, top);
        std::printf("%-40s pages %zu  F1@%zu %.4f  P %.4f  R %.4f  P@1 %.4f\n", "ceiling of the candidates",
                    ceiling.pages, top, ceiling.f1, ceiling.precision, ceiling.recall, ceiling.precisionAt1);
    }
    for (std::size_t t = 0; t < tries.size(); ++t) {
        std::map<std::string, std::vector<std::string>> phrases;
        std::string csv = "url,key_phrases\r\n";
        for (const auto& page : pages) {
            const auto ranked = keyphrase::RankKeyPhrases(
                page.candidates, pagesHolding, static_cast<std::uint32_t>(pages.size()), top, tries[t].second);
            std::string cell;
            auto& list = phrases[page.file];
            for (const auto& phrase : ranked) {
                char score[32];
                std::snprintf(score, sizeof score, "%.4g", phrase.score);
                cell.append(cell.empty() ? "" : ";").append(phrase.phrase).append(":").append(score);
                list.push_back(phrase.phrase);
            }
            vortaxel::keywords::AppendCsvField(csv, page.file);
            csv.push_back(',');
            vortaxel::keywords::AppendCsvField(csv, cell);
            csv.append("\r\n");
        }
        if (t == 0) {
            std::ofstream(out, std::ios::binary) << csv;
        }
        if (t == 0 && std::getenv("KP_EXPLAIN") != nullptr && !truth.empty()) {
            for (const auto& page : pages) {
                const auto found = truth.find(page.file);
                if (found == truth.end()) {
                    continue;
                }
                std::set<std::string> terms;
                for (const auto& term : found->second) {
                    terms.insert(normalise(term));
                }
                std::printf("== %s truth %zu\n", page.file.c_str(), terms.size());
                const auto ranked = keyphrase::RankKeyPhrases(
                    page.candidates, pagesHolding, static_cast<std::uint32_t>(pages.size()), 1000, tries[t].second);
                for (std::size_t r = 0; r < ranked.size(); ++r) {
                    const bool hit = terms.contains(normalise(ranked[r].phrase));
                    if (r < top || hit) {
                        const auto c = std::find_if(page.candidates.begin(), page.candidates.end(),
                                                    [&](const auto& x) { return x.key == ranked[r].key; });
                        std::printf("  %3zu %s %-40s %7.2f df %4u z", r, hit ? "HIT" : "   ", ranked[r].phrase.c_str(),
                                    ranked[r].score, pagesHolding(ranked[r].key));
                        for (const auto n : c->inZone) {
                            std::printf(" %u", n);
                        }
                        std::printf(" f %u l %u cap %u\n", c->firstWord, c->lastWord, c->capitalised);
                    }
                }
            }
        }
        if (!truth.empty()) {
            const auto quality = vortaxel::bench::Score(truth, phrases, normalise, top);
            std::printf("%-40s pages %zu  F1@%zu %.4f  P %.4f  R %.4f  P@1 %.4f  partial F1 %.4f  P@1 %.4f\n",
                        tries[t].first.c_str(), quality.pages, top, quality.f1, quality.precision, quality.recall,
                        quality.precisionAt1, quality.partialF1, quality.partialPrecisionAt1);
        }
    }
    return 0;
}
