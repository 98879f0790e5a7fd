#pragma once

#include "export/audit_data.h"

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <utility>

namespace vortaxel::audit {

/// The links file's first line, naming the columns in row order.
inline constexpr std::string_view kLinkReportHeader = "source,target,anchor,element,rel,follow,status";

/// Collects the links file as CSV, one link a line, written as the per-page report is (RFC 4180, CR LF, a
/// field quoted only when it must be, bytes as received). `follow` is "yes" or "no"; `status` is the
/// target's final status, or why fetching it failed, or empty when it was not fetched, or "too long (N
/// bytes)" for an href too long to follow, whose first bytes `target` holds. Rows are added one
/// at a time, so a caller reading links from disk never holds them all.
class LinkReportBuilder {
public:
    /// `extraColumns` (each after a comma) follow the columns of kLinkReportHeader, for a crawl that has them.
    explicit LinkReportBuilder(std::string_view extraColumns = {});

    /// `extraFields`, each after a comma, fill the extra columns.
    void Add(const AuditLink& link, std::string_view extraFields = {});

    std::size_t RowCount() const { return rows_; }
    const std::string& Text() const& { return text_; }
    std::string Text() && { return std::move(text_); }

private:
    std::string text_;
    std::size_t rows_ = 0;
};

/// The whole links file for these links.
std::string BuildLinkReport(std::span<const AuditLink> links);

} // namespace vortaxel::audit
