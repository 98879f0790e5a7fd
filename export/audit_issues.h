#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

namespace vortaxel::audit {

/// How much an issue costs a site: an error loses visitors or pages in search, a warning weakens a page,
/// a notice is worth knowing.
enum class Severity { Error, Warning, Notice };

std::string_view SeverityText(Severity severity);

/// The kinds of issue the audit finds, in the order the audit page and the report list them: by what they
/// are about (links, answers, redirects, texts, headings, images, canonicals, indexing), each with its severity.
enum class IssueKind {
    BrokenLink,
    BlockedLink,
    ClientError,
    ServerError,
    NoAnswer,
    RedirectChain,
    Redirect,
    MissingTitle,
    TitleTooLong,
    TitleTooShort,
    DuplicateTitle,
    MissingDescription,
    DescriptionTooLong,
    DescriptionTooShort,
    DuplicateDescription,
    MissingH1,
    SeveralH1,
    ImagesWithoutAlt,
    InvalidCanonical,
    SitemapError,
    Noindex,
    Canonicalised,
    Orphan,
};

struct IssueKindInfo {
    IssueKind kind;
    /// A short name for scripts and files ("broken-link").
    std::string_view id;
    /// The heading the audit page and the report show ("Broken links").
    std::string_view title;
    Severity severity;
};

/// Every kind, in IssueKind's order.
std::span<const IssueKindInfo> IssueKinds();
const IssueKindInfo& InfoOf(IssueKind kind);

/// The lengths, in characters, search engines show of a title and a description: past the longest they
/// are cut, and below the shortest they say too little.
inline constexpr std::size_t kTitleShortest = 30;
inline constexpr std::size_t kTitleLongest = 60;
inline constexpr std::size_t kDescriptionShortest = 70;
inline constexpr std::size_t kDescriptionLongest = 160;

/// How a text's length misses its bounds, stated ("72 characters, over 60"), or "" when it does not (an
/// empty text is missing, not short).
std::string LengthProblem(std::string_view text, std::size_t shortest, std::size_t longest);

} // namespace vortaxel::audit
