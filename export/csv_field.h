#pragma once

#include <string>
#include <string_view>

namespace vortaxel::keywords {

/// Appends one CSV field as RFC 4180 writes it: quoted only when it holds a comma, a quote, CR or LF, with
/// inner quotes doubled; every other byte as it stands.
void AppendCsvField(std::string& text, std::string_view field);

} // namespace vortaxel::keywords
