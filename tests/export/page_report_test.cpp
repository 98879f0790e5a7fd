#include "export/page_report.h"
#include "tests/support/named_rows.h"

#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vortaxel::keywords {
namespace {

using ::vortaxel::test::PrintTo;
using Record = std::vector<std::string>;

/// A strict RFC 4180 reader: records end in CR LF, a quoted field may hold anything with quotes doubled,
/// and a bare CR, LF or quote outside a quoted field is an error (an empty result).
std::vector<Record> ReadCsv(std::string_view text) {
    std::vector<Record> records;
    Record record;
    std::string field;
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] == '"') {
            for (++i;; ++i) {
                if (i >= text.size()) {
                    return {};
                }
                if (text[i] == '"') {
                    if (i + 1 < text.size() && text[i + 1] == '"') {
                        field += '"';
                        ++i;
                        continue;
                    }
                    ++i;
                    break;
                }
                field += text[i];
            }
        }
        while (i < text.size() && text[i] != ',' && text[i] != '\r' && text[i] != '\n' && text[i] != '"') {
            field += text[i++];
        }
        if (i < text.size() && text[i] == ',') {
            record.push_back(std::move(field));
            field.clear();
            ++i;
        } else if (text.substr(i, 2) == "\r\n") {
            record.push_back(std::move(field));
            field.clear();
            records.push_back(std::move(record));
            record.clear();
            i += 2;
        } else {
            return {};
        }
    }
    return record.empty() && field.empty() ? records : std::vector<Record>{};
}

Record Fields(const PageReportRow& row) {
    return {row.url,
            row.status ? std::to_string(*row.status) : "",
            row.finalUrl,
            row.contentType,
            std::to_string(row.bytes),
            std::to_string(row.ms),
            std::to_string(row.redirects),
            row.error};
}

struct CsvCase {
    std::string name;
    PageReportRow row;
    std::string line;
    /// What a reader gets back, when the report had to change a cell; else the row's own fields.
    std::optional<Record> cells = std::nullopt;
};

class PageReportTable : public testing::TestWithParam<CsvCase> {};

TEST_P(PageReportTable, WritesTheExactLineAndReadsBackTheSameFields) {
    const CsvCase& c = GetParam();
    const PageReportRow rows[] = {c.row};
    const std::string text = BuildPageReport(rows);
    EXPECT_EQ(text, std::string(kPageReportHeader) + "\r\n" + c.line + "\r\n");
    const std::vector<Record> records = ReadCsv(text);
    ASSERT_EQ(records.size(), 2u) << text;
    EXPECT_EQ(records[1], c.cells.value_or(Fields(c.row)));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, PageReportTable,
    testing::Values(
        CsvCase{"Ok",
                {"http://h/a", 200, "http://h/a", "text/html; charset=utf-8", 5120, 12, 0, ""},
                "http://h/a,200,http://h/a,text/html; charset=utf-8,5120,12,0,"},
        CsvCase{"NoAnswerLeavesStatusEmpty",
                {"http://h/x", std::nullopt, "", "", 0, 60000, 0, "time-out after 60 s"},
                "http://h/x,,,,0,60000,0,time-out after 60 s"},
        CsvCase{"Blocked",
                {"http://h/private", std::nullopt, "", "", 0, 0, 0, "blocked by robots.txt"},
                "http://h/private,,,,0,0,0,blocked by robots.txt"},
        CsvCase{"CommaQuoted",
                {"http://h/a,b", 301, "http://h/c", "", 0, 3, 2, ""},
                "\"http://h/a,b\",301,http://h/c,,0,3,2,"},
        CsvCase{"QuotesDoubled",
                {"http://h/\"q\"", 404, "http://h/\"q\"", "text/html", 9, 1, 0, "404 \"Not Found\""},
                "\"http://h/\"\"q\"\"\",404,\"http://h/\"\"q\"\"\",text/html,9,1,0,\"404 \"\"Not Found\"\"\""},
        CsvCase{"LineBreaksQuoted",
                {"http://h/a\r\nb", 200, "http://h/a\rb", "", 0, 0, 0, "line\none"},
                "\"http://h/a\r\nb\",200,\"http://h/a\rb\",,0,0,0,\"line\none\""},
        CsvCase{"OnlyAQuote", {"\"", 200, "", "", 0, 0, 0, ""}, "\"\"\"\",200,,,0,0,0,"},
        CsvCase{"BytesKeptAsTheyAre",
                {"http://h/caf\xc3\xa9\t\xff", 200, "", "text/plain; charset=latin1", 1, 0, 0, ""},
                "http://h/caf\xc3\xa9\t\xff,200,,text/plain; charset=latin1,1,0,0,"},
        CsvCase{"FormulaSignsInsideACellKept",
                {"http://h/a=b+c-d@e", 200, "http://h/?q=-1", "text/html", 0, 0, 0, "x -2 @3"},
                "http://h/a=b+c-d@e,200,http://h/?q=-1,text/html,0,0,0,x -2 @3"},
        CsvCase{"FormulaCellsNeutralised",
                {"=HYPERLINK(\"http://x\")", 200, "-1+2", "@SUM(A1)", 0, 0, 0, "+cmd"},
                "\"'=HYPERLINK(\"\"http://x\"\")\",200,'-1+2,'@SUM(A1),0,0,0,'+cmd",
                Record{"'=HYPERLINK(\"http://x\")", "200", "'-1+2", "'@SUM(A1)", "0", "0", "0", "'+cmd"}},
        CsvCase{"TabAndCarriageReturnFirstNeutralised",
                {"\t=1", 200, "\r=2", "", 0, 0, 0, ""},
                "'\t=1,200,\"'\r=2\",,0,0,0,",
                Record{"'\t=1", "200", "'\r=2", "", "0", "0", "0", ""}},
        CsvCase{"ControlBytesEscaped",
                {std::string("http://h/\0x\x1b[2J\a", 16), 200, "", "text/html\x1b]0;t\x07", 0, 0, 0, "bad\x7f\x01"},
                "http://h/%00x%1B[2J%07,200,,text/html%1B]0;t%07,0,0,0,bad%7F%01",
                Record{"http://h/%00x%1B[2J%07", "200", "", "text/html%1B]0;t%07", "0", "0", "0", "bad%7F%01"}},
        CsvCase{"LargeNumbers",
                {"u", 599, "", "", 18446744073709551615ull, 4294967296ull, 2147483647, ""},
                "u,599,,,18446744073709551615,4294967296,2147483647,"}),
    ::vortaxel::test::RowName());

TEST(PageReport, EmptyReportIsTheHeaderAlone) {
    EXPECT_EQ(BuildPageReport({}), "url,status,final_url,content_type,bytes,ms,redirects,error\r\n");
    EXPECT_EQ(ReadCsv(BuildPageReport({})), (std::vector<Record>{{"url", "status", "final_url", "content_type", "bytes",
                                                                  "ms", "redirects", "error"}}));
}

} // namespace
} // namespace vortaxel::keywords
