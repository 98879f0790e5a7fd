// What a crawl's text becomes: each page's key phrases as the report reads them back, and the site's map.

#include "analysis/key_phrase_pass.h"
#include "store/crawl_store.h"
#include "store/crawl_store_db.h"
#include "store/sqlite_db.h"
#include "tests/app/key_phrase_site.h"
#include "tests/support/scratch_folder.h"

#include <algorithm>
#include <cctype>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace vortaxel::test {
namespace {

using crawl::RuleSet;

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

const std::vector<std::string> kProducts = {
    "Copper Kettle",  "Walnut Cabinet", "Linen Apron",   "Marble Mortar",    "Bamboo Ladle",    "Cedar Chest",
    "Velvet Cushion", "Granite Slab",   "Wicker Basket", "Porcelain Teapot", "Leather Satchel", "Pewter Tankard",
    "Silk Scarf",     "Oak Bench",      "Brass Lantern", "Wool Blanket",     "Glass Decanter",  "Iron Skillet",
    "Cotton Towel",   "Maple Stool",    "Clay Vase",     "Steel Whisk",      "Felt Slipper",    "Cork Board"};

std::string ProductPath(std::size_t i) {
    return "item" + std::to_string(i) + ".html";
}

/// A shop of more pages than a template needs to be told: every page carries the shop's name in its
/// title and its navigation, and the same delivery line; each product names itself in its title and H1.
FakeSite Shop() {
    FakeSite site;
    std::string home = "<html><head><title>Homeware Outlet</title></head><body><ul>";
    for (std::size_t i = 0; i < kProducts.size(); ++i) {
        home += "<li><a href=\"" + ProductPath(i) + "\">" + kProducts[i] + "</a></li>";
    }
    site.Add("", home + "</ul><p>Free delivery on every order from Homeware Outlet.</p></body></html>");
    for (std::size_t i = 0; i < kProducts.size(); ++i) {
        const std::string& name = kProducts[i];
        site.Add(ProductPath(i), std::string("<html><head><title>").append(name) +
                                     " | Homeware Outlet</title><meta name=keywords content=\"zeppelin\"></head><body>"
                                     "<nav><a href=\"/\">Homeware Outlet</a></nav><h1>" +
                                     name + "</h1><p>Our " + Lower(name) + " is made by hand in small batches.</p>" +
                                     "<p>Free delivery on every order from Homeware Outlet.</p></body></html>");
    }
    return site;
}

TEST(KeywordMap, APagesTitleAndH1PhraseIsItsTargetAndTheSitesTemplateIsNone) {
    ScratchFolder folder("keymap");
    const std::string path = (folder.Path() / "shop.db").string();
    FakeSite site = Shop();
    CrawlInto(path, site, RuleSet::Browser, true);
    std::string error;
    auto store = store::CrawlStore::Open(path, store::CrawlStore::Access::Read, error);
    ASSERT_NE(store, nullptr) << error;
    const std::optional<app::KeywordMap> map = app::WorkOutKeywordMap(*store, error);
    ASSERT_TRUE(map) << error;

    const auto pages = KeyPhrasesByPage(*store);
    ASSERT_EQ(pages.size(), kProducts.size() + 1);
    for (const auto& [url, phrases] : pages) {
        SCOPED_TRACE(url);
        ASSERT_FALSE(phrases.empty());
        for (const keyphrase::KeyPhrase& phrase : phrases) {
            for (const char* templateWord : {"homeware", "outlet", "delivery", "order", "zeppelin"}) {
                EXPECT_EQ(Lower(phrase.phrase).find(templateWord), std::string::npos) << phrase.phrase;
            }
        }
    }
    for (std::size_t i = 0; i < kProducts.size(); ++i) {
        const std::string url = kSiteStart + ProductPath(i);
        SCOPED_TRACE(url);
        EXPECT_EQ(Lower(pages.at(url).front().phrase), Lower(kProducts[i]));
        const auto row = std::find_if(map->phrases.begin(), map->phrases.end(), [&](const keyphrase::SitePhrase& p) {
            return Lower(p.phrase) == Lower(kProducts[i]);
        });
        ASSERT_NE(row, map->phrases.end());
        EXPECT_EQ(row->bestPage, url);
        EXPECT_GE(row->inTitles, 1u);
        EXPECT_GE(row->inH1, 1u);
    }
    EXPECT_EQ(map->site, kSiteStart);
}

TEST(KeywordMap, PhrasesAreHeldInTheMapOnlyWhenTheFileCannotTakeThem) {
    ScratchFolder folder("keymap");
    const std::string path = (folder.Path() / "shop.db").string();
    FakeSite site = Shop();
    CrawlInto(path, site, RuleSet::Browser, true);
    std::string error;
    auto store = store::CrawlStore::Open(path, store::CrawlStore::Access::Read, error);
    ASSERT_NE(store, nullptr) << error;
    std::optional<app::KeywordMap> held;
    {
        // Another program writing the file: it may be read, not written.
        store::SqlDatabase writer;
        ASSERT_TRUE(writer.Open(path, store::SqlDatabase::Mode::ReadWrite).Ok());
        ASSERT_TRUE(writer.Execute("BEGIN IMMEDIATE").Ok());
        const std::optional<app::KeywordMap> lost = app::WorkOutKeywordMap(*store, error);
        ASSERT_TRUE(lost) << error;
        EXPECT_TRUE(lost->pages.empty()) << "not asked to hold them";
        held = app::WorkOutKeywordMap(*store, error, app::PagePhrases::HeldWhenNotKept);
        ASSERT_TRUE(held) << error;
        for (const auto& [url, phrases] : KeyPhrasesByPage(*store)) {
            EXPECT_TRUE(phrases.empty()) << url << ": none kept in the file";
        }
    }
    const std::optional<app::KeywordMap> kept =
        app::WorkOutKeywordMap(*store, error, app::PagePhrases::HeldWhenNotKept);
    ASSERT_TRUE(kept) << error;
    EXPECT_TRUE(kept->pages.empty()) << "kept in the file, not held";
    const auto written = KeyPhrasesByPage(*store);
    ASSERT_EQ(written.size(), kProducts.size() + 1);
    ASSERT_EQ(held->pages.size(), written.size());
    for (const auto& [url, phrases] : written) {
        SCOPED_TRACE(url);
        ASSERT_TRUE(held->pages.contains(url));
        const std::vector<keyphrase::KeyPhrase>& mine = held->pages.at(url);
        ASSERT_EQ(mine.size(), phrases.size());
        ASSERT_FALSE(mine.empty());
        for (std::size_t i = 0; i < phrases.size(); ++i) {
            EXPECT_EQ(mine[i].phrase, phrases[i].phrase);
            EXPECT_NEAR(mine[i].score, phrases[i].score, 1e-9);
        }
    }
    EXPECT_EQ(held->phrases.size(), kept->phrases.size());
}

TEST(KeywordMap, TheReportReadsAPagesMetaKeywordsBesideItsKeyPhrases) {
    ScratchFolder folder("keymap");
    const std::string path = (folder.Path() / "shop.db").string();
    FakeSite site = Shop();
    CrawlInto(path, site, RuleSet::Browser, true);
    std::string error;
    auto store = store::CrawlStore::Open(path, store::CrawlStore::Access::Read, error);
    ASSERT_NE(store, nullptr) << error;
    ASSERT_TRUE(app::WorkOutKeywordMap(*store, error)) << error;
    std::size_t withKeywords = 0;
    store::AuditReader reader(*store);
    ASSERT_EQ(
        reader.ForEachRow([&](const store::AuditRow& row) { withKeywords += row.metaKeywords == "zeppelin" ? 1 : 0; }),
        "");
    EXPECT_EQ(withKeywords, kProducts.size());
}

/// A page that says two phrases alike, with one of them linked from another page, from itself, or nowhere.
struct AnchorRow {
    const char* name;
    bool linkedFromItself;
    bool linkedFromElsewhere;
    /// Whether the linked phrase scores higher than where no link says it.
    bool raised;
};

class InlinkAnchors : public ::testing::TestWithParam<AnchorRow> {};

double ScoreOf(const std::vector<keyphrase::KeyPhrase>& phrases, const std::string& phrase) {
    for (const keyphrase::KeyPhrase& p : phrases) {
        if (Lower(p.phrase) == phrase) {
            return p.score;
        }
    }
    return 0;
}

std::vector<keyphrase::KeyPhrase> GardenPhrases(const std::string& path, bool fromItself, bool fromElsewhere) {
    FakeSite site;
    site.Add("", "<html><head><title>Start</title></head><body><a href=\"b.html\">Notes</a> "
                 "<a href=\"c.html\">Notes</a></body></html>");
    const auto yellow = [](bool linked) {
        return linked ? std::string("<a href=\"b.html\">yellow chair</a>") : std::string("<span>yellow chair</span>");
    };
    site.Add("b.html", "<html><head><title>Garden notes</title></head><body><p>Here is a green lamp.</p><p>Here is a " +
                           yellow(fromItself) + ".</p></body></html>");
    site.Add("c.html", "<html><head><title>Porch notes</title></head><body><p>Look, a " + yellow(fromElsewhere) +
                           ".</p></body></html>");
    CrawlInto(path, site, RuleSet::Browser, true);
    std::string error;
    auto store = store::CrawlStore::Open(path, store::CrawlStore::Access::Read, error);
    EXPECT_NE(store, nullptr) << error;
    if (!store || !app::WorkOutKeywordMap(*store, error)) {
        ADD_FAILURE() << error;
        return {};
    }
    return KeyPhrasesByPage(*store)[std::string(kSiteStart) + "b.html"];
}

TEST_P(InlinkAnchors, CountFromTheSitesOtherPagesOnly) {
    const AnchorRow& row = GetParam();
    ScratchFolder folder("anchors");
    const auto unlinked = GardenPhrases((folder.Path() / "plain.db").string(), false, false);
    const auto linked =
        GardenPhrases((folder.Path() / "linked.db").string(), row.linkedFromItself, row.linkedFromElsewhere);
    ASSERT_GT(ScoreOf(unlinked, "yellow chair"), 0);
    if (row.raised) {
        EXPECT_GT(ScoreOf(linked, "yellow chair"), ScoreOf(unlinked, "yellow chair"));
        // Said alike on the page, the phrase the site's links say of it comes first.
        EXPECT_GT(ScoreOf(linked, "yellow chair"), ScoreOf(linked, "green lamp"));
    } else {
        EXPECT_EQ(ScoreOf(linked, "yellow chair"), ScoreOf(unlinked, "yellow chair"));
        EXPECT_EQ(ScoreOf(linked, "green lamp"), ScoreOf(unlinked, "green lamp"));
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, InlinkAnchors,
                         ::testing::Values(AnchorRow{"FromAnotherPage", false, true, true},
                                           AnchorRow{"FromItself", true, false, false}),
                         [](const auto& info) { return std::string(info.param.name); });

/// A crawl that kept no text, and why.
struct NoTextRow {
    const char* name;
    RuleSet rules;
    bool keyPhrases;
    const char* reason;
};

class NoText : public ::testing::TestWithParam<NoTextRow> {};

TEST_P(NoText, KeepsNoCandidateAndSaysWhyThereIsNoMap) {
    const NoTextRow& row = GetParam();
    ScratchFolder folder("notext");
    const std::string path = (folder.Path() / "shop.db").string();
    FakeSite site = Shop();
    CrawlInto(path, site, row.rules, row.keyPhrases);
    std::string error;
    auto store = store::CrawlStore::Open(path, store::CrawlStore::Access::Read, error);
    ASSERT_NE(store, nullptr) << error;
    std::int64_t count = -1;
    ASSERT_TRUE(store::CrawlStoreDb::Of(*store).QueryInt("SELECT count(*) FROM page_candidates", count));
    EXPECT_EQ(count, 0);
    ASSERT_TRUE(store::CrawlStoreDb::Of(*store).QueryInt(
        "SELECT count(*) FROM pages WHERE text_lang IS NOT NULL OR meta_keywords IS NOT "
        "NULL OR first_heading IS NOT NULL",
        count));
    EXPECT_EQ(count, 0);
    EXPECT_FALSE(app::WorkOutKeywordMap(*store, error));
    EXPECT_NE(error.find(row.reason), std::string::npos) << error;
    ASSERT_TRUE(store::CrawlStoreDb::Of(*store).QueryInt("SELECT count(*) FROM key_phrases", count));
    EXPECT_EQ(count, 0);
}

INSTANTIATE_TEST_SUITE_P(Rows, NoText,
                         ::testing::Values(NoTextRow{"BrowserRulesWithoutKeyPhrases", RuleSet::Browser, false,
                                                     "made without key phrases"},
                                           NoTextRow{"ClassicRules", RuleSet::Classic, true, "under classic rules"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(KeywordMap, APageOfAMillionDistinctWordsKeepsABoundedShare) {
    ScratchFolder folder("million");
    const std::string path = (folder.Path() / "big.db").string();
    FakeSite site;
    std::string body = "<html><head><title>Word soup</title></head><body><p>";
    std::uint64_t state = 1;
    for (int i = 0; i < 1'000'000; ++i) {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        for (int letter = 0; letter < 7; ++letter) {
            body += static_cast<char>('a' + (state >> (20 + letter * 5)) % 26);
        }
        body += i % 12 == 11 ? ". " : " ";
    }
    site.Add("", body + "</p></body></html>");
    CrawlInto(path, site, RuleSet::Browser, true);
    std::string error;
    auto store = store::CrawlStore::Open(path, store::CrawlStore::Access::Read, error);
    ASSERT_NE(store, nullptr) << error;
    std::int64_t candidates = 0;
    ASSERT_TRUE(store::CrawlStoreDb::Of(*store).QueryInt("SELECT count(*) FROM page_candidates", candidates));
    EXPECT_GT(candidates, 0);
    EXPECT_LE(candidates, static_cast<std::int64_t>(text::kCandidatesKept));
    const auto map = app::WorkOutKeywordMap(*store, error);
    ASSERT_TRUE(map) << error;
    EXPECT_LE(KeyPhrasesByPage(*store).at(kSiteStart).size(), keyphrase::kKeyPhrasesPerPage);
}

} // namespace
} // namespace vortaxel::test
