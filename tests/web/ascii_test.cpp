#include "fuzz/naive_text.h"
#include "web/ascii.h"

#include <gtest/gtest.h>
#include <random>
#include <string>

namespace vortaxel::web {
namespace {

using fuzz::Lowered;

// Folds with its own A-Z mapping and the library's search, so it shares nothing with the finder's
// confirming comparison.
std::size_t NaiveFind(std::string_view text, std::string_view needle, std::size_t from) {
    return Lowered(text).find(Lowered(needle), from);
}

struct CaselessRow {
    const char* name;
    std::string a;
    std::string b;
    bool same;
};

// Rows of equal length, so each can also stand as a prefix and a suffix. Pairs that OR-ing 0x20 folds together but are
// not an upper- and lower-case letter must stay apart; the long rows differ only past the first eight bytes, which are
// compared a word at a time.
const CaselessRow kCaselessRows[] = {
    {"both empty", "", "", true},
    {"mixed cases", "HrEf", "hReF", true},
    {"alphabet ends", "AZ", "az", true},
    {"backspace and paren", "\x08", "(", false},
    {"bell and quote", "\x07", "'", false},
    {"nul and space", std::string(1, '\0'), " ", false},
    {"at and backtick", "@", "`", false},
    {"brackets and braces", "[]", "{}", false},
    {"latin-1 A grave", "\xc0", "\xe0", false},
    {"latin-1 E grave", "\xc8", "\xe8", false},
    {"long, differing in case", "WINDOW.OPEN('A.HTML')", "window.open('a.html')", true},
    {"long, differing past a word", "window.open\x08'", "window.open('", false},
    {"long, differing in the last byte", "window.open('a.html@", "window.open('a.html`", false},
};

TEST(CaselessCompare, FoldsOnlyAsciiLetters) {
    for (const CaselessRow& row : kCaselessRows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(EqualsIgnoreCase(row.a, row.b), row.same);
        EXPECT_EQ(EqualsIgnoreCase(row.b, row.a), row.same);
        EXPECT_EQ(StartsWithIgnoreCase(row.a + "tail", row.b), row.same);
        EXPECT_EQ(EndsWithIgnoreCase("head" + row.a, row.b), row.same);
        EXPECT_EQ(Lowered(row.a) == Lowered(row.b), row.same) << "the reference fold disagrees";
    }
}

TEST(CaselessCompare, TextsOfOtherLengthsAndLongerAffixesNeverMatch) {
    EXPECT_FALSE(EqualsIgnoreCase("a", ""));
    EXPECT_FALSE(EqualsIgnoreCase("href", "HREFS"));
    EXPECT_TRUE(StartsWithIgnoreCase("Mailto:x", "MAILTO:"));
    EXPECT_TRUE(EndsWithIgnoreCase("page.HTML", ".html"));
    EXPECT_FALSE(StartsWithIgnoreCase("mail", "mailto:"));
    EXPECT_FALSE(EndsWithIgnoreCase("html", ".html"));
    EXPECT_TRUE(StartsWithIgnoreCase("", ""));
    EXPECT_TRUE(EndsWithIgnoreCase("", ""));
}

// Random texts over bytes that fold onto each other: letters in both cases, the punctuation of
// the keywords and the control bytes that OR-ing 0x20 turns into that punctuation.
TEST(CaselessFinder, FindsEveryMatchANaiveScanFinds) {
    const std::string alphabet = std::string("hHrReEfFwW.oO('\x08\x07 ") + '\0' + "\xe8\xc8";
    const std::string needles[] = {"href", "window.open('", "('", "h", "", "mailto:", "\x08x"};
    std::mt19937 rng(7);
    for (int round = 0; round < 20000; ++round) {
        std::string text(rng() % 70, ' ');
        for (char& c : text) {
            c = alphabet[rng() % alphabet.size()];
        }
        const std::string& needle = needles[rng() % std::size(needles)];
        if (rng() % 2 == 0 && text.size() > needle.size()) {
            text.replace(rng() % (text.size() - needle.size()), needle.size(), needle);
        }
        const CaselessFinder finder(needle);
        for (std::size_t from = 0, expected = 0; from <= text.size() + 1; from = expected + 1) {
            expected = NaiveFind(text, needle, from);
            ASSERT_EQ(finder.Next(text, from), expected) << "needle " << needle << " from " << from << " in " << text;
            if (expected == std::string_view::npos) {
                break;
            }
        }
    }
}

} // namespace
} // namespace vortaxel::web
