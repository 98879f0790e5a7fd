#pragma once

#include "crawl/content/content_audit_choices.h"
#include "crawl/page/page_reader.h"

#include <string_view>

namespace vortaxel::crawl {

/// Reads a page as a run of browser rules does: its text when `keepsText`, and what `content` asks for.
PageRead ReadPageFor(std::string_view html, bool keepsText, const ContentAuditChoices& content);

} // namespace vortaxel::crawl
