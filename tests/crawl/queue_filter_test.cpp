#include "crawl/queue_filter.h"

#include <gtest/gtest.h>
#include <string>

namespace vortaxel::crawl {
namespace {

struct Row {
    std::string entry;
    bool removed;
    std::string startUrl = "http://host/";
};

const Row kRows[] = {
    {"http://host/files/report.pdf", true},
    {"http://host/files/report.pdf?v=2", false},
    {"http://host/a.ZIP", true},
    {"http://host/setup.Exe", true},
    {"http://host/a.zip#x", false},
    {"http://host/a.tar", false},
    {"http://host/", false},
    {"http://other/", true},
    {"http://HOST/page", false},
    {"http://host", true},
    {"https://host/", true},
    {"http://other/?from=http://host/", false},
    {"http://host/MailTo:me", true},
    {"http://host/javascript:void(0)", true},
    {"http://host/x?Document.Write(1)", true},
    {"http://host/document.writer", true},
    {"http://host/mailto", false},
    // Short entries are compared whole; ".pdf" alone is exactly four characters.
    {".pdf", true, ""},
    {"pdf", false, ""},
    {"", false, ""},
    // An empty start URL is in every entry; the other rules still apply.
    {"http://anything/", false, ""},
    {"http://anything/mailto:x", true, ""},
    {"http://anything/x.exe", true, ""},
    // The start URL is taken as typed, blanks included.
    {"http://host/a.html", true, " http://host/"},
    {"http://HOST/A.HTML", false, "http://host/a"},
    {std::string("http://host/\0.pdf", 17), true},
    {std::string("http://host/\0x", 14), false},
};

class FilterTable : public ::testing::TestWithParam<Row> {};

TEST_P(FilterTable, RemovesExactlyTheUnwantedEntries) {
    const Row& row = GetParam();
    EXPECT_EQ(IsFilteredOut(row.entry, row.startUrl), row.removed) << row.entry << " against " << row.startUrl;
}

INSTANTIATE_TEST_SUITE_P(Entries, FilterTable, ::testing::ValuesIn(kRows));

} // namespace
} // namespace vortaxel::crawl
