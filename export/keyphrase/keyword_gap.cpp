#include "export/keyphrase/site_map.h"

#include <algorithm>
#include <unordered_map>

namespace vortaxel::keyphrase {
namespace {

constexpr std::string_view kGap = "gap";
constexpr std::string_view kShared = "shared";
constexpr std::string_view kOnlyMine = "only mine";

struct Ranked {
    GapRow row;
    std::string_view key;
    int group = 0;
    double order = 0;
};

} // namespace

std::vector<GapRow> KeywordGap(std::span<const SitePhrase> theirs, std::span<const SitePhrase> mine) {
    std::unordered_map<std::string_view, const SitePhrase*> mineByKey;
    mineByKey.reserve(mine.size());
    for (const auto& phrase : mine) {
        mineByKey.emplace(phrase.key, &phrase);
    }
    std::unordered_map<std::string_view, bool> theirKeys;
    theirKeys.reserve(theirs.size());

    std::vector<Ranked> ranked;
    ranked.reserve(theirs.size() + mine.size());
    for (const auto& their : theirs) {
        if (!theirKeys.emplace(their.key, true).second) {
            continue;
        }
        Ranked entry;
        entry.key = their.key;
        entry.row.phrase = their.phrase;
        entry.row.theirsScore = their.score;
        entry.row.theirBestPage = their.bestPage;
        if (const auto found = mineByKey.find(their.key); found != mineByKey.end()) {
            entry.row.mineScore = found->second->score;
            entry.row.myBestPage = found->second->bestPage;
            entry.row.status = kShared;
            entry.group = 1;
            entry.order = their.score - found->second->score;
        } else {
            entry.row.status = kGap;
            entry.order = their.score;
        }
        ranked.push_back(std::move(entry));
    }
    std::unordered_map<std::string_view, bool> mineSeen;
    for (const auto& my : mine) {
        if (theirKeys.contains(my.key) || !mineSeen.emplace(my.key, true).second) {
            continue;
        }
        Ranked entry;
        entry.key = my.key;
        entry.row.phrase = my.phrase;
        entry.row.mineScore = my.score;
        entry.row.myBestPage = my.bestPage;
        entry.row.status = kOnlyMine;
        entry.group = 2;
        entry.order = my.score;
        ranked.push_back(std::move(entry));
    }
    std::sort(ranked.begin(), ranked.end(), [](const Ranked& a, const Ranked& b) {
        if (a.group != b.group) {
            return a.group < b.group;
        }
        if (a.order != b.order) {
            return a.order > b.order;
        }
        if (a.row.phrase != b.row.phrase) {
            return a.row.phrase < b.row.phrase;
        }
        return a.key < b.key;
    });
    std::vector<GapRow> rows;
    rows.reserve(ranked.size());
    for (auto& entry : ranked) {
        rows.push_back(std::move(entry.row));
    }
    return rows;
}

} // namespace vortaxel::keyphrase
