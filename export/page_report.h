#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>

namespace vortaxel::keywords {

/// What happened to one found address (or one that robots.txt kept the crawler from), as one line of the
/// per-page report. Texts are bytes as received; nothing is transcoded.
struct PageReportRow {
    std::string url;
    /// The HTTP status of the final answer; empty when no answer came (refused, time-out, blocked).
    std::optional<int> status;
    std::string finalUrl;
    std::string contentType;
    std::uint64_t bytes = 0;
    std::uint64_t ms = 0;
    int redirects = 0;
    /// Why the fetch failed, empty when it did not.
    std::string error;
};

/// The report's first line, naming the columns in row order.
inline constexpr std::string_view kPageReportHeader = "url,status,final_url,content_type,bytes,ms,redirects,error";

/// Collects the per-page report as CSV (RFC 4180): a header line, then one line per row in the order
/// given, each ended by CR LF as the RFC asks (the keyword file ends its lines the same way). A field is
/// quoted only when it holds a comma, a quote, CR or LF, with inner quotes doubled. The texts come from
/// servers, so the file is kept data: a field that a spreadsheet would run as a formula (one beginning with
/// =, +, -, @, tab or CR) gets a single quote in front, and the other C0 control bytes and DEL become "%XX",
/// which in an address names the same one. Every other byte is written as it stands.
class PageReportBuilder {
public:
    /// `expectedRows` only sizes the buffer up front, so a long crawl does not regrow it many times.
    explicit PageReportBuilder(std::size_t expectedRows = 0);
    /// A report whose rows carry more columns after these: `moreHeader` names them, starting with ",".
    PageReportBuilder(std::size_t expectedRows, std::string_view moreHeader);

    void Add(const PageReportRow& row);
    /// Adds a row followed by `moreFields`, CSV already, starting with ",".
    void Add(const PageReportRow& row, std::string_view moreFields);

    std::size_t RowCount() const { return rows_; }
    /// The report so far; it always holds at least the header line.
    const std::string& Text() const& { return text_; }
    /// The same, handed over rather than copied, from a builder that is done.
    std::string Text() && { return std::move(text_); }
    /// The text built since the last call (the header line first), handed over; later rows follow on
    /// from it, so a long report can go to its file as it grows instead of being held whole.
    std::string TakeText();

private:
    void AddField(std::string_view field);

    std::string text_;
    std::size_t rows_ = 0;
};

/// The whole report for these rows.
std::string BuildPageReport(std::span<const PageReportRow> rows);

} // namespace vortaxel::keywords
