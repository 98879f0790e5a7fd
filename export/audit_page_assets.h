#pragma once

#include <string_view>

namespace vortaxel::audit {

/// The audit page's style sheet, inlined in its head.
extern const std::string_view kAuditPageStyle;

/// The audit page's script: reads the JSON block with id "audit-data" and renders the issues and the
/// tables from it, putting every text a site sent into the page as text, never as markup. It is one
/// function in three parts: kAuditPageScript, on a page with a keyword section kAuditPageKeywordScript
/// (which uses the first part's tables), and kAuditPageScriptEnd.
extern const std::string_view kAuditPageScript;
extern const std::string_view kAuditPageKeywordScript;
extern const std::string_view kAuditPageScriptEnd;

} // namespace vortaxel::audit
