#pragma once

#include "analysis/content_audit_pass.h"
#include "cli/options.h"
#include "export/content/content_section.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vortaxel::cli {

/// The checks the options ask for, with the thresholds' defaults where none is given; none under classic rules.
app::ContentAuditChoices ContentChoicesOf(const Options& options);

/// The audit page's section of them; nullopt when neither check was run.
std::optional<audit::ContentSection> ContentSectionOf(const app::ContentFindings& findings);

/// The report's columns of the duplicate checks and the link score, each with its leading comma, for the
/// checks `findings` holds; "" when it holds none.
std::string ContentReportColumns(const app::ContentFindings& findings);

/// A row's fields for those columns: empty for a fetch that listed no page, and for a page left out of
/// the comparison (its duplicate columns) or of the link graph (its score).
void AppendContentFields(std::string& fields, const app::ContentFindings& findings, std::int64_t pageId);

} // namespace vortaxel::cli
