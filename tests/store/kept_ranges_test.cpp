// A kept crawl's settings and progress are refused just past the widest a run writes and accepted at it, so a
// file from a run at a limit opens and one a run could not have written does not.

#include "store/crawl_store.h"
#include "store/read/crawl_file_check.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <gtest/gtest.h>
#include <limits>
#include <string>

namespace vortaxel::store {
namespace {

struct Kept {
    CrawlSettings settings;
    CrawlProgressRow progress;
};

struct RangeCase {
    const char* name;
    std::function<void(Kept&)> change;
    /// What the check names, or "" when the file is within range.
    std::string named;
};

Kept Ordinary() {
    Kept kept;
    kept.settings.startText = "http://a.test/";
    kept.settings.maxMemory = std::uint64_t{1} << 30;
    kept.progress.queueHead = 3;
    kept.progress.queueTail = 9;
    kept.progress.turns = 4;
    kept.progress.events = 12;
    return kept;
}

class KeptRanges : public ::testing::TestWithParam<RangeCase> {};

TEST_P(KeptRanges, AreRefusedJustPastWhatARunWrites) {
    Kept kept = Ordinary();
    GetParam().change(kept);
    EXPECT_EQ(OutOfRange(kept.settings, kept.progress), GetParam().named);
}

constexpr std::uint64_t kWidest = std::numeric_limits<std::int64_t>::max();

INSTANTIATE_TEST_SUITE_P(
    Values, KeptRanges,
    ::testing::Values(
        RangeCase{"AnOrdinaryCrawl", [](Kept&) {}, ""},
        RangeCase{"NoStartAddress", [](Kept& k) { k.settings.startText.clear(); }, "no start address"},
        RangeCase{"TheLongestDelay", [](Kept& k) { k.settings.delay = kMaxKeptDelay; }, ""},
        RangeCase{"ADelayPastIt", [](Kept& k) { k.settings.delay = kMaxKeptDelay + std::chrono::milliseconds(1); },
                  "a delay of 3600001 ms"},
        RangeCase{"ANegativeDelay", [](Kept& k) { k.settings.delay = std::chrono::milliseconds(-1); },
                  "a delay of -1 ms"},
        RangeCase{"APageLimitOfOne", [](Kept& k) { k.settings.maxPages = 1; }, ""},
        RangeCase{"APageLimitOfNone", [](Kept& k) { k.settings.maxPages = 0; }, "a page limit of 0"},
        RangeCase{"TheWidestPageLimit", [](Kept& k) { k.settings.maxPages = kWidest; }, ""},
        // SQLite keeps signed numbers: a negative one in the file reads back past the widest, and is named as kept.
        RangeCase{"ANegativePageLimit",
                  [](Kept& k) { k.settings.maxPages = static_cast<std::uint64_t>(std::int64_t{-5}); },
                  "a page limit of -5"},
        RangeCase{"TheSmallestMemory", [](Kept& k) { k.settings.maxMemory = kMinKeptMemory; }, ""},
        RangeCase{"LessMemory", [](Kept& k) { k.settings.maxMemory = kMinKeptMemory - 1; },
                  "a memory budget of 4194303 bytes"},
        RangeCase{"ANegativeMemory",
                  [](Kept& k) { k.settings.maxMemory = static_cast<std::uint64_t>(std::int64_t{-5}); },
                  "a memory budget of -5 bytes"},
        RangeCase{"AnEmptyQueue", [](Kept& k) { k.progress.queueTail = k.progress.queueHead; }, ""},
        RangeCase{"AQueueEndingBeforeItsHead", [](Kept& k) { k.progress.queueTail = k.progress.queueHead - 1; },
                  "a queue from 3 to 2"},
        RangeCase{"ANegativeHead",
                  [](Kept& k) {
                      k.progress.queueHead = -1;
                      k.progress.queueTail = 0;
                  },
                  "a queue from -1 to 0"},
        RangeCase{"NegativeTurns", [](Kept& k) { k.progress.turns = -1; }, "a queue from 3 to 9"},
        RangeCase{"NegativeEvents", [](Kept& k) { k.progress.events = -1; }, "a queue from 3 to 9"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace vortaxel::store
