#include "store/read/link_target_table.h"

#include <algorithm>

namespace vortaxel::store {

namespace {

// Of the rows max() picks from, SQLite takes the other columns from the one with the greatest id.
constexpr const char* kLastFetches = "SELECT url, max(id), status, error, blocked FROM fetches GROUP BY url";

} // namespace

bool LinkTargetTable::Load(SqlDatabase& db, std::size_t most) {
    targets_.clear();
    std::int64_t fetched = 0;
    std::int64_t pages = 0;
    SqlStatus status = db.QueryInt("SELECT count(*) FROM fetches", fetched);
    if (status) {
        status = db.QueryInt("SELECT count(*) FROM pages", pages);
    }
    if (!status || static_cast<std::uint64_t>(fetched) + static_cast<std::uint64_t>(pages) > most) {
        return false;
    }
    targets_.reserve(static_cast<std::size_t>(fetched + pages));
    SqlStatement last;
    status = last.Prepare(db, kLastFetches);
    while (status && last.Step()) {
        Target& target = targets_[std::string(last.Text(0))];
        target.fetchId = last.Int(1);
        target.status = static_cast<int>(last.Int(2));
        target.error = last.Text(3);
        target.blocked = last.Int(4) != 0;
    }
    status = status ? last.Status() : status;
    SqlStatement addresses;
    if (status) {
        status = addresses.Prepare(db, "SELECT url FROM pages");
    }
    while (status && addresses.Step()) {
        targets_.try_emplace(std::string(addresses.Text(0)));
    }
    status = status ? addresses.Status() : status;
    if (!status) {
        targets_.clear();
    }
    return status.Ok();
}

LinkTargetTable::Target* LinkTargetTable::Find(std::string_view address) {
    const auto found = targets_.find(address);
    return found == targets_.end() ? nullptr : &found->second;
}

void LinkTargetTable::ClearCounts() {
    for (auto& entry : targets_) {
        entry.second.linkingPages = 0;
        entry.second.selfLinking.clear();
        entry.second.lastPage = 0;
    }
}

void LinkTargetTable::Count(Target& target, std::int64_t pageId, bool toItself) {
    if (target.lastPage != pageId) {
        target.lastPage = pageId;
        ++target.linkingPages;
        if (toItself) {
            target.selfLinking.push_back(pageId);
        }
    }
}

std::uint64_t LinkTargetTable::Inlinks(std::string_view address, std::int64_t pageId) {
    const Target* target = Find(address);
    if (target == nullptr) {
        return 0;
    }
    const bool own =
        std::find(target->selfLinking.begin(), target->selfLinking.end(), pageId) != target->selfLinking.end();
    return target->linkingPages - (own ? 1 : 0);
}

} // namespace vortaxel::store
