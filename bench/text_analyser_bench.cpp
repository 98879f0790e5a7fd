#include "text/language_detector.h"
#include "text/text_analyser.h"

#include <benchmark/benchmark.h>
#include <random>
#include <string>
#include <vector>

namespace vortaxel::bench {
namespace {

using text::TextBlock;
using text::Zone;

// Sentences of a software manual's chapter; a page is drawn from them in a fixed order.
const char* const kSentences[] = {
    "The package manager downloads every package from the configured mirrors and checks its signature.",
    "Run apt-get update before you install a package, so that the package lists are current.",
    "Each repository is described by one line in the sources.list file, or by a file in sources.list.d.",
    "A package can depend on other packages, recommend them, or merely suggest them.",
    "When two packages conflict, the package manager removes one of them before it installs the other.",
    "The dpkg database keeps the state of every installed package and the files it owns.",
    "Security updates come from a separate repository, which should always be enabled on a server.",
    "Pinning lets an administrator prefer the packages of one release over those of another.",
    "The cache in /var/cache/apt/archives holds the downloaded files until apt-get clean removes them.",
    "Unattended upgrades install the security updates every night and mail a report to the administrator.",
    "A backport is a newer version of a package, rebuilt for the stable release.",
    "The debconf system asks its questions when a package is configured, and remembers the answers.",
};

std::vector<TextBlock> ManualPage(int bodyWords) {
    std::vector<TextBlock> blocks = {
        {Zone::Title, "6.2. The Package Manager and Its Repositories — Debian Administration"},
        {Zone::Description, "How the package manager finds, downloads and installs packages from repositories."},
        {Zone::H1, "The Package Manager and Its Repositories"},
    };
    std::mt19937 rng(6);
    int words = 0;
    while (words < bodyWords) {
        if (blocks.size() % 6 == 0) {
            blocks.push_back({Zone::Heading, "Configuring Package Repositories and Security Updates"});
        }
        std::string paragraph;
        for (int sentence = 0; sentence < 4; ++sentence) {
            const std::string s = kSentences[rng() % std::size(kSentences)];
            paragraph += paragraph.empty() ? s : " " + s;
            words += 15;
        }
        blocks.push_back({Zone::Body, paragraph});
    }
    blocks.push_back({Zone::ImageAlt, "Diagram of the package manager fetching packages from two mirrors"});
    return blocks;
}

/// One page of about `range(0)` words, its language declared ("en") or left to the detector.
void AnalysePage(benchmark::State& state, const char* declared) {
    const std::vector<TextBlock> page = ManualPage(static_cast<int>(state.range(0)));
    std::size_t bytes = 0;
    for (const TextBlock& block : page) {
        bytes += block.text.size();
    }
    text::TextAnalyser analyser;
    std::size_t candidates = 0;
    for (auto _ : state) {
        const text::PageTerms terms = analyser.Analyse(page, declared);
        candidates = terms.candidates.size();
        benchmark::DoNotOptimize(terms.candidates.data());
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
    state.counters["candidates"] = static_cast<double>(candidates);
}
BENCHMARK_CAPTURE(AnalysePage, declared, "en")->Arg(300)->Arg(1500)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(AnalysePage, detected, "")->Arg(1500)->Unit(benchmark::kMicrosecond);

/// The hostile pages: a million distinct random words (the analyser reads its first kMaxWordsAnalysed)
/// and 10 MB of one word. Their peak memory is what `/usr/bin/time -v` gives for a run of each alone.
void AnalyseHostilePage(benchmark::State& state) {
    std::string body;
    if (state.range(0) == 0) {
        std::mt19937 rng(29);
        for (int i = 0; i < 1'000'000; ++i) {
            for (int letter = 0; letter < 7; ++letter) {
                body += static_cast<char>('a' + rng() % 26);
            }
            body += ' ';
        }
    } else {
        body.assign(std::size_t{10} * 1024 * 1024, 'a');
    }
    const std::vector<TextBlock> page = {{Zone::Title, "A hostile page"}, {Zone::Body, std::move(body)}};
    text::TextAnalyser analyser;
    for (auto _ : state) {
        benchmark::DoNotOptimize(analyser.Analyse(page, "en").candidates.data());
    }
}
BENCHMARK(AnalyseHostilePage)->ArgName("oneWord")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

/// The detector alone, over the sample the analyser gives it.
void DetectLanguage(benchmark::State& state) {
    std::string sample;
    for (const TextBlock& block : ManualPage(1500)) {
        sample += block.text + "\n";
    }
    sample.resize(std::min(sample.size(), text::kDetectionSampleBytes));
    for (auto _ : state) {
        benchmark::DoNotOptimize(text::DetectLanguage(sample).code.data());
    }
}
BENCHMARK(DetectLanguage)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace vortaxel::bench

BENCHMARK_MAIN();
