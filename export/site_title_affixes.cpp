#include "site_title_affixes.h"

#include "phrase_cleaning.h"

#include <algorithm>
#include <unordered_map>

namespace vortaxel::keywords {
namespace {

// Three parts cover " | Blog | Site"; more would be counted for no title that needs it.
constexpr std::size_t kAffixMaxParts = 3;

/// Where the joiners of a blank-folded title stand: the offset of the blank before each, never the
/// title's first or last token.
std::vector<std::size_t> JoinerBlanks(std::string_view title) {
    std::vector<std::size_t> blanks;
    std::size_t blank = title.find(' ');
    while (blank != std::string_view::npos) {
        const std::size_t next = title.find(' ', blank + 1);
        if (next == std::string_view::npos) {
            break;
        }
        if (IsJoiner(title.substr(blank + 1, next - blank - 1))) {
            blanks.push_back(blank);
        }
        blank = next;
    }
    return blanks;
}

/// The end of the prefix that a joiner at `blank` closes: past the joiner and its blank.
std::size_t PrefixEnd(std::string_view title, std::size_t blank) {
    return title.find(' ', blank + 1) + 1;
}

std::string Comparable(std::string_view title) {
    return WithoutMarks(FoldBlanks(title));
}

} // namespace

SiteTitleAffixes::SiteTitleAffixes(std::span<const std::string> titles) {
    std::unordered_map<std::string, std::size_t> suffixCounts;
    std::unordered_map<std::string, std::size_t> prefixCounts;
    std::size_t titled = 0;
    for (const std::string& raw : titles) {
        const std::string title = Comparable(raw);
        if (title.empty()) {
            continue;
        }
        ++titled;
        const std::vector<std::size_t> blanks = JoinerBlanks(title);
        const std::size_t parts = std::min(blanks.size(), kAffixMaxParts);
        for (std::size_t i = 0; i < parts; ++i) {
            const std::size_t suffixStart = blanks[blanks.size() - 1 - i];
            if (title.size() - suffixStart <= kAffixMaxBytes) {
                ++suffixCounts[title.substr(suffixStart)];
            }
            const std::size_t prefixEnd = PrefixEnd(title, blanks[i]);
            if (prefixEnd <= kAffixMaxBytes) {
                ++prefixCounts[title.substr(0, prefixEnd)];
            }
        }
    }
    const auto keep = [titled](const std::unordered_map<std::string, std::size_t>& counts,
                               std::unordered_set<std::string>& kept) {
        for (const auto& [affix, count] : counts) {
            if (count >= kMinimumPages && count * 2 >= titled) {
                kept.insert(affix);
            }
        }
    };
    keep(suffixCounts, suffixes_);
    keep(prefixCounts, prefixes_);
}

std::string SiteTitleAffixes::Strip(std::string_view raw) const {
    const std::string title = Comparable(raw);
    std::string_view kept = title;
    // Only the parts that were counted are looked up, so a title of many joiners costs no more.
    if (!suffixes_.empty()) {
        const std::vector<std::size_t> blanks = JoinerBlanks(kept);
        const std::size_t parts = std::min(blanks.size(), kAffixMaxParts);
        // From the earliest counted joiner on: the first suffix found is the longest.
        for (std::size_t i = blanks.size() - parts; i < blanks.size(); ++i) {
            if (kept.size() - blanks[i] <= kAffixMaxBytes && suffixes_.contains(std::string(kept.substr(blanks[i])))) {
                kept = kept.substr(0, blanks[i]);
                break;
            }
        }
    }
    if (!prefixes_.empty()) {
        const std::vector<std::size_t> blanks = JoinerBlanks(kept);
        for (std::size_t i = std::min(blanks.size(), kAffixMaxParts); i-- > 0;) {
            const std::size_t end = PrefixEnd(kept, blanks[i]);
            if (end <= kAffixMaxBytes && prefixes_.contains(std::string(kept.substr(0, end)))) {
                kept = kept.substr(end);
                break;
            }
        }
    }
    return std::string(kept);
}

std::vector<std::string> SiteTitleAffixes::Suffixes() const {
    return {suffixes_.begin(), suffixes_.end()};
}

std::vector<std::string> SiteTitleAffixes::Prefixes() const {
    return {prefixes_.begin(), prefixes_.end()};
}

std::vector<std::string> CleanTitlePhrases(std::span<const std::string> titles) {
    const SiteTitleAffixes affixes(titles);
    std::vector<std::string> phrases;
    phrases.reserve(titles.size());
    for (const std::string& title : titles) {
        phrases.push_back(CleanTextPhrase(affixes.Strip(title), TextRole::Title));
    }
    return phrases;
}

} // namespace vortaxel::keywords
