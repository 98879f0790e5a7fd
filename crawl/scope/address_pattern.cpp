#include "crawl/scope/address_pattern.h"

#include <re2/re2.h>

namespace vortaxel::crawl {

std::string AddressPatternError(std::string_view pattern) {
    RE2::Options options;
    // Addresses are byte strings; a pattern's bytes are taken as they are.
    options.set_encoding(RE2::Options::EncodingLatin1);
    options.set_log_errors(false);
    const RE2 compiled(re2::StringPiece(pattern.data(), pattern.size()), options);
    return compiled.ok() ? std::string() : compiled.error();
}

} // namespace vortaxel::crawl
