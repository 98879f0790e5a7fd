#include "crawl/ascii.h"

#include <gtest/gtest.h>
#include <random>
#include <string>

namespace vortaxel::crawl {
namespace {

std::size_t NaiveFind(std::string_view text, std::string_view needle, std::size_t from) {
    for (std::size_t at = from; at + needle.size() <= text.size(); ++at) {
        if (EqualsIgnoreCase(text.substr(at, needle.size()), needle)) {
            return at;
        }
    }
    return std::string_view::npos;
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
} // namespace vortaxel::crawl
