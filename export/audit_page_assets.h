#pragma once

#include <string_view>

namespace vortaxel::audit {

/// The audit page's style sheet, inlined in its head.
extern const std::string_view kAuditPageStyle;

/// The audit page's script: reads the JSON block with id "audit-data" and renders the issues and the
/// tables from it, putting every text a site sent into the page as text, never as markup.
extern const std::string_view kAuditPageScript;

} // namespace vortaxel::audit
