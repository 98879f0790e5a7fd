#include "store/read/crawl_compare.h"

#include "store/sqlite_db.h"

#include <string_view>
#include <unordered_map>

namespace vortaxel::store {

namespace {

struct Outcome {
    std::int64_t status = 0;
    std::string finalUrl;
    bool seen = false;
};

constexpr const char* kOutcomes = "SELECT p.url, coalesce(f.status, 0), coalesce(f.final_url, '') FROM pages p "
                                  "LEFT JOIN fetches f ON f.page_id = p.id ORDER BY p.id";

std::string ReadFailure(const CrawlStore& store, const SqlStatus& status) {
    return "cannot read the crawl in " + store.Path() + ": " + status.message;
}

} // namespace

const char* PageChangeName(PageChange::Kind kind) {
    switch (kind) {
    case PageChange::Kind::Added:
        return "added";
    case PageChange::Kind::Gone:
        return "gone";
    case PageChange::Kind::Changed:
        break;
    }
    return "changed";
}

std::string CompareCrawls(CrawlStore& older, CrawlStore& newer, const std::function<void(const PageChange&)>& each) {
    // The older crawl's pages in memory, in order; the newer one is read row by row against them.
    std::vector<std::string> oldOrder;
    std::unordered_map<std::string_view, Outcome> oldPages;
    SqlStatement read;
    if (SqlStatus status = read.Prepare(older.Db(), kOutcomes); !status) {
        return ReadFailure(older, status);
    }
    while (read.Step()) {
        oldOrder.emplace_back(read.Text(0));
    }
    if (!read.Status()) {
        return ReadFailure(older, read.Status());
    }
    read.Reset();
    for (std::size_t i = 0; i < oldOrder.size() && read.Step(); ++i) {
        oldPages.try_emplace(oldOrder[i], Outcome{read.Int(1), std::string(read.Text(2))});
    }
    SqlStatement fresh;
    if (SqlStatus status = fresh.Prepare(newer.Db(), kOutcomes); !status) {
        return ReadFailure(newer, status);
    }
    while (fresh.Step()) {
        PageChange change;
        change.url = fresh.Text(0);
        change.newStatus = fresh.Int(1);
        change.newFinalUrl = fresh.Text(2);
        const auto old = oldPages.find(change.url);
        if (old == oldPages.end()) {
            change.kind = PageChange::Kind::Added;
            each(change);
            continue;
        }
        old->second.seen = true;
        if (old->second.status != change.newStatus || old->second.finalUrl != change.newFinalUrl) {
            change.kind = PageChange::Kind::Changed;
            change.oldStatus = old->second.status;
            change.oldFinalUrl = old->second.finalUrl;
            each(change);
        }
    }
    if (!fresh.Status()) {
        return ReadFailure(newer, fresh.Status());
    }
    for (const std::string& url : oldOrder) {
        Outcome& old = oldPages.find(url)->second;
        if (!old.seen) {
            old.seen = true; // a page listed twice is gone once
            PageChange change;
            change.kind = PageChange::Kind::Gone;
            change.url = url;
            change.oldStatus = old.status;
            change.oldFinalUrl = old.finalUrl;
            each(change);
        }
    }
    return {};
}

} // namespace vortaxel::store
