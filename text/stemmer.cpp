#include "text/stemmer.h"

#include <climits>
#include <libstemmer.h>

namespace vortaxel::text {

void Stemmer::Free::operator()(sb_stemmer* stemmer) const {
    sb_stemmer_delete(stemmer);
}

Stemmer::Stemmer(std::string_view name) {
    if (!name.empty()) {
        stemmer_.reset(sb_stemmer_new(std::string(name).c_str(), "UTF_8"));
    }
}

std::string Stemmer::Stem(std::string_view folded) {
    if (!stemmer_ || folded.empty() || folded.size() > INT_MAX) {
        return std::string(folded);
    }
    const sb_symbol* stem = sb_stemmer_stem(stemmer_.get(), reinterpret_cast<const sb_symbol*>(folded.data()),
                                            static_cast<int>(folded.size()));
    if (stem == nullptr) {
        // Out of memory inside Snowball: the word itself is a sound key still.
        return std::string(folded);
    }
    return std::string(reinterpret_cast<const char*>(stem),
                       static_cast<std::size_t>(sb_stemmer_length(stemmer_.get())));
}

} // namespace vortaxel::text
