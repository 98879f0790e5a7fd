#include "audit_issues.h"

#include "utf8.h"

#include <array>

namespace vortaxel::audit {

namespace {

constexpr std::array kKinds = {
    IssueKindInfo{IssueKind::BrokenLink, "broken-link", "Broken links", Severity::Error},
    IssueKindInfo{IssueKind::BlockedLink, "blocked-link", "Links to addresses robots.txt blocks", Severity::Notice},
    IssueKindInfo{IssueKind::ClientError, "client-error", "Pages with client errors (4xx)", Severity::Error},
    IssueKindInfo{IssueKind::ServerError, "server-error", "Pages with server errors (5xx)", Severity::Error},
    IssueKindInfo{IssueKind::NoAnswer, "no-answer", "Pages without an answer", Severity::Error},
    IssueKindInfo{IssueKind::RedirectChain, "redirect-chain", "Redirect chains", Severity::Warning},
    IssueKindInfo{IssueKind::Redirect, "redirect", "Redirects", Severity::Notice},
    IssueKindInfo{IssueKind::MissingTitle, "missing-title", "Missing titles", Severity::Error},
    IssueKindInfo{IssueKind::TitleTooLong, "title-too-long", "Titles too long", Severity::Warning},
    IssueKindInfo{IssueKind::TitleTooShort, "title-too-short", "Titles too short", Severity::Notice},
    IssueKindInfo{IssueKind::DuplicateTitle, "duplicate-title", "Duplicate titles", Severity::Warning},
    IssueKindInfo{IssueKind::MissingDescription, "missing-description", "Missing meta descriptions", Severity::Warning},
    IssueKindInfo{IssueKind::DescriptionTooLong, "description-too-long", "Meta descriptions too long",
                  Severity::Notice},
    IssueKindInfo{IssueKind::DescriptionTooShort, "description-too-short", "Meta descriptions too short",
                  Severity::Notice},
    IssueKindInfo{IssueKind::DuplicateDescription, "duplicate-description", "Duplicate meta descriptions",
                  Severity::Warning},
    IssueKindInfo{IssueKind::MissingH1, "missing-h1", "Pages without an H1", Severity::Warning},
    IssueKindInfo{IssueKind::SeveralH1, "several-h1", "Pages with several H1s", Severity::Notice},
    IssueKindInfo{IssueKind::ImagesWithoutAlt, "image-without-alt", "Images without alt text", Severity::Warning},
    IssueKindInfo{IssueKind::InvalidCanonical, "invalid-canonical", "Invalid canonicals", Severity::Warning},
    IssueKindInfo{IssueKind::SitemapError, "sitemap-error", "Listed in a sitemap, not a page", Severity::Warning},
    IssueKindInfo{IssueKind::Noindex, "noindex", "Noindex pages", Severity::Notice},
    IssueKindInfo{IssueKind::Canonicalised, "canonicalised", "Canonicalised pages", Severity::Notice},
    IssueKindInfo{IssueKind::Orphan, "orphan", "Orphan pages", Severity::Notice},
};

} // namespace

std::string_view SeverityText(Severity severity) {
    static constexpr std::array<std::string_view, 3> kTexts = {"error", "warning", "notice"};
    return kTexts.at(static_cast<std::size_t>(severity));
}

std::span<const IssueKindInfo> IssueKinds() {
    return kKinds;
}

const IssueKindInfo& InfoOf(IssueKind kind) {
    return kKinds.at(static_cast<std::size_t>(kind));
}

std::string LengthProblem(std::string_view text, std::size_t shortest, std::size_t longest) {
    if (text.empty()) {
        return {};
    }
    const std::size_t length = keywords::Utf8Length(text);
    if (length > longest) {
        return std::to_string(length) + " characters, over " + std::to_string(longest);
    }
    if (length < shortest) {
        return std::to_string(length) + " characters, under " + std::to_string(shortest);
    }
    return {};
}

} // namespace vortaxel::audit
