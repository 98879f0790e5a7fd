#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace vortaxel::keywords {

/// What a site writes around every title, the " — Site Name" of "Page — Site Name" and the "Site Name | "
/// of "Site Name | Page", found from the site's own titles. A part of a title is cut where a joiner with
/// a blank on each side stands: " - ", " – ", " — ", " | ", " / ", " : ", " :: ", " ~ ", " · ", " • ",
/// " » ", " « ", " › ", " ‹ ". An affix is the text from such a joiner to the title's end (a suffix) or from
/// its start to the joiner (a prefix), of at most three parts and kAffixMaxBytes. It is the site's when it
/// ends (or starts) at least half of the site's titles and at least kMinimumPages of them: on a site of two
/// pages nothing is.
class SiteTitleAffixes {
public:
    static constexpr std::size_t kMinimumPages = 3;
    static constexpr std::size_t kAffixMaxBytes = 120;

    /// Finds the affixes of `titles`, every page's title as it came (an empty one counts for nothing).
    /// Titles are compared as CleanTextPhrase leaves their blanks and marks.
    explicit SiteTitleAffixes(std::span<const std::string> titles);

    /// `title`, blank-folded and without marks, without the longest of the site's suffixes it ends with
    /// and then the longest of its prefixes it starts with. An affix that is all a title says stays:
    /// a title that is only the site name keeps it.
    std::string Strip(std::string_view title) const;

    /// The site's suffixes and prefixes, each with its joiner, in no particular order.
    std::vector<std::string> Suffixes() const;
    std::vector<std::string> Prefixes() const;

private:
    std::unordered_set<std::string> suffixes_;
    std::unordered_set<std::string> prefixes_;
};

/// The phrase of each title of a site: its site affixes gone (SiteTitleAffixes over all of them), then
/// cleaned as CleanTextPhrase cleans a title. One phrase for each title, in their order.
std::vector<std::string> CleanTitlePhrases(std::span<const std::string> titles);

} // namespace vortaxel::keywords
