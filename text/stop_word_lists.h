#pragma once

#include <span>
#include <string_view>

namespace vortaxel::text {

/// One stop word list as the project ships it: one word a line, `|` starting a comment.
struct EmbeddedStopWords {
    /// Snowball's name of the language ("english").
    std::string_view language;
    std::string_view words;
};

/// The lists under text/stopwords/, compiled into the program.
std::span<const EmbeddedStopWords> EmbeddedStopWordLists();

} // namespace vortaxel::text
