#include "export/page_report.h"

#include "export/csv_field.h"

#include <charconv>

namespace vortaxel::keywords {

namespace {

// Typical row: two addresses of some 60 bytes, a short content type, a few numbers.
constexpr std::size_t kBytesPerRowGuess = 160;

/// Decimal digits without a stream or a temporary string: this runs a few times per row.
template <class Number> void AppendNumber(std::string& text, Number number) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, number).ptr;
    text.append(digits, end);
}

} // namespace

PageReportBuilder::PageReportBuilder(std::size_t expectedRows) : PageReportBuilder(expectedRows, {}) {}

PageReportBuilder::PageReportBuilder(std::size_t expectedRows, std::string_view moreHeader) {
    text_.reserve(kPageReportHeader.size() + moreHeader.size() + 2 + expectedRows * kBytesPerRowGuess);
    text_ += kPageReportHeader;
    text_ += moreHeader;
    text_ += "\r\n";
}

void PageReportBuilder::Add(const PageReportRow& row) {
    Add(row, {});
}

void PageReportBuilder::Add(const PageReportRow& row, std::string_view moreFields) {
    AddField(row.url);
    text_ += ',';
    if (row.status) {
        AppendNumber(text_, *row.status);
    }
    text_ += ',';
    AddField(row.finalUrl);
    text_ += ',';
    AddField(row.contentType);
    text_ += ',';
    AppendNumber(text_, row.bytes);
    text_ += ',';
    AppendNumber(text_, row.ms);
    text_ += ',';
    AppendNumber(text_, row.redirects);
    text_ += ',';
    AddField(row.error);
    text_ += moreFields;
    text_ += "\r\n";
    ++rows_;
}

void PageReportBuilder::AddField(std::string_view field) {
    AppendCsvField(text_, field);
}

std::string PageReportBuilder::TakeText() {
    std::string taken;
    taken.reserve(text_.capacity());
    taken.swap(text_);
    return taken;
}

std::string BuildPageReport(std::span<const PageReportRow> rows) {
    PageReportBuilder builder(rows.size());
    for (const PageReportRow& row : rows) {
        builder.Add(row);
    }
    return std::move(builder).Text();
}

} // namespace vortaxel::keywords
