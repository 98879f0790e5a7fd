#include "cli/content_report.h"

#include "export/csv_field.h"
#include "export/utf8.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

namespace vortaxel::cli {

namespace {

void AppendAddress(std::string& fields, const app::ContentFindings& findings, std::int64_t pageId) {
    fields += ',';
    if (pageId != 0) {
        keywords::AppendCsvField(fields, keywords::WellFormedUtf8(findings.UrlOf(pageId)));
    }
}

} // namespace

app::ContentAuditChoices ContentChoicesOf(const Options& options) {
    app::ContentAuditChoices choices;
    if (options.rules != RuleSet::Browser) {
        return choices;
    }
    choices.duplicates = options.content.duplicates;
    choices.nearPercent = options.content.nearPercent.value_or(choices.nearPercent);
    choices.thinWords = static_cast<std::uint64_t>(options.content.thinWords.value_or(200));
    choices.linkScore = options.content.linkScore;
    return choices;
}

std::optional<audit::ContentSection> ContentSectionOf(const app::ContentFindings& findings) {
    if (!findings.duplicates && !findings.linkScore) {
        return std::nullopt;
    }
    audit::ContentSection section;
    section.duplicates = findings.duplicates;
    section.linkScore = findings.linkScore;
    const auto add = [](std::vector<audit::ContentLine>& lines, std::size_t& total, audit::ContentLine line) {
        ++total;
        if (lines.size() < audit::kContentSectionRows) {
            lines.push_back(std::move(line));
        }
    };
    std::vector<std::pair<double, std::int64_t>> scored;
    for (std::size_t id = 1; id < findings.pages.size(); ++id) {
        const app::PageContentFinding& page = findings.pages[id];
        const auto pageId = static_cast<std::int64_t>(id);
        if (page.duplicateOf != 0) {
            add(section.exact, section.exactTotal, {findings.UrlOf(pageId), findings.UrlOf(page.duplicateOf), 0});
        }
        if (page.nearDuplicateOf != 0) {
            add(section.near, section.nearTotal,
                {findings.UrlOf(pageId), findings.UrlOf(page.nearDuplicateOf),
                 std::floor(page.similarity * 100 + 1e-9)});
        }
        if (page.printed && page.thin) {
            add(section.thin, section.thinTotal, {findings.UrlOf(pageId), {}, static_cast<double>(page.wordCount)});
        }
        if (page.linkScore) {
            scored.emplace_back(*page.linkScore, pageId);
        }
    }
    // Ties in the order the crawl listed the pages.
    std::stable_sort(scored.begin(), scored.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    constexpr std::size_t kScoredRows = 20;
    for (std::size_t i = 0; i < scored.size() && i < kScoredRows; ++i) {
        section.strongest.push_back({findings.UrlOf(scored[i].second), {}, std::round(scored[i].first)});
    }
    for (std::size_t i = 0; i < scored.size() && i < kScoredRows; ++i) {
        const auto& weak = scored[scored.size() - 1 - i];
        section.weakest.push_back({findings.UrlOf(weak.second), {}, std::round(weak.first)});
    }
    return section;
}

std::string ContentReportColumns(const app::ContentFindings& findings) {
    std::string columns;
    if (findings.duplicates) {
        columns += ",duplicate_of,near_duplicate_of,similarity,word_count,thin";
    }
    if (findings.linkScore) {
        columns += ",link_score";
    }
    return columns;
}

void AppendContentFields(std::string& fields, const app::ContentFindings& findings, std::int64_t pageId) {
    const app::PageContentFinding* finding = findings.Of(pageId);
    if (findings.duplicates) {
        if (finding == nullptr || !finding->printed) {
            fields += ",,,,,";
        } else {
            AppendAddress(fields, findings, finding->duplicateOf);
            AppendAddress(fields, findings, finding->nearDuplicateOf);
            fields += ',';
            if (finding->nearDuplicateOf != 0) {
                // Whole percent, rounded down, so that a page shown at 90 reached 90.
                fields += std::to_string(static_cast<int>(std::floor(finding->similarity * 100 + 1e-9)));
            }
            fields += ',' + std::to_string(finding->wordCount);
            fields += finding->thin ? ",yes" : ",no";
        }
    }
    if (findings.linkScore) {
        fields += ',';
        if (finding != nullptr && finding->linkScore) {
            fields += std::to_string(static_cast<int>(std::lround(*finding->linkScore)));
        }
    }
}

} // namespace vortaxel::cli
