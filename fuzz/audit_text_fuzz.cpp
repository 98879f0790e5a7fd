// Any bytes as a title or address a site sent: once in the audit page, as JSON in its data block or as
// HTML text, they can neither end the element they stand in nor break the page's UTF-8.

#include "export/page_text.h"
#include "export/utf8.h"
#include "fuzz_check.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<char> input(data, data + size);
    const std::string_view text(input.data(), input.size());

    std::string json;
    vortaxel::audit::AppendJsonString(json, text);
    VORTAXEL_FUZZ_CHECK(json.size() >= 2 && json.front() == '"' && json.back() == '"');
    VORTAXEL_FUZZ_CHECK(json.find_first_of("<>&") == std::string::npos);
    VORTAXEL_FUZZ_CHECK(json.find("\xE2\x80\xA8") == std::string::npos &&
                        json.find("\xE2\x80\xA9") == std::string::npos);
    VORTAXEL_FUZZ_CHECK(vortaxel::keywords::IsWellFormedUtf8(json));
    bool escaped = false;
    for (std::size_t i = 1; i + 1 < json.size(); ++i) {
        const auto c = static_cast<unsigned char>(json[i]);
        VORTAXEL_FUZZ_CHECK(c >= 0x20 && c != 0x7F);
        // An unescaped quote inside would end the string early.
        VORTAXEL_FUZZ_CHECK(escaped || c != '"');
        escaped = !escaped && c == '\\';
    }
    VORTAXEL_FUZZ_CHECK(!escaped);

    std::string html;
    vortaxel::audit::AppendHtmlText(html, text);
    VORTAXEL_FUZZ_CHECK(html.find_first_of("<>\"'") == std::string::npos);
    VORTAXEL_FUZZ_CHECK(vortaxel::keywords::IsWellFormedUtf8(html));
    return 0;
}
