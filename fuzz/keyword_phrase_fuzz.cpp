// Any bytes as a found URL: the phrase is the last segment cut before its first ".", with "_" and "-"
// as blanks, and the keyword file holds one line per phrase that is not all blanks.

#include "export/keyword_file.h"
#include "export/keyword_phrase.h"
#include "fuzz_check.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using vortaxel::keywords::MakeKeywordPhrase;
    const std::vector<char> input(data, data + size);
    const std::string_view url(input.data(), input.size());

    const std::string phrase = MakeKeywordPhrase(url);

    // The plain reading: keep cutting after the first "/", then before the first ".".
    std::string_view segment = url;
    while (segment.find('/') != std::string_view::npos) {
        segment = segment.substr(segment.find('/') + 1);
    }
    segment = segment.substr(0, segment.find('.'));
    VORTAXEL_FUZZ_CHECK(phrase.size() == segment.size());
    for (std::size_t i = 0; i < phrase.size(); ++i) {
        const char expected = (segment[i] == '_' || segment[i] == '-') ? ' ' : segment[i];
        VORTAXEL_FUZZ_CHECK(phrase[i] == expected);
    }
    VORTAXEL_FUZZ_CHECK(phrase.find_first_of("/._-") == std::string::npos);
    VORTAXEL_FUZZ_CHECK(MakeKeywordPhrase(phrase) == phrase);

    // Twice the same URL: two equal lines, or none when the phrase is only blanks. A line break inside
    // the phrase is written as a blank, so each URL stays one line.
    vortaxel::keywords::KeywordFileBuilder builder;
    builder.Add(url);
    builder.Add(url);
    std::string line = phrase;
    std::replace(line.begin(), line.end(), '\r', ' ');
    std::replace(line.begin(), line.end(), '\n', ' ');
    // Judged after that, so a phrase of nothing but line breaks gives no line either.
    const bool written = line.find_first_not_of(' ') != std::string::npos;
    VORTAXEL_FUZZ_CHECK(written == vortaxel::keywords::IsWrittenPhrase(line));
    VORTAXEL_FUZZ_CHECK(builder.Bytes() == (written ? line + "\r\n" + line + "\r\n" : std::string()));
    VORTAXEL_FUZZ_CHECK(builder.LineCount() == (written ? 2u : 0u));
    return 0;
}
