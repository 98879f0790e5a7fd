#include "export/keyphrase/site_map.h"

#include <algorithm>
#include <limits>
#include <numeric>
#include <unordered_map>

namespace vortaxel::keyphrase {
namespace {

class UnionFind {
public:
    explicit UnionFind(std::size_t size) : parent_(size) { std::iota(parent_.begin(), parent_.end(), 0u); }

    std::uint32_t Find(std::uint32_t item) {
        while (parent_[item] != item) {
            parent_[item] = parent_[parent_[item]];
            item = parent_[item];
        }
        return item;
    }

    void Join(std::uint32_t a, std::uint32_t b) {
        a = Find(a);
        b = Find(b);
        if (a != b) {
            // The lower index becomes the root, so the result does not hang on the order of joins.
            parent_[std::max(a, b)] = std::min(a, b);
        }
    }

private:
    std::vector<std::uint32_t> parent_;
};

bool OverlapEnough(const std::vector<std::uint32_t>& a, const std::vector<std::uint32_t>& b) {
    std::size_t shared = 0;
    for (auto left = a.begin(), right = b.begin(); left != a.end() && right != b.end();) {
        if (*left == *right) {
            ++shared;
            ++left;
            ++right;
        } else if (*left < *right) {
            ++left;
        } else {
            ++right;
        }
    }
    const std::size_t either = a.size() + b.size() - shared;
    // The small allowance keeps a share of exactly the threshold (3 of 10) inside it despite rounding.
    return either > 0 && static_cast<double>(shared) >= kClusterJaccard * static_cast<double>(either) - 1e-9;
}

struct NameTally {
    double sum = 0;
    double best = -1;
    std::string phrase;
};

std::string ClusterName(std::span<const ClusterPage> pages, const std::vector<std::uint32_t>& members) {
    std::map<std::string_view, NameTally> tallies;
    for (const auto member : members) {
        for (const auto& phrase : pages[member].phrases) {
            if (phrase.key.empty()) {
                continue;
            }
            auto& tally = tallies[phrase.key];
            tally.sum += phrase.score;
            if (phrase.score > tally.best) {
                tally.best = phrase.score;
                tally.phrase = phrase.phrase.empty() ? phrase.key : phrase.phrase;
            }
        }
    }
    const NameTally* strongest = nullptr;
    for (const auto& [key, tally] : tallies) {
        if (strongest == nullptr || tally.sum > strongest->sum) {
            strongest = &tally;
        }
    }
    return strongest == nullptr ? std::string() : strongest->phrase;
}

} // namespace

std::vector<Cluster> ClusterPages(std::span<const ClusterPage> pages) {
    const std::size_t count = std::min<std::size_t>(pages.size(), std::numeric_limits<std::uint32_t>::max() - 1);
    std::unordered_map<std::string_view, std::uint32_t> keyIds;
    std::vector<std::vector<std::uint32_t>> keysOf(count);
    std::vector<std::vector<std::uint32_t>> pagesOf;
    for (std::uint32_t page = 0; page < count; ++page) {
        auto& keys = keysOf[page];
        for (const auto& phrase : pages[page].phrases) {
            if (phrase.key.empty()) {
                continue;
            }
            const auto [found, added] = keyIds.emplace(phrase.key, static_cast<std::uint32_t>(pagesOf.size()));
            if (added) {
                pagesOf.emplace_back();
            }
            keys.push_back(found->second);
        }
        std::sort(keys.begin(), keys.end());
        keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
        for (const auto key : keys) {
            pagesOf[key].push_back(page);
        }
    }

    UnionFind sets(count);
    constexpr auto kNone = std::numeric_limits<std::uint32_t>::max();
    std::vector<std::uint32_t> lastPairedWith(count, kNone);
    for (std::uint32_t page = 0; page < count; ++page) {
        for (const auto key : keysOf[page]) {
            const auto& holders = pagesOf[key];
            if (holders.size() > kClusterKeyPages) {
                continue;
            }
            for (const auto other : holders) {
                if (other <= page || lastPairedWith[other] == page) {
                    continue;
                }
                lastPairedWith[other] = page;
                if (sets.Find(page) != sets.Find(other) && OverlapEnough(keysOf[page], keysOf[other])) {
                    sets.Join(page, other);
                }
            }
        }
    }

    std::map<std::uint32_t, std::vector<std::uint32_t>> byRoot;
    for (std::uint32_t page = 0; page < count; ++page) {
        byRoot[sets.Find(page)].push_back(page);
    }
    std::unordered_map<std::string_view, std::uint32_t> pageIndex;
    pageIndex.reserve(count);
    for (std::uint32_t page = 0; page < count; ++page) {
        pageIndex.emplace(pages[page].url, page);
    }

    std::vector<Cluster> clusters;
    std::vector<std::uint32_t> inlinks(count, 0);
    std::vector<std::uint32_t> countedFrom(count, kNone);
    for (const auto& [root, members] : byRoot) {
        if (members.size() < 2) {
            continue;
        }
        for (const auto source : members) {
            for (const auto& target : pages[source].linksTo) {
                const auto found = pageIndex.find(target);
                if (found == pageIndex.end() || found->second == source || countedFrom[found->second] == source ||
                    sets.Find(found->second) != root) {
                    continue;
                }
                countedFrom[found->second] = source;
                ++inlinks[found->second];
            }
        }
        Cluster cluster;
        cluster.name = ClusterName(pages, members);
        cluster.pages.reserve(members.size());
        for (const auto member : members) {
            cluster.pages.push_back(pages[member].url);
        }
        std::sort(cluster.pages.begin(), cluster.pages.end());
        std::uint32_t hub = members.front();
        for (const auto member : members) {
            if (inlinks[member] > inlinks[hub] ||
                (inlinks[member] == inlinks[hub] && pages[member].url < pages[hub].url)) {
                hub = member;
            }
        }
        cluster.hub = pages[hub].url;
        clusters.push_back(std::move(cluster));
    }
    std::sort(clusters.begin(), clusters.end(), [](const Cluster& a, const Cluster& b) {
        if (a.pages.size() != b.pages.size()) {
            return a.pages.size() > b.pages.size();
        }
        if (a.name != b.name) {
            return a.name < b.name;
        }
        return a.pages.front() < b.pages.front();
    });
    return clusters;
}

} // namespace vortaxel::keyphrase
