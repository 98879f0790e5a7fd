#include "crawl/found_list.h"
#include "crawl/url_store.h"

#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

namespace vortaxel::crawl {
namespace {

TEST(UrlStore, InternsEachDistinctTextOnceAndKeepsViewsThroughGrowth) {
    UrlStore store;
    const std::string huge(3 << 20, 'h');
    std::vector<std::string> texts = {"", std::string("a\0b", 3), std::string("a\0c", 3), "A", "a", huge};
    for (int i = 0; i < 200'000; ++i) {
        texts.push_back("http://site/" + std::to_string(i));
    }
    std::vector<std::pair<UrlId, std::string_view>> stored;
    for (const std::string& text : texts) {
        const UrlId id = store.Intern(text);
        stored.emplace_back(id, store.Text(id));
        store.AddQueued(id);
    }
    ASSERT_EQ(store.Size(), texts.size());
    for (std::size_t i = 0; i < texts.size(); ++i) {
        UrlId id = 0;
        ASSERT_TRUE(store.Find(texts[i], id)) << i;
        ASSERT_EQ(id, stored[i].first);
        ASSERT_EQ(store.Intern(texts[i]), id);
        ASSERT_EQ(stored[i].second, texts[i]);
        ASSERT_EQ(stored[i].second.data(), store.Text(id).data()) << "moved";
        ASSERT_EQ(store.QueuedCount(id), 1U);
        ASSERT_FALSE(store.IsListed(id));
    }
    EXPECT_EQ(store.Size(), texts.size());
    UrlId id = 0;
    EXPECT_FALSE(store.Find("http://site/200000", id));
    store.Clear();
    EXPECT_EQ(store.Size(), 0U);
    EXPECT_FALSE(store.Find("", id));
    id = store.Intern("http://site/1");
    EXPECT_EQ(store.Text(id), "http://site/1");
    EXPECT_EQ(store.QueuedCount(id), 0U);
}

/// Records the observer calls as short lines.
struct ObserverLog : FoundListObserver {
    void FoundListCleared() override { calls.push_back("clear"); }
    void FoundListAppended(std::size_t i) override { calls.push_back("add " + std::to_string(i)); }
    void FoundSelectionChanged(std::size_t first, std::size_t last) override {
        calls.push_back("sel " + std::to_string(first) + "-" + std::to_string(last));
    }
    std::vector<std::string> calls;
};

TEST(FoundList, SelectAllReportsOnlyTheRangeItChanged) {
    struct Row {
        std::string flags; // one '1' or '0' per entry before SelectAll
        std::vector<std::string> calls;
    };
    const Row rows[] = {
        {"", {}},
        {"1111", {}},
        {"1110", {"sel 3-3"}},
        {"0000", {"sel 0-3"}},
        {"1011", {"sel 1-1"}},
        {"0110", {"sel 0-3"}},
    };
    for (const Row& row : rows) {
        FoundList list;
        for (std::size_t i = 0; i < row.flags.size(); ++i) {
            list.Append("u" + std::to_string(i));
        }
        list.SelectAll();
        for (std::size_t i = 0; i < row.flags.size(); ++i) {
            list.SetSelected(i, row.flags[i] == '1');
        }
        ObserverLog log;
        list.SetObserver(&log);
        list.SelectAll();
        EXPECT_EQ(log.calls, row.calls) << row.flags;
        EXPECT_EQ(list.SelectedCount(), row.flags.size());
        for (std::size_t i = 0; i < row.flags.size(); ++i) {
            EXPECT_TRUE(list.IsSelected(i));
        }
    }
}

TEST(FoundList, TellsItsObserverOfEveryChange) {
    FoundList list;
    ObserverLog log;
    list.SetObserver(&log);
    list.Append("a");
    list.Append("b");
    list.SetSelected(1, true);
    list.SetSelected(1, true);
    list.SetSelected(0, false);
    list.SelectAll();
    list.SetSelected(0, false);
    list.Clear();
    list.SetObserver(nullptr);
    list.Append("c");
    EXPECT_EQ(log.calls, (std::vector<std::string>{"add 0", "add 1", "sel 1-1", "sel 0-0", "sel 0-0", "clear"}));
    EXPECT_EQ(list.Count(), 1U);
    EXPECT_TRUE(list.Contains("c"));
    EXPECT_FALSE(list.Contains("a"));
}

} // namespace
} // namespace vortaxel::crawl
