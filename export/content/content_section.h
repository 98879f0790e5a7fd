#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace vortaxel::audit {

/// A page the content section names, with the page it is like or its number.
struct ContentLine {
    std::string url;
    /// The page it duplicates or is most like; empty for a thin page and a score.
    std::string other;
    /// The similarity in percent, the word count or the link score.
    double value = 0;
};

/// The audit page's section of the duplicate checks and the link score: the head of each list and how
/// long it is whole (the report lists every page).
struct ContentSection {
    bool duplicates = false;
    bool linkScore = false;
    std::vector<ContentLine> exact;
    std::vector<ContentLine> near;
    std::vector<ContentLine> thin;
    std::size_t exactTotal = 0;
    std::size_t nearTotal = 0;
    std::size_t thinTotal = 0;
    /// Best first, and weakest first.
    std::vector<ContentLine> strongest;
    std::vector<ContentLine> weakest;
};

/// The most rows of each list.
inline constexpr std::size_t kContentSectionRows = 100;

/// The section, as static tables.
void AppendContentSection(std::string& out, const ContentSection& section);

} // namespace vortaxel::audit
