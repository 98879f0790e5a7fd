#include "export/page_report.h"

#include "crawl/ascii.h"

#include <algorithm>
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

/// What a spreadsheet takes as the start of a formula (OWASP's list for CSV): a cell from a server that
/// begins so would run as one.
bool StartsAFormula(char first) {
    return first == '=' || first == '+' || first == '-' || first == '@' || first == '\t' || first == '\r';
}

/// Control bytes a terminal or viewer would act on (ESC starts a sequence, BEL rings). Tab, CR and LF stay:
/// CSV quoting carries them as cell text.
bool IsEscapedControl(char byte) {
    const auto value = static_cast<unsigned char>(byte);
    return (value < 0x20 && value != '\t' && value != '\r' && value != '\n') || value == 0x7F;
}

} // namespace

PageReportBuilder::PageReportBuilder(std::size_t expectedRows) {
    text_.reserve(kPageReportHeader.size() + 2 + expectedRows * kBytesPerRowGuess);
    text_ += kPageReportHeader;
    text_ += "\r\n";
}

void PageReportBuilder::Add(const PageReportRow& row) {
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
    text_ += "\r\n";
    ++rows_;
}

void PageReportBuilder::AddField(std::string_view field) {
    if (!field.empty() && StartsAFormula(field.front())) {
        // The quote makes a spreadsheet take the cell as text; readers of the file see it in front.
        neutral_.assign(1, '\'');
        neutral_ += field;
        field = neutral_;
    }
    if (std::any_of(field.begin(), field.end(), IsEscapedControl)) {
        escaped_.clear();
        for (const char byte : field) {
            if (IsEscapedControl(byte)) {
                crawl::AppendPercentEscaped(escaped_, static_cast<unsigned char>(byte));
            } else {
                escaped_ += byte;
            }
        }
        field = escaped_;
    }
    if (field.find_first_of(",\"\r\n") == std::string_view::npos) {
        text_ += field;
        return;
    }
    text_ += '"';
    for (std::size_t quote = field.find('"'); quote != std::string_view::npos; quote = field.find('"')) {
        text_.append(field.substr(0, quote + 1));
        text_ += '"';
        field.remove_prefix(quote + 1);
    }
    text_ += field;
    text_ += '"';
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
