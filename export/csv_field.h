#pragma once

#include <string>
#include <string_view>

namespace vortaxel::keywords {

/// Appends one CSV field as RFC 4180 writes it: quoted only when it holds a comma, a quote, CR or LF, with
/// inner quotes doubled. The cell stays data: one a spreadsheet would run as a formula (it begins with =, +,
/// -, @, tab or CR) gets a quote in front, and control bytes other than tab, CR and LF become %XX.
void AppendCsvField(std::string& text, std::string_view field);

} // namespace vortaxel::keywords
