#include "store/content/spelling_queries.h"

#include "store/content/content_audit_writer.h"
#include "store/crawl_store_db.h"

#include <unordered_set>
#include <utility>

namespace vortaxel::store {

namespace {

bool IsWordByte(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c >= 0x80 || c == '\'';
}

std::vector<std::string_view> Split(std::string_view list) {
    std::vector<std::string_view> items;
    while (!list.empty()) {
        const std::size_t cut = list.find(kContentListSeparator);
        items.push_back(list.substr(0, cut));
        list = cut == std::string_view::npos ? std::string_view() : list.substr(cut + kContentListSeparator.size());
    }
    return items;
}

// The key a reported word is matched by: the anchor words' own, or "" for a word they cannot match (one
// holding a hyphen is two anchor words).
std::string KeyOf(std::string_view word) {
    const std::vector<std::string> words = AnchorWords(word);
    return words.size() == 1 ? words.front() : std::string();
}

} // namespace

std::vector<std::string> AnchorWords(std::string_view anchor) {
    std::vector<std::string> words;
    std::string word;
    for (const char byte : anchor) {
        const auto c = static_cast<unsigned char>(byte);
        if (IsWordByte(c)) {
            word += c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : byte;
        } else if (!word.empty()) {
            words.push_back(std::move(word));
            word.clear();
        }
    }
    if (!word.empty()) {
        words.push_back(std::move(word));
    }
    return words;
}

SqlStatus ReadSpelling(SqlDatabase& db, std::unordered_map<std::int64_t, std::string>& out) {
    SqlStatement pages;
    SqlStatus status = pages.Prepare(db, "SELECT page_id, words FROM page_spelling WHERE words <> ''");
    if (!status) {
        return status;
    }
    // The words reported anywhere, and on how many pages the site's links use each.
    struct Use {
        std::int64_t lastPage = 0;
        std::size_t pages = 0;
    };
    std::unordered_map<std::string, Use> reported;
    std::vector<std::pair<std::int64_t, std::string>> rows;
    while (pages.Step()) {
        rows.emplace_back(pages.Int(0), std::string(pages.Text(1)));
        for (const std::string_view word : Split(rows.back().second)) {
            if (std::string key = KeyOf(word); !key.empty()) {
                reported.emplace(std::move(key), Use{});
            }
        }
    }
    if (!pages.Status()) {
        return pages.Status();
    }
    std::size_t linking = 0;
    if (!reported.empty()) {
        SqlStatement anchors;
        status = anchors.Prepare(db, "SELECT page_id, anchor FROM links WHERE element = 'a' AND anchor <> ''");
        if (!status) {
            return status;
        }
        // A page's links are written together, so a page is counted once per word by the last one seen.
        std::int64_t lastPage = 0;
        while (anchors.Step()) {
            const std::int64_t page = anchors.Int(0);
            linking += page != lastPage ? 1 : 0;
            lastPage = page;
            for (const std::string& word : AnchorWords(anchors.Text(1))) {
                const auto found = reported.find(word);
                if (found != reported.end() && found->second.lastPage != page) {
                    found->second.lastPage = page;
                    ++found->second.pages;
                }
            }
        }
        if (!anchors.Status()) {
            return anchors.Status();
        }
    }
    const std::size_t least = std::max(kSiteWordPages, (linking + kSiteWordShare - 1) / kSiteWordShare);
    for (auto& [pageId, words] : rows) {
        std::string kept;
        for (const std::string_view word : Split(words)) {
            const auto found = reported.find(KeyOf(word));
            if (found != reported.end() && found->second.pages >= least) {
                continue;
            }
            if (!kept.empty()) {
                kept += kContentListSeparator;
            }
            kept += word;
        }
        if (!kept.empty()) {
            out.emplace(pageId, std::move(kept));
        }
    }
    return {};
}

std::string SpellingNotes(CrawlStore& store, std::vector<std::string>& notes) {
    SqlDatabase& db = CrawlStoreDb::Of(store);
    if (!store.Settings().contentAudit.spelling) {
        return {};
    }
    SqlStatement languages;
    SqlStatus status = languages.Prepare(
        db, "SELECT l.lang, l.dictionary, l.problem, count(p.page_id) FROM spelling_languages l JOIN page_spelling p "
            "ON p.lang = l.lang AND p.checked = 0 WHERE l.problem <> '' GROUP BY l.lang ORDER BY l.lang");
    while (status && languages.Step()) {
        const std::string lang(languages.Text(0));
        const std::string pages = std::to_string(languages.Int(3)) + (languages.Int(3) == 1 ? " page" : " pages");
        if (languages.Text(1).empty()) {
            std::string note = "no Hunspell dictionary for ";
            note += lang;
            note += "; its pages are not checked (";
            note += pages;
            note += ')';
            notes.push_back(std::move(note));
        } else {
            std::string note = "the Hunspell dictionary for ";
            note += lang;
            note += " cannot be used: ";
            note += languages.Text(2);
            note += "; its pages are not checked (";
            note += pages;
            note += ')';
            notes.push_back(std::move(note));
        }
    }
    if (status) {
        status = languages.Status();
    }
    std::int64_t unknown = 0;
    if (status && db.QueryInt("SELECT count(*) FROM page_spelling WHERE lang = ''", unknown) && unknown > 0) {
        notes.push_back("no language known for " + std::to_string(unknown) + (unknown == 1 ? " page" : " pages") +
                        "; not checked for spelling");
    }
    return status ? std::string() : store.FailureText(status);
}

} // namespace vortaxel::store
