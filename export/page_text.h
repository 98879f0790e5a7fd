#pragma once

#include <string>
#include <string_view>

namespace vortaxel::audit {

// Text from crawled sites goes into the audit page only through these, so that no byte a site chose can
// end a script block, open a comment or tag, or break the page's UTF-8.

/// Appends `text` as a JSON string (quotes included) that is safe inside an HTML script element: "<", ">"
/// and "&" are written as \u escapes (so neither "</script>" nor "<!--" can appear), as are control bytes
/// and U+2028/U+2029. Bytes that are not well-formed UTF-8 become U+FFFD.
void AppendJsonString(std::string& out, std::string_view text);

/// Appends `text` as HTML text or a quoted attribute value: & < > " ' as character references, bytes that
/// are not well-formed UTF-8 as U+FFFD, control bytes other than tab and line breaks dropped.
void AppendHtmlText(std::string& out, std::string_view text);

} // namespace vortaxel::audit
