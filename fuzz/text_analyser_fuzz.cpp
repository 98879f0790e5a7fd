// Any bytes as a page's text: the first line is the declared language, each further line a block whose
// first byte picks its zone. Whatever they hold, the text pass ends, keeps within its bounds, and gives
// keys and spellings of well-formed UTF-8 that agree with their own counts.

#include "fuzz_check.h"
#include "text/candidate_score.h"
#include "text/phrase_counter.h"
#include "text/text_analyser.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unicode/ustring.h>
#include <vector>

namespace {

bool WellFormedUtf8(const std::string& s) {
    UErrorCode status = U_ZERO_ERROR;
    std::int32_t length = 0;
    u_strFromUTF8(nullptr, 0, &length, s.data(), static_cast<std::int32_t>(s.size()), &status);
    return status == U_BUFFER_OVERFLOW_ERROR || status == U_STRING_NOT_TERMINATED_WARNING || U_SUCCESS(status);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vortaxel::text;
    const std::string input(reinterpret_cast<const char*>(data), size);
    std::string_view rest = input;
    const std::size_t eol = rest.find('\n');
    const std::string_view declared = rest.substr(0, eol);
    rest = eol == std::string_view::npos ? std::string_view() : rest.substr(eol + 1);
    std::vector<TextBlock> blocks;
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        if (line.empty()) {
            continue;
        }
        const auto zone = static_cast<Zone>(static_cast<unsigned char>(line[0]) % kZoneCount);
        blocks.push_back({zone, std::string(line.substr(1))});
    }

    static TextAnalyser analyser;
    const PageTerms terms = analyser.Analyse(blocks, declared);
    VORTAXEL_FUZZ_CHECK(terms.words <= kMaxWordsAnalysed);
    VORTAXEL_FUZZ_CHECK(terms.candidates.size() <= kCandidatesKept);
    VORTAXEL_FUZZ_CHECK(terms.lang.size() <= 3);
    for (std::size_t i = 0; i < terms.candidates.size(); ++i) {
        const Candidate& c = terms.candidates[i];
        VORTAXEL_FUZZ_CHECK(c.words >= 1 && c.words <= kMaxNamingPhraseWords);
        VORTAXEL_FUZZ_CHECK(static_cast<std::size_t>(std::count(c.key.begin(), c.key.end(), ' ')) + 1 == c.words);
        VORTAXEL_FUZZ_CHECK(!c.surface.empty() && WellFormedUtf8(c.key) && WellFormedUtf8(c.surface));
        VORTAXEL_FUZZ_CHECK(c.key.find('\0') == std::string::npos && c.surface.find('\0') == std::string::npos);
        VORTAXEL_FUZZ_CHECK(c.firstWord <= c.lastWord && c.lastWord < terms.words);
        std::uint64_t occurrences = 0;
        for (const std::uint32_t n : c.inZone) {
            occurrences += n;
        }
        VORTAXEL_FUZZ_CHECK(occurrences >= 1 && c.capitalised <= occurrences);
        if (i > 0) {
            VORTAXEL_FUZZ_CHECK(PageScore(terms.candidates[i - 1]) >= PageScore(c));
        }
    }
    return 0;
}
