#include "store/read/key_phrase_queries.h"

#include "store/crawl_store_db.h"
#include "store/page_candidate_columns.h"

#include <algorithm>
#include <limits>

namespace vortaxel::store {

namespace {

// The layout that keeps pages' text.
constexpr int kTextLayout = 5;

// The links whose text names the page they point to.
constexpr const char* kAnchorElements = "element IN ('a', 'area')";

// Built at the first reading and dropped when a run writes links again (CrawlStore::StartRun).
constexpr const char* kAnchorIndex = "links_anchor";

} // namespace

std::string KeptTextUnavailable(const CrawlStore& store) {
    if (store.Settings().rules != crawl::RuleSet::Browser) {
        return "the crawl kept no text to find key phrases in: it was made under classic rules";
    }
    if (store.SchemaVersion() < kTextLayout || !store.Settings().keyPhrases) {
        return "the crawl kept no text to find key phrases in: it was made without key phrases";
    }
    return {};
}

void KeyPageCounts::Add(std::string_view key, std::uint32_t pages) {
    keys_.append(key);
    ends_.push_back(static_cast<std::uint32_t>(keys_.size()));
    counts_.push_back(pages);
}

std::string_view KeyPageCounts::KeyAt(std::size_t index) const {
    const std::uint32_t begin = index == 0 ? 0 : ends_[index - 1];
    return std::string_view(keys_).substr(begin, ends_[index] - begin);
}

std::uint32_t KeyPageCounts::Of(std::string_view key) const {
    std::size_t low = 0;
    std::size_t high = counts_.size();
    while (low < high) {
        const std::size_t middle = low + (high - low) / 2;
        const std::string_view at = KeyAt(middle);
        if (at == key) {
            return counts_[middle];
        }
        if (at < key) {
            low = middle + 1;
        } else {
            high = middle;
        }
    }
    return 1;
}

std::string KeyPhraseQueries::Prepare() {
    SqlDatabase& db = CrawlStoreDb::Of(store_);
    // Built once at the first reading, as the report's lookups by target are, rather than kept up to date
    // while a run writes links and candidates in no order of theirs.
    // The anchors of a target are read from the index alone, already grouped by their text: an index by
    // target alone sent every page's lookup to each link's row and sorted its anchors twice to group them.
    std::string links = "links";
    std::string anchorLinks = std::string(" AND ") + kAnchorElements;
    if (!db.Execute(std::string("CREATE INDEX IF NOT EXISTS ") + kAnchorIndex + " ON links (target, anchor, page_id) " +
                    "WHERE " + kAnchorElements + " AND anchor != ''")) {
        // A file that may not be written is looked up through a copy of its anchors beside it.
        links = "temp.inlink_anchors";
        anchorLinks.clear();
        const SqlStatus copied = db.Execute(std::string("CREATE TEMP TABLE IF NOT EXISTS inlink_anchors AS SELECT "
                                                        "target, page_id, anchor FROM links WHERE ") +
                                            kAnchorElements +
                                            " AND anchor != ''; CREATE INDEX IF NOT EXISTS temp.inlink_anchors_target "
                                            "ON inlink_anchors (target, anchor, page_id)");
        if (!copied) {
            return store_.FailureText(copied);
        }
    }
    // Where the file may not be written, counting by key sorts the candidates instead.
    db.Execute("CREATE INDEX IF NOT EXISTS page_candidates_key ON page_candidates (key)");
    const SqlStatus status = anchors_.Prepare(
        db, "SELECT anchor, count(DISTINCT page_id) AS n FROM " + links + " WHERE target = ?1 AND page_id != ?2" +
                anchorLinks + " AND anchor != '' GROUP BY anchor ORDER BY n DESC, anchor LIMIT " +
                std::to_string(kMostAnchorTexts));
    return status ? std::string() : store_.FailureText(status);
}

std::string KeyPhraseQueries::CountPages(std::uint32_t& pages) {
    std::int64_t count = 0;
    const SqlStatus status =
        CrawlStoreDb::Of(store_).QueryInt("SELECT count(*) FROM pages WHERE text_lang IS NOT NULL", count);
    pages = static_cast<std::uint32_t>(std::clamp<std::int64_t>(count, 0, std::numeric_limits<std::uint32_t>::max()));
    return status ? std::string() : store_.FailureText(status);
}

std::string KeyPhraseQueries::CountKeys(KeyPageCounts& counts) {
    SqlStatement keys;
    SqlStatus status =
        keys.Prepare(CrawlStoreDb::Of(store_),
                     "SELECT key, count(*) FROM page_candidates GROUP BY key HAVING count(*) > 1 ORDER BY key");
    if (!status) {
        return store_.FailureText(status);
    }
    while (keys.Step()) {
        counts.Add(keys.Text(0), static_cast<std::uint32_t>(keys.Int(1)));
    }
    return keys.Status() ? std::string() : store_.FailureText(keys.Status());
}

std::string KeyPhraseQueries::ForEachPage(const std::function<void(const KeptPageTerms&)>& visit) {
    SqlStatement rows;
    SqlStatus status =
        rows.Prepare(CrawlStoreDb::Of(store_),
                     std::string("SELECT p.id, p.url, p.text_lang, c.key, c.surface, c.words, ") + kOwnZoneColumns +
                         ", c.first_word, c.last_word, c.capitalised FROM pages p LEFT JOIN page_candidates c ON "
                         "c.page_id = p.id WHERE p.text_lang IS NOT NULL ORDER BY p.id");
    if (!status) {
        return store_.FailureText(status);
    }
    KeptPageTerms page;
    bool open = false;
    while (rows.Step()) {
        const std::int64_t id = rows.Int(0);
        if (!open || id != page.pageId) {
            if (open) {
                visit(page);
            }
            open = true;
            page.pageId = id;
            page.url = rows.Text(1);
            page.lang = rows.Text(2);
            page.candidates.clear();
        }
        if (rows.IsNull(3)) {
            continue;
        }
        text::Candidate& candidate = page.candidates.emplace_back();
        candidate.key = rows.Text(3);
        candidate.surface = rows.Text(4);
        candidate.words = static_cast<std::uint8_t>(rows.Int(5));
        int column = 6;
        for (std::size_t zone = 0; zone < kOwnZones; ++zone) {
            candidate.inZone[zone] = static_cast<std::uint32_t>(rows.Int(column++));
        }
        candidate.firstWord = static_cast<std::uint32_t>(rows.Int(column++));
        candidate.lastWord = static_cast<std::uint32_t>(rows.Int(column++));
        candidate.capitalised = static_cast<std::uint32_t>(rows.Int(column));
    }
    if (!rows.Status()) {
        return store_.FailureText(rows.Status());
    }
    if (open) {
        visit(page);
    }
    return {};
}

std::string KeyPhraseQueries::InlinkAnchors(std::string_view url, std::int64_t pageId,
                                            std::vector<InlinkAnchor>& anchors) {
    anchors.clear();
    anchors_.Bind(1, url);
    anchors_.Bind(2, pageId);
    while (anchors_.Step()) {
        anchors.push_back({std::string(anchors_.Text(0)), static_cast<std::uint32_t>(anchors_.Int(1))});
    }
    const SqlStatus status = anchors_.Status();
    anchors_.Reset();
    return status ? std::string() : store_.FailureText(status);
}

std::string
KeyPhraseQueries::ForEachPageLink(const std::function<void(std::string_view from, std::string_view to)>& visit) {
    SqlStatement links;
    SqlStatus status =
        links.Prepare(CrawlStoreDb::Of(store_), std::string("SELECT p.url, l.target FROM links l JOIN pages p ON "
                                                            "p.id = l.page_id WHERE l.follow = 1 AND l.") +
                                                    kAnchorElements);
    if (!status) {
        return store_.FailureText(status);
    }
    while (links.Step()) {
        visit(links.Text(0), links.Text(1));
    }
    return links.Status() ? std::string() : store_.FailureText(links.Status());
}

} // namespace vortaxel::store
