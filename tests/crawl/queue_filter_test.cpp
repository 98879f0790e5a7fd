#include "crawl/queue_filter.h"
#include "tests/support/named_rows.h"

#include <gtest/gtest.h>
#include <string>

namespace vortaxel::crawl {
namespace {

using test::PrintTo;

struct Row {
    std::string name;
    std::string entry;
    bool removed;
    std::string startUrl = "http://host/";
};

const Row kRows[] = {
    {"PdfEnding", "http://host/files/report.pdf", true},
    {"PdfBeforeQuery", "http://host/files/report.pdf?v=2", false},
    {"ZipEndingAnyCase", "http://host/a.ZIP", true},
    {"ExeEndingAnyCase", "http://host/setup.Exe", true},
    {"ZipBeforeFragment", "http://host/a.zip#x", false},
    {"OtherEnding", "http://host/a.tar", false},
    {"StartUrlItself", "http://host/", false},
    {"OtherHost", "http://other/", true},
    {"HostInOtherCase", "http://HOST/page", false},
    {"StartUrlWithoutSlash", "http://host", true},
    {"OtherScheme", "https://host/", true},
    {"StartUrlInQuery", "http://other/?from=http://host/", false},
    {"MailtoAnyCase", "http://host/MailTo:me", true},
    {"JavascriptScheme", "http://host/javascript:void(0)", true},
    {"DocumentWriteAnyCase", "http://host/x?Document.Write(1)", true},
    {"DocumentWriteAsPrefix", "http://host/document.writer", true},
    {"MailtoWithoutColon", "http://host/mailto", false},
    // Short entries are compared whole; ".pdf" alone is exactly four characters.
    {"PdfAlone", ".pdf", true, ""},
    {"ThreeCharacters", "pdf", false, ""},
    {"EmptyEntry", "", false, ""},
    // An empty start URL is in every entry; the other rules still apply.
    {"EmptyStartUrlKeepsAll", "http://anything/", false, ""},
    {"EmptyStartUrlStillDropsMailto", "http://anything/mailto:x", true, ""},
    {"EmptyStartUrlStillDropsExe", "http://anything/x.exe", true, ""},
    // The start URL is taken as typed, blanks included.
    {"StartUrlWithLeadingBlank", "http://host/a.html", true, " http://host/"},
    {"StartUrlMatchedAnyCase", "http://HOST/A.HTML", false, "http://host/a"},
    {"NulBeforePdf", std::string("http://host/\0.pdf", 17), true},
    {"NulInPath", std::string("http://host/\0x", 14), false},
};

class FilterTable : public ::testing::TestWithParam<Row> {};

TEST_P(FilterTable, RemovesExactlyTheUnwantedEntries) {
    const Row& row = GetParam();
    EXPECT_EQ(IsFilteredOut(row.entry, row.startUrl), row.removed) << row.entry << " against " << row.startUrl;
}

INSTANTIATE_TEST_SUITE_P(Entries, FilterTable, ::testing::ValuesIn(kRows), test::RowName());

} // namespace
} // namespace vortaxel::crawl
