// Any bytes as the titles of a site, one a line, and as one page text of each role: a cleaned phrase is
// never longer than its text, holds no white space but single blanks between words, and a site's titles
// give one phrase each.

#include "export/phrase_cleaning.h"
#include "export/site_title_affixes.h"
#include "fuzz_check.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace {

void CheckPhrase(std::string_view phrase, std::size_t textSize) {
    VORTAXEL_FUZZ_CHECK(phrase.size() <= textSize);
    VORTAXEL_FUZZ_CHECK(phrase.empty() || (phrase.front() != ' ' && phrase.back() != ' '));
    VORTAXEL_FUZZ_CHECK(phrase.find("  ") == std::string_view::npos);
    VORTAXEL_FUZZ_CHECK(phrase.find_first_of("\t\n\r\f\v") == std::string_view::npos);
    VORTAXEL_FUZZ_CHECK(phrase.find("\xC2\xA0") == std::string_view::npos);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vortaxel::keywords;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    for (const TextRole role : {TextRole::Title, TextRole::Heading, TextRole::Anchor}) {
        CheckPhrase(CleanTextPhrase(text, role), size);
    }
    std::vector<std::string> titles;
    for (std::size_t start = 0; start <= size;) {
        const std::size_t end = std::min(text.find('\n', start), size);
        titles.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
    const std::vector<std::string> phrases = CleanTitlePhrases(titles);
    VORTAXEL_FUZZ_CHECK(phrases.size() == titles.size());
    for (std::size_t i = 0; i < titles.size(); ++i) {
        CheckPhrase(phrases[i], titles[i].size());
    }
    return 0;
}
