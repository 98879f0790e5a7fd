#pragma once

#include <string>
#include <string_view>

namespace vortaxel::cli {

/// A found URL as one safe output line: every byte a terminal could take as a control becomes "%XX" in
/// upper-case hex, which names the same address on the wire. Those are the C0 bytes and DEL (0x00-0x1F, 0x7F),
/// both bytes of a UTF-8 encoded C1 control (U+0080-U+009F), and every byte 0x80-0xFF that is not part of
/// well-formed UTF-8 (a raw 0x9B is a C1 control to a Latin-1 terminal). Everything else, well-formed UTF-8
/// included, is written as it is.
std::string EscapeControlBytes(std::string_view url);

} // namespace vortaxel::cli
