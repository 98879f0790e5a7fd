#include "bench/generated_site.h"
#include "tests/cli/child_process.h"
#include "tests/support/loopback_site.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/sorted.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace vortaxel::test {
namespace {

using namespace std::chrono_literals;
using Targets = std::vector<std::string>;

constexpr auto kRunLimit = 60s;

/// What one command-line run left behind.
struct Outcome {
    std::string found;
    std::string keywords;
    Targets requests;
};

/// Every occurrence of `from` in `text` replaced with `to`.
std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

/// A generated shop served on the loopback site: some pages missing, every answer after a random
/// short delay, so that pages fetched side by side come back in shuffled order.
///
/// Each run gets a site of its own. A run stopped with fetches in flight leaves requests that the
/// server may take up only after the run has ended, on a loaded machine even after the next run has
/// begun; on a shared site they would be counted as the next run's own.
class ParallelCrawl : public ::testing::Test {
protected:
    void Serve(std::size_t pages, unsigned seed) {
        pages_ = pages;
        seed_ = seed;
    }

    void ServeAfresh() {
        site_.reset();
        site_ = std::make_unique<LoopbackSite>();
        const bench::GeneratedSite shop(pages_, seed_, site_->Url("/"));
        std::mt19937 rng(seed_);
        std::string body;
        for (std::size_t i = 0; i < pages_; ++i) {
            if (i != 0 && rng() % 13 == 0) {
                continue;
            }
            shop.WritePage(i, body);
            site_->Serve("/" + shop.PagePath(i), Page().WithBody(body).WithDelay(std::chrono::milliseconds(rng() % 3)));
        }
        start_ = shop.Root();
    }

    Outcome Run(std::size_t parallel, const std::vector<std::string>& extra = {}) {
        ServeAfresh();
        // A width's file is written again with each seed: the one before goes, so that it cannot stand in
        // for a file this run failed to write.
        const std::filesystem::path keywords = scratch_ / ("keywords-" + std::to_string(parallel) + ".txt");
        std::filesystem::remove(keywords);
        std::vector<std::string> args = {"--quiet", "--parallel", std::to_string(parallel), "--keywords",
                                         keywords.string()};
        args.insert(args.end(), extra.begin(), extra.end());
        args.push_back(start_);
        ChildProcess cli(VORTAXEL_CLI_PATH, args);
        EXPECT_TRUE(cli.Wait(kRunLimit));
        EXPECT_EQ(cli.ExitCode(), 0) << cli.Err();
        // The site's address differs from run to run; what was found is compared without it.
        return {Replaced(cli.Out(), start_, "ROOT/"), ReadFile(keywords), site_->Targets()};
    }

    std::unique_ptr<LoopbackSite> site_;
    std::size_t pages_ = 0;
    unsigned seed_ = 0;
    ScratchFolder scratch_{"parallel"};
    std::string start_;
};

TEST_F(ParallelCrawl, RunsToTheEndWithTheSequentialOutputAndRequests) {
    for (const unsigned seed : {1u, 2u, 3u, 4u}) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        Serve(40 + seed * 25, seed);
        const Outcome sequential = Run(1);
        ASSERT_FALSE(sequential.found.empty());
        const Targets once = Sorted(sequential.requests);
        ASSERT_EQ(std::adjacent_find(once.begin(), once.end()), once.end()) << "a page was fetched twice";
        for (const std::size_t parallel : {4u, 8u}) {
            SCOPED_TRACE("parallel " + std::to_string(parallel));
            const Outcome side = Run(parallel);
            EXPECT_EQ(side.found, sequential.found);
            EXPECT_EQ(side.keywords, sequential.keywords);
            EXPECT_EQ(Sorted(side.requests), once);
        }
    }
}

// A stopped run may have fetched ahead up to width - 1 pages in flight and what the bounded store of
// finished pages held; each of those is a page the whole crawl visits, and none is asked for twice.
TEST_F(ParallelCrawl, PageLimitKeepsTheOutputAndFetchesAheadOnlyPagesTheCrawlVisits) {
    Serve(200, 7);
    const Targets whole = Sorted(Run(1).requests);
    for (const std::size_t limit : {1u, 5u, 30u}) {
        SCOPED_TRACE("limit " + std::to_string(limit));
        const std::vector<std::string> extra = {"--max-pages", std::to_string(limit)};
        const Outcome sequential = Run(1, extra);
        for (const std::size_t parallel : {4u, 8u}) {
            SCOPED_TRACE("parallel " + std::to_string(parallel));
            const Outcome side = Run(parallel, extra);
            EXPECT_EQ(side.found, sequential.found);
            EXPECT_EQ(side.keywords, sequential.keywords);
            const Targets all = Sorted(side.requests);
            for (auto twice = std::adjacent_find(all.begin(), all.end()); twice != all.end();
                 twice = std::adjacent_find(twice + 1, all.end())) {
                ADD_FAILURE() << *twice << " was asked for twice";
            }
            for (const std::string& target : all) {
                EXPECT_TRUE(std::binary_search(whole.begin(), whole.end(), target))
                    << target << " was asked for, though the whole crawl never visits it";
            }
            for (const std::string& target : sequential.requests) {
                EXPECT_TRUE(std::binary_search(all.begin(), all.end(), target))
                    << target << " was not asked for, though the one-at-a-time run asks for it";
            }
        }
    }
}

} // namespace
} // namespace vortaxel::test
