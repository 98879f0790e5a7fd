#pragma once

#include "audit_data.h"
#include "services/platform_services.h"
#include "services/write_result.h"

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace vortaxel::audit {

/// The most links the page carries: the broken ones first, then the rest in crawl order. A site of
/// 100,000 pages with 50 links each would make a page no browser opens; the links file holds them all.
inline constexpr std::size_t kAuditPageMostLinks = 200'000;

/// The audit page: one HTML file with its style, script, charts and data inline, that loads nothing from
/// anywhere (its content security policy forbids it) and shows every text a site sent as text.
std::string BuildAuditPage(const AuditData& data, std::size_t mostLinks = kAuditPageMostLinks);

/// Takes the audit page piece by piece, in order.
using PageSink = std::function<void(std::string_view)>;

/// The page BuildAuditPage makes, handed to `sink` in pieces of about a megabyte as it is made, so that
/// a large site's page is never held whole.
void StreamAuditPage(const AuditData& data, const PageSink& sink, std::size_t mostLinks = kAuditPageMostLinks);

/// Builds the audit page and replaces the file at `path` with it, all or nothing.
services::WriteResult WriteAuditPage(const AuditData& data, const std::string& path, services::FileWriter& files);

} // namespace vortaxel::audit
