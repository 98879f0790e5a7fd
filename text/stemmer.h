#pragma once

#include <memory>
#include <string>
#include <string_view>

struct sb_stemmer;

namespace vortaxel::text {

/// One language's Snowball stemmer (libstemmer), made once and kept; not shared between threads.
class Stemmer {
public:
    /// Snowball's name of the language ("english"). An empty or unknown name gives a stemmer that keeps
    /// every word as it is.
    explicit Stemmer(std::string_view name);

    /// Whether Snowball has a stemmer for the language.
    bool Stems() const { return stemmer_ != nullptr; }

    /// The stem of a case-folded word, UTF-8 in and out; the word itself where there is no stemmer.
    std::string Stem(std::string_view folded);

private:
    struct Free {
        void operator()(sb_stemmer* stemmer) const;
    };
    std::unique_ptr<sb_stemmer, Free> stemmer_;
};

} // namespace vortaxel::text
