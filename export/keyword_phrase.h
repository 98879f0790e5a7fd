#pragma once

#include <string>
#include <string_view>

namespace vortaxel::keywords {

/// The keyword phrase of a URL: the text after its last "/", cut before the first ".", with every
/// "_" and "-" turned into a blank. Works on bytes of any length; nothing is trimmed, decoded or folded,
/// so the result may be empty or all blanks.
std::string MakeKeywordPhrase(std::string_view url);

} // namespace vortaxel::keywords
